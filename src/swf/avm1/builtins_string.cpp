#include "builtins.h"
#include "textcase.h"

#include <cmath>

namespace sky::swf::avm1 {
namespace {

QString selfText(Vm &vm, CallInfo &c)
{
    if (c.self.isObject() && c.self.object->kind == ObjectKind::Boxed && c.self.object->primitive.isString())
        return c.self.object->primitive.string;
    return vm.toString(c.self);
}

// Positions and counts are the player's 32-bit ints: NaN is 0 and larger
// numbers wrap.
qint32 intArg(Vm &vm, CallInfo &c, std::size_t i) { return vm.toInt32(c.arg(i)); }

// An optional end or count: missing or undefined stands for `fallback`.
qint32 optionalArg(Vm &vm, CallInfo &c, std::size_t i, qint32 fallback)
{
    return c.arg(i).isUndefined() ? fallback : vm.toInt32(c.args[i]);
}

qsizetype clampIndex(qint64 i, qsizetype size) { return qsizetype(qBound<qint64>(0, i, size)); }

Value stringCall(Vm &vm, CallInfo &c)
{
    const QString s = c.args.empty() ? QString() : vm.toString(c.args[0]);
    if (!c.constructing || !c.self.isObject())
        return s;
    Object *o = c.self.object;
    o->kind = ObjectKind::Boxed;
    o->primitive = s;
    vm.put(o, QStringLiteral("length"), int(s.size()), dontEnum | dontDelete); // scripts may overwrite it
    return o;
}

Value stringToStringMethod(Vm &vm, CallInfo &c) { return selfText(vm, c); }

Value charAt(Vm &vm, CallInfo &c)
{
    const QString s = selfText(vm, c);
    const qint32 i = intArg(vm, c, 0);
    return i >= 0 && i < s.size() ? QString(s[i]) : QString();
}

// Past the end, SWF 5 movies read 0 (the end of the player's text), later
// ones NaN; before the start it is NaN in every version.
Value charCodeAt(Vm &vm, CallInfo &c)
{
    const QString s = selfText(vm, c);
    const qint32 i = intArg(vm, c, 0);
    if (i >= 0 && i < s.size())
        return int(s[i].unicode());
    return i >= 0 && vm.version() <= 5 ? Value(0) : Value(std::nan(""));
}

Value concat(Vm &vm, CallInfo &c)
{
    QString s = selfText(vm, c);
    for (const Value &v : c.args)
        s += vm.toString(v);
    return vm.checkedString(s);
}

// indexOf, lastIndexOf, slice, substr and substring called without any
// argument give undefined.
Value indexOf(Vm &vm, CallInfo &c)
{
    const QString s = selfText(vm, c);
    if (c.args.empty())
        return {};
    const qint32 from = intArg(vm, c, 1);
    if (from > s.size())
        return -1;
    return int(s.indexOf(vm.toString(c.args[0]), qMax(0, from)));
}

Value lastIndexOf(Vm &vm, CallInfo &c)
{
    const QString s = selfText(vm, c);
    if (c.args.empty())
        return {};
    const qint32 from = optionalArg(vm, c, 1, qint32(s.size()));
    if (from < 0)
        return -1;
    return int(s.lastIndexOf(vm.toString(c.args[0]), clampIndex(from, s.size())));
}

Value slice(Vm &vm, CallInfo &c)
{
    const QString s = selfText(vm, c);
    if (c.args.empty())
        return {};
    const auto size = qint64(s.size());
    qint64 a = intArg(vm, c, 0);
    qint64 b = optionalArg(vm, c, 1, qint32(size));
    if (a < 0)
        a += size;
    if (b < 0)
        b += size;
    const qsizetype from = clampIndex(a, s.size()), to = clampIndex(b, s.size());
    return to > from ? s.mid(from, to - from) : QString();
}

// A negative count counts back from the end of the text, and then reaches
// nothing when it would end at or past the end.
Value substr(Vm &vm, CallInfo &c)
{
    const QString s = selfText(vm, c);
    if (c.args.empty())
        return {};
    const auto size = qint64(s.size());
    qint64 start = intArg(vm, c, 0);
    if (start < 0)
        start = qMax<qint64>(0, start + size);
    start = qMin(start, size);
    qint64 count = optionalArg(vm, c, 1, qint32(size));
    if (count < 0) {
        count += size;
        if (count < 0 || start + count >= size)
            count = 0;
    }
    return s.mid(qsizetype(start), clampIndex(count, qsizetype(size - start)));
}

Value substring(Vm &vm, CallInfo &c)
{
    const QString s = selfText(vm, c);
    if (c.args.empty())
        return {};
    qsizetype a = clampIndex(intArg(vm, c, 0), s.size());
    qsizetype b = clampIndex(optionalArg(vm, c, 1, qint32(s.size())), s.size());
    if (a > b)
        std::swap(a, b);
    return s.mid(a, b - a);
}

// split(separator, limit). Without a separator SWF 5 movies split at
// commas and later ones keep the whole text as the one element (whatever
// the limit); an empty separator splits into characters from SWF 6 on and
// keeps the text whole before.
Value split(Vm &vm, CallInfo &c)
{
    const QString s = selfText(vm, c);
    Object *array = vm.newArray();
    const bool v5 = vm.version() <= 5;
    if (c.arg(0).isUndefined() && !v5) {
        vm.arrayPush(array, s);
        return array;
    }
    const qint64 limit = c.arg(1).isUndefined() ? std::numeric_limits<qint64>::max() : qMax(0, vm.toInt32(c.args[1]));
    const QString sep = c.arg(0).isUndefined() ? QStringLiteral(",") : vm.toString(c.args[0]);
    QStringList parts;
    if (sep.isEmpty() && !v5) {
        for (QChar ch : s)
            parts << QString(ch);
    } else if (sep.isEmpty()) {
        parts << s;
    } else {
        if (s.isEmpty() && v5)
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

Value toLower(Vm &vm, CallInfo &c) { return lowerCase(selfText(vm, c)); }
Value toUpper(Vm &vm, CallInfo &c) { return upperCase(selfText(vm, c)); }

// The player's text ends at a NUL: a code 0 ends the string made.
Value fromCharCode(Vm &vm, CallInfo &c)
{
    QString s;
    for (const Value &v : c.args) {
        const auto code = char16_t(quint16(vm.toInt32(v)));
        if (code == 0)
            break;
        s += QChar(code);
    }
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
