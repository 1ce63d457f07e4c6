#pragma once

#include <QImage>
#include <QPainterPath>

namespace sky::swf {

// Most device pixels per picture pixel in each direction for downsample().
inline constexpr int maxSamples = 16;

// An outline in device pixels as the player rasterises it: points snapped
// to twips (of a picture drawn `samples` times larger), curves cut into
// straight pieces, and shifted a hair so that an outline through a pixel
// centre takes that pixel in.
QPainterPath snappedToTwips(const QPainterPath &path, int samples);

// Averages each square of `samples` x `samples` pixels into one. Two
// channels are summed at once in the halves of a 32-bit word.
QImage downsample(const QImage &big, int samples);

} // namespace sky::swf
