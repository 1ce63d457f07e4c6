#include "textlayout.h"

#include "devicefonts.h"

#include <QHash>

#include <cmath>
#include <map>

namespace sky::swf {
namespace {

constexpr double gutter = fieldGutter;

// The colour a text field's glyphs come out in: the player keeps each
// channel as a multiplier in 1/256 steps, rounded down, applied to white.
QColor fieldColor(QRgb color)
{
    const auto channel = [](int c) { return 255 * (c * 256 / 255) / 256; };
    return QColor(channel(qRed(color)), channel(qGreen(color)), channel(qBlue(color)));
}

// The font a character's format draws in, with its glyph table.
struct FontChoice {
    const FontCharacter *font = nullptr;
    quint16 id = 0;
    int device = -1;
    QHash<char16_t, int> glyphs;
};

// Resolves formats to fonts, once per face and style.
class Fonts {
public:
    Fonts(const TextField &field, const FontLookup &lookup, TextCharacter &out)
        : field_(field), lookup_(lookup), out_(out) { }

    const FontChoice &of(const TextFormat &format)
    {
        const auto key = std::make_tuple(format.font, format.bold, format.italic);
        auto found = cache_.find(key);
        if (found == cache_.end())
            found = cache_.emplace(key, choose(format)).first;
        return found->second;
    }

private:
    FontChoice choose(const TextFormat &format)
    {
        FontChoice choice;
        if (field_.embedFonts || field_.definitionFont) {
            choice.id = lookup_.byName(format.font, format.bold, format.italic);
            choice.font = choice.id ? lookup_.byId(choice.id) : nullptr;
            if ((!choice.font || choice.font->codes.empty()) && field_.definitionFont) {
                choice.id = field_.definitionFont;
                choice.font = lookup_.byId(choice.id);
            }
            if (!choice.font || choice.font->codes.empty()) {
                choice.font = nullptr;
                if (field_.embedFonts)
                    return choice; // no outlines: nothing is drawn
            }
        }
        if (!choice.font) {
            out_.deviceFonts.push_back(std::make_shared<const FontCharacter>(
                deviceFont(format.font, format.bold, format.italic, field_.text)));
            choice.font = out_.deviceFonts.back().get();
            choice.device = int(out_.deviceFonts.size()) - 1;
        }
        for (std::size_t i = 0; i < choice.font->codes.size(); ++i)
            choice.glyphs.insert(choice.font->codes[i], int(i));
        return choice;
    }

    const TextField &field_;
    const FontLookup &lookup_;
    TextCharacter &out_;
    std::map<std::tuple<QString, bool, bool>, FontChoice> cache_;
};

struct Line {
    qsizetype start = 0, end = 0; // characters, the break excluded
    bool firstOfParagraph = false;
    double width = 0;            // twips, letter spacing and kerning included
    double ascent = 0, descent = 0, leading = 0;
    const TextFormat *paragraph = nullptr;
};

class Layout {
public:
    Layout(const TextField &field, const FontLookup &lookup, TextCharacter &out)
        : field_(field), fonts_(field, lookup, out), shown_(field.password ? QString(field.text.size(), u'*') : field.text)
    {
    }

    const TextFormat &formatAt(qsizetype i) const
    {
        return i < qsizetype(field_.formats.size()) ? field_.formats[std::size_t(i)] : field_.newFormat;
    }

    double scaleOf(const TextFormat &f, const FontChoice &c) const { return c.font ? f.size / c.font->emSize : 0; }

    int glyphAt(qsizetype i)
    {
        const FontChoice &c = fonts_.of(formatAt(i));
        return c.glyphs.value(shown_[i].unicode(), -1);
    }

    // The advance of character `i`, whole twips (whole pixels in a device
    // font), with the letter spacing and the kerning with the next
    // character of the line.
    double advance(qsizetype i, qsizetype lineEnd)
    {
        const TextFormat &f = formatAt(i);
        const FontChoice &c = fonts_.of(f);
        const int glyph = c.glyphs.value(shown_[i].unicode(), -1);
        double a = f.size / 2;
        if (c.font && glyph >= 0 && std::size_t(glyph) < c.font->advances.size()) {
            // The system places device glyphs whole pixels apart.
            const double units = c.font->advances[std::size_t(glyph)] * scaleOf(f, c);
            a = c.device >= 0 ? std::round(units / 20) * 20 : std::floor(units);
        } else if (c.font && glyph >= 0 && std::size_t(glyph) < c.font->glyphs.size()) {
            a = c.font->glyphs[std::size_t(glyph)].boundingRect().right() * scaleOf(f, c);
        }
        a += f.letterSpacing;
        if (f.kerning && i + 1 < lineEnd && &fonts_.of(formatAt(i + 1)) == &c && c.font) {
            const auto pair = c.font->kerning.find({shown_[i].unicode(), shown_[i + 1].unicode()});
            if (pair != c.font->kerning.end())
                a += std::floor(pair->second * scaleOf(f, c));
        }
        return a;
    }

    void measureHeight(Line &line, qsizetype i)
    {
        const TextFormat &f = formatAt(i);
        const FontChoice &c = fonts_.of(f);
        const double s = scaleOf(f, c);
        const bool metrics = c.font && c.font->ascent + c.font->descent > 0;
        const auto height
            = [&](double units) { return c.font->wholePixelHeights ? std::ceil(units * s / 20) * 20 : units * s; };
        line.ascent = qMax(line.ascent, metrics ? height(c.font->ascent) : f.size * 0.8);
        line.descent = qMax(line.descent, metrics ? height(c.font->descent) : f.size * 0.2);
    }

