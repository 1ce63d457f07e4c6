#pragma once

#include "platform/paths.h"

#include <optional>

namespace sky {

// The text the skin list shows for a picture: its name and, in brackets, its
// folder ending in a separator: "sky.jpg ( C:\pictures\ ) ".
QString skinEntryText(const QString &folder, const QString &name, const PathRules &paths);

// The skin list's back colour for n entries: from (180, 255, 200) when empty
// to (255, 120, 120) when full.
long skinListColour(int entries);

// The main-timer ticks between automatic skin changes for each choice of the
// interval list ("5 secs" to "20 mins"); nothing for no choice.
std::optional<int> skinIntervalTicks(int choice);

} // namespace sky
