#include "platform/control.h"

#include "platform/colour.h"
#include "platform/form.h"
#include "platform/units.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

namespace sky {

namespace {

int shiftState(Qt::KeyboardModifiers modifiers)
{
    int shift = 0;
    if (modifiers & Qt::ShiftModifier)
        shift |= 1;
    if (modifiers & Qt::ControlModifier)
        shift |= 2;
    if (modifiers & Qt::AltModifier)
        shift |= 4;
    return shift;
}

int mouseButton(Qt::MouseButton button)
{
    switch (button) {
    case Qt::LeftButton:
        return 1;
    case Qt::RightButton:
        return 2;
    case Qt::MiddleButton:
        return 4;
    default:
        return 0;
    }
}

// The character code a key press carries, or 0 for keys without one.
int keyAscii(const QKeyEvent &event)
{
    switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Escape:
        return 27;
    case Qt::Key_Backspace:
        return 8;
    case Qt::Key_Tab:
        return 9;
    case Qt::Key_Delete:
        return 0; // no character of its own
    default:
        break;
    }
    const QString text = event.text();
    return text.isEmpty() ? 0 : text.at(0).unicode();
}

} // namespace

Control::Control(Form &form, const QString &name, QWidget *widget, Control *container)
    : m_form(form), m_name(name), m_widget(widget)
{
    setObjectName(name);
    if (m_widget) {
        QWidget *parent = container && container->widget() ? container->widget() : form.window();
        // A widget that already sits in its place keeps it: reparenting
        // would recreate its native window.
        if (m_widget->parentWidget() != parent)
            m_widget->setParent(parent);
        m_widget->setObjectName(name);
        m_widget->installEventFilter(this);
    }
    form.registerControl(this);
}

Control::~Control() = default;

void Control::fire(const Handler &handler) const
{
    if (handler && !m_form.isDesigning())
        handler();
}

void Control::setVisible(bool visible)
{
    m_visible = visible;
    if (m_widget)
        m_widget->setVisible(visible);
}

void Control::setEnabled(bool enabled)
{
    m_enabled = enabled;
    if (m_widget)
        m_widget->setEnabled(enabled);
}

void Control::setLeft(float twips)
{
    m_left = twips;
    applyGeometry();
}

void Control::setTop(float twips)
{
    m_top = twips;
    applyGeometry();
}

void Control::setWidth(float twips)
{
    m_width = twips;
    applyGeometry();
}

void Control::setHeight(float twips)
{
    m_height = twips;
    applyGeometry();
}

void Control::Move(float left, float top, float width, float height)
{
    m_left = left;
    m_top = top;
    m_width = width;
    m_height = height;
    applyGeometry();
}

void Control::applyGeometry()
{
    if (!m_widget)
        return;
    const int x = twipsToPixels(m_left);
    const int y = twipsToPixels(m_top);
    // Right and bottom edges are rounded on their own so that controls that
    // meet in twips also meet in pixels.
    const int right = twipsToPixels(m_left + std::max(0.0f, m_width));
    const int bottom = twipsToPixels(m_top + std::max(0.0f, m_height));
    m_widget->setGeometry(x, y, right - x, bottom - y);
}

void Control::setBackColor(long colour)
{
    m_backColor = colour;
    if (m_widget)
        applyBackColor();
}

void Control::setForeColor(long colour)
{
    m_foreColor = colour;
    if (m_widget)
        applyForeColor();
}

void Control::applyBackColor()
{
    QPalette palette = m_widget->palette();
    palette.setColor(QPalette::Window, toQColor(m_backColor));
    palette.setColor(QPalette::Button, toQColor(m_backColor));
    palette.setColor(QPalette::Base, toQColor(m_backColor));
    m_widget->setPalette(palette);
    m_widget->setAutoFillBackground(true);
}

void Control::applyForeColor()
{
    QPalette palette = m_widget->palette();
    const QColor colour = toQColor(m_foreColor);
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::ButtonText, colour);
    palette.setColor(QPalette::Text, colour);
    // A disabled control shows its text greyed, whatever its colour.
    const QColor greyed = greyedText();
    palette.setColor(QPalette::Disabled, QPalette::WindowText, greyed);
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, greyed);
    palette.setColor(QPalette::Disabled, QPalette::Text, greyed);
    m_widget->setPalette(palette);
}

void Control::watch(QObject *part)
{
    m_part = part;
    part->installEventFilter(this);
}

void Control::setFont(const QString &family, double points, bool bold)
{
    if (!m_widget)
        return;
    QFont font = m_widget->font();
    font.setFamily(family);
    font.setPointSizeF(points);
    font.setBold(bold);
    m_widget->setFont(font);
}

void Control::setOLEDropMode(bool manual)
{
    if (m_widget)
        m_widget->setAcceptDrops(manual);
    if (auto *part = qobject_cast<QWidget *>(m_part))
        part->setAcceptDrops(manual);
}

void Control::SetFocus()
{
    if (m_widget)
        m_widget->setFocus(Qt::OtherFocusReason);
}

int Control::raiseKeyPress(int keyAscii)
{
    if (KeyPress && !m_form.isDesigning())
        KeyPress(keyAscii);
    return keyAscii;
}

bool Control::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_widget && (m_part == nullptr || watched != m_part))
        return false;
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto *key = static_cast<QKeyEvent *>(event);
        const int ascii = keyAscii(*key);
        if (ascii != 0 && KeyPress)
            return raiseKeyPress(ascii) == 0;
        return false;
    }
    case QEvent::KeyRelease:
        if (KeyUp) {
            auto *key = static_cast<QKeyEvent *>(event);
            KeyUp(key->key(), shiftState(key->modifiers()));
        }
        return false;
    case QEvent::MouseButtonDblClick:
        fire(DblClick);
        return false;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        const MouseHandler &handler = event->type() == QEvent::MouseButtonPress ? MouseDown : MouseUp;
        if (handler)
            handler(mouseButton(mouse->button()), shiftState(mouse->modifiers()),
                    pixelsToTwips(static_cast<int>(mouse->position().x())),
                    pixelsToTwips(static_cast<int>(mouse->position().y())));
        return false;
    }
    case QEvent::FocusIn:
        fire(GotFocus);
        return false;
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        return answerFileDrag(event, OLEDragOver, OLEDragDrop);
    case QEvent::FocusOut:
        fire(LostFocus);
        return false;
    default:
        return false;
    }
}

} // namespace sky
