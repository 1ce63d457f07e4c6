#pragma once

// Drawing a test movie's first frame and comparing colours, for the
// engine's drawing tests.

#include "swf/movieplayer.h"
#include "swfwriter.h"

#include <QImage>
#include <QPainter>

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

// The window's quality: smooth edges without drawing four times larger.
inline sky::swf::RenderOptions windowQuality()
{
    return {true, false};
}

// The player's frame drawn at `size`, as the window draws it.
inline QImage drawnWhole(const sky::swf::MoviePlayer &player, const QSize &size,
                         const sky::swf::RenderOptions &options)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    player.draw(painter, QRectF(QPointF(0, 0), QSizeF(size)), options);
    return image;
}

// The largest difference of any channel of any pixel.
inline int largestDifference(const QImage &a, const QImage &b)
{
    if (a.size() != b.size())
        return 256;
    int worst = 0;
    for (int y = 0; y < a.height(); ++y) {
        const auto *p = reinterpret_cast<const QRgb *>(a.constScanLine(y));
        const auto *q = reinterpret_cast<const QRgb *>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x)
            for (int shift = 0; shift < 32; shift += 8)
                worst = qMax(worst, qAbs(int((p[x] >> shift) & 0xFF) - int((q[x] >> shift) & 0xFF)));
    }
    return worst;
}

// True when red, green and blue each differ by at most `tolerance`.
inline bool near(QRgb a, QRgb b, int tolerance)
{
    return qAbs(qRed(a) - qRed(b)) <= tolerance && qAbs(qGreen(a) - qGreen(b)) <= tolerance
        && qAbs(qBlue(a) - qBlue(b)) <= tolerance;
}

} // namespace swftest
