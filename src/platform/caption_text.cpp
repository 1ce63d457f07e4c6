#include "platform/caption_text.h"

#include <QFontMetricsF>
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

QFont programFont()
{
    return QFont(QStringLiteral("DejaVu Sans Condensed"), 8);
}

void CaptionText::paint(QPainter &painter, const QRect &area, const QString &text, int flags)
{
    if (area.width() != m_width || painter.font() != m_font) {
        m_layouts.clear();
        m_font = painter.font();
        m_width = area.width();
    }
    const Layout &layout = layoutFor(text, flags);
    qreal top = area.top();
    if (flags & Qt::AlignVCenter)
        top += (area.height() - layout.size.height()) / 2;
    else if (flags & Qt::AlignBottom)
        top += area.height() - layout.size.height();
    // Whole pixels keep the glyphs as sharp as the style draws them.
    const QPointF origin(area.left(), qRound(top));
    for (const QGlyphRun &run : layout.runs)
        painter.drawGlyphRun(origin, run);
    if (!layout.underline.isEmpty())
        painter.fillRect(layout.underline.translated(origin), painter.pen().color());
}

void CaptionText::paintFitted(QPainter &painter, const QRect &area, const QString &text, int flags)
{
    if (text != m_fittedText || area.size() != m_fittedArea || painter.font() != m_fittedFrom) {
        m_fittedText = text;
        m_fittedArea = area.size();
        m_fittedFrom = painter.font();
        m_fitted = m_fittedFrom;
        constexpr qreal kStep = 0.25;
        const qreal smallest = m_fittedFrom.pointSizeF() * 0.75;
        while (m_fitted.pointSizeF() - kStep >= smallest) {
            const QRectF needed = QFontMetricsF(m_fitted).boundingRect(QRectF(area), flags, text);
            if (needed.width() <= area.width() && needed.height() <= area.height())
                break;
            m_fitted.setPointSizeF(m_fitted.pointSizeF() - kStep);
        }
    }
    painter.setFont(m_fitted);
    paint(painter, area, text, flags);
}

const CaptionText::Layout &CaptionText::layoutFor(const QString &text, int flags)
{
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
    if (underlined >= 0) {
        const QTextLine line = layout.lineForTextPosition(underlined);
        const QFontMetricsF metrics(m_font);
        const qreal left = line.cursorToX(underlined);
        const qreal right = line.cursorToX(underlined + 1);
        result.underline = QRectF(std::min(left, right), line.y() + line.ascent() + metrics.underlinePos(),
            std::abs(right - left), metrics.lineWidth());
    }
    return result;
}

} // namespace sky
