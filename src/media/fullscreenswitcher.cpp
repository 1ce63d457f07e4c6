#include "media/fullscreenswitcher.h"

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QMetaObject>
#include <QScreen>

namespace sky {

FullScreenSwitcher::FullScreenSwitcher(QWidget *widget, QObject *parent) : QObject(parent), m_widget(widget)
{ }

void FullScreenSwitcher::enter()
{
    if (m_active || !m_widget)
        return;
    m_window = m_widget->window();
    m_active = true;
    m_savedFlags = m_window->windowFlags();
    m_savedState = m_window->windowState();
    m_savedWindowGeometry = m_window->normalGeometry();
    m_savedWidgetGeometry = m_widget->geometry();

    const QRect screen = m_window->screen()->geometry();
    m_window->setWindowFlags(m_savedFlags | Qt::FramelessWindowHint);
    m_window->setGeometry(screen);
    m_window->showFullScreen();
    // Escape is seen wherever the focus is inside the window.
    qApp->installEventFilter(this);
    if (m_window != m_widget) {
        coverWindow();
        m_widget->raise();
    }
    m_window->activateWindow();
    m_widget->setFocus();
    Q_EMIT activeChanged(true);
}

void FullScreenSwitcher::leave()
{
    if (!m_active)
        return;
    m_active = false;
    qApp->removeEventFilter(this);
    if (m_window) {
        m_window->setWindowFlags(m_savedFlags);
        m_window->setWindowState(m_savedState);
        m_window->setGeometry(m_savedWindowGeometry);
        m_window->show();
    }
    if (m_widget && m_window != m_widget)
        m_widget->setGeometry(m_savedWidgetGeometry);
    Q_EMIT activeChanged(false);
}

bool FullScreenSwitcher::eventFilter(QObject *watched, QEvent *event)
{
    if (!m_active || !watched->isWidgetType())
        return false;
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::ShortcutOverride:
        if (static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape
            && static_cast<QWidget *>(watched)->window() == m_window) {
            if (event->type() == QEvent::KeyPress)
                QMetaObject::invokeMethod(this, &FullScreenSwitcher::leave, Qt::QueuedConnection);
            event->accept();
            return true;
        }
        break;
    case QEvent::Resize:
    case QEvent::Move:
        // The window's own layout code may place the widget back where it
        // lives normally; it stays over the whole window while full screen.
        if (m_window != m_widget && (watched == m_window || watched == m_widget))
            QMetaObject::invokeMethod(this, &FullScreenSwitcher::coverWindow, Qt::QueuedConnection);
        break;
    case QEvent::Hide:
        // Hidden by its owner: nothing left to show full screen. (Changing
        // the window's flags hides it for a moment, which does not count.)
        if (watched == m_widget)
            QMetaObject::invokeMethod(
                this,
                [this] {
                    if (m_widget && m_widget->isHidden())
                        leave();
                },
                Qt::QueuedConnection);
        break;
    default:
        break;
    }
    return false;
}

void FullScreenSwitcher::coverWindow()
{
    if (m_active && m_widget && m_window && m_widget->geometry() != m_window->rect())
        m_widget->setGeometry(m_window->rect());
}

} // namespace sky
