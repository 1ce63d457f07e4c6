#include "platform/first_drawing.h"

#include <QCoreApplication>
#include <QEvent>
#include <QMetaObject>
#include <QWidget>

namespace sky {

namespace {

// Watches for the first paint of the window or of anything in it: a picture
// that covers the whole window paints in its place, and the window itself is
// then never asked to. The drawing reaches the screen as that event's
// handling ends, before the queued call runs.
class FirstDrawingWatch : public QObject
{
public:
    FirstDrawingWatch(QWidget *window, std::function<void()> then)
        : QObject(window), m_window(window), m_then(std::move(then))
    {
        QCoreApplication::instance()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && watched->isWidgetType()
            && static_cast<QWidget *>(watched)->window() == m_window) {
            QCoreApplication::instance()->removeEventFilter(this);
            QMetaObject::invokeMethod(m_window, std::move(m_then), Qt::QueuedConnection);
            deleteLater();
        }
        return false;
    }

private:
    QWidget *m_window;
    std::function<void()> m_then;
};

} // namespace

void afterFirstDrawing(QWidget *window, std::function<void()> then)
{
    new FirstDrawingWatch(window, std::move(then));
}

} // namespace sky
