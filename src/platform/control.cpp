#include "platform/control.h"

#include "platform/colour.h"
#include "platform/form.h"
#include "platform/units.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

#include <algorithm>
#include <iterator>

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
    : m_form(form), m_name(name), m_widget(widget), m_container(container), m_windowed(widget != nullptr)
{
    setObjectName(name);
    form.registerControl(this);
    if (m_widget) {
        QWidget *parent = parentWidget();
        // A widget that already sits in its place keeps it: reparenting
        // would recreate its native window.
        if (m_widget->parentWidget() != parent)
            m_widget->setParent(parent);
        m_widget->setObjectName(name);
        m_widget->installEventFilter(this);
    }
}

Control::Control(Form &form, const QString &name, MadeWhenNeeded, Control *container)
    : m_form(form), m_name(name), m_widget(nullptr), m_container(container), m_windowed(true)
{
    setObjectName(name);
    form.registerControl(this);
}

Control::~Control() = default;

QWidget *Control::widget() const
{
    if (!m_widget && m_windowed)
        const_cast<Control *>(this)->makeWidgetNow();
    return m_widget;
}

QWidget *Control::parentWidget() const
{
    return m_container && m_container->hasVisibility() ? m_container->widget() : m_form.window();
}

void Control::makeWidgetNow()
{
    QWidget *made = makeWidget();
    made->setParent(parentWidget());
    made->setObjectName(m_name);
    made->installEventFilter(this);
    m_widget = made;
    takePlaceInOrder();
    placeWidget();
    if (!m_fontFamily.isEmpty() || m_fontPoints > 0 || m_fontBold)
        applyFont();
    if (m_backColorSet)
        applyBackColor();
    if (m_foreColorSet)
        applyForeColor();
    if (!m_enabled)
        made->setEnabled(false);
    if (m_acceptDrops)
        setOLEDropMode(true);
    showState();
    showWhetherInView();
}

void Control::formShown()
{
    if (!m_windowed)
        return;
    if (!m_widget) {
        if (m_visible)
            makeWidgetNow();
        return;
    }
    // Made before the others (at once, or because it was asked for): it
    // goes above those made so far, as they are made in order.
    m_widget->raise();
    takeFocusOrderPlace();
}

// Widgets stack and take the focus in the order of the form's controls, as
// they do when they are made in that order; one made out of turn is put in
// its place.
void Control::takePlaceInOrder()
{
    const std::vector<Control *> &controls = m_form.Controls();
    const auto self = std::find(controls.begin(), controls.end(), this);
    for (auto later = self + 1; later != controls.end(); ++later) {
        QWidget *other = (*later)->m_widget;
        if (other && other->parentWidget() == m_widget->parentWidget()) {
            m_widget->stackUnder(other);
            takeFocusOrderPlace();
            return;
        }
    }
}

void Control::takeFocusOrderPlace()
{
    if (m_widget->focusPolicy() == Qt::NoFocus)
        return;
    const std::vector<Control *> &controls = m_form.Controls();
    const auto self = std::find(controls.rbegin(), controls.rend(), this);
    for (auto earlier = self + 1; earlier != controls.rend(); ++earlier) {
        QWidget *other = (*earlier)->m_widget;
        if (other && other->focusPolicy() != Qt::NoFocus) {
            QWidget::setTabOrder(other, m_widget);
            return;
        }
    }
}

void Control::fire(const Handler &handler) const
{
    if (handler && !m_form.isDesigning())
        handler();
}

void Control::setVisible(bool visible)
{
    m_visible = visible;
    if (m_widget)
        showWhetherInView();
    else if (visible && m_windowed && m_form.controlsShown())
        makeWidgetNow();
}

void Control::showWhetherInView()
{
    if (!m_widget)
        return;
    const QRect area = m_widget->geometry();
    const QWidget *parent = m_widget->parentWidget();
    // A control or container of no width or height still stands where it
    // is put.
    const bool inView = !parent
        || (area.x() < std::max(1, parent->width()) && area.y() < std::max(1, parent->height())
            && area.x() + std::max(1, area.width()) > 0 && area.y() + std::max(1, area.height()) > 0);
    m_widget->setVisible(m_visible && inView);
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
    placeWidget();
    showWhetherInView();
    for (Control *inside : m_form.Controls())
        if (inside->m_container == this)
            inside->showWhetherInView();
}

void Control::placeWidget()
{
    const int x = twipsToPixels(m_left);
    const int y = twipsToPixels(m_top);
    // Right and bottom edges are rounded on their own so that controls that
    // meet in twips also meet in pixels.
    const int right = twipsToPixels(m_left + std::max(0.0f, m_width));
    const int bottom = twipsToPixels(m_top + std::max(0.0f, m_height));
    placeWidgetAt(QRect(x, y, right - x, bottom - y));
}

void Control::placeWidgetAt(const QRect &place)
{
    m_widget->setGeometry(place);
}

void Control::showOnWidget(void (Control::*show)())
{
    if (m_widget)
        (this->*show)();
}

void Control::setBackColor(long colour)
{
    m_backColor = colour;
    m_backColorSet = true;
    showOnWidget(&Control::applyBackColor);
}

void Control::setForeColor(long colour)
{
    m_foreColor = colour;
    m_foreColorSet = true;
    showOnWidget(&Control::applyForeColor);
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
    m_fontFamily = family;
    m_fontPoints = points;
    m_fontBold = bold;
    showOnWidget(&Control::applyFont);
}

void Control::setFontSize(double points)
{
    m_fontPoints = points;
    showOnWidget(&Control::applyFont);
}

void Control::applyFont()
{
    QFont font = m_widget->font();
    if (!m_fontFamily.isEmpty())
        font.setFamily(m_fontFamily);
    if (m_fontPoints > 0)
        font.setPointSizeF(m_fontPoints);
    if (m_fontBold)
        font.setBold(*m_fontBold);
    m_widget->setFont(font);
}

void Control::setOLEDropMode(bool manual)
{
    m_acceptDrops = manual;
    if (m_widget)
        m_widget->setAcceptDrops(manual);
    if (auto *part = qobject_cast<QWidget *>(m_part))
        part->setAcceptDrops(manual);
}

void Control::SetFocus()
{
    if (QWidget *focused = widget())
        focused->setFocus(Qt::OtherFocusReason);
}

int Control::raiseKeyPress(int keyAscii)
{
    if (KeyPress && !m_form.isDesigning())
        KeyPress(keyAscii);
    return keyAscii;
}

bool Control::tabMovesFocus() const
{
    for (QWidget *next = m_widget->nextInFocusChain(); next != m_widget; next = next->nextInFocusChain()) {
        // The control's own parts (an editable text, a list's viewport) are
        // not another control.
        if (m_widget->isAncestorOf(next) || next->window() != m_widget->window())
            continue;
        if ((next->focusPolicy() & Qt::TabFocus) && next->isVisible() && next->isEnabled())
            return true;
    }
    return false;
}

bool Control::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_widget && (m_part == nullptr || watched != m_part))
        return false;
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto *key = static_cast<QKeyEvent *>(event);
        // Tab and Shift+Tab that move the focus on are no key press of the
        // control; only a window with nothing else to move to hands them on.
        if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) && tabMovesFocus())
            return false;
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
