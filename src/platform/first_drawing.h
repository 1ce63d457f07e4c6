#pragma once

#include <functional>

class QWidget;

namespace sky {

// Calls `then` once, from the event loop, right after `window` has first
// been drawn: for start-up work that the user need not wait for before he
// sees the window. Never called when the window goes before it is drawn.
void afterFirstDrawing(QWidget *window, std::function<void()> then);

} // namespace sky
