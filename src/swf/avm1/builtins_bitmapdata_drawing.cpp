// BitmapData's methods that paint: draw (a clip or another bitmap through a
// matrix and colour transform) and perlinNoise.

#include "../bitmapnoise.h"
#include "bitmapdata.h"

#include <QPainter>

#include <cmath>

namespace sky::swf::avm1 {
namespace {

double field(Vm &vm, Object *o, const char16_t *name, double fallback)
{
    const double n = vm.toNumber(vm.get(o, QString::fromUtf16(name)));
    return std::isfinite(n) ? n : fallback;
}

// A flash.geom.Matrix's fields; the identity for anything else.
QTransform matrixArg(Vm &vm, const Value &v)
{
    if (!v.isObject())
        return {};
    Object *m = v.object;
    return QTransform(field(vm, m, u"a", 1), field(vm, m, u"b", 0), field(vm, m, u"c", 0), field(vm, m, u"d", 1),
                      field(vm, m, u"tx", 0), field(vm, m, u"ty", 0));
}

// draw(source, matrix, colorTransform, blendMode, clipRect, smoothing).
Value draw(Vm &vm, CallInfo &c)
{
    BitmapSurface *s = surfaceOf(c.self);
    const Value source = c.arg(0);
    if (!s || !source.isObject())
        return {};
    const QTransform matrix = matrixArg(vm, c.arg(1));
    PixelTransform color;
    if (c.arg(2).isObject())
        color = pixelTransformArg(vm, c.arg(2).object);
    const std::optional<QRect> clip = rectArg(vm, c.arg(4));
    const bool smoothing = vm.toBoolean(c.arg(5));
    if (BitmapSurface *from = surfaceOf(source)) {
        s->drawImage(from->image(), matrix, color, clip, smoothing);
    } else if (source.object->kind == ObjectKind::Clip) {
        ClipColor clipColor;
        clipColor.mul = color.mul;
        clipColor.add = color.add;
        vm.host()->drawClip(source.object->clip, *s, matrix, clipColor, clip.value_or(s->rect()), smoothing);
    }
    return {};
}

// perlinNoise(baseX, baseY, numOctaves, randomSeed, stitch, fractalNoise,
// channelOptions, grayScale, offsets).
Value perlinNoise(Vm &vm, CallInfo &c)
{
    BitmapSurface *s = surfaceOf(c.self);
    if (!s || c.args.size() < 6)
        return {};
    PerlinNoise noise;
    noise.baseX = vm.toNumber(c.args[0]);
    noise.baseY = vm.toNumber(c.args[1]);
    noise.octaves = vm.toInt32(c.args[2]);
    noise.seed = vm.toInt32(c.args[3]);
    noise.stitch = vm.toBoolean(c.args[4]);
    noise.fractal = vm.toBoolean(c.args[5]);
    noise.channels = c.args.size() > 6 ? vm.toInt32(c.args[6]) : 7;
    noise.grayScale = vm.toBoolean(c.arg(7));
    if (Value offsets = c.arg(8); offsets.isObject() && offsets.object->kind == ObjectKind::Array) {
        const int count = std::min(offsets.object->length, 64);
        for (int i = 0; i < count; ++i) {
            const Value point = vm.arrayElement(offsets.object, i);
            noise.offsets.emplace_back(point.isObject() ? field(vm, point.object, u"x", 0) : 0,
                                       point.isObject() ? field(vm, point.object, u"y", 0) : 0);
        }
    }
    if (!std::isfinite(noise.baseX) || !std::isfinite(noise.baseY))
        return {};
    fillPerlinNoise(*s, noise);
    return {};
}

} // namespace

void installBitmapDrawing(Vm &vm, Object *proto)
{
    defineMethods(vm, proto, {{u"draw", draw}, {u"perlinNoise", perlinNoise}});
}

} // namespace sky::swf::avm1
