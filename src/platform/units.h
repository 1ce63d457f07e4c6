#pragma once

#include <cmath>

namespace sky {

// Sizes and positions are twips (1/1440 inch) held as 32-bit floats;
// 15 twips are one logical pixel.
inline constexpr float kTwipsPerPixel = 15.0f;

inline int twipsToPixels(float twips)
{
    return static_cast<int>(std::lround(twips / kTwipsPerPixel));
}

inline float pixelsToTwips(int pixels)
{
    return static_cast<float>(pixels) * kTwipsPerPixel;
}

// Pictures report their natural size in HIMETRIC units (0.01 mm); a pixel
// of a 96-dpi picture is 2540 / 96 of them.
inline long pixelsToHimetric(int pixels)
{
    return std::lround(pixels * 2540.0 / 96.0);
}

inline float himetricToTwips(long himetric)
{
    return static_cast<float>(himetric * 1440.0 / 2540.0);
}

// Booleans held in 16-bit integers.
inline constexpr short kTrue = -1;
inline constexpr short kFalse = 0;

} // namespace sky
