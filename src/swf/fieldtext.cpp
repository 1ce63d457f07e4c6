#include "fieldtext.h"

#include <QColor>

#include <algorithm>

namespace sky::swf {
namespace {

// An attribute's value in a tag, its name compared without case.
QString attribute(const QString &tag, const QString &name)
{
    const QString lower = tag.toLower();
    qsizetype at = -1;
    for (qsizetype from = 0; (at = lower.indexOf(name + QLatin1Char('='), from)) > 0; from = at + 1)
        if (lower[at - 1].isSpace())
            break;
    if (at <= 0)
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

// A distance in pixels as HTML gives it, in twips; `fallback` when absent.
double pixels(const QString &tag, const QString &name, double fallback)
{
    bool ok = false;
    const double v = attribute(tag, name).toDouble(&ok);
    return ok ? v * 20 : fallback;
}

int alignOf(const QString &name, int fallback)
{
    const QString n = name.toLower();
    if (n == u"left")
        return TextFormat::left;
    if (n == u"right")
        return TextFormat::right;
    if (n == u"center")
        return TextFormat::center;
    if (n == u"justify")
        return TextFormat::justify;
    return fallback;
}

void fontTag(const QString &tag, TextFormat &format)
{
    const QColor color(attribute(tag, QStringLiteral("color")));
    if (color.isValid())
        format.color = color.rgb();
    if (const QString face = attribute(tag, QStringLiteral("face")); !face.isEmpty())
        format.font = face;
    const QString size = attribute(tag, QStringLiteral("size"));
    bool ok = false;
    const double points = size.toDouble(&ok);
    if (ok)
        format.size = size.startsWith(u'+') || size.startsWith(u'-') ? qMax(0.0, format.size + points * 20) : points * 20;
    format.letterSpacing = pixels(tag, QStringLiteral("letterspacing"), format.letterSpacing);
    if (const QString kerning = attribute(tag, QStringLiteral("kerning")); !kerning.isEmpty())
        format.kerning = kerning.toInt() != 0;
}

QString escaped(QStringView text)
{
    QString out;
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'<': out += QStringLiteral("&lt;"); break;
        case u'>': out += QStringLiteral("&gt;"); break;
        case u'&': out += QStringLiteral("&amp;"); break;
        case u'"': out += QStringLiteral("&quot;"); break;
        case u'\'': out += QStringLiteral("&apos;"); break;
        default: out += c;
        }
    }
    return out;
}

QString number(double twips) { return QString::number(twips / 20); }

QString alignName(int align)
{
    switch (align) {
    case TextFormat::right: return QStringLiteral("RIGHT");
    case TextFormat::center: return QStringLiteral("CENTER");
    case TextFormat::justify: return QStringLiteral("JUSTIFY");
    default: return QStringLiteral("LEFT");
    }
}

bool sameFont(const TextFormat &a, const TextFormat &b)
{
    return a.font == b.font && a.size == b.size && a.color == b.color && a.letterSpacing == b.letterSpacing
        && a.kerning == b.kerning;
}

QString fontOpening(const TextFormat &f)
{
    return QStringLiteral("<FONT FACE=\"%1\" SIZE=\"%2\" COLOR=\"%3\" LETTERSPACING=\"%4\" KERNING=\"%5\">")
        .arg(escaped(f.font), number(f.size), QColor(f.color).name().toUpper(), number(f.letterSpacing),
             f.kerning ? QStringLiteral("1") : QStringLiteral("0"));
}

// One line of HTML: a paragraph of characters `from` to `to`.
QString paragraph(const TextField &field, qsizetype from, qsizetype to)
{
    const TextFormat &p = from < qsizetype(field.formats.size()) ? field.formats[std::size_t(from)] : field.newFormat;
    QString out;
    QStringList spacing;
    const auto add = [&](const char16_t *name, double v) {
        if (v != 0)
            spacing << QStringLiteral("%1=\"%2\"").arg(QString::fromUtf16(name), number(v));
    };
    add(u"INDENT", p.indent);
    add(u"LEFTMARGIN", p.leftMargin);
    add(u"RIGHTMARGIN", p.rightMargin);
    add(u"LEADING", p.leading);
    if (!spacing.isEmpty())
        out += QStringLiteral("<TEXTFORMAT ") + spacing.join(u' ') + u'>';
    out += QStringLiteral("<P ALIGN=\"%1\">").arg(alignName(p.align));
    qsizetype i = from;
    do {
        const TextFormat &f = i < qsizetype(field.formats.size()) ? field.formats[std::size_t(i)] : field.newFormat;
        qsizetype end = i;
        while (end < to && sameFont(field.formats[std::size_t(end)], f))
            ++end;
        out += fontOpening(f);
        qsizetype run = i;
        while (run < end) {
            const TextFormat &g = field.formats[std::size_t(run)];
            qsizetype stop = run;
            while (stop < end && field.formats[std::size_t(stop)] == g)
                ++stop;
            QString open, close;
            if (!g.url.isEmpty()) {
                open += QStringLiteral("<A HREF=\"%1\" TARGET=\"%2\">").arg(escaped(g.url), escaped(g.target));
                close.prepend(QStringLiteral("</A>"));
            }
            for (const auto &[on, name] : {std::pair{g.bold, u"B"}, std::pair{g.italic, u"I"}, std::pair{g.underline, u"U"}})
                if (on) {
                    open += u'<' + QString::fromUtf16(name) + u'>';
                    close.prepend(QStringLiteral("</") + QString::fromUtf16(name) + u'>');
                }
            out += open + escaped(QStringView(field.text).mid(run, stop - run)) + close;
            run = stop;
        }
        out += QStringLiteral("</FONT>");
        i = end;
    } while (i < to);
    out += QStringLiteral("</P>");
    if (!spacing.isEmpty())
        out += QStringLiteral("</TEXTFORMAT>");
    return out;
}

} // namespace

