#include "platform/drawn_icons.h"

#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace sky {

namespace {

void drawFolder(QPainter &p, bool open)
{
    const QColor edge(138, 102, 24);
    p.setPen(QPen(edge, 0.8));
    // The back with its tab.
    QPainterPath back;
    back.moveTo(1.5, 3.5);
    back.lineTo(6, 3.5);
    back.lineTo(7.5, 5);
    back.lineTo(14.5, 5);
    back.lineTo(14.5, 13.5);
    back.lineTo(1.5, 13.5);
    back.closeSubpath();
    p.setBrush(QColor(222, 176, 64));
    p.drawPath(back);
    // The front: tilted back when the folder is open.
    QPainterPath front;
    if (open) {
        front.moveTo(3.5, 7);
        front.lineTo(15.5, 7);
        front.lineTo(13.5, 13.5);
        front.lineTo(1.5, 13.5);
    } else {
        front.addRect(QRectF(1.5, 6.5, 13, 7));
    }
    front.closeSubpath();
    p.setBrush(QColor(250, 212, 98));
    p.drawPath(front);
}

void drawTransport(QPainter &p, DrawnIcon icon, const QColor &ink)
{
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    switch (icon) {
    case DrawnIcon::Play:
        p.drawPolygon(QPolygonF { QPointF(4, 2.5), QPointF(13.5, 8), QPointF(4, 13.5) });
        break;
    case DrawnIcon::Pause:
        p.drawRect(QRectF(4, 3, 3, 10));
        p.drawRect(QRectF(9, 3, 3, 10));
        break;
    case DrawnIcon::Stop:
        p.drawRect(QRectF(3.5, 3.5, 9, 9));
        break;
    case DrawnIcon::Volume:
    case DrawnIcon::Muted: {
        p.drawPolygon(QPolygonF { QPointF(1.5, 6), QPointF(4.5, 6), QPointF(8.5, 2.5), QPointF(8.5, 13.5),
            QPointF(4.5, 10), QPointF(1.5, 10) });
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(ink, 1.3, Qt::SolidLine, Qt::RoundCap));
        if (icon == DrawnIcon::Muted) {
            p.drawLine(QPointF(10.5, 5.5), QPointF(14.5, 10.5));
            p.drawLine(QPointF(14.5, 5.5), QPointF(10.5, 10.5));
        } else {
            p.drawArc(QRectF(6.5, 5, 5, 6), -60 * 16, 120 * 16);
            p.drawArc(QRectF(6, 2.5, 8.5, 11), -60 * 16, 120 * 16);
        }
        break;
    }
    case DrawnIcon::FolderOpen:
    case DrawnIcon::FolderClosed:
        break;
    }
}

QPixmap drawnPixmap(DrawnIcon icon, const QColor &ink, int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    // Drawn on a 16-pixel grid.
    p.scale(size / 16.0, size / 16.0);
    if (icon == DrawnIcon::FolderOpen || icon == DrawnIcon::FolderClosed)
        drawFolder(p, icon == DrawnIcon::FolderOpen);
    else
        drawTransport(p, icon, ink);
    return pixmap;
}

// Draws the icon's pictures as they are first asked for: the media control
// bar is built with the main window, and its icons are not seen until
// something plays.
class DrawnIconEngine : public QIconEngine
{
public:
    DrawnIconEngine(DrawnIcon icon, const QColor &ink) : m_icon(icon), m_ink(ink) {}

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        drawn().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return drawn().pixmap(size, mode, state);
    }
    QSize actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return drawn().actualSize(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override
    {
        return drawn().availableSizes(mode, state);
    }
    QIconEngine *clone() const override { return new DrawnIconEngine(*this); }

private:
    const QIcon &drawn()
    {
        if (m_drawn.isNull()) {
            m_drawn.addPixmap(drawnPixmap(m_icon, m_ink, 16));
            // A folder stays at 16 pixels in a list, whose rows would
            // otherwise grow to its icons' larger size.
            if (m_icon != DrawnIcon::FolderOpen && m_icon != DrawnIcon::FolderClosed)
                m_drawn.addPixmap(drawnPixmap(m_icon, m_ink, 32));
        }
        return m_drawn;
    }

    DrawnIcon m_icon;
    QColor m_ink;
    QIcon m_drawn;
};

} // namespace

QIcon drawnIcon(DrawnIcon icon, const QColor &ink)
{
    return QIcon(new DrawnIconEngine(icon, ink));
}

} // namespace sky
