#pragma once

#include <QString>

namespace sky::swf::avm1 {

// A number as the player prints it: integers plainly, otherwise 15
// significant digits without trailing zeros, in exponent form (e+N / e-N,
// no leading zeros) from 1e15 up and below 1e-5; NaN, Infinity, -Infinity.
QString numberToString(double value);

// Number.prototype.toString(radix) for radix 2..36 other than 10: the
// integer part, as a 32-bit integer, in that base.
QString numberToRadixString(double value, int radix);

// The number a string holds under the script rules: leading white space
// ignored, trailing white space not; decimal, or (when `hex`, from SWF 6)
// also 0x hexadecimal and 0-led octal; "" and anything else is NaN.
double stringToNumber(const QString &text, bool hex = true);

// parseInt and parseFloat of the global object.
double parseIntText(const QString &text, int radix, bool radixGiven);
double parseFloatText(const QString &text);

} // namespace sky::swf::avm1
