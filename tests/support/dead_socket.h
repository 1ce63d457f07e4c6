#pragma once

#include <QString>

namespace test {

// Leaves a socket file at `path` whose listener is gone, as a program that
// crashed leaves it; true when it is there.
bool leaveDeadSocket(const QString &path);

} // namespace test
