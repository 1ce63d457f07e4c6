// flash.geom.Transform (Flash 8): a clip's matrix as scripts read and set
// it through `clip.transform.matrix`, in pixels.

#include "activation.h"
#include "builtins.h"

#include "../clipstage.h"

#include <cmath>

namespace sky::swf::avm1 {
namespace {

// Hidden from movies before Flash 8.
constexpr int fromFlash8 = dontEnum | dontDelete | 0x1000;

// The clip a Transform was made for, when it is still on the stage.
StageClip *transformedClip(Vm &vm, CallInfo &c)
{
    if (!c.self.isObject() || !c.self.object->data.isObject())
        return nullptr;
    const int handle = clipOf(c.self.object->data.object);
    return handle ? vm.host()->stageClip(handle) : nullptr;
}

Value transformCall(Vm &, CallInfo &c)
{
    if (c.constructing && c.self.isObject() && c.arg(0).isObject() && clipOf(c.arg(0).object))
        c.self.object->data = c.arg(0);
    return {};
}

Value matrixValue(Vm &vm, const Matrix &m)
{
    return newGeometry(vm, QStringLiteral("Matrix"),
                       {{u"a", m.a}, {u"b", m.b}, {u"c", m.c}, {u"d", m.d}, {u"tx", m.tx / 20}, {u"ty", m.ty / 20}});
}

Value getMatrix(Vm &vm, CallInfo &c)
{
    const StageClip *clip = transformedClip(vm, c);
    return clip ? matrixValue(vm, clip->placement.matrix) : Value();
}

// The matrix from every clip the transformed one lies in, the stage's own
// scale left out.
Value getConcatenatedMatrix(Vm &vm, CallInfo &c)
{
    const StageClip *clip = transformedClip(vm, c);
    if (!clip)
        return {};
    QTransform world;
    for (const StageClip *at = clip; at; at = at->parent)
        world *= at->placement.matrix.toTransform();
    return matrixValue(vm, {world.m11(), world.m12(), world.m21(), world.m22(), world.dx(), world.dy()});
}

// Any object with the six fields; its offsets land on whole twips.
void applyMatrix(Vm &vm, StageClip *clip, const Value &v)
{
    if (!clip || !v.isObject())
        return;
    const auto field = [&](const char16_t *name) {
        const double n = vm.toNumber(vm.get(v.object, QString::fromUtf16(name)));
        return std::isfinite(n) ? n : 0.0;
    };
    clip->placement.matrix = {field(u"a"), field(u"b"), field(u"c"), field(u"d"), std::round(field(u"tx") * 20),
                              std::round(field(u"ty") * 20)};
    clip->readScaleAndRotation();
    clip->scripted = true;
}

Value setMatrix(Vm &vm, CallInfo &c)
{
    applyMatrix(vm, transformedClip(vm, c), c.arg(0));
    return {};
}

Value getTransform(Vm &vm, CallInfo &c)
{
    if (!c.self.isObject() || c.self.object->kind != ObjectKind::Clip)
        return {};
    const Value flash = vm.get(vm.global, QStringLiteral("flash"));
    const Value geom = flash.isObject() ? vm.get(flash.object, QStringLiteral("geom")) : Value();
    const Value args[] = {c.self};
    return vm.construct(geom.isObject() ? vm.get(geom.object, QStringLiteral("Transform")) : Value(), args);
}

// Takes the matrix of another clip's Transform.
Value setTransform(Vm &vm, CallInfo &c)
{
    const Value from = c.arg(0);
    if (from.isObject() && c.self.isObject() && c.self.object->kind == ObjectKind::Clip)
        applyMatrix(vm, vm.host()->stageClip(clipOf(c.self.object)), vm.get(from.object, QStringLiteral("matrix")));
    return {};
}

} // namespace

void installTransform(Vm &vm)
{
    const Value flash = vm.get(vm.global, QStringLiteral("flash"));
    const Value geom = flash.isObject() ? vm.get(flash.object, QStringLiteral("geom")) : Value();
    if (!geom.isObject())
        return;
    Object *proto = vm.newPlain();
    defineClass(vm, QStringLiteral("Transform"), proto, transformCall, nullptr, geom.object);
    defineAccessor(vm, proto, QStringLiteral("matrix"), getMatrix, setMatrix);
    defineAccessor(vm, proto, QStringLiteral("concatenatedMatrix"), getConcatenatedMatrix, nullptr);
    defineAccessor(vm, vm.clipProto, QStringLiteral("transform"), getTransform, setTransform, fromFlash8);
}

} // namespace sky::swf::avm1
