#include "scriptdrawing.h"

#include <atomic>

namespace sky::swf {
namespace {

std::atomic<quint64> drawingChanges{0};

} // namespace

ShapeLayer &ScriptDrawing::layer()
{
    if (data_.layers.empty())
        data_.layers.emplace_back();
    return data_.layers.back();
}

void ScriptDrawing::changed()
{
    serial_ = ++drawingChanges;
    compiled_.reset();
}

void ScriptDrawing::beginFill(const FillStyle *fill)
{
    endFill();
    if (!fill)
        return;
    // A layer of its own, keeping the line style in force.
    std::vector<LineStyle> lines;
    if (lined_)
        lines.push_back(layer().lines.back());
    data_.layers.emplace_back();
    layer().fills.push_back(*fill);
    layer().lines = std::move(lines);
    filling_ = true;
    fillStart_ = pen_;
    changed();
}

void ScriptDrawing::endFill()
{
    if (!filling_)
        return;
    if (pen_ != fillStart_)
        addEdge({pen_, {}, fillStart_, false}, false);
    filling_ = false;
    pen_ = fillStart_;
    // What is drawn from here lies over the fill.
    std::vector<LineStyle> lines;
    if (lined_)
        lines.push_back(layer().lines.back());
    data_.layers.emplace_back();
    layer().lines = std::move(lines);
    changed();
}

void ScriptDrawing::lineStyle(const LineStyle *line)
{
    lined_ = line != nullptr;
    if (line)
        layer().lines.push_back(*line);
}

void ScriptDrawing::lineFill(const FillStyle &fill)
{
    if (!lined_)
        return;
    LineStyle line = layer().lines.back();
    line.hasFill = true;
    line.fill = fill;
    layer().lines.push_back(line);
}

void ScriptDrawing::moveTo(QPointF to)
{
    // Moving with a fill open closes the outline drawn so far.
    if (filling_ && pen_ != fillStart_)
        addEdge({pen_, {}, fillStart_, false}, false);
    pen_ = to;
    fillStart_ = to;
}

void ScriptDrawing::lineTo(QPointF to)
{
    addEdge({pen_, {}, to, false}, true);
    pen_ = to;
}

void ScriptDrawing::curveTo(QPointF control, QPointF to)
{
    addEdge({pen_, control, to, true}, true);
    pen_ = to;
}

void ScriptDrawing::addEdge(const Edge &edge, bool stroked)
{
    Edge e = edge;
    ShapeLayer &l = layer();
    e.fill1 = filling_ && !l.fills.empty() ? 1 : 0;
    e.line = stroked && lined_ ? int(l.lines.size()) : 0;
    if (!e.fill1 && !e.line)
        return;
    l.edges.push_back(e);
    changed();
}

void ScriptDrawing::clear()
{
    data_ = {};
    filling_ = lined_ = false;
    pen_ = fillStart_ = {};
    changed();
}

bool ScriptDrawing::isEmpty() const
{
    for (const ShapeLayer &l : data_.layers)
        if (!l.edges.empty())
            return false;
    return true;
}

const CompiledShape &ScriptDrawing::compiled() const
{
    if (!compiled_) {
        auto shape = std::make_shared<CompiledShape>(compileShape(data_));
        // The area of the edges, and of the widest line's half around them.
        QRectF area;
        double reach = 0;
        for (const ShapeLayer &l : data_.layers) {
            for (const Edge &e : l.edges) {
                QRectF box = QRectF(e.from, e.to).normalized();
                if (e.curve)
                    box |= QRectF(e.control, e.control);
                area = area.isNull() ? box : area | box;
            }
            for (const LineStyle &line : l.lines)
                reach = qMax(reach, line.width / 2);
        }
        shape->bounds = area.adjusted(-reach, -reach, reach, reach);
        compiled_ = std::move(shape);
    }
    return *compiled_;
}

} // namespace sky::swf
