#pragma once

#include <QtGlobal>

namespace sky::test {

// True once the process has installed a handler for the signal: for the
// player, the sign that its start-up is done and its window is up.
bool catchesSignal(qint64 pid, int signal);

} // namespace sky::test
