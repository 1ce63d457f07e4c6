#include "builtins.h"

#include "../scriptdrawing.h"

#include <cmath>

namespace sky::swf::avm1 {
namespace {

ScriptDrawing *drawingOf(Vm &vm, CallInfo &c)
{
    if (!c.self.isObject() || c.self.object->kind != ObjectKind::Clip)
        return nullptr;
    return vm.host()->clipDrawing(c.self.object->clip);
}

// Points are given in pixels of the clip; drawings keep whole twips, the
// fraction cut off.
QPointF pointArg(Vm &vm, CallInfo &c, std::size_t at)
{
    return QPointF(std::trunc(vm.toNumber(c.arg(at)) * 20), std::trunc(vm.toNumber(c.arg(at + 1)) * 20));
}

bool allFinite(Vm &vm, CallInfo &c, std::size_t count)
{
    if (c.args.size() < count)
        return false;
    for (std::size_t i = 0; i < count; ++i)
        if (!std::isfinite(vm.toNumber(c.args[i])))
            return false;
    return true;
}

// An alpha in percent, 100 when not given.
int alphaArg(Vm &vm, const Value &v)
{
    if (v.isUndefined())
        return 255;
    const double percent = vm.toNumber(v);
    return std::isnan(percent) ? 0 : qRound(qBound(0.0, percent, 100.0) * 2.55);
}

QColor colorArg(Vm &vm, const Value &rgb, const Value &alpha)
{
    const quint32 value = quint32(vm.toInt32(rgb)) & 0xFFFFFF;
    return QColor(int(value >> 16), int(value >> 8 & 0xFF), int(value & 0xFF), alphaArg(vm, alpha));
}

Value moveTo(Vm &vm, CallInfo &c)
{
    if (ScriptDrawing *d = drawingOf(vm, c); d && allFinite(vm, c, 2))
        d->moveTo(pointArg(vm, c, 0));
    return {};
}

Value lineTo(Vm &vm, CallInfo &c)
{
    if (ScriptDrawing *d = drawingOf(vm, c); d && allFinite(vm, c, 2))
        d->lineTo(pointArg(vm, c, 0));
    return {};
}

Value curveTo(Vm &vm, CallInfo &c)
{
    if (ScriptDrawing *d = drawingOf(vm, c); d && allFinite(vm, c, 4))
        d->curveTo(pointArg(vm, c, 0), pointArg(vm, c, 2));
    return {};
}

Value beginFill(Vm &vm, CallInfo &c)
{
    ScriptDrawing *d = drawingOf(vm, c);
    if (!d)
        return {};
    if (c.args.empty() || c.args[0].isUndefined()) {
        d->beginFill(nullptr);
        return {};
    }
    FillStyle fill;
    fill.color = colorArg(vm, c.args[0], c.arg(1));
    d->beginFill(&fill);
    return {};
}

Value endFill(Vm &vm, CallInfo &c)
{
    if (ScriptDrawing *d = drawingOf(vm, c))
        d->endFill();
    return {};
}

Value clear(Vm &vm, CallInfo &c)
{
    if (ScriptDrawing *d = drawingOf(vm, c))
        d->clear();
    return {};
}

Value lineStyle(Vm &vm, CallInfo &c)
{
    ScriptDrawing *d = drawingOf(vm, c);
    if (!d)
        return {};
    const double thickness = c.args.empty() ? NAN : vm.toNumber(c.args[0]);
    if (std::isnan(thickness)) {
        d->lineStyle(nullptr);
        return {};
    }
    LineStyle line;
    line.width = qBound(0.0, thickness, 255.0) * 20;
    line.color = colorArg(vm, c.arg(1), c.arg(2));
    const QString scaling = c.args.size() > 4 ? vm.toString(c.args[4]) : QString();
    line.noHScale = scaling == u"none" || scaling == u"vertical";
    line.noVScale = scaling == u"none" || scaling == u"horizontal";
    const QString caps = c.args.size() > 5 ? vm.toString(c.args[5]) : QString();
    if (caps == u"none")
        line.startCap = line.endCap = Cap::None;
    else if (caps == u"square")
        line.startCap = line.endCap = Cap::Square;
    const QString joins = c.args.size() > 6 ? vm.toString(c.args[6]) : QString();
    if (joins == u"bevel")
        line.join = Join::Bevel;
    else if (joins == u"miter")
        line.join = Join::Miter;
    if (c.args.size() > 7 && !c.args[7].isUndefined()) {
        const double limit = vm.toNumber(c.args[7]);
        line.miterLimit = std::isnan(limit) ? 3 : qBound(1.0, limit, 255.0);
    }
    d->lineStyle(&line);
    return {};
}

double numberField(Vm &vm, Object *o, const char16_t *name)
{
    return vm.toNumber(vm.get(o, QString::fromUtf16(name)));
}

// `m` as a shape record keeps it: the stretch in 16.16 fixed point, the
// move in whole twips, both cut toward zero.
Matrix asRecord(Matrix m)
{
    for (double *scale : {&m.a, &m.b, &m.c, &m.d})
        *scale = std::trunc(*scale * 65536) / 65536;
    m.tx = std::trunc(m.tx);
    m.ty = std::trunc(m.ty);
    return m;
}

// The gradient's square (32768 twips across, centred) to the clip's twips,
// from a box {matrixType: "box", x, y, w, h, r} or a matrix {a..ty} in
// pixels.
Matrix gradientMatrix(Vm &vm, const Value &v)
{
    Matrix m;
    if (!v.isObject())
        return m;
    Object *o = v.object;
    if (vm.toString(vm.get(o, QStringLiteral("matrixType"))) == u"box") {
        const double w = numberField(vm, o, u"w"), h = numberField(vm, o, u"h"), r = numberField(vm, o, u"r");
        const double sx = w * 20 / 32768, sy = h * 20 / 32768;
        m.a = std::cos(r) * sx;
        m.b = std::sin(r) * sx;
        m.c = -std::sin(r) * sy;
        m.d = std::cos(r) * sy;
        m.tx = (numberField(vm, o, u"x") + w / 2) * 20;
        m.ty = (numberField(vm, o, u"y") + h / 2) * 20;
        return asRecord(m);
    }
    m.a = numberField(vm, o, u"a");
    m.b = numberField(vm, o, u"b");
    m.c = numberField(vm, o, u"c");
    m.d = numberField(vm, o, u"d");
    m.tx = numberField(vm, o, u"tx") * 20;
    m.ty = numberField(vm, o, u"ty") * 20;
    return asRecord(m);
}

// What the arguments of beginGradientFill and lineGradientStyle (type,
// colors, alphas, ratios, matrix, spread, interpolation, focal point)
// describe. A call the player refuses changes nothing; one without a type
// ends the gradient.
enum class GradientArgs { Gradient, NoType, Refused };

GradientArgs gradientArgs(Vm &vm, CallInfo &c, FillStyle &fill)
{
    if (c.args.empty() || c.args[0].isUndefined())
        return GradientArgs::NoType;
    if (c.args.size() < 5 || c.args.size() > 8 || !c.args[1].isObject() || !c.args[2].isObject()
        || !c.args[3].isObject())
        return GradientArgs::Refused;
    const QString type = vm.toString(c.args[0]);
    if (type != u"linear" && type != u"radial")
        return GradientArgs::Refused;
    Object *colors = c.args[1].object, *alphas = c.args[2].object, *ratios = c.args[3].object;
    const int count = vm.toInt32(vm.get(colors, QStringLiteral("length")));
    if (count <= 0 || count != vm.toInt32(vm.get(alphas, QStringLiteral("length")))
        || count != vm.toInt32(vm.get(ratios, QStringLiteral("length"))))
        return GradientArgs::Refused;
    for (int i = 0; i < qMin(count, 15); ++i) {
        const QString at = QString::number(i);
        GradientStop stop;
        stop.color = colorArg(vm, vm.get(colors, at), vm.get(alphas, at));
        // Ratios are whole numbers, cut toward zero; one outside 0..255
        // refuses the gradient.
        const double ratio = std::trunc(vm.toNumber(vm.get(ratios, at)));
        if (ratio < 0 || ratio > 255)
            return GradientArgs::Refused;
        stop.ratio = std::isnan(ratio) ? 0 : ratio;
        fill.stops.push_back(stop);
    }
    fill.kind = type == u"linear" ? FillKind::Linear : FillKind::Radial;
    fill.matrix = gradientMatrix(vm, c.args[4]);
    const QString spread = c.args.size() > 5 ? vm.toString(c.args[5]) : QString();
    fill.spread = spread == u"reflect" ? 1 : spread == u"repeat" ? 2 : 0;
    fill.interpolation = c.args.size() > 6 && vm.toString(c.args[6]) == u"linearRGB" ? 1 : 0;
    if (fill.kind == FillKind::Radial && c.args.size() > 7) {
        const double focal = vm.toNumber(c.args[7]);
        if (focal != 0 && !std::isnan(focal)) {
            // Kept as in a shape record: 8.8 fixed point, cut toward zero.
            fill.kind = FillKind::Focal;
            fill.focal = std::trunc(qBound(-1.0, focal, 1.0) * 256) / 256;
        }
    }
    return GradientArgs::Gradient;
}

Value beginGradientFill(Vm &vm, CallInfo &c)
{
    ScriptDrawing *d = drawingOf(vm, c);
    if (!d)
        return {};
    FillStyle fill;
    switch (gradientArgs(vm, c, fill)) {
    case GradientArgs::Gradient:
        d->beginFill(&fill);
        break;
    case GradientArgs::NoType:
        d->beginFill(nullptr);
        break;
    case GradientArgs::Refused:
        break;
    }
    return {};
}

Value lineGradientStyle(Vm &vm, CallInfo &c)
{
    FillStyle fill;
    if (ScriptDrawing *d = drawingOf(vm, c); d && gradientArgs(vm, c, fill) == GradientArgs::Gradient)
        d->lineFill(fill);
    return {};
}

} // namespace

void installDrawing(Vm &vm)
{
    defineMethods(vm, vm.clipProto, {
        {u"moveTo", moveTo},
        {u"lineTo", lineTo},
        {u"curveTo", curveTo},
        {u"beginFill", beginFill},
        {u"beginGradientFill", beginGradientFill},
        {u"endFill", endFill},
        {u"lineStyle", lineStyle},
        {u"lineGradientStyle", lineGradientStyle},
        {u"clear", clear},
    });
}

} // namespace sky::swf::avm1
