#pragma once

#include "shape.h"

#include <QPainterPath>

#include <vector>

namespace sky::swf {

struct FilledPath {
    FillStyle style;
    QPainterPath path;
};

struct StrokedPath {
    LineStyle style;
    QPainterPath path;
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
