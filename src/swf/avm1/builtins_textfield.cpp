// TextField: the text fields on the stage as script objects. Their
// properties are getters and setters on the prototype that read and change
// the field's state through the host; MovieClip.createTextField makes one.

#include "builtins.h"

#include "../devicefonts.h"
#include "../fieldtext.h"

#include <algorithm>

namespace sky::swf::avm1 {
namespace {

int fieldOf(Vm &vm, const CallInfo &c)
{
    if (!c.self.isObject() || c.self.object->kind != ObjectKind::Clip)
        return 0;
    return vm.host()->textField(c.self.object->clip) ? c.self.object->clip : 0;
}

QRgb rgbOf(Vm &vm, const Value &v) { return 0xFF000000 | (quint32(vm.toInt32(v)) & 0xFFFFFF); }

Value autoSizeName(int autoSize)
{
    switch (autoSize) {
    case TextField::autoLeft: return QStringLiteral("left");
    case TextField::autoCenter: return QStringLiteral("center");
    case TextField::autoRight: return QStringLiteral("right");
    default: return QStringLiteral("none");
    }
}

void setAutoSize(Vm &vm, TextField &f, const Value &v)
{
    if (v.isBoolean()) {
        f.autoSize = v.boolean ? TextField::autoLeft : TextField::noAutoSize;
        return;
    }
    const QString name = vm.toString(v).toLower();
    for (int a = TextField::noAutoSize; a <= TextField::autoRight; ++a)
        if (autoSizeName(a).string == name)
            f.autoSize = a;
}

// The number of lines the box shows at once, at least one.
int visibleLines(const TextField &f, const FieldMetrics &m)
{
    if (m.lines <= 0 || m.textHeight <= 0)
        return 1;
    return qMax(1, int((f.box.height() - 80) / (m.textHeight / m.lines)));
}

// What a property does: its value, and how a value set changes the field
// (null for read-only ones). `text` marks setters that change the text.
struct FieldProperty {
    const char16_t *name;
    Value (*get)(Vm &, TextField &, int clip);
    void (*set)(Vm &, TextField &, const Value &);
    bool text = false;
    bool styled = false; // read and set as given while a style sheet styles the field
};

// A property that is one of the field's flags.
template <bool TextField::*flag>
constexpr FieldProperty flagProperty(const char16_t *name)
{
    return {name, [](Vm &, TextField &f, int) -> Value { return f.*flag; },
            [](Vm &vm, TextField &f, const Value &v) { f.*flag = vm.toBoolean(v); }};
}

const FieldProperty fieldProperties[] = {
    {u"text", [](Vm &, TextField &f, int) -> Value { return f.text; },
     [](Vm &vm, TextField &f, const Value &v) { f.setPlainText(vm.toString(v)); }, true, true},
    {u"htmlText", [](Vm &, TextField &f, int) -> Value { return f.html ? htmlText(f) : f.text; },
     [](Vm &vm, TextField &f, const Value &v) {
         if (f.html)
             setHtmlText(f, vm.toString(v));
         else
             f.setPlainText(vm.toString(v));
     }, true, true},
    flagProperty<&TextField::html>(u"html"),
    {u"length", [](Vm &, TextField &f, int) -> Value { return int(f.text.size()); }, nullptr},
    {u"textColor", [](Vm &, TextField &f, int) -> Value { return double(f.newFormat.color & 0xFFFFFF); },
     [](Vm &vm, TextField &f, const Value &v) {
         f.newFormat.color = rgbOf(vm, v);
         for (TextFormat &format : f.formats)
             format.color = f.newFormat.color;
     }},
    flagProperty<&TextField::background>(u"background"),
    {u"backgroundColor", [](Vm &, TextField &f, int) -> Value { return double(f.backgroundColor & 0xFFFFFF); },
     [](Vm &vm, TextField &f, const Value &v) { f.backgroundColor = rgbOf(vm, v); }},
    flagProperty<&TextField::border>(u"border"),
    {u"borderColor", [](Vm &, TextField &f, int) -> Value { return double(f.borderColor & 0xFFFFFF); },
     [](Vm &vm, TextField &f, const Value &v) { f.borderColor = rgbOf(vm, v); }},
    {u"autoSize", [](Vm &, TextField &f, int) -> Value { return autoSizeName(f.autoSize); }, setAutoSize},
    flagProperty<&TextField::wordWrap>(u"wordWrap"),
    flagProperty<&TextField::multiline>(u"multiline"),
    flagProperty<&TextField::selectable>(u"selectable"),
    flagProperty<&TextField::password>(u"password"),
    flagProperty<&TextField::embedFonts>(u"embedFonts"),
    flagProperty<&TextField::condenseWhite>(u"condenseWhite"),
    {u"type", [](Vm &, TextField &f, int) -> Value { return f.editable ? QStringLiteral("input") : QStringLiteral("dynamic"); },
     [](Vm &vm, TextField &f, const Value &v) {
         const QString type = vm.toString(v).toLower();
         if (type == u"input" || type == u"dynamic")
             f.editable = type == u"input";
     }},
    {u"variable", [](Vm &, TextField &f, int) -> Value { return f.variable.isEmpty() ? Value::null() : Value(f.variable); },
     [](Vm &vm, TextField &f, const Value &v) { f.variable = v.isNullish() ? QString() : vm.toString(v); }},
    {u"maxChars", [](Vm &, TextField &f, int) -> Value { return f.maxChars ? Value(f.maxChars) : Value::null(); },
     [](Vm &vm, TextField &f, const Value &v) { f.maxChars = qMax(0, vm.toInt32(v)); }},
    {u"textWidth", [](Vm &vm, TextField &, int clip) -> Value { return vm.host()->textFieldMetrics(clip).textWidth / 20; },
     nullptr},
    {u"textHeight", [](Vm &vm, TextField &, int clip) -> Value { return vm.host()->textFieldMetrics(clip).textHeight / 20; },
     nullptr},
    {u"scroll", [](Vm &, TextField &f, int) -> Value { return f.scroll; },
     [](Vm &vm, TextField &f, const Value &v) { f.scroll = qMax(1, vm.toInt32(v)); }},
    {u"maxscroll", [](Vm &vm, TextField &f, int clip) -> Value {
         const FieldMetrics m = vm.host()->textFieldMetrics(clip);
         return qMax(1, m.lines - visibleLines(f, m) + 1);
     }, nullptr},
    {u"bottomScroll", [](Vm &vm, TextField &f, int clip) -> Value {
         const FieldMetrics m = vm.host()->textFieldMetrics(clip);
         return qMin(qMax(1, m.lines), f.scroll + visibleLines(f, m) - 1);
     }, nullptr},
    {u"hscroll", [](Vm &, TextField &f, int) -> Value { return f.hscroll; },
     [](Vm &vm, TextField &f, const Value &v) { f.hscroll = qMax(0, vm.toInt32(v)); }},
    {u"maxhscroll", [](Vm &vm, TextField &, int clip) -> Value { return vm.host()->textFieldMetrics(clip).maxHScroll; },
     nullptr},
};

const FieldProperty &propertyOf(const CallInfo &c) { return fieldProperties[std::size_t(c.callee->data.number)]; }

Value getProperty(Vm &vm, CallInfo &c)
{
    const int clip = fieldOf(vm, c);
    if (!clip)
        return {};
    const FieldProperty &property = propertyOf(c);
    TextField &f = *vm.host()->textField(clip);
    // A styled field's HTML reads back as a script gave it, or as HTML.
    if (property.styled && property.name != std::u16string_view(u"text") && fieldStyles(vm, c.self))
        return f.styledSource ? *f.styledSource : htmlText(f);
    return property.get(vm, f, clip);
}

Value setProperty(Vm &vm, CallInfo &c)
{
    const FieldProperty &property = propertyOf(c);
    const int clip = fieldOf(vm, c);
    if (!clip || !property.set)
        return {};
    TextField &f = *vm.host()->textField(clip);
    const StyleRule styles = property.styled ? fieldStyles(vm, c.self) : StyleRule();
    if (styles) {
        // A style sheet reads the text given as HTML, whatever the html flag.
        f.styledSource = vm.toString(c.arg(0));
        setHtmlText(f, *f.styledSource, styles);
    } else {
        property.set(vm, f, c.arg(0));
    }
    vm.host()->textFieldChanged(clip, property.text);
    return {};
}

// The characters from `begin` to `end` as arguments give them, clamped.
std::pair<qsizetype, qsizetype> range(Vm &vm, const TextField &f, const Value &begin, const Value &end)
{
    const qsizetype size = f.text.size();
    const qsizetype from = begin.isUndefined() ? 0 : std::clamp<qsizetype>(vm.toInt32(begin), 0, size);
    const qsizetype to = end.isUndefined() ? (begin.isUndefined() ? size : qMin(from + 1, size))
                                           : std::clamp<qsizetype>(vm.toInt32(end), from, size);
    return {from, to};
}

Value getTextFormat(Vm &vm, CallInfo &c)
{
    const int clip = fieldOf(vm, c);
    if (!clip)
        return {};
    const TextField &f = *vm.host()->textField(clip);
    const auto [from, to] = range(vm, f, c.arg(0), c.arg(1));
    std::vector<const TextFormat *> formats;
    for (qsizetype i = from; i < to; ++i)
        formats.push_back(&f.formats[std::size_t(i)]);
    if (formats.empty())
        formats.push_back(&f.newFormat);
    return newTextFormat(vm, formats);
}

Value setTextFormat(Vm &vm, CallInfo &c)
{
    const int clip = fieldOf(vm, c);
    if (!clip || c.args.empty() || !c.args.back().isObject())
        return {};
    TextField &f = *vm.host()->textField(clip);
    Object *format = c.args.back().object;
    const auto [from, to] = range(vm, f, c.args.size() > 1 ? c.args[0] : Value(), c.args.size() > 2 ? c.args[1] : Value());
    for (qsizetype i = from; i < to; ++i)
        applyTextFormat(vm, format, f.formats[std::size_t(i)]);
    vm.host()->textFieldChanged(clip, false);
    return {};
}

Value getNewTextFormat(Vm &vm, CallInfo &c)
{
    const int clip = fieldOf(vm, c);
    return clip ? Value(newTextFormat(vm, {&vm.host()->textField(clip)->newFormat})) : Value();
}

Value setNewTextFormat(Vm &vm, CallInfo &c)
{
    const int clip = fieldOf(vm, c);
    if (clip && c.arg(0).isObject())
        applyTextFormat(vm, c.arg(0).object, vm.host()->textField(clip)->newFormat);
    return {};
}

Value replaceText(Vm &vm, CallInfo &c)
{
    const int clip = fieldOf(vm, c);
    if (!clip || c.args.size() < 3)
        return {};
    TextField &f = *vm.host()->textField(clip);
    const auto [from, to] = range(vm, f, c.args[0], c.args[1]);
    f.replace(from, to, vm.toString(c.args[2]));
    vm.host()->textFieldChanged(clip, true);
    return {};
}

Value removeTextField(Vm &vm, CallInfo &c)
{
    if (const int clip = fieldOf(vm, c))
        vm.host()->removeClip(clip);
    return {};
}

Value getDepth(Vm &vm, CallInfo &c)
{
    const int clip = fieldOf(vm, c);
    return clip ? Value(vm.host()->clipDepth(clip)) : Value();
}

// MovieClip.createTextField(name, depth, x, y, width, height): the new
// field from SWF 8 on, nothing before.
Value createTextField(Vm &vm, CallInfo &c)
{
    const int parent = c.self.isObject() && c.self.object->kind == ObjectKind::Clip ? c.self.object->clip : 0;
    if (!parent || c.args.size() < 6)
        return {};
    const QString name = vm.toString(c.args[0]);
    const int depth = vm.toInt32(c.args[1]);
    const QRectF box(vm.toInt32(c.args[2]), vm.toInt32(c.args[3]), vm.toInt32(c.args[4]), vm.toInt32(c.args[5]));
    const int made = vm.host()->createTextField(parent, name, depth, box);
    return made && vm.movieVersion() >= 8 ? Value(vm.host()->clipObject(made)) : Value();
}

Value textFieldCall(Vm &, CallInfo &) { return {}; }

// Listeners of a field's onChanged, kept like a broadcaster's.
Value addFieldListener(Vm &vm, CallInfo &c)
{
    if (!fieldOf(vm, c))
        return false;
    if (!vm.getMember(c.self, QStringLiteral("_listeners")).isObject())
        vm.defineHidden(c.self.object, QStringLiteral("_listeners"), vm.newArray());
    return vm.call(vm.get(vm.broadcaster, QStringLiteral("addListener")), c.self, c.args);
}

Value removeFieldListener(Vm &vm, CallInfo &c)
{
    return vm.call(vm.get(vm.broadcaster, QStringLiteral("removeListener")), c.self, c.args);
}

// The names of the system's fonts.
Value getFontList(Vm &vm, CallInfo &)
{
    Object *list = vm.newArray();
    for (const QString &name : deviceFontFamilies())
        vm.arrayPush(list, name);
    return list;
}

} // namespace

void installTextField(Vm &vm)
{
    vm.textFieldProto = vm.newPlain();
    Object *textField = defineClass(vm, QStringLiteral("TextField"), vm.textFieldProto, textFieldCall);
    vm.method(textField, QStringLiteral("getFontList"), getFontList);
    for (std::size_t i = 0; i < std::size(fieldProperties); ++i) {
        const QString name = QString::fromUtf16(fieldProperties[i].name);
        Property &p = vm.textFieldProto->add(vm.key(name), name, Value(), dontEnum | dontDelete);
        p.getter = vm.newNative(getProperty);
        p.getter->data = int(i);
        p.setter = vm.newNative(setProperty);
        p.setter->data = int(i);
    }
    defineMethods(vm, vm.textFieldProto, {
        {u"getTextFormat", getTextFormat},
        {u"setTextFormat", setTextFormat},
        {u"getNewTextFormat", getNewTextFormat},
        {u"setNewTextFormat", setNewTextFormat},
        {u"replaceText", replaceText},
        {u"removeTextField", removeTextField},
        {u"getDepth", getDepth},
        {u"addListener", addFieldListener},
        {u"removeListener", removeFieldListener},
    });
    vm.method(vm.clipProto, QStringLiteral("createTextField"), createTextField);
}

} // namespace sky::swf::avm1
