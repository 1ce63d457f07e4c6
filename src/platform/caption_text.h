#pragma once

#include <QFont>
#include <QGlyphRun>
#include <QList>
#include <QRectF>
#include <QString>

class QPainter;
class QRect;

namespace sky {

// A caption laid out once and drawn many times. The main window animates
// the colours of its buttons and titles ten times a second while their words
// stay the same, so the shaping of the text is kept between paints.
class CaptionText
{
public:
    // Draws `text` in the painter's font and pen inside `area`. `flags` are
    // Qt::Alignment flags with Qt::TextWordWrap and Qt::TextShowMnemonic:
    // with the latter "&" underlines the letter after it and "&&" is an "&".
    // Line breaks in the text always start a new line.
    void paint(QPainter &painter, const QRect &area, const QString &text, int flags);
    // The size the text takes when laid out for `area`.
    QSizeF size() const { return m_size; }

private:
    void layOut(const QString &text, const QFont &font, int flags, int width);

    QString m_text;
    QFont m_font;
    int m_flags = -1;
    int m_width = -1;
    QList<QGlyphRun> m_runs;
    // Under the access-key letter, where the runs start at (0, 0).
    QRectF m_underline;
    QSizeF m_size;
};

} // namespace sky
