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
    if (target.isString() && vm.current)
        return clipOf(resolveTarget(vm, *vm.current, target.string));
    return 0;
}

Value colorCall(Vm &vm, CallInfo &c)
{
    if (!c.constructing || !c.self.isObject())
        return {};
    const Value target = c.arg(0);
    c.self.object->data = target.isObject() ? target : Value(vm.toString(target));
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
    int rgb = 0;
    for (int i = 0; i < 3; ++i)
        rgb = (rgb << 8) | (int(color.add[std::size_t(i)]) & 0xff);
    return rgb;
}

Value setTransform(Vm &vm, CallInfo &c)
{
    const int clip = targetClip(vm, c);
    const Value t = c.arg(0);
    if (!clip || !t.isObject())
        return {};
    ClipColor color = vm.host()->clipColor(clip);
    for (const TransformField &f : transformFields) {
        const QString name = QString::fromUtf16(f.name);
        if (!vm.has(t.object, name))
            continue;
        const double v = vm.toNumber(vm.get(t.object, name));
        if (f.offset)
            color.add[std::size_t(f.channel)] = v;
        else
            color.mul[std::size_t(f.channel)] = v / 100;
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
