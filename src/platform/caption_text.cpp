#include "platform/caption_text.h"

#include <QPainter>
#include <QTextLayout>

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

} // namespace

void CaptionText::paint(QPainter &painter, const QRect &area, const QString &text, int flags)
{
    if (flags != m_flags || area.width() != m_width || text != m_text || painter.font() != m_font)
        layOut(text, painter.font(), flags, area.width());
    qreal top = area.top();
    if (flags & Qt::AlignVCenter)
        top += (area.height() - m_size.height()) / 2;
    else if (flags & Qt::AlignBottom)
        top += area.height() - m_size.height();
    // Whole pixels keep the glyphs as sharp as the style draws them.
    const QPointF origin(area.left(), qRound(top));
    for (const QGlyphRun &run : std::as_const(m_runs))
        painter.drawGlyphRun(origin, run);
    if (!m_underline.isEmpty())
        painter.fillRect(m_underline.translated(origin), painter.pen().color());
}

void CaptionText::layOut(const QString &text, const QFont &font, int flags, int width)
{
    m_text = text;
    m_font = font;
    m_flags = flags;
    m_width = width;

    auto [shown, underlined] = (flags & Qt::TextShowMnemonic) ? withoutMnemonicMarks(text) : std::pair { text, -1 };
    shown.replace(QLatin1Char('\n'), QChar::LineSeparator);
    QTextLayout layout(shown, font);
    QTextOption option(Qt::Alignment(flags) & Qt::AlignHorizontal_Mask);
    option.setWrapMode((flags & Qt::TextWordWrap) ? QTextOption::WordWrap : QTextOption::NoWrap);
    layout.setTextOption(option);
    qreal height = 0;
    qreal widest = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        line.setPosition(QPointF(0, height));
        height += line.height();
        widest = std::max(widest, line.naturalTextWidth());
    }
    layout.endLayout();
    m_runs = layout.glyphRuns();
    m_underline = QRectF();
    if (underlined >= 0) {
        const QTextLine line = layout.lineForTextPosition(underlined);
        const QFontMetricsF metrics(font);
        const qreal left = line.cursorToX(underlined);
        const qreal right = line.cursorToX(underlined + 1);
        m_underline = QRectF(std::min(left, right), line.y() + line.ascent() + metrics.underlinePos(),
            std::abs(right - left), metrics.lineWidth());
    }
    m_size = QSizeF(widest, height);
}

} // namespace sky
