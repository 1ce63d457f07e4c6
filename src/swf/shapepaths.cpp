#include "shapepaths.h"

#include <QPainterPathStroker>

#include <map>
#include <utility>

namespace sky::swf {
namespace {

using PointKey = std::pair<double, double>;

PointKey keyOf(const QPointF &p) { return {p.x(), p.y()}; }

void addEdge(QPainterPath &path, const Edge &e)
{
    if (e.curve)
        path.quadTo(e.control, e.to);
    else
        path.lineTo(e.to);
}

Edge reversed(const Edge &e)
{
    Edge r = e;
    r.from = e.to;
    r.to = e.from;
    return r;
}

// Unused edges by one of their end points, the earliest at the back; each
// is taken once, so the whole chaining stays linear however many edges
// meet at a point.
class EdgeIndex {
public:
    EdgeIndex(const std::vector<Edge> &parts, std::vector<bool> &used, bool byEnd) : used_(used)
    {
        for (std::size_t i = parts.size(); i-- > 0;)
            edges_[keyOf(byEnd ? parts[i].to : parts[i].from)].push_back(i);
    }

    // An unused edge meeting `at`, marked used; none() when there is none.
    std::size_t take(const QPointF &at)
    {
        const auto found = edges_.find(keyOf(at));
        if (found == edges_.end())
            return none();
        std::vector<std::size_t> &candidates = found->second;
        while (!candidates.empty() && used_[candidates.back()])
            candidates.pop_back();
        if (candidates.empty())
            return none();
        const std::size_t next = candidates.back();
        candidates.pop_back();
        used_[next] = true;
        return next;
    }

    std::size_t none() const { return used_.size(); }

private:
    std::vector<bool> &used_;
    std::map<PointKey, std::vector<std::size_t>> edges_;
};

// `parts` are the edges of one fill style, each turned so that the fill
// lies on its right. Under the even-odd rule an area is filled where a ray
// from it crosses the style's edges an odd number of times, whichever way
// they run: an outline whose edges disagree on their direction, as some
// converters write them, is closed by running the odd ones backwards.
QPainterPath fillPath(const std::vector<Edge> &parts, bool nonZero)
{
    std::vector<bool> used(parts.size(), false);
    EdgeIndex byStart(parts, used, false);
    EdgeIndex byEnd(parts, used, true);
    QPainterPath path;
    path.setFillRule(nonZero ? Qt::WindingFill : Qt::OddEvenFill);
    for (std::size_t first = 0; first < parts.size(); ++first) {
        if (used[first])
            continue;
        used[first] = true;
        const QPointF start = parts[first].from;
        path.moveTo(start);
        addEdge(path, parts[first]);
        QPointF at = parts[first].to;
        while (at != start) {
            std::size_t next = byStart.take(at);
            Edge edge;
            if (next != byStart.none())
                edge = parts[next];
            else if (!nonZero && (next = byEnd.take(at)) != byEnd.none())
                edge = reversed(parts[next]);
            else
                break;
            addEdge(path, edge);
            at = edge.to;
        }
        path.closeSubpath();
    }
    return path;
}

QPainterPath strokePath(const std::vector<Edge> &edges, bool closeLoops)
{
    QPainterPath path;
    QPointF subpathStart;
    bool open = false;
    for (const Edge &e : edges) {
        if (!open || path.currentPosition() != e.from) {
            if (open && closeLoops && path.currentPosition() == subpathStart)
                path.closeSubpath();
            path.moveTo(e.from);
            subpathStart = e.from;
            open = true;
        }
        addEdge(path, e);
    }
    if (open && closeLoops && path.currentPosition() == subpathStart && path.elementCount() > 2)
        path.closeSubpath();
    return path;
}

} // namespace

CompiledShape compileShape(const ShapeData &shape)
{
    CompiledShape out;
    out.bounds = shape.bounds;
    for (const ShapeLayer &layer : shape.layers) {
        // Sort the edges by style first, so that many styles stay cheap.
        std::map<int, std::vector<Edge>> byFill;
        std::map<int, std::vector<Edge>> byLine;
        for (const Edge &e : layer.edges) {
            if (e.fill1 > 0)
                byFill[e.fill1].push_back(e);
            if (e.fill0 > 0)
                byFill[e.fill0].push_back(reversed(e));
            if (e.line > 0)
                byLine[e.line].push_back(e);
        }
        PathLayer compiled;
        for (const auto &[fill, parts] : byFill) {
            if (fill > int(layer.fills.size()))
                continue;
            QPainterPath path = fillPath(parts, shape.nonZero);
            if (!path.isEmpty())
                compiled.fills.push_back({layer.fills[std::size_t(fill - 1)], std::move(path)});
        }
        for (const auto &[line, edges] : byLine) {
            if (line > int(layer.lines.size()))
                continue;
            const LineStyle &style = layer.lines[std::size_t(line - 1)];
            QPainterPath path = strokePath(edges, !style.noClose);
            if (!path.isEmpty())
                compiled.strokes.push_back({style, std::move(path)});
        }
        out.layers.push_back(std::move(compiled));
    }
    return out;
}

QPainterPath outlineOf(const CompiledShape &shape)
{
    std::vector<const QPainterPath *> paths;
    for (const PathLayer &layer : shape.layers)
        for (const FilledPath &fill : layer.fills)
            paths.push_back(&fill.path);
    if (paths.size() == 1)
        return *paths.front();
    QPainterPath all;
    all.setFillRule(Qt::WindingFill);
    for (const QPainterPath *path : paths)
        all.addPath(*path);
    return all;
}

const QPainterPath &StrokedPath::widened(const QPen &pen) const
{
    if (pen.widthF() != widenedWidth_ || pen.capStyle() != widenedCap_ || pen.joinStyle() != widenedJoin_
        || pen.miterLimit() != widenedMiter_) {
        widened_ = QPainterPathStroker(pen).createStroke(path);
        widened_.setFillRule(Qt::WindingFill);
        widenedWidth_ = pen.widthF();
        widenedCap_ = pen.capStyle();
        widenedJoin_ = pen.joinStyle();
        widenedMiter_ = pen.miterLimit();
    }
    return widened_;
}

} // namespace sky::swf
