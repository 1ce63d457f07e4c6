#pragma once

#include "shape.h"

#include <QPainterPath>
#include <QPen>

#include <utility>
#include <vector>

namespace sky::swf {

struct FilledPath {
    FillStyle style;
    QPainterPath path;
};

struct StrokedPath {
    StrokedPath(LineStyle lineStyle, QPainterPath centre) : style(std::move(lineStyle)), path(std::move(centre)) {}

    LineStyle style;
    QPainterPath path;

    // The area the line covers when widened by `pen` in shape space; the
    // last one asked for is kept, as a shape is mostly drawn with one pen.
    const QPainterPath &widened(const QPen &pen) const;

private:
    mutable QPainterPath widened_;
    mutable double widenedWidth_ = -1;
    mutable Qt::PenCapStyle widenedCap_ = Qt::FlatCap;
    mutable Qt::PenJoinStyle widenedJoin_ = Qt::BevelJoin;
    mutable double widenedMiter_ = 0;
};

// One layer ready to draw: fills first, then strokes.
struct PathLayer {
    std::vector<FilledPath> fills;
    std::vector<StrokedPath> strokes;
};

struct CompiledShape {
    QRectF bounds;
    std::vector<PathLayer> layers;
};

// Assembles edges into closed outlines per fill style: an edge belongs to
// its fill1 style as it runs and to its fill0 style reversed. Strokes keep
// edge order per line style.
CompiledShape compileShape(const ShapeData &shape);

// The union outline of every fill of the shape, used for masks and glyphs.
QPainterPath outlineOf(const CompiledShape &shape);

} // namespace sky::swf
