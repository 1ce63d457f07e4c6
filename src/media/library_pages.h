#pragma once

#include <string>
#include <vector>

namespace sky {

// The paths of the shared libraries the process has loaded, in load order.
std::vector<std::string> loadedLibraries();

// Opening a library reads its symbol and relocation tables and runs its
// start-up code, and every page read stays part of the process's memory
// until the system runs short: for libmpv's two hundred libraries some
// 30 MB, most of which playing never reads again. This hands back the
// pages of the read-only parts (code, constants, those tables) of each
// library in `paths` that is loaded: they stay in the system's file cache,
// and a page needed later comes back from there at its first use. Pages a
// library writes (its data, its relocated tables, the code of one whose
// code the loader relocates) are left alone.
void releaseReadOnlyPages(const std::vector<std::string> &paths);

} // namespace sky
