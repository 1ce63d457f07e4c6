#pragma once

#include <functional>

namespace sky {

// Runs onSignal on the event loop when the process receives SIGTERM (a
// logout) or SIGINT (Ctrl+C), also inside a modal box shown before the main
// event loop runs, then ends every event loop: the one running, those it is
// nested in, and any started afterwards, so that the program can close as
// the user closes it.
void installShutdownSignals(std::function<void()> onSignal);

} // namespace sky
