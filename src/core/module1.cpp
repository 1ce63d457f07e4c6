#include "core/module1.h"

namespace sky {

QString productTitleText()
{
    return QString(161, QLatin1Char(' ')) + QStringLiteral("SKYVANTRIX Media Player v 1.0.0");
}

Module1::Module1() : TitleText(productTitleText()), TitleScroll(TitleText)
{
    // Slots 0 to 50 start free; slot 51 starts at 0.
    for (int i = 0; i <= kMaxPlaylistEntries; ++i)
        ShuffleOrder[static_cast<std::size_t>(i)] = kFreeShuffleSlot;
}

} // namespace sky
