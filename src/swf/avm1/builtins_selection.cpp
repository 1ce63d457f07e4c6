// Selection: the keyboard's focus (a text field, button or clip) and the
// selection in the focused text field, for scripts; and
// TextField.replaceSel, which types over that selection.

#include "activation.h"
#include "builtins.h"

#include "../textfield.h"

namespace sky::swf::avm1 {
namespace {

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

// A field, button or clip, or null or undefined to take the focus away.
Value setFocus(Vm &vm, CallInfo &c)
{
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
}

} // namespace sky::swf::avm1
