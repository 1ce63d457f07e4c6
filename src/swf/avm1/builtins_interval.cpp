// setInterval and clearInterval, on the player's clock: an interval is
// called once the player's time has passed it, as often as its period went
// by since (at most maxCallsPerRun times in one run: a movie that lags
// does not call an interval endlessly to catch up). setTimeout makes one
// that is called once and then gone; clearTimeout clears either.

#include "builtins.h"

#include <algorithm>
#include <unordered_map>

namespace sky::swf::avm1 {
namespace {

constexpr double shortestPeriod = 10; // milliseconds, as the player allowed
constexpr int maxCallsPerRun = 10;

struct Interval : NativeState {
    int id = 0;
    double period = 0;
    double due = 0;
    bool once = false;
};

Interval *intervalOf(Object *entry) { return static_cast<Interval *>(entry->state.get()); }

// setInterval(function, ms, args...) or setInterval(object, "method", ms,
// args...), and setTimeout alike; the id they return counts up from 1;
// undefined, and no timer, when no function or object or no period is given.
Value startTimer(Vm &vm, CallInfo &c, bool once)
{
    const Value first = c.arg(0);
    if (!first.isObject())
        return {};
    const bool function = first.object->isFunction();
    const std::size_t periodAt = function ? 1 : 2;
    if (c.arg(periodAt).isUndefined())
        return {};
    Object *entry = vm.newPlain();
    if (function) {
        vm.put(entry, QStringLiteral("fn"), first);
    } else {
        vm.put(entry, QStringLiteral("object"), first);
        vm.put(entry, QStringLiteral("method"), vm.toString(c.arg(1)));
    }
    std::vector<Value> args;
    for (std::size_t i = periodAt + 1; i < c.args.size(); ++i)
        args.push_back(c.args[i]);
    vm.put(entry, QStringLiteral("args"), vm.newArray(args));
    auto state = std::make_unique<Interval>();
    state->period = qMax(shortestPeriod, double(vm.toInt32(c.arg(periodAt))));
    state->due = vm.host()->time() + state->period;
    state->id = ++vm.lastTimerId;
    state->once = once;
    entry->state = std::move(state);
    vm.timers.push_back(entry);
    return vm.lastTimerId;
}

Value setIntervalMethod(Vm &vm, CallInfo &c) { return startTimer(vm, c, false); }
Value setTimeoutMethod(Vm &vm, CallInfo &c) { return startTimer(vm, c, true); }

Value clearIntervalMethod(Vm &vm, CallInfo &c)
{
    const int id = vm.toInt32(c.arg(0));
    std::erase_if(vm.timers, [id](Object *entry) { return intervalOf(entry)->id == id; });
    return {};
}

void callInterval(Vm &vm, Object *entry)
{
    vm.guarded([&] {
        const std::vector<Value> args = vm.arrayElements(vm.get(entry, QStringLiteral("args")).object);
        const Value fn = vm.get(entry, QStringLiteral("fn"));
        if (fn.isObject()) {
            vm.call(fn, Value(), args);
            return;
        }
        const Value object = vm.get(entry, QStringLiteral("object"));
        const Value method = vm.getMember(object, vm.toString(vm.get(entry, QStringLiteral("method"))));
        if (method.isObject() && method.object->isFunction())
            vm.call(method, object, args);
    });
}

} // namespace

void runIntervals(Vm &vm, double now, const std::function<void()> &afterCall)
{
    // Whichever interval is due first is called first, across all of them;
    // two due at the same time go in the order they were set.
    std::unordered_map<Object *, int> calls;
    for (;;) {
        Object *next = nullptr;
        for (Object *entry : vm.timers) {
            const Interval *interval = intervalOf(entry);
            if (interval->due < now && calls[entry] < maxCallsPerRun
                && (!next || interval->due < intervalOf(next)->due))
                next = entry;
        }
        if (!next)
            break;
        ++calls[next];
        Interval *interval = intervalOf(next);
        interval->due += interval->period;
        if (interval->once)
            std::erase(vm.timers, next);
        callInterval(vm, next);
        afterCall();
    }
    for (Object *entry : vm.timers) {
        if (Interval *interval = intervalOf(entry); interval->due < now)
            interval->due = now + interval->period;
    }
}

void installIntervals(Vm &vm)
{
    defineMethods(vm, vm.global,
                  {{u"setInterval", setIntervalMethod},
                   {u"clearInterval", clearIntervalMethod},
                   {u"setTimeout", setTimeoutMethod},
                   {u"clearTimeout", clearIntervalMethod}});
}

} // namespace sky::swf::avm1