void TextField::setPlainText(const QString &plain)
{
    text = plain;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\r"));
    text.replace(u'\n', u'\r');
    formats.assign(std::size_t(text.size()), newFormat);
}

void TextField::replace(qsizetype from, qsizetype to, const QString &with)
{
    from = std::clamp<qsizetype>(from, 0, text.size());
    to = std::clamp<qsizetype>(to, from, text.size());
    const qsizetype like = from < to || from == 0 ? from : from - 1;
    const TextFormat format = like < qsizetype(formats.size()) ? formats[std::size_t(like)] : newFormat;
    text.replace(from, to - from, with);
    formats.erase(formats.begin() + from, formats.begin() + to);
    formats.insert(formats.begin() + from, std::size_t(with.size()), format);
}

void setHtmlText(TextField &field, const QString &html, const StyleRule &sheet)
{
    QString text;
    std::vector<TextFormat> formats;
    std::vector<TextFormat> styles{field.newFormat};
    const auto put = [&](QChar c) {
        text += c;
        formats.push_back(styles.back());
    };
    // A field of one line takes no line breaks from its HTML.
    const auto lineBreak = [&] {
        if (field.multiline)
            put(u'\r');
        return field.multiline;
    };
    bool closedParagraph = false; // the text ends with a paragraph's end
    for (qsizetype i = 0; i < html.size(); ++i) {
        const QChar c = html[i];
        if (c == u'<') {
            const qsizetype end = html.indexOf(u'>', i);
            if (end < 0)
                break;
            const QString tag = html.mid(i + 1, end - i - 1).trimmed();
            QString name = tag.section(u' ', 0, 0).toLower();
            if (name.endsWith(u'/'))
                name.chop(1);
            i = end;
            TextFormat style = styles.back();
            if (name == u"br") {
                lineBreak();
                closedParagraph = false;
                continue;
            }
            if (name == u"/p" || name == u"/li")
                closedParagraph = lineBreak();
            if (name.startsWith(u'/')) {
                if (styles.size() > 1)
                    styles.pop_back();
                continue;
            }
            // The tag's own attributes outweigh the style sheet's.
            if (sheet)
                sheet(name, attribute(tag, QStringLiteral("class")), style);
            if (name == u"p" || name == u"li") {
                if (!text.isEmpty() && !text.endsWith(u'\r'))
                    lineBreak();
                style.align = alignOf(attribute(tag, QStringLiteral("align")), style.align);
            } else if (name == u"font") {
                fontTag(tag, style);
            } else if (name == u"b") {
                style.bold = true;
            } else if (name == u"i") {
                style.italic = true;
            } else if (name == u"u") {
                style.underline = true;
            } else if (name == u"a") {
                style.url = attribute(tag, QStringLiteral("href"));
                style.target = attribute(tag, QStringLiteral("target"));
            } else if (name == u"textformat") {
                style.leftMargin = pixels(tag, QStringLiteral("leftmargin"), style.leftMargin);
                style.rightMargin = pixels(tag, QStringLiteral("rightmargin"), style.rightMargin);
                style.indent = pixels(tag, QStringLiteral("indent"), style.indent);
                style.leading = pixels(tag, QStringLiteral("leading"), style.leading);
            }
            styles.push_back(style);
            continue;
        }
        closedParagraph = false;
        if (c == u'&') {
            // Entities are short; look no further than that for the end.
            const qsizetype found = QStringView(html).mid(i, 12).indexOf(u';');
            if (found < 0) {
                put(c);
                continue;
            }
            for (const QChar e : entity(html.mid(i + 1, found - 1)))
                put(e);
            i += found;
        } else if (field.condenseWhite && c.isSpace()) {
            if (!text.isEmpty() && !text.back().isSpace())
                put(u' ');
        } else {
            put(c == u'\n' ? QChar(u'\r') : c);
        }
    }
    if (closedParagraph) {
        text.chop(1);
        formats.pop_back();
    }
    field.text = text;
    field.formats = std::move(formats);
}

QString htmlText(const TextField &field)
{
    QString out;
    qsizetype from = 0;
    for (;;) {
        const qsizetype end = field.text.indexOf(u'\r', from);
        out += paragraph(field, from, end < 0 ? field.text.size() : end);
        if (end < 0)
            break;
        from = end + 1;
    }
    return out;
}

} // namespace sky::swf
