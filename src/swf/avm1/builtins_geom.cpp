// flash.geom (Flash 8): Point, Rectangle, Matrix and ColorTransform, plain
// objects whose fields scripts hand to the clips' scroll rects, drawing
// methods and bitmaps.

#include "builtins.h"

#include <cmath>

namespace sky::swf::avm1 {
namespace {

// Hidden from movies before Flash 8.
constexpr int fromFlash8 = dontEnum | 0x1000;

// Point, Rectangle and Matrix build their objects in script, so called
// as plain functions they fill in `this` all the same: with no arguments
// the fields' defaults, else each field from its argument, undefined where
// one is missing (or, for `onlyGiven`, the fields given and no others).
void setFields(Vm &vm, CallInfo &c, std::initializer_list<const char16_t *> names, const double *defaults,
               bool onlyGiven = false)
{
    if (!c.self.isObject())
        return;
    std::size_t i = 0;
    for (const char16_t *name : names) {
        if (c.args.empty())
            vm.set(c.self.object, QString::fromUtf16(name), defaults[i]);
        else if (!onlyGiven || i < c.args.size())
            vm.set(c.self.object, QString::fromUtf16(name), c.arg(i));
        ++i;
    }
}

// "(x=1, y=2)" and the like, each field converted as scripts convert it.
QString described(Vm &vm, CallInfo &c, std::initializer_list<std::pair<const char16_t *, const char16_t *>> fields)
{
    if (!c.self.isObject())
        return {};
    QStringList parts;
    for (const auto &[label, name] : fields)
        parts.push_back(QString::fromUtf16(label) + u'=' + vm.toString(vm.get(c.self.object, QString::fromUtf16(name))));
    return u'(' + parts.join(u", ") + u')';
}

double number(Vm &vm, CallInfo &c, const char16_t *name)
{
    return c.self.isObject() ? vm.toNumber(vm.get(c.self.object, QString::fromUtf16(name))) : std::nan("");
}

Value pointCall(Vm &vm, CallInfo &c)
{
    static constexpr double zeros[] = {0, 0};
    setFields(vm, c, {u"x", u"y"}, zeros);
    return {};
}

Value pointToString(Vm &vm, CallInfo &c) { return described(vm, c, {{u"x", u"x"}, {u"y", u"y"}}); }

Value rectangleCall(Vm &vm, CallInfo &c)
{
    static constexpr double zeros[] = {0, 0, 0, 0};
    setFields(vm, c, {u"x", u"y", u"width", u"height"}, zeros);
    return {};
}

Value rectangleToString(Vm &vm, CallInfo &c)
{
    return described(vm, c, {{u"x", u"x"}, {u"y", u"y"}, {u"w", u"width"}, {u"h", u"height"}});
}

Value rectangleIsEmpty(Vm &vm, CallInfo &c)
{
    return !(number(vm, c, u"width") > 0) || !(number(vm, c, u"height") > 0);
}

Value matrixCall(Vm &vm, CallInfo &c)
{
    static constexpr double identity[] = {1, 0, 0, 1, 0, 0};
    setFields(vm, c, {u"a", u"b", u"c", u"d", u"tx", u"ty"}, identity, true);
    return {};
}

Value matrixToString(Vm &vm, CallInfo &c)
{
    return described(vm, c, {{u"a", u"a"}, {u"b", u"b"}, {u"c", u"c"}, {u"d", u"d"}, {u"tx", u"tx"}, {u"ty", u"ty"}});
}

void setMatrix(Vm &vm, CallInfo &c, double sx, double sy, double rotation, double tx, double ty)
{
    if (!c.self.isObject())
        return;
    Object *m = c.self.object;
    vm.set(m, QStringLiteral("a"), std::cos(rotation) * sx);
    vm.set(m, QStringLiteral("b"), std::sin(rotation) * sx);
    vm.set(m, QStringLiteral("c"), -std::sin(rotation) * sy);
    vm.set(m, QStringLiteral("d"), std::cos(rotation) * sy);
    vm.set(m, QStringLiteral("tx"), tx);
    vm.set(m, QStringLiteral("ty"), ty);
}

double argOr(Vm &vm, CallInfo &c, std::size_t i, double fallback)
{
    return i < c.args.size() && !c.args[i].isUndefined() ? vm.toNumber(c.args[i]) : fallback;
}

// Scales 1 to 1 and turns by `rotation` radians, then moves.
Value createBox(Vm &vm, CallInfo &c)
{
    setMatrix(vm, c, argOr(vm, c, 0, 1), argOr(vm, c, 1, 1), argOr(vm, c, 2, 0), argOr(vm, c, 3, 0),
              argOr(vm, c, 4, 0));
    return {};
}

// The gradient square (1638.4 pixels across, centred) onto a box of
// `width` by `height` whose top left corner is at (tx, ty).
Value createGradientBox(Vm &vm, CallInfo &c)
{
    const double width = argOr(vm, c, 0, 0), height = argOr(vm, c, 1, 0);
    setMatrix(vm, c, width / 1638.4, height / 1638.4, argOr(vm, c, 2, 0), argOr(vm, c, 3, 0) + width / 2,
              argOr(vm, c, 4, 0) + height / 2);
    return {};
}

// A ColorTransform is built natively: only by `new`, from eight numbers or
// else as the identity.
Value colorTransformCall(Vm &vm, CallInfo &c)
{
    if (!c.constructing || !c.self.isObject())
        return {};
    static constexpr double identity[] = {1, 1, 1, 1, 0, 0, 0, 0};
    static constexpr const char16_t *names[] = {u"redMultiplier", u"greenMultiplier", u"blueMultiplier",
                                                u"alphaMultiplier", u"redOffset", u"greenOffset",
                                                u"blueOffset", u"alphaOffset"};
    const bool given = c.args.size() >= 8;
    for (std::size_t i = 0; i < 8; ++i)
        vm.set(c.self.object, QString::fromUtf16(names[i]), given ? vm.toNumber(c.args[i]) : identity[i]);
    return {};
}

Value matrixIdentity(Vm &vm, CallInfo &c)
{
    setMatrix(vm, c, 1, 1, 0, 0, 0);
    return {};
}

} // namespace

Value newGeometry(Vm &vm, const QString &className, std::initializer_list<std::pair<const char16_t *, double>> fields)
{
    const Value flash = vm.get(vm.global, QStringLiteral("flash"));
    const Value geom = flash.isObject() ? vm.get(flash.object, QStringLiteral("geom")) : Value();
    const Value ctor = geom.isObject() ? vm.get(geom.object, className) : Value();
    std::vector<Value> args;
    for (const auto &field : fields)
        args.emplace_back(field.second);
    Value made = vm.construct(ctor, args);
    if (made.isObject())
        return made;
    Object *o = vm.newPlain();
    for (const auto &[name, value] : fields)
        vm.set(o, QString::fromUtf16(name), value);
    return o;
}

void installGeometry(Vm &vm)
{
    Object *flash = vm.newPlain();
    vm.put(vm.global, QStringLiteral("flash"), flash, fromFlash8);
    Object *geom = vm.newPlain();
    vm.defineHidden(flash, QStringLiteral("geom"), geom);

    Object *point = vm.newPlain();
    defineClass(vm, QStringLiteral("Point"), point, pointCall, nullptr, geom);
    defineMethods(vm, point, {{u"toString", pointToString}});

    Object *rectangle = vm.newPlain();
    defineClass(vm, QStringLiteral("Rectangle"), rectangle, rectangleCall, nullptr, geom);
    defineMethods(vm, rectangle, {{u"toString", rectangleToString}, {u"isEmpty", rectangleIsEmpty}});

    Object *matrix = vm.newPlain();
    defineClass(vm, QStringLiteral("Matrix"), matrix, matrixCall, nullptr, geom);
    defineMethods(vm, matrix, {{u"toString", matrixToString},
                               {u"createBox", createBox},
                               {u"createGradientBox", createGradientBox},
                               {u"identity", matrixIdentity}});

    Object *colorTransform = vm.newPlain();
    defineClass(vm, QStringLiteral("ColorTransform"), colorTransform, colorTransformCall, nullptr, geom);
}

} // namespace sky::swf::avm1
