#include "numberformat.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace sky::swf::avm1 {
namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();

bool isSpace(QChar c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f' || c == u'\v'; }

QString trimmed(const QString &text)
{
    qsizetype start = 0, end = text.size();
    while (start < end && isSpace(text[start]))
        ++start;
    while (end > start && isSpace(text[end - 1]))
        --end;
    return text.mid(start, end - start);
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
    if (std::isnan(value) || std::isinf(value))
        return numberToString(value);
    double whole = std::trunc(value);
    const bool negative = whole < 0;
    whole = std::fabs(whole);
    if (whole == 0)
        return QStringLiteral("0");
    QString out;
    while (whole >= 1 && out.size() < 1100) {
        const int digit = int(std::fmod(whole, radix));
        out.prepend(QChar(digit < 10 ? u'0' + digit : u'a' + digit - 10));
        whole = std::floor(whole / radix);
    }
    return negative ? u'-' + out : out;
}

double stringToNumber(const QString &text, bool hex)
{
    const QString t = trimmed(text);
    if (t.isEmpty())
        return nan;
    if (hex && t.size() > 2 && t[0] == u'0' && (t[1] == u'x' || t[1] == u'X')) {
        double v = 0;
        for (qsizetype i = 2; i < t.size(); ++i) {
            const int d = digitValue(t[i]);
            if (d >= 16)
                return nan;
            v = v * 16 + d;
        }
        return v;
    }
    // A leading zero followed by octal digits only reads as octal.
    const bool signed_ = t[0] == u'-' || t[0] == u'+';
    const qsizetype first = signed_ ? 1 : 0;
    if (t.size() > first + 1 && t[first] == u'0') {
        double v = 0;
        qsizetype i = first + 1;
        for (; i < t.size() && t[i] >= u'0' && t[i] <= u'7'; ++i)
            v = v * 8 + (t[i].unicode() - u'0');
        if (i == t.size())
            return t[0] == u'-' ? -v : v;
    }
    const qsizetype n = decimalPrefix(t, true);
    if (n != t.size())
        return nan;
    return readDecimal(t, n);
}

double parseIntText(const QString &text, int radix, bool radixGiven)
{
    QString t = text;
    qsizetype i = 0;
    while (i < t.size() && isSpace(t[i]))
        ++i;
    bool negative = false;
    if (i < t.size() && (t[i] == u'+' || t[i] == u'-')) {
        negative = t[i] == u'-';
        ++i;
    }
    if (!radixGiven) {
        radix = 10;
        if (i + 1 < t.size() && t[i] == u'0' && (t[i + 1] == u'x' || t[i + 1] == u'X')) {
            radix = 16;
            i += 2;
        } else if (i + 1 < t.size() && t[i] == u'0') {
            // A leading zero followed by octal digits only reads as octal.
            qsizetype j = i + 1;
            while (j < t.size() && t[j] >= u'0' && t[j] <= u'7')
                ++j;
            if (j == t.size() || !t[j].isDigit())
                radix = 8;
        }
    } else if (radix == 16 && i + 1 < t.size() && t[i] == u'0' && (t[i + 1] == u'x' || t[i + 1] == u'X')) {
        i += 2;
    }
    if (radix < 2 || radix > 36)
        return nan;
    double v = 0;
    qsizetype start = i;
    for (; i < t.size(); ++i) {
        const int d = digitValue(t[i]);
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
    qsizetype i = 0;
    while (i < text.size() && isSpace(text[i]))
        ++i;
    const QString t = text.mid(i);
    if (t.startsWith(u"Infinity") || t.startsWith(u"+Infinity"))
        return std::numeric_limits<double>::infinity();
    if (t.startsWith(u"-Infinity"))
        return -std::numeric_limits<double>::infinity();
    const qsizetype n = decimalPrefix(t, true);
    return n == 0 ? nan : readDecimal(t, n);
}

} // namespace sky::swf::avm1
