#include "datetime.h"

#include <QDateTime>
#include <QTimeZone>

#include <cmath>

namespace sky::swf::avm1::datetime {
namespace {

constexpr double msPerDay = 86400000;

double day(double t) { return std::floor(t / msPerDay); }
double positiveModulo(double a, double b) { return a - b * std::floor(a / b); }
double dayFromYear(double y)
{
    return 365 * (y - 1970) + std::floor((y - 1969) / 4) - std::floor((y - 1901) / 100) + std::floor((y - 1601) / 400);
}
bool leapYear(double y) { return std::fmod(y, 4) == 0 && (std::fmod(y, 100) != 0 || std::fmod(y, 400) == 0); }

double yearFromTime(double t)
{
    double y = std::floor(t / (msPerDay * 365.2425)) + 1970;
    while (dayFromYear(y) * msPerDay > t)
        --y;
    while (dayFromYear(y + 1) * msPerDay <= t)
        ++y;
    return y;
}

// Days before the first of each month.
int monthStart(int month, bool leap)
{
    static constexpr int starts[] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334, 365};
    return starts[month] + (leap && month >= 2 ? 1 : 0);
}

} // namespace

Fields split(double t)
{
    if (!std::isfinite(t))
        return {NAN, NAN, NAN, NAN, NAN, NAN, NAN};
    const double y = yearFromTime(t);
    const bool leap = leapYear(y);
    const int inYear = int(day(t) - dayFromYear(y));
    int m = 0;
    while (m < 11 && inYear >= monthStart(m + 1, leap))
        ++m;
    const double inDay = positiveModulo(t, msPerDay);
    return {y,
            double(m),
            double(inYear - monthStart(m, leap) + 1),
            std::floor(inDay / 3600000),
            std::floor(positiveModulo(inDay, 3600000) / 60000),
            std::floor(positiveModulo(inDay, 60000) / 1000),
            positiveModulo(inDay, 1000)};
}

double compose(const Fields &f)
{
    for (const double v : f)
        if (!std::isfinite(v))
            return NAN;
    const double m = std::trunc(f[month]);
    const double y = std::trunc(f[year]) + std::floor(m / 12);
    // Far past the ±275,000 years time values reach.
    if (std::fabs(y) > 400000 || std::fabs(m) > 1e7)
        return NAN;
    const int inYear = int(positiveModulo(m, 12));
    const double days = dayFromYear(y) + monthStart(inYear, leapYear(y)) + std::trunc(f[date]) - 1;
    const double time = std::trunc(f[hours]) * 3600000 + std::trunc(f[minutes]) * 60000
                      + std::trunc(f[seconds]) * 1000 + std::trunc(f[milliseconds]);
    return days * msPerDay + time;
}

int weekDay(double t) { return int(positiveModulo(day(t) + 4, 7)); }

double clip(double t) { return std::isfinite(t) && std::fabs(t) <= 8.64e15 ? std::trunc(t) + 0.0 : NAN; }

double localOffset(double utc)
{
    // Beyond the range of dates (and of qint64) no zone applies.
    if (!std::isfinite(utc) || std::fabs(utc) > 1e16)
        return 0;
    const auto at = QDateTime::fromMSecsSinceEpoch(qint64(utc), QTimeZone::utc());
    return QTimeZone::systemTimeZone().offsetFromUtc(at) * 1000.0;
}

double toLocal(double utc) { return utc + localOffset(utc); }

double toUtc(double local)
{
    // The offset at the local time read as UTC, corrected once for a
    // change of offset in between.
    const double guess = local - localOffset(local);
    return local - localOffset(guess);
}

} // namespace sky::swf::avm1::datetime