    std::vector<Line> lines(double wrapWidth)
    {
        std::vector<Line> out;
        const QString &text = shown_;
        qsizetype start = 0;
        bool paragraphStart = true;
        for (;;) {
            Line line;
            line.start = start;
            line.firstOfParagraph = paragraphStart;
            line.paragraph = &formatAt(start);
            const double room = wrapWidth - line.paragraph->leftMargin - line.paragraph->rightMargin
                              - (paragraphStart ? line.paragraph->indent : 0);
            qsizetype end = start, lastSpace = -1;
            double x = 0;
            for (; end < text.size() && text[end] != u'\r'; ++end) {
                const double a = advance(end, text.size());
                if (field_.wordWrap && x + a > room && lastSpace > start) {
                    end = lastSpace;
                    break;
                }
                if (text[end] == u' ')
                    lastSpace = end;
                x += a;
            }
            line.end = end;
            for (qsizetype i = start; i < end; ++i) {
                line.width += advance(i, end);
                measureHeight(line, i);
            }
            if (start == end)
                measureHeight(line, start);
            line.leading = line.paragraph->leading;
            out.push_back(line);
            if (end >= text.size())
                break;
            paragraphStart = text[end] == u'\r';
            start = end + 1;
        }
        return out;
    }

    void place(const std::vector<Line> &lines, const QRectF &box, double hscroll, TextCharacter &out)
    {
        double top = box.top() + gutter;
        for (std::size_t n = std::size_t(qMax(0, field_.scroll - 1)); n < lines.size(); ++n) {
            const Line &line = lines[n];
            if (top > box.bottom() && n > 0)
                break;
            const TextFormat &p = *line.paragraph;
            const double left = box.left() + gutter + p.leftMargin;
            const double width = box.width() - 2 * gutter - p.leftMargin - p.rightMargin;
            double pen = left + (line.firstOfParagraph ? p.indent : 0);
            if (p.align == TextFormat::right)
                pen = left + width - line.width;
            else if (p.align == TextFormat::center)
                pen = left + (width - line.width) / 2;
            pen -= hscroll;
            // The baseline lies whole twips below the line's top.
            const double baseline = top + std::floor(line.ascent);
            TextLine shown{line.start, line.end, {pen}, top, top + line.ascent + line.descent};
            for (qsizetype i = line.start; i < line.end; ++i) {
                const TextFormat &f = formatAt(i);
                const FontChoice &c = fonts_.of(f);
                const int glyph = c.glyphs.value(shown_[i].unicode(), -1);
                if (glyph >= 0) {
                    TextGlyph g{c.id, glyph, f.size, QPointF(pen, baseline), fieldColor(f.color), c.device, int(i)};
                    out.glyphs.push_back(g);
                }
                pen += advance(i, line.end);
                shown.edges.push_back(pen);
            }
            out.lines.push_back(std::move(shown));
            top += line.ascent + line.descent + line.leading;
        }
    }

private:
    const TextField &field_;
    Fonts fonts_;
    QString shown_;
};

} // namespace

TextCharacter layoutTextField(const TextField &field, const FontLookup &fonts, FieldMetrics *metrics)
{
    TextCharacter out;
    out.background = field.background;
    out.border = field.border;
    out.backgroundColor = QColor::fromRgb(field.backgroundColor);
    out.borderColor = QColor::fromRgb(field.borderColor);
    Layout layout(field, fonts, out);
    QRectF box = field.box;
    const bool fitsWidth = field.autoSize != TextField::noAutoSize && !field.wordWrap;
    const std::vector<Line> lines = layout.lines(fitsWidth ? qInf() : box.width() - 2 * gutter);
    double textWidth = 0, textHeight = 0;
    for (std::size_t n = 0; n < lines.size(); ++n) {
        const Line &line = lines[n];
        textWidth = qMax(textWidth, line.width + line.paragraph->leftMargin + line.paragraph->rightMargin
                                        + (line.firstOfParagraph ? line.paragraph->indent : 0));
        textHeight += line.ascent + line.descent + (n + 1 < lines.size() ? line.leading : 0);
    }
    if (field.autoSize != TextField::noAutoSize) {
        if (fitsWidth) {
            const double width = textWidth + 2 * gutter;
            if (field.autoSize == TextField::autoRight)
                box.setLeft(box.right() - width);
            else if (field.autoSize == TextField::autoCenter)
                box.setLeft(box.center().x() - width / 2);
            box.setWidth(width);
        }
        box.setHeight(textHeight + 2 * gutter);
    }
    out.box = box;
    out.field = true;
    // Whole pixels sideways, as far as the widest line runs past the box.
    const int maxHScroll = field.wordWrap ? 0 : qMax(0, int(std::ceil((textWidth - (box.width() - 2 * gutter)) / 20 - 1e-6)));
    layout.place(lines, box, 20.0 * qBound(0, field.hscroll, maxHScroll), out);
    if (metrics)
        *metrics = {textWidth, textHeight, int(lines.size()), maxHScroll};
    return out;
}

} // namespace sky::swf
