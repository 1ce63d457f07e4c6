// Date: a time value in milliseconds since 1970 UTC, read and set in local
// time (the system's time zone) or in UTC. "Now" is the host's date, the
// player's clock.

#include "builtins.h"
#include "datetime.h"

#include <cmath>

namespace sky::swf::avm1 {
namespace {

using namespace datetime;

struct DateState : NativeState {
    double time = NAN;
    bool convertsToText() const override { return true; }
};

DateState *dateOf(const Value &v)
{
    if (!v.isObject())
        return nullptr;
    return dynamic_cast<DateState *>(v.object->state.get());
}

double timeOf(CallInfo &c)
{
    const DateState *d = dateOf(c.self);
    return d ? d->time : NAN;
}

// Two-digit years are in the 1900s, as new Date(99, 0) and Date.UTC read them.
double fullYear(double y) { return y >= 0 && y <= 99 ? 1900 + std::trunc(y) : y; }

// The time value of Date.UTC's and the constructor's (year, month, date,
// hours, minutes, seconds, ms), missing fields being the first day, 0:00.
double fromFields(Vm &vm, std::span<const Value> args)
{
    Fields f{0, 0, 1, 0, 0, 0, 0};
    for (std::size_t i = 0; i < args.size() && i < f.size(); ++i)
        f[i] = vm.toNumber(args[i]);
    f[year] = fullYear(f[year]);
    return compose(f);
}

QString dateText(double time)
{
    if (std::isnan(time))
        return QStringLiteral("Invalid Date");
    static const char16_t *days[] = {u"Sun", u"Mon", u"Tue", u"Wed", u"Thu", u"Fri", u"Sat"};
    static const char16_t *months[] = {u"Jan", u"Feb", u"Mar", u"Apr", u"May", u"Jun",
                                       u"Jul", u"Aug", u"Sep", u"Oct", u"Nov", u"Dec"};
    const double local = toLocal(time);
    const Fields f = split(local);
    const int offset = int(std::lround(localOffset(time) / 60000));
    const auto two = [](double v) { return QStringLiteral("%1").arg(int(v), 2, 10, QLatin1Char('0')); };
    return QStringLiteral("%1 %2 %3 %4:%5:%6 GMT%7%8%9 %10")
        .arg(QString::fromUtf16(days[weekDay(local)]), QString::fromUtf16(months[int(f[month])]))
        .arg(int(f[date]))
        .arg(two(f[hours]), two(f[minutes]), two(f[seconds]), offset < 0 ? QStringLiteral("-") : QStringLiteral("+"))
        .arg(two(std::abs(offset) / 60), two(std::abs(offset) % 60))
        .arg(qint64(f[year]));
}

Value dateCall(Vm &vm, CallInfo &c)
{
    const double now = clip(std::floor(vm.host()->dateNow()));
    if (!c.constructing || !c.self.isObject())
        return dateText(now);
    auto state = std::make_unique<DateState>();
    if (c.args.empty())
        state->time = now;
    else if (c.args.size() == 1)
        state->time = clip(vm.toNumber(c.args[0]));
    else
        state->time = clip(toUtc(fromFields(vm, c.args)));
    c.self.object->state = std::move(state);
    return c.self;
}

Value utcMethod(Vm &vm, CallInfo &c) { return c.args.empty() ? Value(NAN) : Value(clip(fromFields(vm, c.args))); }

template <bool Local, Field F>
Value getField(Vm &, CallInfo &c)
{
    const double t = timeOf(c);
    return split(Local ? toLocal(t) : t)[F];
}

template <bool Local>
Value getDay(Vm &, CallInfo &c)
{
    const double t = timeOf(c);
    return std::isnan(t) ? NAN : double(weekDay(Local ? toLocal(t) : t));
}

template <bool Local>
Value getYear(Vm &, CallInfo &c)
{
    const double t = timeOf(c);
    return split(Local ? toLocal(t) : t)[year] - 1900;
}

Value getTime(Vm &, CallInfo &c) { return timeOf(c); }

Value getTimezoneOffset(Vm &, CallInfo &c)
{
    const double t = timeOf(c);
    return std::isnan(t) ? NAN : -localOffset(t) / 60000;
}

Value toStringMethod(Vm &, CallInfo &c) { return dateText(timeOf(c)); }

Value setTime(Vm &vm, CallInfo &c)
{
    DateState *d = dateOf(c.self);
    if (!d)
        return {};
    d->time = clip(vm.toNumber(c.arg(0)));
    return d->time;
}

// The setters replace the fields from F on, one argument each (up to
// Count of them); the fields not given keep their values. An invalid date
// stays invalid, except that setting the year starts from 1970-01-01 0:00.
template <bool Local, Field F, int Count>
Value setFields(Vm &vm, CallInfo &c)
{
    DateState *d = dateOf(c.self);
    if (!d)
        return {};
    const double t = d->time;
    Fields f = split(std::isnan(t) && F == year ? 0 : Local ? toLocal(t) : t);
    const std::size_t given = qMax<std::size_t>(1, qMin<std::size_t>(c.args.size(), Count));
    for (std::size_t i = 0; i < given; ++i)
        f[F + i] = vm.toNumber(c.arg(i));
    const double composed = compose(f);
    d->time = clip(Local ? toUtc(composed) : composed);
    return d->time;
}

// setYear reads two-digit years as the 1900s.
Value setYear(Vm &vm, CallInfo &c)
{
    DateState *d = dateOf(c.self);
    if (!d)
        return {};
    Fields f = split(std::isnan(d->time) ? 0 : toLocal(d->time));
    f[year] = fullYear(vm.toNumber(c.arg(0)));
    d->time = clip(toUtc(compose(f)));
    return d->time;
}

} // namespace

std::optional<double> dateTimeOf(const Value &v)
{
    const DateState *d = dateOf(v);
    return d ? std::optional<double>(d->time) : std::nullopt;
}

void installDate(Vm &vm)
{
    Object *proto = vm.newPlain();
    Object *ctor = defineClass(vm, QStringLiteral("Date"), proto, dateCall);
    vm.method(ctor, QStringLiteral("UTC"), utcMethod);
    defineMethods(vm, proto, {
        {u"getFullYear", getField<true, year>},
        {u"getYear", getYear<true>},
        {u"getMonth", getField<true, month>},
        {u"getDate", getField<true, date>},
        {u"getDay", getDay<true>},
        {u"getHours", getField<true, hours>},
        {u"getMinutes", getField<true, minutes>},
        {u"getSeconds", getField<true, seconds>},
        {u"getMilliseconds", getField<true, milliseconds>},
        {u"getUTCFullYear", getField<false, year>},
        {u"getUTCYear", getYear<false>},
        {u"getUTCMonth", getField<false, month>},
        {u"getUTCDate", getField<false, date>},
        {u"getUTCDay", getDay<false>},
        {u"getUTCHours", getField<false, hours>},
        {u"getUTCMinutes", getField<false, minutes>},
        {u"getUTCSeconds", getField<false, seconds>},
        {u"getUTCMilliseconds", getField<false, milliseconds>},
        {u"getTime", getTime},
        {u"valueOf", getTime},
        {u"getTimezoneOffset", getTimezoneOffset},
        {u"toString", toStringMethod},
        {u"setTime", setTime},
        {u"setFullYear", setFields<true, year, 3>},
        {u"setYear", setYear},
        {u"setMonth", setFields<true, month, 2>},
        {u"setDate", setFields<true, date, 1>},
        {u"setHours", setFields<true, hours, 4>},
        {u"setMinutes", setFields<true, minutes, 3>},
        {u"setSeconds", setFields<true, seconds, 2>},
        {u"setMilliseconds", setFields<true, milliseconds, 1>},
        {u"setUTCFullYear", setFields<false, year, 3>},
        {u"setUTCMonth", setFields<false, month, 2>},
        {u"setUTCDate", setFields<false, date, 1>},
        {u"setUTCHours", setFields<false, hours, 4>},
        {u"setUTCMinutes", setFields<false, minutes, 3>},
        {u"setUTCSeconds", setFields<false, seconds, 2>},
        {u"setUTCMilliseconds", setFields<false, milliseconds, 1>},
    });
}

} // namespace sky::swf::avm1
