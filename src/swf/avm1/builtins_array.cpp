#include "arrays.h"
#include "arraysort.h"
#include "builtins.h"

#include <cmath>

namespace sky::swf::avm1 {
namespace {

Object *selfArray(CallInfo &c) { return c.self.isObject() ? c.self.object : nullptr; }

// A relative index as slice and splice read it.
int relative(Vm &vm, const Value &v, int length, int missing)
{
    if (v.isUndefined())
        return missing;
    const double n = std::trunc(vm.toNumber(v));
    if (std::isnan(n))
        return 0;
    return int(n < 0 ? qMax(0.0, n + length) : qMin(n, double(qMax(0, length))));
}

std::vector<Value> ownElements(Vm &vm, Object *o, int from, int to)
{
    std::vector<Value> out;
    for (int i = from; i < to; ++i) {
        vm.charge();
        out.push_back(ownElement(vm, o, i));
    }
    return out;
}

Value arrayConstruct(Vm &vm, CallInfo &c)
{
    Object *array = c.constructing && c.self.isObject() ? c.self.object : vm.newArray();
    array->kind = ObjectKind::Array;
    if (c.args.size() == 1 && c.args[0].isNumber()) {
        array->length = vm.toInt32(c.args[0]);
        return array;
    }
    for (const Value &v : c.args)
        vm.arrayPush(array, v);
    return array;
}

Value push(Vm &vm, CallInfo &c)
{
    Object *o = selfArray(c);
    if (!o)
        return {};
    int n = lengthOf(vm, o);
    for (const Value &v : c.args) {
        vm.set(o, QString::number(n), v);
        n = wrapAdd(n, 1);
    }
    setLengthOf(vm, o, n);
    return n;
}

Value pop(Vm &vm, CallInfo &c)
{
    Object *o = selfArray(c);
    const int n = lengthOf(vm, o);
    if (n <= 0)
        return {};
    const Value last = ownElement(vm, o, n - 1);
    deleteElement(vm, o, n - 1);
    setLengthOf(vm, o, n - 1);
    return last;
}

// Each element moves down one place, holes arriving as undefined.
Value shift(Vm &vm, CallInfo &c)
{
    Object *o = selfArray(c);
    const int n = lengthOf(vm, o);
    if (n <= 0)
        return {};
    const Value first = ownElement(vm, o, 0);
    for (int i = 1; i < n; ++i) {
        vm.charge();
        replaceElement(vm, o, i - 1, ownElement(vm, o, i));
    }
    deleteElement(vm, o, n - 1);
    setLengthOf(vm, o, n - 1);
    return first;
}

// The elements move up from the last one down, then the new ones go in.
Value unshift(Vm &vm, CallInfo &c)
{
    Object *o = selfArray(c);
    if (!o)
        return {};
    const int n = qMax(0, lengthOf(vm, o));
    const int k = int(c.args.size());
    for (int i = n - 1; i >= 0; --i) {
        vm.charge();
        replaceElement(vm, o, wrapAdd(i, k), ownElement(vm, o, i));
    }
    for (int i = 0; i < k; ++i)
        replaceElement(vm, o, i, c.args[std::size_t(i)]);
    setLengthOf(vm, o, wrapAdd(n, k));
    return wrapAdd(n, k);
}

Value slice(Vm &vm, CallInfo &c)
{
    Object *o = selfArray(c);
    const int n = lengthOf(vm, o);
    const int from = relative(vm, c.arg(0), n, 0);
    const int to = relative(vm, c.arg(1), n, n);
    return vm.newArray(ownElements(vm, o, from, to));
}

// splice(start, count, items...): no start, an undefined or a negative
// count change nothing and give undefined.
Value splice(Vm &vm, CallInfo &c)
{
    Object *o = selfArray(c);
    if (!o || c.args.empty() || c.args[0].isUndefined())
        return {};
    const int n = qMax(0, lengthOf(vm, o));
    const int from = relative(vm, c.args[0], n, 0);
    int count = n - from;
    if (c.args.size() > 1) {
        if (c.args[1].isUndefined())
            return {};
        const double k = std::trunc(vm.toNumber(c.args[1]));
        if (k < 0)
            return {};
        count = std::isnan(k) ? 0 : int(qMin(k, double(n - from)));
    }
    Object *removed = vm.newArray(ownElements(vm, o, from, from + count));
    std::vector<Value> tail = ownElements(vm, o, from + count, n);
    std::vector<Value> rewritten(c.args.size() > 2 ? c.args.begin() + 2 : c.args.end(), c.args.end());
    const int items = int(rewritten.size());
    if (items != count)
        rewritten.insert(rewritten.end(), tail.begin(), tail.end());
    for (std::size_t i = 0; i < rewritten.size(); ++i)
        replaceElement(vm, o, wrapAdd(from, int(i)), rewritten[i]);
    const int newLength = wrapAdd(n - count, items);
    for (int i = newLength; i < n; ++i)
        deleteElement(vm, o, i);
    setLengthOf(vm, o, newLength);
    return removed;
}

Value concat(Vm &vm, CallInfo &c)
{
    Object *self = selfArray(c);
    Object *out = vm.newArray(ownElements(vm, self, 0, lengthOf(vm, self)));
    for (const Value &v : c.args) {
        if (v.isObject() && v.object->kind == ObjectKind::Array)
            for (const Value &e : ownElements(vm, v.object, 0, v.object->length))
                vm.arrayPush(out, e);
        else
            vm.arrayPush(out, v);
    }
    return out;
}

Value join(Vm &vm, CallInfo &c)
{
    Object *o = selfArray(c);
    const QString sep = c.args.empty() || c.args[0].isUndefined() ? QStringLiteral(",") : vm.toString(c.args[0]);
    QString out;
    const int n = lengthOf(vm, o);
    for (int i = 0; i < n; ++i) {
        vm.charge();
        if (i > 0)
            out += sep;
        const Value v = ownElement(vm, o, i);
        if (!v.isUndefined() || vm.version() <= 6)
            out += vm.toString(v);
        else
            out += QStringLiteral("undefined");
        if (out.size() > vm.limits().stringLength)
            throw ScriptAbort{QStringLiteral("string too long")};
    }
    return out;
}

Value toStringMethod(Vm &vm, CallInfo &c)
{
    CallInfo plain{c.self, {}, c.callee, false};
    return join(vm, plain);
}

// Pairs swap from the outside in; the middle element stays untouched.
Value reverse(Vm &vm, CallInfo &c)
{
    Object *o = selfArray(c);
    if (!o)
        return {};
    const int n = lengthOf(vm, o);
    for (int i = 0; i < n / 2; ++i) {
        vm.charge();
        const int j = n - 1 - i;
        const Value low = ownElement(vm, o, i);
        const Value high = ownElement(vm, o, j);
        replaceElement(vm, o, i, high);
        replaceElement(vm, o, j, low);
    }
    return o;
}

// sort(), sort(flags), sort(compare), sort(compare, flags); flags given
// second win over a number given first. A first argument that is neither
// a function, another object nor a number sorts nothing.
Value sort(Vm &vm, CallInfo &c)
{
    Object *o = selfArray(c);
    if (!o)
        return {};
    Value compare;
    int flags = 0;
    if (!c.args.empty()) {
        const Value &first = c.args[0];
        if (first.isObject() && first.object->isFunction())
            compare = first;
        else if (first.isNumber())
            flags = vm.toInt32(first);
        else if (!first.isObject())
            return {};
        if (c.args.size() > 1 && !c.args[1].isUndefined())
            flags = vm.toInt32(c.args[1]);
    }
    return sortArray(vm, o, compare, {}, {flags});
}

// sortOn(field or [fields], flags or [flags per field]); a list of flags
// of another length than the fields is ignored.
Value sortOn(Vm &vm, CallInfo &c)
{
    Object *o = selfArray(c);
    if (!o || c.args.empty())
        return {};
    std::vector<QString> fields;
    std::vector<int> flags;
    if (c.args[0].isObject() && c.args[0].object->kind == ObjectKind::Array) {
        for (const Value &v : vm.arrayElements(c.args[0].object))
            fields.push_back(vm.toString(v));
    } else {
        fields.push_back(c.args[0].isUndefined() ? QStringLiteral("undefined") : vm.toString(c.args[0]));
    }
    if (fields.empty())
        return o;
    const Value f = c.arg(1);
    if (f.isObject() && f.object->kind == ObjectKind::Array) {
        for (const Value &v : vm.arrayElements(f.object))
            flags.push_back(vm.toInt32(v));
        if (flags.size() != fields.size())
            flags.assign(fields.size(), 0);
    } else {
        flags.assign(fields.size(), vm.toInt32(f));
    }
    return sortArray(vm, o, Value(), fields, flags);
}

} // namespace

void installArray(Vm &vm)
{
    vm.arrayProto = vm.newObject(vm.objectProto);
    Object *ctor = defineClass(vm, QStringLiteral("Array"), vm.arrayProto, arrayConstruct, nullptr);
    defineMethods(vm, vm.arrayProto, {
        {u"push", push},     {u"pop", pop},       {u"shift", shift},   {u"unshift", unshift},
        {u"slice", slice},   {u"splice", splice}, {u"concat", concat}, {u"join", join},
        {u"toString", toStringMethod}, {u"reverse", reverse}, {u"sort", sort}, {u"sortOn", sortOn},
    });
    const int fixed = dontEnum | dontDelete | readOnly;
    vm.put(ctor, QStringLiteral("CASEINSENSITIVE"), int(sortCaseInsensitive), fixed);
    vm.put(ctor, QStringLiteral("DESCENDING"), int(sortDescending), fixed);
    vm.put(ctor, QStringLiteral("UNIQUESORT"), int(sortUnique), fixed);
    vm.put(ctor, QStringLiteral("RETURNINDEXEDARRAY"), int(sortIndexed), fixed);
    vm.put(ctor, QStringLiteral("NUMERIC"), int(sortNumeric), fixed);
}

} // namespace sky::swf::avm1
