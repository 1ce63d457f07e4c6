#include "builtins.h"

#include <cmath>

namespace sky::swf::avm1 {
namespace {

QString selfText(Vm &vm, CallInfo &c)
{
    if (c.self.isObject() && c.self.object->kind == ObjectKind::Boxed && c.self.object->primitive.isString())
        return c.self.object->primitive.string;
    return vm.toString(c.self);
}

// An index argument as the string methods read it: missing or NaN as 0.
double indexArg(Vm &vm, CallInfo &c, std::size_t i, double missing = 0)
{
    if (c.args.size() <= i || c.args[i].isUndefined())
        return missing;
    const double n = vm.toNumber(c.args[i]);
    return std::isnan(n) ? 0 : std::trunc(n);
}

qsizetype clampIndex(double i, qsizetype size) { return qsizetype(qBound(0.0, i, double(size))); }

Value stringCall(Vm &vm, CallInfo &c)
{
    const QString s = c.args.empty() ? QString() : vm.toString(c.args[0]);
    if (!c.constructing || !c.self.isObject())
        return s;
    Object *o = c.self.object;
    o->kind = ObjectKind::Boxed;
    o->primitive = s;
    vm.put(o, QStringLiteral("length"), int(s.size()), dontEnum | dontDelete);
    return o;
}

Value stringToStringMethod(Vm &vm, CallInfo &c) { return selfText(vm, c); }

Value charAt(Vm &vm, CallInfo &c)
{
    const QString s = selfText(vm, c);
    const double i = indexArg(vm, c, 0);
    return i >= 0 && i < s.size() ? QString(s[qsizetype(i)]) : QString();
}

Value charCodeAt(Vm &vm, CallInfo &c)
{
    const QString s = selfText(vm, c);
    const double i = indexArg(vm, c, 0);
    return i >= 0 && i < s.size() ? Value(int(s[qsizetype(i)].unicode())) : Value(std::nan(""));
}

Value concat(Vm &vm, CallInfo &c)
{
    QString s = selfText(vm, c);
    for (const Value &v : c.args)
        s += vm.toString(v);
    return vm.checkedString(s);
}

Value indexOf(Vm &vm, CallInfo &c)
{
    const QString s = selfText(vm, c);
    if (c.args.empty())
        return -1;
    const qsizetype from = clampIndex(indexArg(vm, c, 1), s.size());
    return int(s.indexOf(vm.toString(c.args[0]), from));
}

Value lastIndexOf(Vm &vm, CallInfo &c)
{
    const QString s = selfText(vm, c);
    if (c.args.empty())
        return -1;
    const double from = indexArg(vm, c, 1, double(s.size()));
    if (from < 0)
        return -1;
    return int(s.lastIndexOf(vm.toString(c.args[0]), clampIndex(from, s.size())));
}

Value slice(Vm &vm, CallInfo &c)
{
    const QString s = selfText(vm, c);
    const auto size = double(s.size());
    double a = indexArg(vm, c, 0);
    double b = indexArg(vm, c, 1, size);
    if (a < 0)
        a += size;
    if (b < 0)
        b += size;
    const qsizetype from = clampIndex(a, s.size()), to = clampIndex(b, s.size());
    return to > from ? s.mid(from, to - from) : QString();
}

Value substr(Vm &vm, CallInfo &c)
{
    const QString s = selfText(vm, c);
    const auto size = double(s.size());
    double a = indexArg(vm, c, 0);
    if (a < 0)
        a = qMax(0.0, a + size);
    const qsizetype from = clampIndex(a, s.size());
    double n = indexArg(vm, c, 1, size);
    if (n < 0)
        n = qMax(0.0, n + size);
    return s.mid(from, clampIndex(n, s.size() - from));
}

Value substring(Vm &vm, CallInfo &c)
{
    const QString s = selfText(vm, c);
    qsizetype a = clampIndex(indexArg(vm, c, 0), s.size());
    qsizetype b = clampIndex(indexArg(vm, c, 1, double(s.size())), s.size());
    if (a > b)
        std::swap(a, b);
    return s.mid(a, b - a);
}

Value split(Vm &vm, CallInfo &c)
{
    const QString s = selfText(vm, c);
    Object *array = vm.newArray();
    const double limit = c.args.size() > 1 && !c.args[1].isUndefined() ? vm.toNumber(c.args[1]) : 1e300;
    if (c.args.empty() || c.args[0].isUndefined()) {
        vm.arrayPush(array, s);
        return array;
    }
    const QString sep = vm.toString(c.args[0]);
    QStringList parts;
    if (sep.isEmpty()) {
        for (QChar ch : s)
            parts << QString(ch);
    } else {
        if (s.isEmpty() && vm.version() <= 5)
            return array;
        parts = s.split(sep);
    }
    for (const QString &p : parts) {
        if (array->length >= limit)
            break;
        vm.charge();
        vm.arrayPush(array, p);
    }
    return array;
}

Value toLower(Vm &vm, CallInfo &c) { return selfText(vm, c).toLower(); }
Value toUpper(Vm &vm, CallInfo &c) { return selfText(vm, c).toUpper(); }

Value fromCharCode(Vm &vm, CallInfo &c)
{
    QString s;
    for (const Value &v : c.args)
        s += QChar(char16_t(quint16(vm.toInt32(v))));
    return s;
}

} // namespace

void installString(Vm &vm)
{
    vm.stringProto = vm.newPlain();
    Object *ctor = defineClass(vm, QStringLiteral("String"), vm.stringProto, stringCall, nullptr);
    vm.method(ctor, QStringLiteral("fromCharCode"), fromCharCode);
    defineMethods(vm, vm.stringProto, {
        {u"toString", stringToStringMethod}, {u"valueOf", stringToStringMethod}, {u"charAt", charAt},
        {u"charCodeAt", charCodeAt},         {u"concat", concat},                {u"indexOf", indexOf},
        {u"lastIndexOf", lastIndexOf},       {u"slice", slice},                  {u"substr", substr},
        {u"substring", substring},           {u"split", split},                  {u"toLowerCase", toLower},
        {u"toUpperCase", toUpper},
    });
}

} // namespace sky::swf::avm1
