// flash.display.BitmapData (Flash 8): bitmaps scripts make, fill, copy
// between and show in clips (attachBitmap). A bitmap whose size the player
// refuses, or that no longer fits the pixel budget, is an object without
// pixels: its width and height read -1 and its methods do nothing.

#include "bitmapdata.h"

#include <cmath>

namespace sky::swf::avm1 {
namespace {

// Hidden from movies before Flash 8.
constexpr int fromFlash8 = dontEnum | dontDelete | 0x1000;

Value widthOf(Vm &, CallInfo &c)
{
    BitmapSurface *s = surfaceOf(c.self);
    return s ? Value(s->width()) : Value(-1);
}

Value heightOf(Vm &, CallInfo &c)
{
    BitmapSurface *s = surfaceOf(c.self);
    return s ? Value(s->height()) : Value(-1);
}

Value transparentOf(Vm &, CallInfo &c)
{
    BitmapSurface *s = surfaceOf(c.self);
    return s ? Value(s->transparent()) : Value(-1);
}

Value rectangleOf(Vm &vm, CallInfo &c)
{
    BitmapSurface *s = surfaceOf(c.self);
    if (!s)
        return -1;
    return newGeometry(vm, QStringLiteral("Rectangle"),
                       {{u"x", 0}, {u"y", 0}, {u"width", s->width()}, {u"height", s->height()}});
}

Value ignoreWrite(Vm &, CallInfo &) { return {}; }

// Flash 8 takes sides of 1 to 2880 pixels; Flash 10 movies up to 8191 a
// side and 16777215 pixels in all.
bool validSize(Vm &vm, double width, double height)
{
    if (!(width >= 1) || !(height >= 1))
        return false;
    if (vm.movieVersion() < 10)
        return width <= 2880 && height <= 2880;
    return width <= 8191 && height <= 8191 && width * height <= 16777215;
}

Value bitmapDataCall(Vm &vm, CallInfo &c)
{
    if (!c.constructing || !c.self.isObject())
        return {};
    const double width = std::trunc(vm.toNumber(c.arg(0))), height = std::trunc(vm.toNumber(c.arg(1)));
    const bool transparent = c.args.size() < 3 || vm.toBoolean(c.args[2]);
    const quint32 fill = c.args.size() < 4 ? 0xFFFFFFFF : quint32(vm.toInt32(c.args[3]));
    auto state = std::make_unique<BitmapState>();
    if (validSize(vm, width, height))
        state->surface = BitmapSurface::create(int(width), int(height), transparent, fill);
    c.self.object->state = std::move(state);
    return {};
}

Value getPixel(Vm &vm, CallInfo &c)
{
    BitmapSurface *s = surfaceOf(c.self);
    if (!s)
        return -1;
    return int(s->pixel32(pixelArg(vm, c.arg(0)), pixelArg(vm, c.arg(1))) & 0xFFFFFF);
}

Value getPixel32(Vm &vm, CallInfo &c)
{
    BitmapSurface *s = surfaceOf(c.self);
    if (!s)
        return -1;
    return qint32(s->pixel32(pixelArg(vm, c.arg(0)), pixelArg(vm, c.arg(1))));
}

Value setPixel(Vm &vm, CallInfo &c)
{
    if (BitmapSurface *s = surfaceOf(c.self); s && c.args.size() >= 3)
        s->setPixel(pixelArg(vm, c.args[0]), pixelArg(vm, c.args[1]), quint32(vm.toInt32(c.args[2])));
    return {};
}

Value setPixel32(Vm &vm, CallInfo &c)
{
    if (BitmapSurface *s = surfaceOf(c.self); s && c.args.size() >= 3)
        s->setPixel32(pixelArg(vm, c.args[0]), pixelArg(vm, c.args[1]), quint32(vm.toInt32(c.args[2])));
    return {};
}

Value fillRect(Vm &vm, CallInfo &c)
{
    BitmapSurface *s = surfaceOf(c.self);
    const std::optional<QRect> area = rectArg(vm, c.arg(0));
    if (s && area && c.args.size() >= 2)
        s->fillRect(*area, quint32(vm.toInt32(c.args[1])));
    return {};
}

// What copyPixels and pixelDissolve start with: (source, sourceRect,
// destPoint), all present, on a bitmap with pixels.
struct Transfer {
    BitmapSurface *target = nullptr;
    BitmapSurface *source = nullptr;
    QRect from;
    QPoint to;
};

std::optional<Transfer> transferArgs(Vm &vm, CallInfo &c)
{
    Transfer t{surfaceOf(c.self), surfaceOf(c.arg(0)), {}, {}};
    const std::optional<QRect> from = rectArg(vm, c.arg(1));
    const std::optional<QPoint> to = pointArg(vm, c.arg(2));
    if (!t.target || !t.source || !from || !to)
        return std::nullopt;
    t.from = *from;
    t.to = *to;
    return t;
}

// copyPixels(source, sourceRect, destPoint, alphaBitmap, alphaPoint,
// mergeAlpha); the alpha bitmap's point is its origin when not given.
Value copyPixels(Vm &vm, CallInfo &c)
{
    const std::optional<Transfer> t = transferArgs(vm, c);
    if (!t)
        return {};
    BitmapSurface *alpha = surfaceOf(c.arg(3));
    const QPoint alphaAt = pointArg(vm, c.arg(4)).value_or(QPoint());
    t->target->copyPixels(*t->source, t->from, t->to, alpha, alphaAt, vm.toBoolean(c.arg(5)));
    return {};
}

Value colorTransform(Vm &vm, CallInfo &c)
{
    BitmapSurface *s = surfaceOf(c.self);
    const std::optional<QRect> area = rectArg(vm, c.arg(0));
    if (s && area && c.arg(1).isObject())
        s->colorTransform(*area, pixelTransformArg(vm, c.arg(1).object));
    return {};
}

Value clone(Vm &vm, CallInfo &c)
{
    BitmapSurface *s = surfaceOf(c.self);
    if (!s || !c.self.isObject())
        return {};
    return newBitmapData(vm, c.self.object->proto, s->clone());
}

Value dispose(Vm &, CallInfo &c)
{
    if (BitmapSurface *s = surfaceOf(c.self)) {
        s->dispose();
        static_cast<BitmapState *>(c.self.object->state.get())->surface.reset();
    }
    return {};
}

// pixelDissolve(source, sourceRect, destPoint, randomSeed, numPixels,
// fillColor): the seed to pass next time.
Value pixelDissolve(Vm &vm, CallInfo &c)
{
    const std::optional<Transfer> t = transferArgs(vm, c);
    if (!t)
        return 0;
    const qint32 seed = vm.toInt32(c.arg(3));
    const double count = c.args.size() > 4 ? vm.toNumber(c.args[4]) : double(t->from.width()) * t->from.height() / 30;
    const quint32 fill = quint32(vm.toInt32(c.arg(5)));
    if (!(count >= 0))
        return seed;
    return t->target->pixelDissolve(*t->source, t->from, t->to, seed, qint64(std::min(count, 1e12)), fill);
}

// BitmapData.loadBitmap(exportName): a bitmap of the library's.
Value loadBitmap(Vm &vm, CallInfo &c)
{
    const QImage image = vm.host()->libraryBitmap(vm.toString(c.arg(0)));
    if (image.isNull() || !c.self.isObject())
        return {};
    const Value proto = vm.get(c.self.object, QStringLiteral("prototype"));
    if (!proto.isObject())
        return {};
    auto surface = BitmapSurface::fromImage(image, image.hasAlphaChannel());
    return surface ? newBitmapData(vm, proto.object, std::move(surface)) : Value();
}

// attachBitmap(bitmap, depth, pixelSnapping, smoothing) on a clip.
Value attachBitmap(Vm &vm, CallInfo &c)
{
    if (!c.self.isObject() || c.self.object->kind != ObjectKind::Clip || c.args.size() < 2)
        return {};
    const Value bitmap = c.args[0];
    if (!bitmap.isObject() || !dynamic_cast<BitmapState *>(bitmap.object->state.get()))
        return {};
    const auto &surface = static_cast<BitmapState *>(bitmap.object->state.get())->surface;
    const int depth = vm.toInt32(c.args[1]);
    const bool snapping = c.args.size() < 3 || vm.toString(c.args[2]) != u"never";
    const bool smoothing = vm.toBoolean(c.arg(3));
    if (surface)
        vm.host()->attachBitmap(c.self.object->clip, surface, depth, snapping, smoothing);
    return {};
}

} // namespace

BitmapSurface *surfaceOf(const Value &v)
{
    if (!v.isObject())
        return nullptr;
    auto *state = dynamic_cast<BitmapState *>(v.object->state.get());
    return state && state->surface && !state->surface->image().isNull() ? state->surface.get() : nullptr;
}

Value newBitmapData(Vm &vm, Object *proto, std::shared_ptr<BitmapSurface> surface)
{
    Object *made = vm.newObject(proto);
    auto state = std::make_unique<BitmapState>();
    state->surface = std::move(surface);
    made->state = std::move(state);
    return made;
}

int pixelArg(Vm &vm, const Value &v)
{
    const double n = vm.toNumber(v);
    return std::isfinite(n) ? int(std::clamp(std::trunc(n), -1e8, 1e8)) : 0;
}

// The area of a rectangle object: a negative width or height reaches back
// from x or y.
std::optional<QRect> rectArg(Vm &vm, const Value &v)
{
    if (!v.isObject())
        return std::nullopt;
    const int x = pixelArg(vm, vm.get(v.object, QStringLiteral("x")));
    const int y = pixelArg(vm, vm.get(v.object, QStringLiteral("y")));
    const int w = pixelArg(vm, vm.get(v.object, QStringLiteral("width")));
    const int h = pixelArg(vm, vm.get(v.object, QStringLiteral("height")));
    return QRect(QPoint(std::min(x, x + w), std::min(y, y + h)), QSize(std::abs(w), std::abs(h)));
}

std::optional<QPoint> pointArg(Vm &vm, const Value &v)
{
    if (!v.isObject())
        return std::nullopt;
    return QPoint(pixelArg(vm, vm.get(v.object, QStringLiteral("x"))), pixelArg(vm, vm.get(v.object, QStringLiteral("y"))));
}

PixelTransform pixelTransformArg(Vm &vm, Object *o)
{
    static constexpr const char16_t *names[2][4] = {
        {u"redMultiplier", u"greenMultiplier", u"blueMultiplier", u"alphaMultiplier"},
        {u"redOffset", u"greenOffset", u"blueOffset", u"alphaOffset"}};
    PixelTransform t;
    for (std::size_t i = 0; i < 4; ++i) {
        const double mul = vm.toNumber(vm.get(o, QString::fromUtf16(names[0][i])));
        const double add = vm.toNumber(vm.get(o, QString::fromUtf16(names[1][i])));
        t.mul[i] = std::isfinite(mul) ? mul : 0;
        t.add[i] = std::isfinite(add) ? add : 0;
    }
    return t;
}

void installBitmapData(Vm &vm)
{
    const Value flash = vm.get(vm.global, QStringLiteral("flash"));
    if (!flash.isObject())
        return;
    Object *display = vm.newPlain();
    vm.defineHidden(flash.object, QStringLiteral("display"), display);

    Object *proto = vm.newPlain();
    Object *ctor = defineClass(vm, QStringLiteral("BitmapData"), proto, bitmapDataCall, nullptr, display);
    defineMethods(vm, ctor, {{u"loadBitmap", loadBitmap}});
    defineAccessor(vm, proto, QStringLiteral("width"), widthOf, ignoreWrite);
    defineAccessor(vm, proto, QStringLiteral("height"), heightOf, ignoreWrite);
    defineAccessor(vm, proto, QStringLiteral("transparent"), transparentOf, ignoreWrite);
    defineAccessor(vm, proto, QStringLiteral("rectangle"), rectangleOf, ignoreWrite);
    defineMethods(vm, proto, {{u"getPixel", getPixel},
                              {u"getPixel32", getPixel32},
                              {u"setPixel", setPixel},
                              {u"setPixel32", setPixel32},
                              {u"fillRect", fillRect},
                              {u"copyPixels", copyPixels},
                              {u"colorTransform", colorTransform},
                              {u"clone", clone},
                              {u"dispose", dispose},
                              {u"pixelDissolve", pixelDissolve}});
    installBitmapDrawing(vm, proto);

    Object *attach = vm.newNative(attachBitmap);
    vm.put(vm.clipProto, QStringLiteral("attachBitmap"), attach, fromFlash8);
}

} // namespace sky::swf::avm1
