// Color: reads and sets the colour transform of the clip it was made for
// (a clip or a target path, found again at every call).

#include "activation.h"
#include "builtins.h"

namespace sky::swf::avm1 {
namespace {

// The transform's fields as getTransform and setTransform name them:
// multipliers in percent, offsets as they are.
struct TransformField {
    const char16_t *name;
    int channel;
    bool offset;
};
constexpr TransformField transformFields[] = {
    {u"ra", 0, false}, {u"rb", 0, true}, {u"ga", 1, false}, {u"gb", 1, true},
    {u"ba", 2, false}, {u"bb", 2, true}, {u"aa", 3, false}, {u"ab", 3, true},
};

int targetClip(Vm &vm, CallInfo &c)
{
    if (!c.self.isObject())
        return 0;
    const Value &target = c.self.object->data;
    if (target.isObject())
        return clipOf(target.object);
    // An empty path names no clip here, not the calling one.
    if (target.isString() && !target.string.isEmpty() && vm.current)
        return clipOf(resolveTarget(vm, *vm.current, target.string));
    return 0;
}

Value colorCall(Vm &vm, CallInfo &c)
{
    if (!c.constructing || !c.self.isObject())
        return {};
    const Value target = c.arg(0);
    c.self.object->data = target.isObject() ? target : Value(vm.toString(target));
    vm.defineHidden(c.self.object, QStringLiteral("target"), target);
    return c.self;
}

Value setRGB(Vm &vm, CallInfo &c)
{
    const int clip = targetClip(vm, c);
    if (!clip)
        return {};
    const quint32 rgb = quint32(vm.toInt32(c.arg(0)));
    ClipColor color = vm.host()->clipColor(clip);
    for (int i = 0; i < 3; ++i) {
        color.mul[std::size_t(i)] = 0;
        color.add[std::size_t(i)] = double((rgb >> (16 - 8 * i)) & 0xff);
    }
    vm.host()->setClipColor(clip, color);
    return {};
}

Value getRGB(Vm &vm, CallInfo &c)
{
    const int clip = targetClip(vm, c);
    if (!clip)
        return {};
    const ClipColor color = vm.host()->clipColor(clip);
    // The offsets as they are, not cut to a byte: negative ones spill into
    // the bits above them.
    const auto offset = [&color](int i) { return quint32(qint32(color.add[std::size_t(i)])); };
    return qint32((offset(0) << 16) | (offset(1) << 8) | offset(2));
}

Value setTransform(Vm &vm, CallInfo &c)
{
    const int clip = targetClip(vm, c);
    const Value t = c.arg(0);
    if (!clip || !t.isObject())
        return {};
    // A clip keeps its transform as a placing tag does: multipliers in 8.8
    // and offsets as 16-bit whole numbers, wrapping round when too large;
    // what is no finite number counts as 0. Only the object's own fields
    // count, not those it inherits.
    const auto fixed16 = [&vm](double v) { return double(qint16(vm.toInt32(Value(v)))); };
    ClipColor color = vm.host()->clipColor(clip);
    for (const TransformField &f : transformFields) {
        const QString name = QString::fromUtf16(f.name);
        Object *holder = nullptr;
        if (!vm.lookup(t.object, name, &holder) || holder != t.object)
            continue;
        const double v = vm.toNumber(vm.get(t.object, name));
        if (f.offset)
            color.add[std::size_t(f.channel)] = fixed16(v);
        else
            color.mul[std::size_t(f.channel)] = fixed16(v * 256 / 100) / 256;
    }
    vm.host()->setClipColor(clip, color);
    return {};
}

Value getTransform(Vm &vm, CallInfo &c)
{
    const int clip = targetClip(vm, c);
    if (!clip)
        return {};
    const ClipColor color = vm.host()->clipColor(clip);
    Object *out = vm.newPlain();
    for (const TransformField &f : transformFields) {
        const auto channel = std::size_t(f.channel);
        vm.set(out, QString::fromUtf16(f.name), f.offset ? color.add[channel] : color.mul[channel] * 100);
    }
    return out;
}

} // namespace

void installColor(Vm &vm)
{
    Object *proto = vm.newPlain();
    defineClass(vm, QStringLiteral("Color"), proto, colorCall);
    defineMethods(vm, proto, {{u"setRGB", setRGB}, {u"getRGB", getRGB},
                              {u"setTransform", setTransform}, {u"getTransform", getTransform}});
}

} // namespace sky::swf::avm1
