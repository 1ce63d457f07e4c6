#pragma once

#include <QFont>
#include <QGlyphRun>
#include <QList>
#include <QRectF>
#include <QString>
#include <vector>

class QPainter;
class QRect;

namespace sky {

// A caption laid out once and drawn many times. The main window animates
// the colours of its buttons and titles ten times a second while their words
// stay the same, and its bar of squares goes through the same few captions
// over and over in three alignments, so shaped text is kept between paints.
class CaptionText
{
public:
    // Draws `text` in the painter's font and pen inside `area`. `flags` are
    // Qt::Alignment flags with Qt::TextWordWrap and Qt::TextShowMnemonic:
    // with the latter "&" underlines the letter after it and "&&" is an "&".
    // Line breaks in the text always start a new line.
    void paint(QPainter &painter, const QRect &area, const QString &text, int flags);
    // The same, in a smaller font when the text does not fit the area in
    // the painter's: down to three quarters of its size, never cut short.
    void paintFitted(QPainter &painter, const QRect &area, const QString &text, int flags);
    // The size of the text last painted.
    QSizeF size() const { return m_current ? m_current->size : QSizeF(); }
    // Every pixel the text last painted may have touched, in the painter's
    // coordinates: what a change of its colour alone repaints.
    QRect inkLastPainted() const;

private:
    struct Layout
    {
        QString text;
        int flags;
        QList<QGlyphRun> runs;
        // Under the access-key letter, where the runs start at (0, 0).
        QRectF underline;
        QSizeF size;
        // The glyphs' outlines and the underline, where the runs start at
        // (0, 0).
        QRectF ink;
    };

    // The text laid out in `font`, broken at `width` where it wraps.
    const Layout &layoutFor(const QFont &font, int width, const QString &text, int flags);
    Layout layOut(const QString &text, int flags) const;

    // What every kept layout was made for.
    QFont m_font;
    int m_width = -1;
    std::vector<Layout> m_layouts;
    const Layout *m_current = nullptr;
    QPointF m_origin;
    // The font last fitted, and what it was fitted for.
    QFont m_fitted;
    QFont m_fittedFrom;
    QString m_fittedText;
    QSize m_fittedArea;
};

// The font of the program's windows, which their captions are fitted to.
QFont programFont();

} // namespace sky
