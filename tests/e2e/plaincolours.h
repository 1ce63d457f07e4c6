#pragma once

#include "xsession.h"

#include <QColor>
#include <QString>

namespace sky {
class Control;
} // namespace sky

// Media whose pictures a look at the screen tells apart: every frame, or
// the whole picture, one plain colour.
namespace e2e {

// An AVI clip (MPEG-4 video, PCM sound) of `seconds`, made by ffmpeg.
bool writeColourClip(const QString &path, double seconds, const QColor &colour);
// A BMP picture, which keeps its colour exactly.
bool writeColourPicture(const QString &path, const QColor &colour);

// Where the media control shows the picture: above its own bar of buttons.
QRect pictureArea(const XWindow &window, const sky::Control &media);

} // namespace e2e
