#pragma once

#include <QColor>

namespace sky {

// A colour value is red + 256 * green + 65536 * blue; a component computed
// above 255 counts as 255 (and one below 0 as 0).
long rgb(int red, int green, int blue);

QColor toQColor(long value);
long fromQColor(const QColor &colour);

} // namespace sky
