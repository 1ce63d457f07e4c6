#pragma once

#include "activation.h"
#include "decoder.h"

namespace sky::swf::avm1 {

// DefineFunction / DefineFunction2: makes the function, binds or pushes it,
// and returns where the code after its body starts.
int defineFunction(Vm &vm, Activation &act, const ActionHeader &h, ActionData &data);
// The method CallMethod and NewMethod name: undefined means none, as does
// any value whose text is empty; null is the method "null".
QString methodName(Vm &vm, const Value &name);
// CallMethod: no method name calls `object` itself.
Value callMethod(Vm &vm, const Value &object, const Value &name, std::span<const Value> args);
// Try: runs the try, catch and finally blocks that follow the action at
// `next`. A normal end comes back as Normal with `target` the code after
// the blocks.
Completion runTry(Vm &vm, Activation &act, ActionData &data, int next, int end);
// A script run from inside another: the same budget. The Call action's
// frame script shares its caller's stack (`sharesStack`): what it leaves,
// the caller finds.
void runNested(Vm &vm, const std::shared_ptr<const QByteArray> &code, Object *target, bool sharesStack = false);
// Calls a function the movie defined.
Value callScript(Vm &vm, Object *fn, const Value &self, std::span<const Value> args, Object *home);

} // namespace sky::swf::avm1
