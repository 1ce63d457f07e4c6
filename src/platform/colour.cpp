#include "platform/colour.h"

#include "platform/services.h"

#include <algorithm>

namespace sky {

long rgb(int red, int green, int blue)
{
    const auto clamp = [](int c) { return static_cast<long>(std::clamp(c, 0, 255)); };
    return clamp(red) + 256 * clamp(green) + 65536 * clamp(blue);
}

QColor toQColor(long value)
{
    const auto v = static_cast<unsigned long>(value) & 0xFFFFFFu;
    return QColor(static_cast<int>(v & 0xFFu), static_cast<int>((v >> 8) & 0xFFu),
                  static_cast<int>((v >> 16) & 0xFFu));
}

long randomColour(RandomSource &random, ColourSpan red, ColourSpan green, ColourSpan blue)
{
    const auto component = [&random](ColourSpan c) { return c.base + static_cast<int>(c.span * random.next()); };
    const int r = component(red);
    const int g = component(green);
    const int b = component(blue);
    return rgb(r, g, b);
}

long randomColour(RandomSource &random, int span)
{
    return randomColour(random, {0, span}, {0, span}, {0, span});
}

long fromQColor(const QColor &colour)
{
    return rgb(colour.red(), colour.green(), colour.blue());
}

} // namespace sky
