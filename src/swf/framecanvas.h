#pragma once

#include "movieplayer.h"
#include "objectbounds.h"

#include <QImage>
#include <QRegion>
#include <memory>

namespace sky::swf {

// The frames of a playing movie as one image kept from frame to frame.
// Each paint repaints only where something drawn changed, moved, came or
// went since the previous one, however deep in sprites, and nothing when
// nothing did; the picture is the one a full drawing of the frame gives.
// A new movie, size, pixel ratio or quality repaints everything.
class FrameCanvas
{
public:
    // The frame `player` shows, drawn with MoviePlayer::draw() into
    // `size` device pixels (the image carries `pixelRatio`).
    const QImage &paint(
        const MoviePlayer &player, const QSize &size, double pixelRatio = 1, const RenderOptions &options = {});
    // The device pixels the last paint() drew again.
    const QRegion &repainted() const { return repainted_; }

private:
    void repaint(const Movie &movie, const StageClip *root, const std::vector<StageObject> &objects);

    std::shared_ptr<const Movie> movie_;
    RenderOptions options_;
    QImage image_;
    DrawnParts drawn_;
    QRegion repainted_;
};

} // namespace sky::swf
