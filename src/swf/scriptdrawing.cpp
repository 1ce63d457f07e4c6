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
    // The edge closing the fill is drawn in the line style, like any other.
    if (pen_ != fillStart_)
        addEdge({pen_, {}, fillStart_, false}, true);
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
    if (std::optional<Edge> e = styled(edge, data_.layers.empty() ? nullptr : &data_.layers.back(), stroked)) {
        layer().edges.push_back(*e);
        changed();
    }
}

// `edge` with the fill and line of `layer` in force, none when it would
// draw nothing.
std::optional<Edge> ScriptDrawing::styled(const Edge &edge, const ShapeLayer *layer, bool stroked) const
{
    Edge e = edge;
    e.fill1 = filling_ && layer && !layer->fills.empty() ? 1 : 0;
    e.line = stroked && lined_ && layer ? int(layer->lines.size()) : 0;
    if (!e.fill1 && !e.line)
        return std::nullopt;
    return e;
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
        // A fill still open is drawn closed, its closing edge lined.
        ShapeData data = data_;
        if (filling_ && pen_ != fillStart_ && !data.layers.empty())
            if (std::optional<Edge> e = styled({pen_, {}, fillStart_, false}, &data.layers.back(), true))
                data.layers.back().edges.push_back(*e);
        auto shape = std::make_shared<CompiledShape>(compileShape(data));
        // The area of the edges, and of the widest line's half around them.
        QRectF area;
        double reach = 0;
        for (const ShapeLayer &l : data.layers) {
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
