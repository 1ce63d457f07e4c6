// TextFormat: a plain object whose properties describe a text format, each
// null where it is not given (or, read from a field, where the text
// differs). Fields take only what is not null.

#include "builtins.h"

#include <cmath>

namespace sky::swf::avm1 {
namespace {

// The properties the constructor sets from its arguments, in their order,
// then the others.
constexpr const char16_t *constructorOrder[] = {u"font", u"size", u"color", u"bold", u"italic", u"underline", u"url",
                                                u"target", u"align", u"leftMargin", u"rightMargin", u"indent", u"leading"};
constexpr const char16_t *otherProperties[] = {u"blockIndent", u"bullet", u"tabStops", u"kerning", u"letterSpacing"};

QString alignName(int align)
{
    switch (align) {
    case TextFormat::right: return QStringLiteral("right");
    case TextFormat::center: return QStringLiteral("center");
    case TextFormat::justify: return QStringLiteral("justify");
    default: return QStringLiteral("left");
    }
}

// A format's value of property `name` as scripts see it.
Value formatValue(const TextFormat &f, QStringView name)
{
    if (name == u"font")
        return f.font;
    if (name == u"size")
        return f.size / 20;
    if (name == u"color")
        return double(f.color & 0xFFFFFF);
    if (name == u"bold")
        return f.bold;
    if (name == u"italic")
        return f.italic;
    if (name == u"underline")
        return f.underline;
    if (name == u"url")
        return f.url;
    if (name == u"target")
        return f.target;
    if (name == u"align")
        return alignName(f.align);
    if (name == u"leftMargin")
        return f.leftMargin / 20;
    if (name == u"rightMargin")
        return f.rightMargin / 20;
    if (name == u"indent")
        return f.indent / 20;
    if (name == u"leading")
        return f.leading / 20;
    if (name == u"kerning")
        return f.kerning;
    if (name == u"letterSpacing")
        return f.letterSpacing / 20;
    if (name == u"blockIndent")
        return 0;
    if (name == u"bullet")
        return false;
    return Value::null();
}

bool sameValue(const Value &a, const Value &b)
{
    if (a.type != b.type)
        return false;
    if (a.isString())
        return a.string == b.string;
    if (a.isNumber())
        return a.number == b.number;
    if (a.isBoolean())
        return a.boolean == b.boolean;
    return true;
}

Value textFormatCall(Vm &vm, CallInfo &c)
{
    if (!c.constructing || !c.self.isObject())
        return {};
    std::size_t i = 0;
    for (const char16_t *name : constructorOrder) {
        const Value v = c.arg(i++);
        vm.set(c.self.object, QString::fromUtf16(name), v.isUndefined() ? Value::null() : v);
    }
    for (const char16_t *name : otherProperties)
        vm.set(c.self.object, QString::fromUtf16(name), Value::null());
    return c.self;
}

Object *formatPrototype(Vm &vm)
{
    const Value ctor = vm.get(vm.global, QStringLiteral("TextFormat"));
    const Value proto = ctor.isObject() ? vm.get(ctor.object, QStringLiteral("prototype")) : Value();
    return proto.isObject() ? proto.object : vm.objectProto;
}

} // namespace

Object *newTextFormat(Vm &vm, const std::vector<const TextFormat *> &formats)
{
    Object *out = vm.newObject(formatPrototype(vm));
    const auto add = [&](const char16_t *name) {
        Value value = formats.empty() ? Value::null() : formatValue(*formats.front(), name);
        for (const TextFormat *f : formats)
            if (!sameValue(formatValue(*f, name), value))
                value = Value::null();
        vm.set(out, QString::fromUtf16(name), value);
    };
    for (const char16_t *name : constructorOrder)
        add(name);
    for (const char16_t *name : otherProperties)
        add(name);
    return out;
}

void applyTextFormat(Vm &vm, Object *format, TextFormat &to)
{
    const auto given = [&](const char16_t *name, Value &out) {
        out = vm.get(format, QString::fromUtf16(name));
        return !out.isNullish();
    };
    const auto twips = [&](const Value &v) { return std::round(vm.toNumber(v) * 20); };
    Value v;
    if (given(u"font", v))
        to.font = vm.toString(v);
    if (given(u"size", v) && std::isfinite(vm.toNumber(v)))
        to.size = qMax(0.0, twips(v));
    if (given(u"color", v))
        to.color = 0xFF000000 | (quint32(vm.toInt32(v)) & 0xFFFFFF);
    if (given(u"bold", v))
        to.bold = vm.toBoolean(v);
    if (given(u"italic", v))
        to.italic = vm.toBoolean(v);
    if (given(u"underline", v))
        to.underline = vm.toBoolean(v);
    if (given(u"url", v))
        to.url = vm.toString(v);
    if (given(u"target", v))
        to.target = vm.toString(v);
    if (given(u"align", v)) {
        const QString name = vm.toString(v).toLower();
        for (int align = TextFormat::left; align <= TextFormat::justify; ++align)
            if (name == alignName(align))
                to.align = align;
    }
    for (const auto &[name, field] : {std::pair{u"leftMargin", &to.leftMargin}, std::pair{u"rightMargin", &to.rightMargin},
                                      std::pair{u"indent", &to.indent}, std::pair{u"leading", &to.leading},
                                      std::pair{u"letterSpacing", &to.letterSpacing}})
        if (given(name, v) && std::isfinite(vm.toNumber(v)))
            *field = twips(v);
    if (given(u"kerning", v))
        to.kerning = vm.toBoolean(v);
}

void installTextFormat(Vm &vm)
{
    defineClass(vm, QStringLiteral("TextFormat"), vm.newPlain(), textFormatCall);
}

} // namespace sky::swf::avm1
