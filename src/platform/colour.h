#pragma once

#include <QColor>

namespace sky {

// A colour value is red + 256 * green + 65536 * blue; a component computed
// above 255 counts as 255 (and one below 0 as 0).
long rgb(int red, int green, int blue);

QColor toQColor(long value);

// The text of a disabled control, whatever its colour.
inline QColor greyedText()
{
    return { 128, 128, 128 };
}

class RandomSource;

// One component of a random colour: base + the whole part of span × r.
struct ColourSpan
{
    int base;
    int span;
};

// A colour from three random numbers, drawn for red, green and blue in that
// order.
long randomColour(RandomSource &random, ColourSpan red, ColourSpan green, ColourSpan blue);

// Red, green and blue each the whole part of span × r: a random dark colour.
long randomColour(RandomSource &random, int span);
long fromQColor(const QColor &colour);

} // namespace sky
