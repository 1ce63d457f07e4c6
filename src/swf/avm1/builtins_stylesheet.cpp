// TextField.StyleSheet: named styles (".class" or a tag's name) that scripts
// set one by one or read from CSS text, and a text field's styleSheet,
// which formats the HTML the field is given by those styles.

#include "activation.h"
#include "builtins.h"

#include "../textfield.h"

#include <QColor>
#include <QRegularExpression>

namespace sky::swf::avm1 {
namespace {

// The styles of a StyleSheet, by name, kept as the object's own value.
Object *stylesOf(Vm &vm, const Value &sheet, bool make)
{
    if (!sheet.isObject())
        return nullptr;
    if (!sheet.object->data.isObject() && make)
        sheet.object->data = vm.newPlain();
    return sheet.object->data.isObject() ? sheet.object->data.object : nullptr;
}

Object *copied(Vm &vm, Object *from)
{
    Object *to = vm.newPlain();
    for (const QString &name : vm.enumerate(from))
        vm.set(to, name, vm.get(from, name));
    return to;
}

Value styleSheetCall(Vm &vm, CallInfo &c)
{
    if (c.constructing)
        stylesOf(vm, c.self, true);
    return {};
}

Value setStyle(Vm &vm, CallInfo &c)
{
    Object *styles = stylesOf(vm, c.self, true);
    if (!styles)
        return {};
    const QString name = vm.toString(c.arg(0));
    if (c.arg(1).isObject())
        vm.set(styles, name, copied(vm, c.arg(1).object));
    else
        vm.remove(styles, name);
    return {};
}

Value getStyle(Vm &vm, CallInfo &c)
{
    Object *styles = stylesOf(vm, c.self, false);
    const Value style = styles ? vm.get(styles, vm.toString(c.arg(0))) : Value();
    return style.isObject() ? Value(copied(vm, style.object)) : Value::null();
}

Value getStyleNames(Vm &vm, CallInfo &c)
{
    Object *names = vm.newArray();
    if (Object *styles = stylesOf(vm, c.self, false))
        for (const QString &name : vm.enumerate(styles))
            vm.arrayPush(names, name);
    return names;
}

Value clearStyles(Vm &vm, CallInfo &c)
{
    if (c.self.isObject())
        c.self.object->data = vm.newPlain();
    return {};
}

// "font-size" as scripts name it: "fontSize".
QString camelCased(const QString &name)
{
    QString out;
    bool upper = false;
    for (const QChar ch : name.trimmed()) {
        if (ch == u'-') {
            upper = true;
            continue;
        }
        out += upper ? ch.toUpper() : ch;
        upper = false;
    }
    return out;
}

// Rules of CSS text, each "selector, selector { name: value; ... }";
// false, with nothing set, when the text is not made of such rules.
Value parseCSS(Vm &vm, CallInfo &c)
{
    Object *styles = stylesOf(vm, c.self, true);
    if (!styles)
        return false;
    static const QRegularExpression comments(QStringLiteral(R"(/\*.*?\*/)"),
                                              QRegularExpression::DotMatchesEverythingOption);
    QString css = vm.toString(c.arg(0));
    css.remove(comments);
    std::vector<std::pair<QStringList, Object *>> rules;
    qsizetype at = 0;
    for (;;) {
        const qsizetype open = css.indexOf(u'{', at);
        if (open < 0) {
            if (!css.mid(at).trimmed().isEmpty())
                return false;
            break;
        }
        const qsizetype close = css.indexOf(u'}', open);
        if (close < 0)
            return false;
        Object *style = vm.newPlain();
        for (const QString &declaration : css.mid(open + 1, close - open - 1).split(u';')) {
            const qsizetype colon = declaration.indexOf(u':');
            if (colon < 0)
                continue;
            QString value = declaration.mid(colon + 1).trimmed();
            if (value.size() > 1 && (value.front() == u'"' || value.front() == u'\'') && value.back() == value.front())
                value = value.mid(1, value.size() - 2);
            vm.set(style, camelCased(declaration.left(colon)), value);
        }
        QStringList selectors;
        for (const QString &selector : css.mid(at, open - at).split(u','))
            if (!selector.trimmed().isEmpty())
                selectors.push_back(selector.trimmed());
        if (selectors.isEmpty())
            return false;
        rules.emplace_back(selectors, style);
        at = close + 1;
    }
    for (const auto &[selectors, style] : rules)
        for (const QString &selector : selectors)
            vm.set(styles, selector, style);
    return true;
}

// A number of pixels in twips: 10, "10" or "10px".
std::optional<double> twips(Vm &vm, const Value &v)
{
    static const QRegularExpression leading(QStringLiteral(R"(^\s*(-?\d+(?:\.\d+)?))"));
    if (v.isNumber())
        return v.number * 20;
    const auto m = leading.match(vm.toString(v));
    return m.hasMatch() ? std::optional<double>(m.captured(1).toDouble() * 20) : std::nullopt;
}

// Changes `format` by the properties a style object sets.
void applyStyle(Vm &vm, Object *style, TextFormat &format)
{
    const auto text = [&](const char16_t *name) {
        const Value v = vm.get(style, QString::fromUtf16(name));
        return v.isUndefined() ? QString() : vm.toString(v).trimmed();
    };
    if (const QColor color(text(u"color")); color.isValid())
        format.color = color.rgb();
    if (const auto size = twips(vm, vm.get(style, QStringLiteral("fontSize"))))
        format.size = *size;
    if (const QString family = text(u"fontFamily"); !family.isEmpty())
        format.font = family;
    if (const QString weight = text(u"fontWeight"); !weight.isEmpty())
        format.bold = weight.compare(u"bold", Qt::CaseInsensitive) == 0;
    if (const QString slant = text(u"fontStyle"); !slant.isEmpty())
        format.italic = slant.compare(u"italic", Qt::CaseInsensitive) == 0;
    if (const QString decoration = text(u"textDecoration"); !decoration.isEmpty())
        format.underline = decoration.compare(u"underline", Qt::CaseInsensitive) == 0;
    const QString align = text(u"textAlign").toLower();
    if (align == u"left" || align == u"right" || align == u"center" || align == u"justify")
        format.align = align == u"left" ? TextFormat::left : align == u"right" ? TextFormat::right
                     : align == u"center" ? TextFormat::center : TextFormat::justify;
    for (const auto &[name, field] : {std::pair{u"marginLeft", &TextFormat::leftMargin},
                                      std::pair{u"marginRight", &TextFormat::rightMargin},
                                      std::pair{u"textIndent", &TextFormat::indent},
                                      std::pair{u"letterSpacing", &TextFormat::letterSpacing}})
        if (const auto v = twips(vm, vm.get(style, QString::fromUtf16(name))))
            format.*field = *v;
    if (const QString kerning = text(u"kerning"); !kerning.isEmpty())
        format.kerning = kerning == u"true";
}

// The TextFormat a style makes.
Value transform(Vm &vm, CallInfo &c)
{
    if (!c.arg(0).isObject())
        return Value::null();
    TextFormat format;
    applyStyle(vm, c.arg(0).object, format);
    return newTextFormat(vm, {&format});
}

Value getFieldSheet(Vm &, CallInfo &c)
{
    return c.self.isObject() && c.self.object->data.isObject() ? c.self.object->data : Value();
}

// Any object but a clip is taken; other values take the sheet away.
Value setFieldSheet(Vm &, CallInfo &c)
{
    const Value sheet = c.arg(0);
    if (c.self.isObject() && c.self.object->kind == ObjectKind::Clip)
        c.self.object->data = sheet.isObject() && sheet.object->kind != ObjectKind::Clip ? sheet : Value();
    return {};
}

} // namespace

StyleRule fieldStyles(Vm &vm, const Value &field)
{
    if (!field.isObject() || !field.object->data.isObject())
        return {};
    const Value sheet = field.object->data;
    return [&vm, sheet](const QString &tag, const QString &className, TextFormat &format) {
        Object *styles = stylesOf(vm, sheet, false);
        if (!styles)
            return;
        // Of the tags only paragraphs, list items and links take their
        // own styles; class names match whatever their case.
        const bool styledTag = tag == u"p" || tag == u"li" || tag == u"a";
        const QString classSelector = className.isEmpty() ? QString() : u'.' + className;
        for (const QString &wanted : {styledTag ? tag : QString(), classSelector}) {
            if (wanted.isEmpty())
                continue;
            for (const QString &name : vm.enumerate(styles)) {
                const Value style = name.compare(wanted, Qt::CaseInsensitive) == 0 ? vm.get(styles, name) : Value();
                if (style.isObject())
                    applyStyle(vm, style.object, format);
            }
        }
    };
}

void installStyleSheet(Vm &vm)
{
    const Value textField = vm.get(vm.global, QStringLiteral("TextField"));
    if (!textField.isObject())
        return;
    Object *proto = vm.newPlain();
    defineClass(vm, QStringLiteral("StyleSheet"), proto, styleSheetCall, nullptr, textField.object);
    defineMethods(vm, proto, {{u"setStyle", setStyle},
                              {u"getStyle", getStyle},
                              {u"getStyleNames", getStyleNames},
                              {u"clear", clearStyles},
                              {u"parseCSS", parseCSS},
                              {u"transform", transform}});
    defineAccessor(vm, vm.textFieldProto, QStringLiteral("styleSheet"), getFieldSheet, setFieldSheet);
}

} // namespace sky::swf::avm1
