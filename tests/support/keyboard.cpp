#include "keyboard.h"

#include "platform/control.h"
#include "platform/form.h"

#include <QApplication>
#include <QtTest>

namespace sky::test {

void activate(Form &form)
{
    QApplication::setActiveWindow(form.window());
}

QWidget *focused()
{
    return QApplication::focusWidget();
}

void press(int key, Qt::KeyboardModifiers modifiers)
{
    QWidget *target = focused() ? focused() : QApplication::activeWindow();
    QTest::keyClick(target, Qt::Key(key), modifiers);
}

bool hasFocus(const Control &control)
{
    QWidget *widget = control.widget();
    return focused() && (focused() == widget || widget->isAncestorOf(focused()));
}

bool tabTo(const Control &control)
{
    QWidget *start = focused();
    while (start && !hasFocus(control)) {
        press(Qt::Key_Tab);
        if (focused() == start)
            return false;
    }
    return start != nullptr;
}

} // namespace sky::test
