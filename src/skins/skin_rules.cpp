#include "skins/skin_rules.h"

#include "platform/colour.h"

#include <array>

namespace sky {

QString skinEntryText(const QString &folder, const QString &name, const PathRules &paths)
{
    const QString shownFolder = paths.isRoot(folder) ? folder : folder + paths.separator();
    return name + QStringLiteral(" ( ") + shownFolder + QStringLiteral(" ) ");
}

long skinListColour(int entries)
{
    return rgb(entries + 180, 280 - 2 * entries, 200 - entries);
}

std::optional<int> skinIntervalTicks(int choice)
{
    static constexpr std::array<int, 6> ticks = {50, 300, 1200, 3000, 6000, 12000};
    if (choice < 0 || choice >= static_cast<int>(ticks.size()))
        return std::nullopt;
    return ticks[static_cast<std::size_t>(choice)];
}

} // namespace sky
