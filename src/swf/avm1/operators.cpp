#include "operators.h"

#include "object.h"
#include "vm.h"

#include <cmath>

namespace sky::swf::avm1 {

Value add2(Vm &vm, const Value &a, const Value &b)
{
    if (a.isNumber() && b.isNumber())
        return a.number + b.number;
    // The right operand, on top of the stack, converts first.
    const Value pb = vm.toPrimitive(b, false);
    const Value pa = vm.toPrimitive(a, false);
    if (pa.isString() || pb.isString())
        return vm.checkedString(vm.toString(pa) + vm.toString(pb));
    return vm.toNumber(pa) + vm.toNumber(pb);
}

Value less2(Vm &vm, const Value &a, const Value &b, bool leftFirst)
{
    // An operand whose valueOf gives an object (a plain object's own
    // valueOf does) makes the comparison false at once, before the other
    // operand is converted. Clips keep no valueOf and compare as NaN.
    const auto plainObject = [](const Value &v) { return v.isObject() && v.object->kind != ObjectKind::Clip; };
    Value pa, pb;
    if (leftFirst) {
        if (plainObject(pa = vm.toPrimitive(a, true)) || plainObject(pb = vm.toPrimitive(b, true)))
            return false;
    } else if (plainObject(pb = vm.toPrimitive(b, true)) || plainObject(pa = vm.toPrimitive(a, true))) {
        return false;
    }
    if (pa.isString() && pb.isString())
        return pa.string < pb.string;
    const double x = vm.toNumber(pa);
    const double y = vm.toNumber(pb);
    if (std::isnan(x) || std::isnan(y))
        return Value();
    return x < y;
}

bool looseEquals(Vm &vm, const Value &a, const Value &b)
{
    if (a.type == b.type) {
        // SWF 5 compares two objects by what their valueOf gives.
        if (a.isObject() && vm.version() <= 5 && a.object != b.object) {
            const Value pa = vm.toPrimitive(a, true);
            const Value pb = vm.toPrimitive(b, true);
            return pa.isObject() && pb.isObject() ? pa.object == pb.object : looseEquals(vm, pa, pb);
        }
        return strictEquals(vm, a, b);
    }
    if (a.isNullish() && b.isNullish())
        return true;
    if (a.isNumber() && b.isString())
        return a.number == vm.toNumber(b);
    if (a.isString() && b.isNumber())
        return vm.toNumber(a) == b.number;
    if (a.isBoolean())
        return looseEquals(vm, Value(a.boolean ? 1.0 : 0.0), b);
    if (b.isBoolean())
        return looseEquals(vm, a, Value(b.boolean ? 1.0 : 0.0));
    // An object meets a primitive (undefined and null too) as what its
    // valueOf gives: an object without one equals undefined.
    if (a.isObject()) {
        const Value p = vm.toPrimitive(a, true);
        return !p.isObject() && looseEquals(vm, p, b);
    }
    if (b.isObject()) {
        const Value p = vm.toPrimitive(b, true);
        return !p.isObject() && looseEquals(vm, a, p);
    }
    return false;
}

namespace {

// Clips are known by their target paths: two references to clips of the
// same path are the same clip.
bool sameClipPath(Vm &vm, Object *a, Object *b)
{
    if (a->kind != ObjectKind::Clip || b->kind != ObjectKind::Clip)
        return false;
    const QString path = vm.host()->clipTarget(vm.liveClip(a)->clip);
    return !path.isEmpty() && path == vm.host()->clipTarget(vm.liveClip(b)->clip);
}

} // namespace

bool strictEquals(Vm &vm, const Value &a, const Value &b)
{
    if (a.type != b.type)
        return false;
    switch (a.type) {
    case Value::Type::Undefined:
    case Value::Type::Null: return true;
    case Value::Type::Boolean: return a.boolean == b.boolean;
    case Value::Type::Number: return a.number == b.number || (std::isnan(a.number) && std::isnan(b.number));
    case Value::Type::String: return a.string == b.string;
    case Value::Type::Object: return a.object == b.object || sameClipPath(vm, a.object, b.object);
    }
    return false;
}

Value divide(Vm &vm, double a, double b)
{
    if (b == 0 && vm.version() <= 4)
        return QStringLiteral("#ERROR#");
    return a / b;
}

} // namespace sky::swf::avm1
