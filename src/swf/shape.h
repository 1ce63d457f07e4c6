#pragma once

#include "geometry.h"

#include <QColor>
#include <QPointF>
#include <QRectF>

#include <vector>

namespace sky::swf {

class BitReader;

enum class FillKind { Solid, Linear, Radial, Focal, Bitmap };

struct GradientStop {
    double ratio = 0; // 0..255
    QColor color;
};

struct FillStyle {
    FillKind kind = FillKind::Solid;
    QColor color;
    Matrix matrix; // gradient or bitmap space to shape space
    std::vector<GradientStop> stops;
    int spread = 0;        // 0 pad, 1 reflect, 2 repeat
    int interpolation = 0; // 0 normal RGB, 1 linear RGB
    double focal = 0;      // -1..1, focal radial only
    quint16 bitmapId = 0;
    bool repeat = false;
    bool smooth = true;
};

enum class Cap { Round, None, Square };
enum class Join { Round, Bevel, Miter };

struct LineStyle {
    double width = 0; // twips; 0 is a hairline
    QColor color;
    bool hasFill = false;
    FillStyle fill;
    Cap startCap = Cap::Round;
    Cap endCap = Cap::Round;
    Join join = Join::Round;
    double miterLimit = 3;
    bool noHScale = false;
    bool noVScale = false;
    bool noClose = false;
};

// A straight or quadratic edge with the style indices in force (1-based
// into the layer's arrays, 0 for none).
struct Edge {
    QPointF from, control, to;
    bool curve = false;
    int fill0 = 0, fill1 = 0, line = 0;
};

// Styles and the edges drawn with them; NEWSTYLES starts a new layer.
struct ShapeLayer {
    std::vector<FillStyle> fills;
    std::vector<LineStyle> lines;
    std::vector<Edge> edges;
};

struct ShapeData {
    QRectF bounds;
    std::vector<ShapeLayer> layers;
    bool nonZero = false;
};

// Reads the cap, join and scaling flags of a LINESTYLE2 (and the miter
// limit when the join is a miter), up to the fill or colour.
void readLineFlags(BitReader &r, LineStyle &line);

// Reads a FILLSTYLE; `version` is that of DefineShape (1 to 4).
FillStyle readFillStyle(BitReader &r, int version);
// Reads a FILLSTYLEARRAY and a LINESTYLEARRAY into `layer`.
void readStyles(BitReader &r, int version, ShapeLayer &layer);

// Reads the records of a SHAPE or SHAPEWITHSTYLE whose first layer is
// already in `shape`, appending edges and further layers. Each edge read
// takes one from `edgeBudget`; at zero reading stops, which bounds the
// memory a hostile movie can claim.
void readShapeRecords(BitReader &r, int version, ShapeData &shape, qint64 &edgeBudget);

// Reads the body of a DefineShape tag of the given version after its id.
// A cut-off record list keeps the edges read so far.
ShapeData readDefineShape(BitReader &r, int version, qint64 &edgeBudget);

} // namespace sky::swf
