#pragma once

#include <Qt>

class QWidget;

namespace sky {
class Control;
class Form;
} // namespace sky

namespace sky::test {

// A person at the keyboard of a shown window: the window is made the active
// one, and keys go where the focus is, as the window system sends them.
void activate(Form &form);
QWidget *focused();
void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
// Presses Tab until the control has the focus: false when a whole round of
// the window's controls passes without reaching it.
bool tabTo(const Control &control);
bool hasFocus(const Control &control);

} // namespace sky::test
