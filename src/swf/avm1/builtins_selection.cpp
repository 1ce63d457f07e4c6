// Selection: the keyboard's focus (a text field, button or clip) and the
// selection in the focused text field, for scripts; and
// TextField.replaceSel, which types over that selection.

#include "activation.h"
#include "builtins.h"

#include "../clipstage.h"
#include "../textfield.h"

#include <limits>

namespace sky::swf::avm1 {
namespace {

// tabIndex, on the prototypes of text fields (`data` 1), buttons and clips
// (0). It is kept as a 32-bit number, -1 or undefined meaning none; a
// field's reads back unsigned and takes any value as a number, while a
// button or clip takes what is neither number nor boolean as the lowest.
StageClip *tabIndexHolder(Vm &vm, const CallInfo &c)
{
    return c.self.isObject() ? vm.host()->stageClip(clipOf(c.self.object)) : nullptr;
}

Value getTabIndex(Vm &vm, CallInfo &c)
{
    const StageClip *clip = tabIndexHolder(vm, c);
    if (!clip || !clip->tabIndex)
        return {};
    const bool field = c.callee->data.number != 0;
    return field ? double(quint32(*clip->tabIndex)) : double(*clip->tabIndex);
}

Value setTabIndex(Vm &vm, CallInfo &c)
{
    const Value v = c.arg(0);
    const bool field = c.callee->data.number != 0;
    std::optional<qint32> index;
    if (!v.isNullish())
        index = field || v.isNumber() || v.isBoolean() ? vm.toInt32(v) : std::numeric_limits<qint32>::min();
    // Read after the number: a valueOf may have removed the clip.
    if (StageClip *clip = tabIndexHolder(vm, c))
        clip->tabIndex = index == -1 ? std::nullopt : index;
    return {};
}

void defineTabIndex(Vm &vm, Object *proto, int flags, bool field)
{
    const QString name = QStringLiteral("tabIndex");
    Property &p = proto->add(vm.key(name), name, Value(), flags);
    p.getter = vm.newNative(getTabIndex);
    p.getter->data = int(field);
    p.setter = vm.newNative(setTabIndex);
    p.setter->data = int(field);
}

// The field, button or clip a value names: its object or its target path.
int objectNamed(Vm &vm, const Value &v)
{
    if (v.isObject())
        return clipOf(v.object);
    if (v.isString() && vm.current)
        return clipOf(resolveTarget(vm, *vm.current, v.string));
    return 0;
}

Value getFocus(Vm &vm, CallInfo &)
{
    const int focused = vm.host()->focusedObject();
    return focused ? Value(vm.host()->clipTarget(focused)) : Value::null();
}

// A field, button or clip, or null or undefined to take the focus away;
// nothing at all does nothing.
Value setFocus(Vm &vm, CallInfo &c)
{
    if (c.args.empty())
        return false;
    const Value v = c.arg(0);
    if (v.isNullish())
        return vm.host()->setFocus(0);
    const int named = objectNamed(vm, v);
    return named && vm.host()->setFocus(named);
}

Value getBeginIndex(Vm &vm, CallInfo &)
{
    const auto [begin, end] = vm.host()->fieldSelection();
    return qMin(begin, end);
}

Value getEndIndex(Vm &vm, CallInfo &)
{
    const auto [begin, end] = vm.host()->fieldSelection();
    return qMax(begin, end);
}

Value getCaretIndex(Vm &vm, CallInfo &) { return vm.host()->fieldSelection().second; }

Value setSelection(Vm &vm, CallInfo &c)
{
    vm.host()->setFieldSelection(vm.toInt32(c.arg(0)), vm.toInt32(c.arg(1)));
    return {};
}

// The text replaces what is selected in the field, when it has the focus;
// the caret goes after it.
Value replaceSel(Vm &vm, CallInfo &c)
{
    const int field = c.self.isObject() ? clipOf(c.self.object) : 0;
    if (!field || field != vm.host()->focusedField() || c.args.empty())
        return {};
    const auto [begin, end] = vm.host()->fieldSelection();
    const QString with = vm.toString(c.args[0]);
    vm.host()->textField(field)->replace(qMin(begin, end), qMax(begin, end), with);
    const int caret = qMin(begin, end) + int(with.size());
    vm.host()->setFieldSelection(caret, caret);
    vm.host()->textFieldChanged(field, true);
    return {};
}

} // namespace

void installSelection(Vm &vm)
{
    Object *selection = newBroadcaster(vm, QStringLiteral("Selection"));
    defineMethods(vm, selection, {{u"getFocus", getFocus},
                                  {u"setFocus", setFocus},
                                  {u"getBeginIndex", getBeginIndex},
                                  {u"getEndIndex", getEndIndex},
                                  {u"getCaretIndex", getCaretIndex},
                                  {u"setSelection", setSelection}});
    vm.method(vm.textFieldProto, QStringLiteral("replaceSel"), replaceSel);
    // A button's and a clip's are not there for SWF 5 movies.
    constexpr int fromSwf6 = 0x80;
    defineTabIndex(vm, vm.textFieldProto, 0, true);
    defineTabIndex(vm, vm.buttonProto, fromSwf6, false);
    defineTabIndex(vm, vm.clipProto, dontEnum | fromSwf6, false);
}

} // namespace sky::swf::avm1
