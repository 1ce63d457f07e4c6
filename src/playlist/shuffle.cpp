#include "playlist/shuffle.h"

#include "core/module1.h"

#include <algorithm>

namespace sky {

int firstFreeShuffleSlot(const ShuffleOrder &order)
{
    const auto free = std::find(order.begin(), order.end(), kFreeShuffleSlot);
    return static_cast<int>(free - order.begin());
}

std::optional<int> pickShuffleEntry(ShuffleOrder &order, int n, int f, int d, int k)
{
    if (f >= n || n <= 0)
        return std::nullopt;
    const auto played = [&](int entry) {
        return std::find(order.begin(), order.begin() + f + 1, entry) != order.begin() + f + 1;
    };
    for (int attempt = 0; attempt <= n; ++attempt) {
        if (!played(k)) {
            order[static_cast<std::size_t>(f)] = k;
            return k;
        }
        if (d == 1)
            k = k + 1 > n - 1 ? 0 : k + 1;
        else
            k = k - 1 < 0 ? n - 1 : k - 1;
    }
    return std::nullopt;
}

} // namespace sky
