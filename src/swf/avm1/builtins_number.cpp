#include "builtins.h"
#include "numberformat.h"

#include <cmath>
#include <limits>

namespace sky::swf::avm1 {
namespace {

// The primitive inside `this` when it is a boxed value of `type`.
Value unboxed(const Value &self, Value::Type type)
{
    if (self.type == type)
        return self;
    if (self.isObject() && self.object->kind == ObjectKind::Boxed && self.object->primitive.type == type)
        return self.object->primitive;
    return {};
}

Value box(Vm &vm, CallInfo &c, const Value &primitive)
{
    if (!c.constructing)
        return primitive;
    Object *o = c.self.isObject() ? c.self.object : vm.toObject(primitive);
    o->kind = ObjectKind::Boxed;
    o->primitive = primitive;
    return o;
}

Value numberCall(Vm &vm, CallInfo &c) { return box(vm, c, c.args.empty() ? 0.0 : vm.toNumber(c.args[0])); }
// Boolean() called with nothing gives undefined; `new Boolean()` is false.
Value booleanCall(Vm &vm, CallInfo &c)
{
    if (c.args.empty() && !c.constructing)
        return {};
    return box(vm, c, c.args.empty() ? false : vm.toBoolean(c.args[0]));
}

Value numberToStringMethod(Vm &vm, CallInfo &c)
{
    const Value n = unboxed(c.self, Value::Type::Number);
    if (!n.isNumber())
        return QStringLiteral("[object Object]");
    const int radix = c.args.empty() ? 10 : vm.toInt32(c.args[0]);
    if (radix == 10 || radix < 2 || radix > 36)
        return numberToString(n.number);
    return numberToRadixString(n.number, radix);
}

Value numberValueOf(Vm &, CallInfo &c) { return unboxed(c.self, Value::Type::Number); }

Value booleanToString(Vm &vm, CallInfo &c)
{
    const Value b = unboxed(c.self, Value::Type::Boolean);
    return b.isBoolean() ? vm.toString(b) : Value();
}

Value booleanValueOf(Vm &, CallInfo &c) { return unboxed(c.self, Value::Type::Boolean); }

} // namespace

void installNumberAndBoolean(Vm &vm)
{
    vm.numberProto = vm.newPlain();
    Object *number = defineClass(vm, QStringLiteral("Number"), vm.numberProto, numberCall, nullptr);
    vm.method(vm.numberProto, QStringLiteral("toString"), numberToStringMethod);
    vm.method(vm.numberProto, QStringLiteral("valueOf"), numberValueOf);
    const int fixed = dontEnum | dontDelete | readOnly;
    vm.put(number, QStringLiteral("MAX_VALUE"), std::numeric_limits<double>::max(), fixed);
    vm.put(number, QStringLiteral("MIN_VALUE"), std::numeric_limits<double>::denorm_min(), fixed);
    vm.put(number, QStringLiteral("NaN"), std::nan(""), fixed);
    vm.put(number, QStringLiteral("NEGATIVE_INFINITY"), -INFINITY, fixed);
    vm.put(number, QStringLiteral("POSITIVE_INFINITY"), INFINITY, fixed);

    vm.booleanProto = vm.newPlain();
    defineClass(vm, QStringLiteral("Boolean"), vm.booleanProto, booleanCall, nullptr);
    vm.method(vm.booleanProto, QStringLiteral("toString"), booleanToString);
    vm.method(vm.booleanProto, QStringLiteral("valueOf"), booleanValueOf);
}

} // namespace sky::swf::avm1
