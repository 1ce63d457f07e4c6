#include "edittext.h"

#include "bitreader.h"
#include "devicefonts.h"

#include <QHash>

#include <cmath>

namespace sky::swf {
namespace {

constexpr double gutter = 40; // twips between the border and the text

struct Styled {
    QChar ch;
    QColor color;
    quint16 font;
};

struct Style {
    QColor color;
    QString face;
    bool bold = false, italic = false;
};

// The colour a text field's glyphs come out in: the player keeps each
// channel as a multiplier in 1/256 steps, rounded down, applied to white.
QColor fieldColor(const QColor &color)
{
    const auto channel = [](int c) { return 255 * (c * 256 / 255) / 256; };
    return QColor(channel(color.red()), channel(color.green()), channel(color.blue()), color.alpha());
}

QString attribute(const QString &tag, const QString &name)
{
    const qsizetype at = tag.indexOf(name + QLatin1Char('='));
    if (at < 0)
        return {};
    QString value = tag.mid(at + name.size() + 1);
    const QChar quote = value.isEmpty() ? QChar() : value[0];
    if (quote == u'"' || quote == u'\'')
        return value.mid(1).section(quote, 0, 0);
    return value.section(u' ', 0, 0);
}

QString entity(const QString &name)
{
    if (name == u"lt")
        return QStringLiteral("<");
    if (name == u"gt")
        return QStringLiteral(">");
    if (name == u"amp")
        return QStringLiteral("&");
    if (name == u"quot")
        return QStringLiteral("\"");
    if (name == u"apos")
        return QStringLiteral("'");
    if (name == u"nbsp")
        return QString(QChar(0xA0));
    if (name.startsWith(u'#')) {
        bool ok = false;
        const uint code = name.startsWith(u"#x") ? name.mid(2).toUInt(&ok, 16) : name.mid(1).toUInt(&ok);
        if (ok && code > 0 && code < 0x10000)
            return QString(QChar(char16_t(code)));
    }
    return QLatin1Char('&') + name + QLatin1Char(';');
}

// The characters of HTML text with the colour and font each is drawn in.
std::vector<Styled> fromHtml(const QString &html, const Style &base, const FontLookup &fonts, quint16 baseFont)
{
    std::vector<Styled> out;
    std::vector<Style> styles{base};
    const auto fontOf = [&](const Style &style) {
        const quint16 id = fonts.byName(style.face, style.bold, style.italic);
        return id ? id : baseFont;
    };
    quint16 font = fontOf(base);
    const auto push = [&](Style style) {
        styles.push_back(std::move(style));
        font = fontOf(styles.back());
    };
    for (qsizetype i = 0; i < html.size(); ++i) {
        const QChar c = html[i];
        if (c == u'<') {
            const qsizetype end = html.indexOf(u'>', i);
            if (end < 0)
                break;
            const QString tag = html.mid(i + 1, end - i - 1).trimmed();
            const QString name = tag.section(u' ', 0, 0).toLower();
            i = end;
            Style style = styles.back();
            if (name == u"br" || name == u"br/" || name == u"/p" || name == u"/li") {
                out.push_back({u'\n', style.color, font});
            } else if (name == u"font") {
                const QColor color(attribute(tag, QStringLiteral("color")));
                if (color.isValid())
                    style.color = QColor(color.red(), color.green(), color.blue(), base.color.alpha());
                const QString face = attribute(tag, QStringLiteral("face"));
                if (!face.isEmpty())
                    style.face = face;
                push(style);
            } else if (name == u"b" || name == u"i") {
                (name == u"b" ? style.bold : style.italic) = true;
                push(style);
            } else if ((name == u"/font" || name == u"/b" || name == u"/i") && styles.size() > 1) {
                styles.pop_back();
                font = fontOf(styles.back());
            }
        } else if (c == u'&') {
            // Entities are short; look no further than that for the end.
            const qsizetype found = QStringView(html).mid(i, 12).indexOf(u';');
            const qsizetype end = found < 0 ? -1 : i + found;
            if (end < 0) {
                out.push_back({c, styles.back().color, font});
                continue;
            }
            for (QChar e : entity(html.mid(i + 1, end - i - 1)))
                out.push_back({e, styles.back().color, font});
            i = end;
        } else {
            out.push_back({c, styles.back().color, font});
        }
    }
    if (!out.empty() && out.back().ch == u'\n')
        out.pop_back();
    return out;
}

} // namespace

TextCharacter readDefineEditText(BitReader &r, const FontLookup &fonts, const QByteArray *definition)
{
    TextCharacter text;
    const qsizetype definitionStart = r.pos();
    const QRectF bounds = r.rect();
    const qsizetype flagsAt = r.pos() - definitionStart;
    const int high = r.u8(); // the flags are bit fields, first byte first
    const quint16 flags = quint16((high << 8) | r.u8());
    const bool hasText = flags & 0x8000, wordWrap = flags & 0x4000, hasColor = flags & 0x0400;
    const bool hasMaxLength = flags & 0x0200, hasFont = flags & 0x0100, hasFontClass = flags & 0x0080;
    const bool hasLayout = flags & 0x0020, html = flags & 0x0002;
    text.box = bounds;
    text.framed = flags & 0x0008;
    quint16 fontId = 0;
    double height = 240;
    if (hasFont)
        fontId = r.u16();
    if (hasFontClass)
        r.string();
    if (hasFont || hasFontClass)
        height = r.u16();
    const QColor color = hasColor ? r.rgba() : QColor(0, 0, 0);
    if (hasMaxLength)
        r.u16();
    int align = 0;
    double leftMargin = 0, rightMargin = 0, indent = 0, leading = 0;
    if (hasLayout) {
        align = r.u8();
        leftMargin = r.u16();
        rightMargin = r.u16();
        indent = r.u16();
        leading = r.s16();
    }
    const QString variable = r.string();
    std::shared_ptr<EditTextSource> source;
    if (definition) {
        source = std::make_shared<EditTextSource>(EditTextSource{*definition, flagsAt, r.pos() - definitionStart, variable, {}, fonts});
        text.edit = source;
    }
    const FontCharacter *font = fonts.byId(fontId);
    if (!hasText)
        return text;
    const QString initial = r.string();
    if (source)
        source->initialText = initial;
    FontLookup lookup = fonts;
    if (!font || font->codes.empty()) {
        // A device font: the system's glyphs, known as font 0, for every
        // face the text names.
        text.deviceFont = std::make_shared<const FontCharacter>(
            deviceFont(font ? font->name : QStringLiteral("_serif"), font && font->bold, font && font->italic, initial));
        if (text.deviceFont->codes.empty())
            return text;
        fontId = 0;
        font = text.deviceFont.get();
        lookup.byId = [&text](quint16) { return text.deviceFont.get(); };
        lookup.byName = [](const QString &, bool, bool) -> quint16 { return 0; };
    } else if (const quint16 first = fonts.byName(font->name, font->bold, font->italic); first && fonts.byId(first)) {
        // The first font of this name and style stands for the others.
        fontId = first;
        font = fonts.byId(first);
    }
    const std::vector<Styled> chars = html ? fromHtml(initial, {color, font->name, false, false}, lookup, fontId) : [&] {
        std::vector<Styled> plain;
        for (QChar c : initial)
            plain.push_back({c == u'\r' ? QChar(u'\n') : c, color, fontId});
        return plain;
    }();

    // Glyph indices by character, per font used.
    std::map<quint16, QHash<char16_t, int>> glyphTables;
    const auto glyphOf = [&](const Styled &c) {
        auto [table, added] = glyphTables.try_emplace(c.font);
        const FontCharacter *f = lookup.byId(c.font);
        if (added && f)
            for (std::size_t i = 0; i < f->codes.size(); ++i)
                table->second.insert(f->codes[i], int(i));
        return table->second.value(c.ch.unicode(), -1);
    };
    const auto advanceOf = [&](const Styled &c) {
        const FontCharacter *f = lookup.byId(c.font);
        const int glyph = glyphOf(c);
        const double scale = f ? height / f->emSize : 0;
        // Advances are whole twips.
        if (glyph >= 0 && std::size_t(glyph) < f->advances.size())
            return std::floor(f->advances[std::size_t(glyph)] * scale);
        return glyph >= 0 && std::size_t(glyph) < f->glyphs.size()
                 ? f->glyphs[std::size_t(glyph)].boundingRect().right() * scale
                 : height / 2;
    };
    // Kerning pairs apply where the text asks for them.
    const bool kerned = html && initial.contains(QStringLiteral("kerning=\"1\""));
    const auto kerningOf = [&](const Styled &previous, const Styled &c) {
        const FontCharacter *f = lookup.byId(c.font);
        if (!kerned || !f || previous.font != c.font)
            return 0.0;
        const auto pair = f->kerning.find({previous.ch.unicode(), c.ch.unicode()});
        return pair == f->kerning.end() ? 0.0 : std::floor(pair->second * height / f->emSize);
    };
    const double scale = height / font->emSize;
    // The first baseline lies whole twips below the top: the ascent at this
    // height, rounded down.
    const double ascent = std::floor(font->ascent > 0 ? font->ascent * scale : height * 0.8);
    const double lineHeight = (font->ascent + font->descent > 0 ? (font->ascent + font->descent) * scale : height)
                            + leading;
    const double left = bounds.left() + gutter + leftMargin;
    const double width = bounds.width() - 2 * gutter - leftMargin - rightMargin;

    // Lay out line by line: a line ends at a line break or, when wrapping,
    // before the word that would run past the right edge.
    double y = bounds.top() + gutter + ascent;
    std::size_t start = 0;
    while (start < chars.size()) {
        double x = start == 0 ? indent : 0;
        std::size_t end = start, lastSpace = 0;
        for (; end < chars.size() && chars[end].ch != u'\n'; ++end) {
            const double advance = advanceOf(chars[end]) + (end + 1 < chars.size() ? kerningOf(chars[end], chars[end + 1]) : 0.0);
            if (wordWrap && x + advance > width && lastSpace > start) {
                end = lastSpace;
                break;
            }
            if (chars[end].ch == u' ')
                lastSpace = end;
            x += advance;
        }
        double lineWidth = 0;
        for (std::size_t i = start; i < end; ++i)
            lineWidth += advanceOf(chars[i]) + (i + 1 < end ? kerningOf(chars[i], chars[i + 1]) : 0.0);
        double pen = left + (start == 0 ? indent : 0);
        if (align == 1)
            pen = left + width - lineWidth;
        else if (align == 2)
            pen = left + (width - lineWidth) / 2;
        for (std::size_t i = start; i < end; ++i) {
            const int glyph = glyphOf(chars[i]);
            if (glyph >= 0)
                text.glyphs.push_back({chars[i].font, glyph, height, QPointF(pen, y), fieldColor(chars[i].color)});
            pen += advanceOf(chars[i]) + (i + 1 < end ? kerningOf(chars[i], chars[i + 1]) : 0.0);
        }
        start = end < chars.size() && (chars[end].ch == u'\n' || chars[end].ch == u' ') ? end + 1 : end;
        y += lineHeight;
        if (y - ascent > bounds.bottom())
            break;
    }
    return text;
}

TextCharacter relayoutEditText(const std::shared_ptr<const EditTextSource> &field, const QString &text)
{
    QByteArray definition = field->definition.left(field->textAt);
    if (field->flagsAt >= definition.size())
        return {};
    definition[field->flagsAt] = char(quint8(definition[field->flagsAt]) | 0x80); // has text
    definition += text.toUtf8();
    definition += '\0';
    BitReader r(definition);
    TextCharacter out = readDefineEditText(r, field->fonts);
    out.edit = field;
    return out;
}

} // namespace sky::swf
