#pragma once

#include <QImage>

namespace sky {

// The skin the main window shows until the user chooses one: a picture the
// size of the window's design. It is drawn as the program is built
// (tool/draw_default_skin.cpp) and carried as pixels ready to show: drawing
// it took some 30 million instructions at every start, half again the
// whole of a bare window's start.
inline constexpr int kDefaultSkinWidth = 587;
inline constexpr int kDefaultSkinHeight = 446;
// Row by row, 0xffRRGGBB.
extern const quint32 kDefaultSkinPixels[kDefaultSkinWidth * kDefaultSkinHeight];

// The picture over those pixels, without copying them.
QImage defaultSkinPicture();

} // namespace sky
