#include "platform/first_drawing.h"

#include <QEvent>
#include <QMetaObject>
#include <QWidget>

namespace sky {

namespace {

// Watches the window for its first paint; the drawing reaches the screen as
// that event's handling ends, before the queued call runs.
class FirstDrawingWatch : public QObject
{
public:
    FirstDrawingWatch(QWidget *window, std::function<void()> then) : QObject(window), m_then(std::move(then))
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && watched == parent()) {
            watched->removeEventFilter(this);
            QMetaObject::invokeMethod(parent(), std::move(m_then), Qt::QueuedConnection);
            deleteLater();
        }
        return false;
    }

private:
    std::function<void()> m_then;
};

} // namespace

void afterFirstDrawing(QWidget *window, std::function<void()> then)
{
    new FirstDrawingWatch(window, std::move(then));
}

} // namespace sky
