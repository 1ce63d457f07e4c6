#include "builtins.h"

namespace sky::swf::avm1 {
namespace {

// The function runs on its first argument as an object: a primitive boxed,
// and the global object for undefined, null or what cannot be boxed.
Value selfFrom(Vm &vm, const Value &v)
{
    Object *o = vm.toObject(v);
    return o ? o : vm.global;
}

Value functionCall(Vm &vm, CallInfo &c)
{
    const std::span<const Value> rest = c.args.empty() ? c.args : c.args.subspan(1);
    return vm.call(c.self, selfFrom(vm, c.arg(0)), rest);
}

Value functionApply(Vm &vm, CallInfo &c)
{
    const Value self = selfFrom(vm, c.arg(0));
    std::vector<Value> args;
    if (c.arg(1).isObject())
        args = vm.arrayElements(c.arg(1).object);
    return vm.call(c.self, self, args);
}

// Function(x) hands back x; Function() makes an object without prototype.
Value functionConstruct(Vm &vm, CallInfo &c) { return c.args.empty() ? Value(vm.newObject(nullptr)) : c.args[0]; }

} // namespace

void installFunction(Vm &vm)
{
    Object *proto = vm.functionProto;
    defineClass(vm, QStringLiteral("Function"), proto, functionConstruct, functionConstruct);
    vm.method(proto, QStringLiteral("call"), functionCall);
    vm.method(proto, QStringLiteral("apply"), functionApply);
}

} // namespace sky::swf::avm1
