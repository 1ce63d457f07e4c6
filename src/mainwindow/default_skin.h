#pragma once

#include <QImage>

namespace sky {

// The skin the main window shows until the user chooses one. It is drawn as
// the program is built (tool/draw_default_skin.cpp) and carried as pixels
// ready to show: drawing it took some 30 million instructions at every
// start, half again the whole of a bare window's start. Its size is the
// size its picture box takes as the window opens (the outer size of the
// window's design, less the height allowance), so the first drawing shows
// it as it is: stretching it there kept two threads busy for 9 million
// instructions while the window waited.
inline constexpr int kDefaultSkinWidth = 594;
inline constexpr int kDefaultSkinHeight = 447;
// Row by row, 0xffRRGGBB.
extern const quint32 kDefaultSkinPixels[kDefaultSkinWidth * kDefaultSkinHeight];

// The picture over those pixels, without copying them.
QImage defaultSkinPicture();

} // namespace sky
