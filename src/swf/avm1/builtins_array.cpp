#include "arraysort.h"
#include "builtins.h"

#include <cmath>

namespace sky::swf::avm1 {
namespace {

Object *selfArray(CallInfo &c) { return c.self.isObject() ? c.self.object : nullptr; }

int lengthOf(Vm &vm, Object *o)
{
    if (!o)
        return 0;
    if (o->kind == ObjectKind::Array)
        return o->length;
    return qMax(0, vm.toInt32(vm.get(o, QStringLiteral("length"))));
}

void setLength(Vm &vm, Object *o, int n)
{
    if (o->kind == ObjectKind::Array)
        vm.setArrayLength(o, n);
    else
        vm.set(o, QStringLiteral("length"), n);
}

void setElement(Vm &vm, Object *o, int i, const Value &v) { vm.set(o, QString::number(i), v); }

void replaceAll(Vm &vm, Object *o, const std::vector<Value> &elements)
{
    setLength(vm, o, 0);
    for (std::size_t i = 0; i < elements.size(); ++i)
        setElement(vm, o, int(i), elements[i]);
    setLength(vm, o, int(elements.size()));
}

// A relative index as slice and splice read it.
int relative(Vm &vm, const Value &v, int length, int missing)
{
    if (v.isUndefined())
        return missing;
    const double n = std::trunc(vm.toNumber(v));
    if (std::isnan(n))
        return 0;
    return int(n < 0 ? qMax(0.0, n + length) : qMin(n, double(length)));
}

Value arrayConstruct(Vm &vm, CallInfo &c)
{
    Object *array = c.constructing && c.self.isObject() ? c.self.object : vm.newArray();
    array->kind = ObjectKind::Array;
    if (c.args.size() == 1 && c.args[0].isNumber()) {
        const double n = c.args[0].number;
        if (n >= 0 && n < 1e7 && n == std::trunc(n))
            array->length = int(n);
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
    for (const Value &v : c.args)
        setElement(vm, o, n++, v);
    setLength(vm, o, n);
    return n;
}

Value pop(Vm &vm, CallInfo &c)
{
    Object *o = selfArray(c);
    const int n = lengthOf(vm, o);
    if (n == 0)
        return {};
    const Value last = vm.get(o, QString::number(n - 1));
    setLength(vm, o, n - 1);
    return last;
}

Value shift(Vm &vm, CallInfo &c)
{
    Object *o = selfArray(c);
    if (!o || lengthOf(vm, o) == 0)
        return {};
    std::vector<Value> all = vm.arrayElements(o);
    const Value first = all.front();
    all.erase(all.begin());
    replaceAll(vm, o, all);
    return first;
}

Value unshift(Vm &vm, CallInfo &c)
{
    Object *o = selfArray(c);
    if (!o)
        return {};
    std::vector<Value> all(c.args.begin(), c.args.end());
    const std::vector<Value> old = vm.arrayElements(o);
    all.insert(all.end(), old.begin(), old.end());
    replaceAll(vm, o, all);
    return int(all.size());
}

Value slice(Vm &vm, CallInfo &c)
{
    Object *o = selfArray(c);
    const int n = lengthOf(vm, o);
    const int from = relative(vm, c.arg(0), n, 0);
    const int to = relative(vm, c.arg(1), n, n);
    Object *out = vm.newArray();
    for (int i = from; i < to; ++i)
        vm.arrayPush(out, vm.get(o, QString::number(i)));
    return out;
}

Value splice(Vm &vm, CallInfo &c)
{
    Object *o = selfArray(c);
    if (!o || c.args.empty() || c.args[0].isUndefined())
        return {};
    std::vector<Value> all = vm.arrayElements(o);
    const int n = int(all.size());
    const int from = relative(vm, c.arg(0), n, 0);
    int count = n - from;
    if (c.args.size() > 1) {
        const double k = std::trunc(vm.toNumber(c.args[1]));
        count = std::isnan(k) || k < 0 ? 0 : int(qMin(k, double(n - from)));
    }
    Object *removed = vm.newArray(std::vector<Value>(all.begin() + from, all.begin() + from + count));
    all.erase(all.begin() + from, all.begin() + from + count);
    if (c.args.size() > 2)
        all.insert(all.begin() + from, c.args.begin() + 2, c.args.end());
    replaceAll(vm, o, all);
    return removed;
}

Value concat(Vm &vm, CallInfo &c)
{
    Object *out = vm.newArray(vm.arrayElements(selfArray(c)));
    for (const Value &v : c.args) {
        if (v.isObject() && v.object->kind == ObjectKind::Array)
            for (const Value &e : vm.arrayElements(v.object))
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
        const Value v = vm.get(o, QString::number(i));
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

Value reverse(Vm &vm, CallInfo &c)
{
    Object *o = selfArray(c);
    if (!o)
        return {};
    std::vector<Value> all = vm.arrayElements(o);
    std::reverse(all.begin(), all.end());
    replaceAll(vm, o, all);
    return o;
}

Value sort(Vm &vm, CallInfo &c)
{
    Object *o = selfArray(c);
    if (!o)
        return {};
    // sort(compare, flags) or sort(flags); anything else sorts nothing.
    Value compare;
    int flags = 0;
    if (!c.args.empty()) {
        const Value &first = c.args[0];
        if (first.isObject() && first.object->isFunction()) {
            compare = first;
            if (c.args.size() > 1)
                flags = vm.toInt32(c.args[1]);
        } else if (first.isNumber()) {
            flags = vm.toInt32(first);
        } else {
            return {};
        }
    }
    return sortArray(vm, o, compare, {}, {flags});
}

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
        fields.push_back(vm.toString(c.args[0]));
    }
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
