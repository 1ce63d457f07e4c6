#include "builtins.h"
#include "numberformat.h"

#include <cmath>

namespace sky::swf::avm1 {
namespace {

Value parseIntMethod(Vm &vm, CallInfo &c)
{
    if (c.args.empty())
        return {};
    const bool radixGiven = c.args.size() > 1;
    return parseIntText(vm.toString(c.arg(0)), radixGiven ? vm.toInt32(c.args[1]) : 10, radixGiven);
}

Value parseFloatMethod(Vm &vm, CallInfo &c)
{
    return c.args.empty() ? Value() : Value(parseFloatText(vm.toString(c.args[0])));
}
// Without an argument these test NaN, whatever undefined converts to.
Value isNaNMethod(Vm &vm, CallInfo &c) { return c.args.empty() || std::isnan(vm.toNumber(c.args[0])); }
Value isFiniteMethod(Vm &vm, CallInfo &c) { return !c.args.empty() && std::isfinite(vm.toNumber(c.args[0])); }

bool keptByEscape(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

Value escapeMethod(Vm &vm, CallInfo &c)
{
    const QByteArray bytes = vm.version() >= 6 ? vm.toString(c.arg(0)).toUtf8() : vm.toString(c.arg(0)).toLatin1();
    QString out;
    for (const char ch : bytes) {
        if (keptByEscape(ch))
            out += QChar::fromLatin1(ch);
        else
            out += u'%' + QStringLiteral("%1").arg(int(quint8(ch)), 2, 16, QLatin1Char('0')).toUpper();
    }
    return vm.checkedString(out);
}

// The value of the hexadecimal digit at `i`, -1 for none.
int hexDigit(const QString &text, qsizetype i)
{
    const char16_t u = i < text.size() ? text[i].unicode() : 0;
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if ((u >= u'a' && u <= u'f') || (u >= u'A' && u <= u'F'))
        return (u | 0x20) - u'a' + 10;
    return -1;
}

// A % escape whose digits are not hexadecimal is dropped up to the
// first character that is not a digit, that character included.
Value unescapeMethod(Vm &vm, CallInfo &c)
{
    const QString text = vm.toString(c.arg(0));
    const bool utf8 = vm.version() >= 6;
    QByteArray bytes;
    QString plain; // characters since the last escape
    const auto flush = [&] {
        bytes += utf8 ? plain.toUtf8() : plain.toLatin1();
        plain.clear();
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'%') {
            plain += text[i] == u'+' ? QChar(u' ') : text[i];
            continue;
        }
        flush();
        const int high = hexDigit(text, i + 1);
        const int low = high < 0 ? -1 : hexDigit(text, i + 2);
        if (low >= 0)
            bytes += char(high * 16 + low);
        i += high < 0 ? 1 : 2;
    }
    flush();
    return utf8 ? QString::fromUtf8(bytes) : QString::fromLatin1(bytes);
}

Value getTimer(Vm &vm, CallInfo &) { return std::floor(vm.host()->time()); }

} // namespace

QString escapeText(Vm &vm, const QString &text)
{
    const Value args[] = {text};
    CallInfo c{Value(), args};
    return escapeMethod(vm, c).string;
}

QString unescapeText(Vm &vm, const QString &text)
{
    const Value args[] = {text};
    CallInfo c{Value(), args};
    return unescapeMethod(vm, c).string;
}

void installGlobalFunctions(Vm &vm)
{
    Object *g = vm.global;
    defineMethods(vm, g, {
        {u"parseInt", parseIntMethod},   {u"parseFloat", parseFloatMethod}, {u"isNaN", isNaNMethod},
        {u"isFinite", isFiniteMethod},   {u"escape", escapeMethod},         {u"unescape", unescapeMethod},
        {u"getTimer", getTimer},
        {u"updateAfterEvent", nothing},
    });
    vm.defineHidden(g, QStringLiteral("NaN"), std::nan(""));
    vm.defineHidden(g, QStringLiteral("Infinity"), INFINITY);
    // The player's own set-up leaves this helper variable behind as null.
    vm.defineHidden(g, QStringLiteral("o"), Value::null());
}

} // namespace sky::swf::avm1
