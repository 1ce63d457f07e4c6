#include "shapepaths.h"

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

QPainterPath fillPath(const std::vector<Edge> &edges, int fill, bool nonZero)
{
    std::vector<Edge> parts;
    for (const Edge &e : edges) {
        if (e.fill1 == fill)
            parts.push_back(e);
        if (e.fill0 == fill)
            parts.push_back(reversed(e));
    }
    std::multimap<PointKey, std::size_t> byStart;
    for (std::size_t i = 0; i < parts.size(); ++i)
        byStart.emplace(keyOf(parts[i].from), i);
    std::vector<bool> used(parts.size(), false);

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
            auto [lo, hi] = byStart.equal_range(keyOf(at));
            auto next = hi;
            for (auto it = lo; it != hi; ++it)
                if (!used[it->second]) {
                    next = it;
                    break;
                }
            if (next == hi)
                break;
            used[next->second] = true;
            addEdge(path, parts[next->second]);
            at = parts[next->second].to;
        }
        path.closeSubpath();
    }
    return path;
}

QPainterPath strokePath(const std::vector<Edge> &edges, int line, bool closeLoops)
{
    QPainterPath path;
    QPointF subpathStart;
    bool open = false;
    for (const Edge &e : edges) {
        if (e.line != line)
            continue;
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
        PathLayer compiled;
        for (std::size_t f = 0; f < layer.fills.size(); ++f) {
            QPainterPath path = fillPath(layer.edges, int(f + 1), shape.nonZero);
            if (!path.isEmpty())
                compiled.fills.push_back({layer.fills[f], std::move(path)});
        }
        for (std::size_t l = 0; l < layer.lines.size(); ++l) {
            QPainterPath path = strokePath(layer.edges, int(l + 1), !layer.lines[l].noClose);
            if (!path.isEmpty())
                compiled.strokes.push_back({layer.lines[l], std::move(path)});
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

} // namespace sky::swf
