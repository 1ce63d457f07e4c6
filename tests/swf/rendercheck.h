#pragma once

// Drawing a test movie's first frame and comparing colours, for the
// engine's drawing tests.

#include "swf/movieplayer.h"
#include "swfwriter.h"

#include <QImage>

namespace swftest {

// Frame 1 at the stage's size, in the player's high quality when `smooth`.
inline QImage render(const Movie &m, bool smooth = false)
{
    sky::swf::MoviePlayer player;
    if (!player.loadData(m.fws()))
        return {};
    sky::swf::RenderOptions options;
    options.antialias = smooth;
    return player.renderFrame(options);
}

// True when red, green and blue each differ by at most `tolerance`.
inline bool near(QRgb a, QRgb b, int tolerance)
{
    return qAbs(qRed(a) - qRed(b)) <= tolerance && qAbs(qGreen(a) - qGreen(b)) <= tolerance
        && qAbs(qBlue(a) - qBlue(b)) <= tolerance;
}

} // namespace swftest
