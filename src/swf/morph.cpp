#include "morph.h"

#include "bitreader.h"

#include <cmath>

namespace sky::swf {
namespace {

constexpr std::size_t maxCachedRatios = 8;

void readMorphGradient(BitReader &r, FillStyle &start, FillStyle &end)
{
    const int count = qMin(r.u8() & 0x0F, 15);
    for (int i = 0; i < count; ++i) {
        GradientStop a;
        a.ratio = r.u8();
        a.color = r.rgba();
        GradientStop b;
        b.ratio = r.u8();
        b.color = r.rgba();
        start.stops.push_back(a);
        end.stops.push_back(b);
    }
}

void readMorphFill(BitReader &r, FillStyle &start, FillStyle &end)
{
    const quint8 type = r.u8();
    if (type == 0x00) {
        start.color = r.rgba();
        end.color = r.rgba();
    } else if (type == 0x10 || type == 0x12 || type == 0x13) {
        start.kind = end.kind = type == 0x10 ? FillKind::Linear : type == 0x12 ? FillKind::Radial : FillKind::Focal;
        start.matrix = r.matrix();
        end.matrix = r.matrix();
        readMorphGradient(r, start, end);
        if (type == 0x13) {
            start.focal = qBound(-1.0, r.fixed8(), 1.0);
            end.focal = qBound(-1.0, r.fixed8(), 1.0);
        }
    } else if (type >= 0x40 && type <= 0x43) {
        start.kind = end.kind = FillKind::Bitmap;
        start.bitmapId = end.bitmapId = r.u16();
        start.repeat = end.repeat = (type & 1) == 0;
        start.smooth = end.smooth = (type & 2) == 0;
        start.matrix = r.matrix();
        end.matrix = r.matrix();
    } else {
        throw ParseError("unknown morph fill style type");
    }
}

int readCount(BitReader &r)
{
    const int count = r.u8();
    return count == 0xFF ? r.u16() : count;
}

void readMorphStyles(BitReader &r, int version, ShapeLayer &start, ShapeLayer &end)
{
    const int fills = readCount(r);
    for (int i = 0; i < fills; ++i) {
        FillStyle a, b;
        readMorphFill(r, a, b);
        start.fills.push_back(a);
        end.fills.push_back(b);
    }
    const int lines = readCount(r);
    for (int i = 0; i < lines; ++i) {
        LineStyle a;
        a.width = r.u16();
        const double endWidth = r.u16();
        if (version >= 2)
            readLineFlags(r, a);
        LineStyle b = a;
        b.width = endWidth;
        if (a.hasFill) {
            readMorphFill(r, a.fill, b.fill);
            a.color = a.fill.color;
            b.color = b.fill.color;
        } else {
            a.color = r.rgba();
            b.color = r.rgba();
        }
        start.lines.push_back(a);
        end.lines.push_back(b);
    }
}

// The colour `t` of the way from `from` to `to`, each channel rounded down
// as the player's morphs do.
QColor lerpColor(const QColor &from, const QColor &to, double t)
{
    auto mix = [t](int x, int y) { return qBound(0, int(std::floor(x + (y - x) * t + 1e-6)), 255); };
    return QColor(mix(from.red(), to.red()), mix(from.green(), to.green()), mix(from.blue(), to.blue()),
                  mix(from.alpha(), to.alpha()));
}

FillStyle lerpFill(const FillStyle &a, const FillStyle &b, double t)
{
    FillStyle out = a;
    out.color = lerpColor(a.color, b.color, t);
    out.matrix = Matrix::lerp(a.matrix, b.matrix, t);
    out.focal = a.focal + (b.focal - a.focal) * t;
    for (std::size_t i = 0; i < out.stops.size() && i < b.stops.size(); ++i) {
        out.stops[i].ratio = a.stops[i].ratio + (b.stops[i].ratio - a.stops[i].ratio) * t;
        out.stops[i].color = lerpColor(a.stops[i].color, b.stops[i].color, t);
    }
    return out;
}

QPointF lerpPoint(const QPointF &a, const QPointF &b, double t) { return a + (b - a) * t; }

} // namespace

MorphCharacter readDefineMorphShape(BitReader &r, int version, qint64 &edgeBudget)
{
    MorphCharacter morph;
    morph.start.bounds = r.rect();
    morph.end.bounds = r.rect();
    if (version >= 2) {
        r.rect();
        r.rect();
        r.u8();
    }
    const qsizetype endOffset = qsizetype(r.u32());
    const qsizetype endAt = r.pos() + endOffset;
    morph.start.layers.emplace_back();
    morph.end.layers.emplace_back();
    readMorphStyles(r, version, morph.start.layers.back(), morph.end.layers.back());
    try {
        readShapeRecords(r, 3, morph.start, edgeBudget);
        r.skip(endAt - r.pos());
        readShapeRecords(r, 3, morph.end, edgeBudget);
    } catch (const ParseError &) {
        // Draw what could be read; unmatched edges stay at their start.
    }
    morph.start.layers.resize(1);
    morph.end.layers.resize(1);
    return morph;
}

ShapeData interpolateShape(const ShapeData &start, const ShapeData &end, double t)
{
    ShapeData out;
    out.bounds = QRectF(lerpPoint(start.bounds.topLeft(), end.bounds.topLeft(), t),
                        lerpPoint(start.bounds.bottomRight(), end.bounds.bottomRight(), t));
    for (std::size_t l = 0; l < start.layers.size(); ++l) {
        const ShapeLayer &a = start.layers[l];
        const ShapeLayer *b = l < end.layers.size() ? &end.layers[l] : nullptr;
        ShapeLayer layer = a;
        if (b) {
            for (std::size_t i = 0; i < layer.fills.size() && i < b->fills.size(); ++i)
                layer.fills[i] = lerpFill(a.fills[i], b->fills[i], t);
            for (std::size_t i = 0; i < layer.lines.size() && i < b->lines.size(); ++i) {
                LineStyle &line = layer.lines[i];
                line.width = a.lines[i].width + (b->lines[i].width - a.lines[i].width) * t;
                line.color = lerpColor(a.lines[i].color, b->lines[i].color, t);
                line.fill = lerpFill(a.lines[i].fill, b->lines[i].fill, t);
            }
            for (std::size_t i = 0; i < layer.edges.size() && i < b->edges.size(); ++i) {
                Edge &e = layer.edges[i];
                const Edge &other = b->edges[i];
                e.from = lerpPoint(e.from, other.from, t);
                e.control = lerpPoint(e.control, other.control, t);
                e.to = lerpPoint(e.to, other.to, t);
                e.curve = e.curve || other.curve;
            }
        }
        out.layers.push_back(std::move(layer));
    }
    return out;
}

const CompiledShape &MorphCharacter::at(int ratio) const
{
    auto found = byRatio.find(ratio);
    if (found != byRatio.end())
        return found->second;
    if (byRatio.size() >= maxCachedRatios)
        byRatio.clear();
    return byRatio.emplace(ratio, compileShape(interpolateShape(start, end, ratio / 65535.0))).first->second;
}

} // namespace sky::swf
