#include "numberformat.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace sky::swf::avm1 {
namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();

bool isSpace(QChar c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f' || c == u'\v'; }

// Passes over leading white space and a sign; true when the sign is minus.
bool skipSpaceAndSign(const QString &text, qsizetype &i)
{
    while (i < text.size() && isSpace(text[i]))
        ++i;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        return text[i++] == u'-';
    return false;
}

int digitValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'z')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'Z')
        return u - u'A' + 10;
    return 99;
}

// Length of the longest decimal number at the start of `text` (sign,
// digits, fraction, exponent), 0 when there is none.
qsizetype decimalPrefix(const QString &text, bool allowExponent)
{
    qsizetype i = 0;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        ++i;
    qsizetype digits = 0;
    while (i < text.size() && text[i].isDigit() && text[i].unicode() < 128) {
        ++i;
        ++digits;
    }
    if (i < text.size() && text[i] == u'.') {
        ++i;
        while (i < text.size() && text[i].unicode() >= u'0' && text[i].unicode() <= u'9') {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return 0;
    if (allowExponent && i < text.size() && (text[i] == u'e' || text[i] == u'E')) {
        qsizetype j = i + 1;
        if (j < text.size() && (text[j] == u'+' || text[j] == u'-'))
            ++j;
        const qsizetype expStart = j;
        while (j < text.size() && text[j].unicode() >= u'0' && text[j].unicode() <= u'9')
            ++j;
        if (j > expStart)
            i = j;
    }
    return i;
}

double readDecimal(const QString &text, qsizetype length)
{
    const QByteArray latin = text.left(length).toLatin1();
    return std::strtod(latin.constData(), nullptr);
}

// Digits of `radix` after an optional sign, read as the player's 32-bit
// int, wrapping; NaN when there are none or any other character follows.
double wrappedInteger(QStringView t, int radix)
{
    const bool negative = !t.isEmpty() && t[0] == u'-';
    if (!t.isEmpty() && (negative || t[0] == u'+'))
        t = t.mid(1);
    if (t.isEmpty())
        return nan;
    quint32 v = 0;
    for (const QChar c : t) {
        const int d = digitValue(c);
        if (d >= radix)
            return nan;
        v = v * quint32(radix) + quint32(d);
    }
    return qint32(negative ? 0u - v : v);
}

} // namespace

QString numberToString(double value)
{
    if (std::isnan(value))
        return QStringLiteral("NaN");
    if (std::isinf(value))
        return value > 0 ? QStringLiteral("Infinity") : QStringLiteral("-Infinity");
    if (value == 0)
        return QStringLiteral("0");
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.14e", value);
    // buf: [-]d.dddddddddddddde[+-]xx
    QByteArray text(buf);
    if (std::isinf(std::strtod(buf, nullptr))) {
        // Rounded up past the largest number (Number.MAX_VALUE): the digits
        // are cut instead, so that the text reads back as a number.
        std::snprintf(buf, sizeof buf, "%.16e", value);
        text = QByteArray(buf);
        text.remove(text.indexOf('e') - 2, 2);
    }
    const qsizetype e = text.indexOf('e');
    const int exponent = std::atoi(text.constData() + e + 1);
    const bool negative = text.startsWith('-');
    QByteArray digits = text.mid(negative ? 1 : 0, e - (negative ? 1 : 0));
    digits.remove(1, 1); // the point
    while (digits.size() > 1 && digits.endsWith('0'))
        digits.chop(1);
    QByteArray out = negative ? QByteArray("-") : QByteArray();
    if (exponent >= 15 || exponent < -5) {
        out += digits.left(1);
        if (digits.size() > 1)
            out += '.' + digits.mid(1);
        out += exponent < 0 ? "e-" : "e+";
        out += QByteArray::number(std::abs(exponent));
    } else if (exponent < 0) {
        out += "0." + QByteArray(-exponent - 1, '0') + digits;
    } else if (digits.size() <= exponent + 1) {
        out += digits + QByteArray(exponent + 1 - digits.size(), '0');
    } else {
        out += digits.left(exponent + 1) + '.' + digits.mid(exponent + 1);
    }
    return QString::fromLatin1(out);
}

QString numberToRadixString(double value, int radix)
{
    // The player takes the number as a 32-bit integer the way the
    // processor converts: NaN and anything out of range become the lowest
    // int, whose negation is itself, so its digits come out below '0'.
    const bool inRange = value > -2147483649.0 && value < 2147483648.0;
    const qint32 n = inRange ? qint32(value) : std::numeric_limits<qint32>::min();
    if (n == 0)
        return QStringLiteral("0");
    qint32 m = n < 0 ? qint32(0u - quint32(n)) : n;
    QString out;
    while (m != 0) {
        const int digit = m % radix;
        out.prepend(QChar(char16_t(digit < 10 ? u'0' + digit : u'a' + digit - 10)));
        m /= radix;
    }
    return n < 0 ? u'-' + out : out;
}

double stringToNumber(const QString &text, bool hex)
{
    qsizetype start = 0;
    while (start < text.size() && isSpace(text[start]))
        ++start;
    const QString t = text.mid(start);
    if (t.isEmpty())
        return nan;
    // From SWF 6 on, 0x hexadecimal (a sign may follow the x, not come
    // before the 0) and a leading zero followed by octal digits only read
    // as 32-bit ints; only at the very start: text with leading space is
    // decimal.
    if (hex && start == 0) {
        if (t.size() > 2 && t[0] == u'0' && (t[1] == u'x' || t[1] == u'X'))
            return wrappedInteger(QStringView(t).mid(2), 16);
        const qsizetype first = t[0] == u'-' || t[0] == u'+' ? 1 : 0;
        if (t.size() > first + 1 && t[first] == u'0') {
            const double octal = wrappedInteger(t, 8);
            if (!std::isnan(octal))
                return octal;
        }
    }
    const qsizetype n = decimalPrefix(t, true);
    if (n != t.size())
        return nan;
    return readDecimal(t, n);
}

double parseIntText(const QString &text, int radix, bool radixGiven)
{
    const auto at = [&](qsizetype i) { return i < text.size() ? text[i].unicode() : char16_t(0); };
    const auto isX = [](char16_t c) { return c == u'x' || c == u'X'; };
    qsizetype i = 0;
    if (at(0) == u'0' && isX(at(1))) {
        // A 0x prefix counts only at the very start; it is passed over
        // whatever the radix, and without one it means hexadecimal.
        i = 2;
        if (!radixGiven)
            radix = 16;
    } else if ((at(0) == u'-' || at(0) == u'+') && at(1) == u'0' && isX(at(2))) {
        // The player reads a signed 0x from the x on, and the sign is lost.
        i = 2;
    } else if (!radixGiven) {
        // Without a radix, text that is a leading zero and octal digits to
        // its end (a sign allowed before) is octal.
        qsizetype j = at(0) == u'-' || at(0) == u'+' ? 1 : 0;
        const bool zero = at(j) == u'0';
        while (j < text.size() && at(j) >= u'0' && at(j) <= u'7')
            ++j;
        radix = zero && j == text.size() ? 8 : 10;
    }
    if (radix < 2 || radix > 36)
        return nan;
    const bool negative = skipSpaceAndSign(text, i);
    double v = 0;
    const qsizetype start = i;
    for (; i < text.size(); ++i) {
        const int d = digitValue(text[i]);
        if (d >= radix)
            break;
        v = v * radix + d;
    }
    if (i == start)
        return nan;
    return negative ? -v : v;
}

double parseFloatText(const QString &text)
{
    const auto at = [&](qsizetype i) { return i < text.size() ? text[i].unicode() : char16_t(0); };
    const auto isDigit = [](char16_t c) { return c >= u'0' && c <= u'9'; };
    qsizetype i = 0;
    const bool negative = skipSpaceAndSign(text, i);
    // The player's own reading: fraction digits add up at falling scales,
    // and every point after the first is passed over, though it takes the
    // exponent away.
    double v = 0;
    double scale = 1;
    int points = 0;
    bool digits = false;
    for (;; ++i) {
        const char16_t c = at(i);
        if (isDigit(c)) {
            digits = true;
            if (points == 0) {
                v = v * 10 + (c - u'0');
            } else {
                scale /= 10;
                v += (c - u'0') * scale;
            }
        } else if (c == u'.') {
            ++points;
        } else {
            break;
        }
    }
    if (!digits)
        return nan;
    if (points < 2 && (at(i) == u'e' || at(i) == u'E')) {
        qsizetype j = i + 1;
        const bool negativeExponent = at(j) == u'-';
        if (at(j) == u'-' || at(j) == u'+')
            ++j;
        // The exponent wraps at 32 bits.
        quint32 exponent = 0;
        for (; isDigit(at(j)); ++j)
            exponent = exponent * 10 + quint32(at(j) - u'0');
        const qint32 e = qint32(negativeExponent ? 0u - exponent : exponent);
        if (v != 0)
            v *= std::pow(10.0, double(e));
    }
    return negative ? -v : v;
}

} // namespace sky::swf::avm1
