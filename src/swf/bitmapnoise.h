#pragma once

#include <QPointF>

#include <vector>

namespace sky::swf {

class BitmapSurface;

// What perlinNoise is asked for: the size of the largest feature in pixels
// (across and down), octaves, seed, whether the noise tiles across the
// bitmap's edges, fractal sum or turbulence, the channels it fills
// (1 red, 2 green, 4 blue, 8 alpha), one value in all colour channels,
// and each octave's offset in pixels.
struct PerlinNoise {
    double baseX = 0, baseY = 0;
    int octaves = 0;
    qint32 seed = 0;
    bool stitch = false;
    bool fractal = false;
    int channels = 7;
    bool grayScale = false;
    std::vector<QPointF> offsets;
};

// Fills the whole bitmap with the noise; channels not filled are 0, and
// alpha 255 unless it is filled.
void fillPerlinNoise(BitmapSurface &bitmap, const PerlinNoise &noise);

} // namespace sky::swf
