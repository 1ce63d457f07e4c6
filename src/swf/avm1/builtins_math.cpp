#include "builtins.h"

#include <cmath>
#include <numbers>

namespace sky::swf::avm1 {
namespace {

double num(Vm &vm, CallInfo &c, std::size_t i) { return c.args.size() > i ? vm.toNumber(c.args[i]) : std::nan(""); }

template <double (*F)(double)>
Value unary(Vm &vm, CallInfo &c)
{
    return F(num(vm, c, 0));
}

double roundHalfUp(double x) { return std::floor(x + 0.5); }

Value atan2Method(Vm &vm, CallInfo &c) { return std::atan2(num(vm, c, 0), num(vm, c, 1)); }
Value powMethod(Vm &vm, CallInfo &c) { return std::pow(num(vm, c, 0), num(vm, c, 1)); }
Value randomMethod(Vm &vm, CallInfo &) { return double(vm.random()) / 4294967296.0; }

// The player's min and max take two numbers: one alone is still
// converted, and gives NaN.
Value minMax(Vm &vm, CallInfo &c, bool max)
{
    if (c.args.empty())
        return max ? -INFINITY : INFINITY;
    const double a = vm.toNumber(c.args[0]);
    if (c.args.size() == 1)
        return std::nan("");
    const double b = vm.toNumber(c.args[1]);
    if (std::isnan(a) || std::isnan(b))
        return std::nan("");
    return max ? std::max(a, b) : std::min(a, b);
}

Value maxMethod(Vm &vm, CallInfo &c) { return minMax(vm, c, true); }
Value minMethod(Vm &vm, CallInfo &c) { return minMax(vm, c, false); }

} // namespace

void installMath(Vm &vm)
{
    Object *math = vm.newPlain();
    vm.defineHidden(vm.global, QStringLiteral("Math"), math);
    defineMethods(vm, math, {
        {u"abs", unary<std::fabs>},   {u"acos", unary<std::acos>},  {u"asin", unary<std::asin>},
        {u"atan", unary<std::atan>},  {u"ceil", unary<std::ceil>},  {u"cos", unary<std::cos>},
        {u"exp", unary<std::exp>},    {u"floor", unary<std::floor>}, {u"log", unary<std::log>},
        {u"round", unary<roundHalfUp>}, {u"sin", unary<std::sin>},  {u"sqrt", unary<std::sqrt>},
        {u"tan", unary<std::tan>},    {u"atan2", atan2Method},      {u"pow", powMethod},
        {u"random", randomMethod},    {u"max", maxMethod},          {u"min", minMethod},
    });
    const int fixed = dontEnum | dontDelete | readOnly;
    vm.put(math, QStringLiteral("E"), std::numbers::e, fixed);
    vm.put(math, QStringLiteral("LN10"), std::numbers::ln10, fixed);
    vm.put(math, QStringLiteral("LN2"), std::numbers::ln2, fixed);
    vm.put(math, QStringLiteral("LOG10E"), std::numbers::log10e, fixed);
    vm.put(math, QStringLiteral("LOG2E"), std::numbers::log2e, fixed);
    vm.put(math, QStringLiteral("PI"), std::numbers::pi, fixed);
    vm.put(math, QStringLiteral("SQRT1_2"), 1 / std::numbers::sqrt2, fixed);
    vm.put(math, QStringLiteral("SQRT2"), std::numbers::sqrt2, fixed);
}

} // namespace sky::swf::avm1
