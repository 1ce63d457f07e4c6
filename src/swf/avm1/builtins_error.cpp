#include "builtins.h"

namespace sky::swf::avm1 {
namespace {

Value errorConstruct(Vm &vm, CallInfo &c)
{
    Object *error = c.self.isObject() ? c.self.object : vm.newObject(vm.errorProto);
    if (!c.arg(0).isUndefined())
        vm.set(error, QStringLiteral("message"), c.arg(0));
    return error;
}

Value errorToString(Vm &vm, CallInfo &c) { return vm.toString(vm.getMember(c.self, QStringLiteral("message"))); }

} // namespace

void installError(Vm &vm)
{
    vm.errorProto = vm.newPlain();
    defineClass(vm, QStringLiteral("Error"), vm.errorProto, errorConstruct);
    vm.defineHidden(vm.errorProto, QStringLiteral("name"), QStringLiteral("Error"));
    vm.defineHidden(vm.errorProto, QStringLiteral("message"), QStringLiteral("Error"));
    vm.method(vm.errorProto, QStringLiteral("toString"), errorToString);
}

} // namespace sky::swf::avm1
