#pragma once

#include <functional>

namespace sky {

// Runs onSignal on the event loop when the process receives SIGTERM (a
// logout) or SIGINT (Ctrl+C), so that the program can close as the user
// closes it.
void installShutdownSignals(std::function<void()> onSignal);

} // namespace sky
