#include "activation.h"
#include "calls.h"
#include "vm.h"

#include <QRegularExpression>

#include <cmath>
#include <limits>

namespace sky::swf::avm1 {
namespace {

// A frame given as a value: numbers that are whole, and text that spells a
// whole number, are frame numbers; other text names a label. The target
// may be named first, "path:frame".
struct FrameRef {
    Object *target = nullptr;
    bool isNumber = false;
    double number = 0;
    QString label;
};

FrameRef frameRef(Vm &vm, Activation *act, Object *target, const Value &frame)
{
    FrameRef ref;
    ref.target = target;
    if (frame.isNumber() && std::trunc(frame.number) == frame.number) {
        ref.isNumber = true;
        ref.number = frame.number;
        return ref;
    }
    QString text = vm.toString(frame);
    const qsizetype colon = text.lastIndexOf(u':');
    if (colon >= 0 && act) {
        ref.target = resolveTarget(vm, *act, text.left(colon));
        text = text.mid(colon + 1);
    }
    static const QRegularExpression whole(QStringLiteral("^[-+]?[0-9]+$"));
    if (whole.match(text).hasMatch()) {
        ref.isNumber = true;
        ref.number = text.toDouble();
    } else {
        ref.label = text;
    }
    return ref;
}

// Frame numbers wrap like 32-bit integers; frame 0 and below go nowhere.
int frameNumber(Vm &vm, double number)
{
    const qint32 index = qint32(quint32(vm.toInt32(number)) - 1u);
    if (index < 0)
        return 0;
    return index == std::numeric_limits<qint32>::max() ? index : index + 1;
}

} // namespace

int clipOf(Object *o) { return o && o->kind == ObjectKind::Clip ? o->clip : 0; }

void gotoFrameValue(Vm &vm, Activation *act, Object *target, const Value &frame, bool play, int bias)
{
    const FrameRef ref = frameRef(vm, act, target, frame);
    const int clip = clipOf(ref.target);
    if (!clip)
        return;
    if (!ref.isNumber) {
        // A scene's bias counts from the frame the label names.
        if (!bias)
            vm.host()->gotoLabel(clip, ref.label, play);
        else if (const int labelled = vm.host()->frameOfLabel(clip, ref.label))
            vm.host()->gotoFrame(clip, frameNumber(vm, double(labelled) + bias), play);
        return;
    }
    if (const int n = frameNumber(vm, ref.number + bias))
        vm.host()->gotoFrame(clip, n, play);
}

bool frameLoaded(Vm &vm, Activation *act, const Value &frame)
{
    constexpr int maxFrames = 16001;
    const FrameRef ref = frameRef(vm, act, act ? timelineTarget(vm, *act) : nullptr, frame);
    return !ref.isNumber || frameNumber(vm, ref.number) <= maxFrames;
}

void callFrame(Vm &vm, Activation &act, const Value &frame)
{
    const FrameRef ref = frameRef(vm, &act, timelineTarget(vm, act), frame);
    const int clip = clipOf(ref.target);
    const int n = ref.isNumber ? frameNumber(vm, ref.number) : vm.host()->frameOfLabel(clip, ref.label);
    if (n <= 0 || !clip)
        return;
    for (const auto &code : vm.host()->frameScripts(clip, n))
        runNested(vm, code, ref.target, true);
}

} // namespace sky::swf::avm1
