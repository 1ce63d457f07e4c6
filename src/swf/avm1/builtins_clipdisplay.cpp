// What Flash 8 scripts set of how a clip is drawn: cacheAsBitmap,
// opaqueBackground, scrollRect and blendMode, properties of every
// MovieClip.

#include "builtins.h"

#include "../clipstage.h"

#include <cmath>

namespace sky::swf::avm1 {
namespace {

// Hidden from movies before Flash 8.
constexpr int fromFlash8 = dontEnum | dontDelete | 0x1000;

StageClip *clipOfSelf(Vm &vm, CallInfo &c)
{
    if (!c.self.isObject() || c.self.object->kind != ObjectKind::Clip)
        return nullptr;
    return vm.host()->stageClip(c.self.object->clip);
}

Value getCacheAsBitmap(Vm &vm, CallInfo &c)
{
    const StageClip *clip = clipOfSelf(vm, c);
    return clip ? Value(clip->placement.cached) : Value();
}

Value setCacheAsBitmap(Vm &vm, CallInfo &c)
{
    if (StageClip *clip = clipOfSelf(vm, c))
        clip->placement.cached = vm.toBoolean(c.arg(0));
    return {};
}

// The background colour as a number, undefined when there is none.
Value getOpaqueBackground(Vm &vm, CallInfo &c)
{
    const StageClip *clip = clipOfSelf(vm, c);
    if (!clip || !clip->placement.background.isValid())
        return {};
    return int(clip->placement.background.rgb() & 0xFFFFFF);
}

Value setOpaqueBackground(Vm &vm, CallInfo &c)
{
    StageClip *clip = clipOfSelf(vm, c);
    if (!clip)
        return {};
    const Value v = c.arg(0);
    if (v.isNullish()) {
        clip->placement.background = QColor();
        return {};
    }
    // Always opaque, whatever the number's top byte says.
    const quint32 rgb = quint32(vm.toInt32(v)) & 0xFFFFFF;
    clip->placement.background = QColor(int(rgb >> 16), int(rgb >> 8 & 0xFF), int(rgb & 0xFF));
    return {};
}

Value getScrollRect(Vm &vm, CallInfo &c)
{
    const StageClip *clip = clipOfSelf(vm, c);
    if (!clip || !clip->scrollRect)
        return {};
    const QRectF &r = *clip->scrollRect;
    return newGeometry(vm, QStringLiteral("Rectangle"),
                       {{u"x", r.x()}, {u"y", r.y()}, {u"width", r.width()}, {u"height", r.height()}});
}

// Any object with x, y, width and height sets the rectangle shown; other
// values take it away.
Value setScrollRect(Vm &vm, CallInfo &c)
{
    StageClip *clip = clipOfSelf(vm, c);
    if (!clip)
        return {};
    const Value v = c.arg(0);
    if (!v.isObject()) {
        clip->scrollRect.reset();
        return {};
    }
    const auto field = [&](const char16_t *name) {
        const double n = vm.toNumber(vm.get(v.object, QString::fromUtf16(name)));
        return std::isfinite(n) ? n : 0.0;
    };
    clip->scrollRect = QRectF(field(u"x"), field(u"y"), field(u"width"), field(u"height"));
    return {};
}

// The blend modes by their numbers, 1 to 14.
constexpr const char16_t *blendNames[] = {u"normal",   u"layer", u"multiply", u"screen",  u"lighten",
                                          u"darken",   u"difference", u"add",  u"subtract", u"invert",
                                          u"alpha",    u"erase", u"overlay",  u"hardlight"};
constexpr int blendCount = int(std::size(blendNames));

Value getBlendMode(Vm &vm, CallInfo &c)
{
    const StageClip *clip = clipOfSelf(vm, c);
    if (!clip)
        return {};
    const int blend = clip->placement.blend;
    return QString::fromUtf16(blendNames[blend >= 1 && blend <= blendCount ? blend - 1 : 0]);
}

// A mode's name or its number; anything else leaves the mode as it is.
Value setBlendMode(Vm &vm, CallInfo &c)
{
    StageClip *clip = clipOfSelf(vm, c);
    if (!clip)
        return {};
    const Value v = c.arg(0);
    if (v.isNumber()) {
        const double n = vm.toNumber(v);
        if (n >= 1 && n <= blendCount)
            clip->placement.blend = int(n);
        return {};
    }
    const QString name = vm.toString(v);
    for (int i = 0; i < blendCount; ++i)
        if (name == QStringView(blendNames[i]))
            clip->placement.blend = i + 1;
    return {};
}

} // namespace

void installClipDisplay(Vm &vm)
{
    defineAccessor(vm, vm.clipProto, QStringLiteral("cacheAsBitmap"), getCacheAsBitmap, setCacheAsBitmap, fromFlash8);
    defineAccessor(vm, vm.clipProto, QStringLiteral("opaqueBackground"), getOpaqueBackground, setOpaqueBackground,
                   fromFlash8);
    defineAccessor(vm, vm.clipProto, QStringLiteral("scrollRect"), getScrollRect, setScrollRect, fromFlash8);
    defineAccessor(vm, vm.clipProto, QStringLiteral("blendMode"), getBlendMode, setBlendMode, fromFlash8);
}

} // namespace sky::swf::avm1
