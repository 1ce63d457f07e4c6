#pragma once

namespace sky {

class Image;

// Where a skin picture goes in "Centre (Maintain Ratio)": a picture larger
// than the client area shrinks to fit it, keeping its ratio; the box is then
// centred (at negative offsets where it is still larger).
struct FittedBox
{
    float left;
    float top;
    float width;
    float height;
};

// pictureWidth and pictureHeight are the picture's natural size in HIMETRIC;
// naturalWidth and naturalHeight the box's size with stretching off.
FittedBox fitPicture(long pictureWidth, long pictureHeight, float naturalWidth, float naturalHeight,
                     float clientWidth, float clientHeight);

// Lays out the picture box for its picture in a client area of the given
// size. A client area without width or height (a minimised window) is left
// alone: restoring the window lays the picture out again.
void fitSkinPicture(Image &image, float clientWidth, float clientHeight);

} // namespace sky
