#include "shape.h"

#include "bitreader.h"

namespace sky::swf {
namespace {

constexpr int maxStops = 15;

void readGradient(BitReader &r, int version, FillStyle &fill)
{
    fill.matrix = r.matrix();
    const quint8 head = r.u8();
    fill.spread = (head >> 6) & 3;
    fill.interpolation = (head >> 4) & 3;
    const int count = qMin(head & 0x0F, maxStops);
    for (int i = 0; i < count; ++i) {
        GradientStop stop;
        stop.ratio = r.u8();
        stop.color = version >= 3 ? r.rgba() : r.rgb();
        fill.stops.push_back(stop);
    }
}

Cap capFromBits(quint32 bits)
{
    return bits == 1 ? Cap::None : bits == 2 ? Cap::Square : Cap::Round;
}

} // namespace

void readLineFlags(BitReader &r, LineStyle &line)
{
    line.startCap = capFromBits(r.ubits(2));
    const quint32 join = r.ubits(2);
    line.join = join == 1 ? Join::Bevel : join == 2 ? Join::Miter : Join::Round;
    line.hasFill = r.flag();
    line.noHScale = r.flag();
    line.noVScale = r.flag();
    r.ubits(1); // pixel hinting
    r.ubits(5);
    line.noClose = r.flag();
    line.endCap = capFromBits(r.ubits(2));
    if (line.join == Join::Miter)
        line.miterLimit = r.fixed8();
}

namespace {

LineStyle readLineStyle(BitReader &r, int version)
{
    LineStyle line;
    line.width = r.u16();
    if (version < 4) {
        line.color = version >= 3 ? r.rgba() : r.rgb();
        return line;
    }
    readLineFlags(r, line);
    if (line.hasFill) {
        line.fill = readFillStyle(r, version);
        line.color = line.fill.kind == FillKind::Solid ? line.fill.color : QColor(0, 0, 0);
    } else {
        line.color = r.rgba();
    }
    return line;
}

int readCount(BitReader &r, int version)
{
    int count = r.u8();
    if (count == 0xFF && version >= 2)
        count = r.u16();
    return count;
}

} // namespace

FillStyle readFillStyle(BitReader &r, int version)
{
    FillStyle fill;
    const quint8 type = r.u8();
    switch (type) {
    case 0x00:
        fill.color = version >= 3 ? r.rgba() : r.rgb();
        break;
    case 0x10:
        fill.kind = FillKind::Linear;
        readGradient(r, version, fill);
        break;
    case 0x12:
        fill.kind = FillKind::Radial;
        readGradient(r, version, fill);
        break;
    case 0x13:
        fill.kind = FillKind::Focal;
        readGradient(r, version, fill);
        fill.focal = qBound(-1.0, r.fixed8(), 1.0);
        break;
    case 0x40:
    case 0x41:
    case 0x42:
    case 0x43:
        fill.kind = FillKind::Bitmap;
        fill.bitmapId = r.u16();
        fill.matrix = r.matrix();
        fill.repeat = (type & 1) == 0;
        fill.smooth = (type & 2) == 0;
        break;
    default:
        throw ParseError("unknown fill style type");
    }
    return fill;
}

void readStyles(BitReader &r, int version, ShapeLayer &layer)
{
    const int fills = readCount(r, version);
    for (int i = 0; i < fills; ++i)
        layer.fills.push_back(readFillStyle(r, version));
    int lines = r.u8();
    if (lines == 0xFF)
        lines = r.u16();
    for (int i = 0; i < lines; ++i)
        layer.lines.push_back(readLineStyle(r, version));
}

void readShapeRecords(BitReader &r, int version, ShapeData &shape, qint64 &edgeBudget)
{
    if (shape.layers.empty())
        shape.layers.emplace_back();
    int fillBits = int(r.ubits(4));
    int lineBits = int(r.ubits(4));
    QPointF pen;
    int fill0 = 0, fill1 = 0, line = 0;
    while (edgeBudget > 0) {
        ShapeLayer &layer = shape.layers.back();
        if (!r.flag()) {
            const quint32 flags = r.ubits(5);
            if (flags == 0)
                break;
            if (flags & 0x01) {
                const int n = int(r.ubits(5));
                const double x = r.sbits(n);
                pen = QPointF(x, r.sbits(n));
            }
            if (flags & 0x02)
                fill0 = int(r.ubits(fillBits));
            if (flags & 0x04)
                fill1 = int(r.ubits(fillBits));
            if (flags & 0x08)
                line = int(r.ubits(lineBits));
            if ((flags & 0x10) && version >= 2) {
                ShapeLayer next;
                readStyles(r, version, next);
                shape.layers.push_back(std::move(next));
                fillBits = int(r.ubits(4));
                lineBits = int(r.ubits(4));
                fill0 = fill1 = line = 0;
            }
            continue;
        }
        Edge edge;
        edge.from = pen;
        edge.fill0 = fill0 <= int(layer.fills.size()) ? fill0 : 0;
        edge.fill1 = fill1 <= int(layer.fills.size()) ? fill1 : 0;
        edge.line = line <= int(layer.lines.size()) ? line : 0;
        const bool straight = r.flag();
        const int n = int(r.ubits(4)) + 2;
        if (straight) {
            double dx = 0, dy = 0;
            if (r.flag()) {
                dx = r.sbits(n);
                dy = r.sbits(n);
            } else if (r.flag()) {
                dy = r.sbits(n);
            } else {
                dx = r.sbits(n);
            }
            edge.to = pen + QPointF(dx, dy);
            edge.control = (edge.from + edge.to) / 2;
        } else {
            const double cx = r.sbits(n);
            const double cy = r.sbits(n);
            edge.control = pen + QPointF(cx, cy);
            const double ax = r.sbits(n);
            edge.to = edge.control + QPointF(ax, r.sbits(n));
            edge.curve = true;
        }
        pen = edge.to;
        layer.edges.push_back(edge);
        --edgeBudget;
    }
}

ShapeData readDefineShape(BitReader &r, int version, qint64 &edgeBudget)
{
    ShapeData shape;
    shape.bounds = r.rect();
    if (version >= 4) {
        r.rect();
        shape.nonZero = (r.u8() & 0x04) != 0;
    }
    shape.layers.emplace_back();
    readStyles(r, version, shape.layers.back());
    try {
        readShapeRecords(r, version, shape, edgeBudget);
    } catch (const ParseError &) {
        // A cut-off record list still draws the edges read so far.
    }
    return shape;
}

} // namespace sky::swf
