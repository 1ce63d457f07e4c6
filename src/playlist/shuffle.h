#pragma once

#include <array>
#include <optional>

namespace sky {

// The entries played so far in a shuffle cycle, in order; 100 marks a free
// slot.
using ShuffleOrder = std::array<int, 52>;

// The first free slot of the order (52 when none is free).
int firstFreeShuffleSlot(const ShuffleOrder &order);

// Picks the next entry of a cycle over n entries, whose first free slot is
// f: entry k is taken unless it was played already, in which case the search
// moves one entry at a time in direction d (1 forwards, 0 backwards),
// wrapping around. The pick is recorded in slot f. Nothing is picked once
// every entry has been played (f >= n).
std::optional<int> pickShuffleEntry(ShuffleOrder &order, int n, int f, int d, int k);

} // namespace sky
