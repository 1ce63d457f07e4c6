#pragma once

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QWidget>

namespace sky {

// Shows a widget over the whole screen and back. The widget is never
// reparented (its OpenGL child would lose its context); instead the window
// that holds it is made frameless and screen-sized (a bare X server has no
// window manager to honour a full-screen request) and the widget is laid
// over the whole window. Escape, pressed anywhere in that window, leaves
// full screen.
class FullScreenSwitcher : public QObject
{
    Q_OBJECT

public:
    explicit FullScreenSwitcher(QWidget *widget, QObject *parent = nullptr);

    bool isActive() const { return m_active; }
    void enter();
    void leave();

Q_SIGNALS:
    void activeChanged(bool active);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void coverWindow();

    QPointer<QWidget> m_widget;
    QPointer<QWidget> m_window;
    bool m_active = false;
    Qt::WindowFlags m_savedFlags;
    Qt::WindowStates m_savedState;
    QRect m_savedWindowGeometry;
    QRect m_savedWidgetGeometry;
};

} // namespace sky
