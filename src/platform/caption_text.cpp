#include "platform/caption_text.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QRawFont>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

namespace sky {

namespace {

// The text as shown, and where the access-key letter is in it (-1: none).
std::pair<QString, int> withoutMnemonicMarks(const QString &text)
{
    QString shown;
    shown.reserve(text.size());
    int underlined = -1;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == QLatin1Char('&') && i + 1 < text.size()) {
            ++i;
            if (text.at(i) != QLatin1Char('&') && underlined < 0)
                underlined = int(shown.size());
        }
        shown.append(text.at(i));
    }
    return { shown, underlined };
}

bool fitsIn(const QFont &font, const QRect &area, const QString &text, int flags)
{
    const QRectF needed = QFontMetricsF(font).boundingRect(QRectF(area), flags, text);
    return needed.width() <= area.width() && needed.height() <= area.height();
}

// For a text that does not fit in the font's own size: the largest size, in
// quarter points down from it to three quarters of it, at which the text
// fits; the smallest when none does. Every
// size measured makes a font engine of its own, and each costs the font
// configuration's rules a millisecond or so, so the search starts where the
// text's size in the font's own size scales to, not at the top. An area
// narrower than half a line of the font holds one letter at most, at any of
// these sizes (the main window's group bars, five pixels wide, carry only
// their access keys): the text keeps its own font.
QFont fittedFont(const QFont &from, const QRect &area, const QString &text, int flags)
{
    constexpr qreal kStep = 0.25;
    const qreal size = from.pointSizeF();
    const int steps = int(size * 0.25 / kStep);
    if (steps <= 0 || area.width() < QFontMetricsF(from).height() / 2)
        return from;
    const auto sized = [&](int step) {
        QFont font = from;
        font.setPointSizeF(size - step * kStep);
        return font;
    };
    const QRectF needed = QFontMetricsF(from).boundingRect(QRectF(area), flags, text);
    const qreal scale = std::min(needed.width() > 0 ? area.width() / needed.width() : 1.0,
                                 needed.height() > 0 ? area.height() / needed.height() : 1.0);
    int step = std::clamp(int(std::ceil(size * (1 - scale) / kStep)), 1, steps);
    if (fitsIn(sized(step), area, text, flags)) {
        while (step > 1 && fitsIn(sized(step - 1), area, text, flags))
            --step;
    } else {
        while (step < steps && !fitsIn(sized(step), area, text, flags))
            ++step;
    }
    return sized(step);
}

} // namespace

QFont programFont()
{
    QFont font(QStringLiteral("DejaVu Sans Condensed"), 8);
    // The font's own hinting instructions: the desktop's usual slight
    // hinting goes through FreeType's auto-hinter, whose study of each face
    // and glyph took a thirteenth of the start-up's instructions, for
    // captions that look the same.
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

void CaptionText::paint(QPainter &painter, const QRect &area, const QString &text, int flags)
{
    const Layout &layout = layoutFor(painter.font(), area.width(), text, flags);
    qreal top = area.top();
    if (flags & Qt::AlignVCenter)
        top += (area.height() - layout.size.height()) / 2;
    else if (flags & Qt::AlignBottom)
        top += area.height() - layout.size.height();
    // Whole pixels keep the glyphs as sharp as the style draws them.
    const QPointF origin(area.left(), qRound(top));
    m_origin = origin;
    for (const QGlyphRun &run : layout.runs)
        painter.drawGlyphRun(origin, run);
    if (!layout.underline.isEmpty())
        painter.fillRect(layout.underline.translated(origin), painter.pen().color());
}

QRect CaptionText::inkLastPainted() const
{
    if (!m_current || m_current->ink.isEmpty())
        return {};
    // Smoothed edges and hinting may reach a pixel past an outline's box.
    return m_current->ink.translated(m_origin).toAlignedRect().adjusted(-2, -2, 2, 2);
}

void CaptionText::paintFitted(QPainter &painter, const QRect &area, const QString &text, int flags)
{
    if (text != m_fittedText || area.size() != m_fittedArea || painter.font() != m_fittedFrom) {
        m_fittedText = text;
        m_fittedArea = area.size();
        m_fittedFrom = painter.font();
        // Most captions fit in their control's own font; the layout that
        // draws them then tells so without a measuring pass of its own.
        const QSizeF needed = layoutFor(m_fittedFrom, area.width(), text, flags).size;
        const bool fits = needed.width() <= area.width() && needed.height() <= area.height();
        m_fitted = fits ? m_fittedFrom : fittedFont(m_fittedFrom, area, text, flags);
    }
    painter.setFont(m_fitted);
    paint(painter, area, text, flags);
}

const CaptionText::Layout &CaptionText::layoutFor(const QFont &font, int width, const QString &text, int flags)
{
    if (width != m_width || font != m_font) {
        m_layouts.clear();
        m_font = font;
        m_width = width;
    }
    // The bar of squares: eleven captions in three alignments.
    constexpr std::size_t kKept = 40;
    auto found = std::find_if(
        m_layouts.begin(), m_layouts.end(), [&](const Layout &l) { return l.flags == flags && l.text == text; });
    if (found == m_layouts.end()) {
        if (m_layouts.size() >= kKept)
            m_layouts.clear();
        m_layouts.push_back(layOut(text, flags));
        found = m_layouts.end() - 1;
    }
    m_current = &*found;
    return *found;
}

CaptionText::Layout CaptionText::layOut(const QString &text, int flags) const
{
    Layout result;
    result.text = text;
    result.flags = flags;
    auto [shown, underlined] = (flags & Qt::TextShowMnemonic) ? withoutMnemonicMarks(text) : std::pair { text, -1 };
    shown.replace(QLatin1Char('\n'), QChar::LineSeparator);
    QTextLayout layout(shown, m_font);
    QTextOption option(Qt::Alignment(flags) & Qt::AlignHorizontal_Mask);
    option.setWrapMode((flags & Qt::TextWordWrap) ? QTextOption::WordWrap : QTextOption::NoWrap);
    layout.setTextOption(option);
    qreal height = 0;
    qreal widest = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(m_width);
        line.setPosition(QPointF(0, height));
        height += line.height();
        widest = std::max(widest, line.naturalTextWidth());
    }
    layout.endLayout();
    result.runs = layout.glyphRuns();
    result.size = QSizeF(widest, height);
    for (const QGlyphRun &run : std::as_const(result.runs)) {
        result.ink |= run.boundingRect();
        const QRawFont font = run.rawFont();
        const QList<quint32> glyphs = run.glyphIndexes();
        const QList<QPointF> positions = run.positions();
        for (qsizetype i = 0; i < glyphs.size(); ++i)
            result.ink |= font.boundingRect(glyphs.at(i)).translated(positions.at(i));
    }
    if (underlined >= 0) {
        const QTextLine line = layout.lineForTextPosition(underlined);
        const QFontMetricsF metrics(m_font);
        const qreal left = line.cursorToX(underlined);
        const qreal right = line.cursorToX(underlined + 1);
        result.underline = QRectF(std::min(left, right), line.y() + line.ascent() + metrics.underlinePos(),
            std::abs(right - left), metrics.lineWidth());
        result.ink |= result.underline;
    }
    return result;
}

} // namespace sky
