#pragma once

#include <array>

namespace sky::swf::avm1 {

// Time values as ECMA-262 defines them: milliseconds since 1970-01-01 UTC,
// NaN for an invalid date.
namespace datetime {

// year, month (0-11), date (1-31), hours, minutes, seconds, milliseconds.
using Fields = std::array<double, 7>;
enum Field { year, month, date, hours, minutes, seconds, milliseconds };

Fields split(double t);
// Any field may be out of its range (month 14, date 0): it carries over.
// NaN when a field is not finite.
double compose(const Fields &fields);
int weekDay(double t); // 0 = Sunday
// NaN outside the ±8.64e15 range, whole milliseconds otherwise.
double clip(double t);

// The system time zone's offset from UTC at a UTC time, in milliseconds.
double localOffset(double utc);
double toLocal(double utc);
double toUtc(double local);

} // namespace datetime
} // namespace sky::swf::avm1
