#include "framecanvas.h"

#include <QPainter>

namespace sky::swf {
namespace {

bool sameOptions(const RenderOptions &a, const RenderOptions &b)
{
    return a.antialias == b.antialias && a.supersample == b.supersample;
}

} // namespace

const QImage &FrameCanvas::paint(
    const MoviePlayer &player, const QSize &size, double pixelRatio, const RenderOptions &options)
{
    const std::shared_ptr<const Movie> movie = player.sharedMovie();
    const bool fresh = movie != movie_ || size != image_.size() || pixelRatio != image_.devicePixelRatio()
        || !sameOptions(options, options_);
    if (fresh) {
        movie_ = movie;
        options_ = options;
        image_ = QImage(size, QImage::Format_ARGB32_Premultiplied);
        image_.setDevicePixelRatio(pixelRatio);
        drawn_.clear();
    }
    repainted_ = QRegion();
    if (!movie_ || image_.isNull())
        return image_;
    const std::vector<StageObject> objects = player.stageObjects();
    const QTransform world = stageTransform(*movie_, QRectF(QPointF(0, 0), image_.size()));
    DrawnParts now;
    for (const StageObject &object : objects)
        collectParts(*movie_, object, world, drawn_, now);
    if (fresh) {
        repainted_ = QRegion(image_.rect());
    } else {
        // Where parts were that went or changed, and where the changed and
        // new ones are now.
        auto old = drawn_.begin();
        for (const auto &[path, part] : now) {
            for (; old != drawn_.end() && old->first < path; ++old)
                repainted_ += old->second.bounds;
            if (old != drawn_.end() && old->first == path) {
                if (!old->second.looksLike(part)) {
                    repainted_ += old->second.bounds;
                    repainted_ += part.bounds;
                }
                ++old;
            } else {
                repainted_ += part.bounds;
            }
        }
        for (; old != drawn_.end(); ++old)
            repainted_ += old->second.bounds;
        repainted_ &= image_.rect();
    }
    drawn_ = std::move(now);
    if (!repainted_.isEmpty())
        repaint(*movie_, objects);
    return image_;
}

void FrameCanvas::repaint(const Movie &movie, const std::vector<StageObject> &objects)
{
    // Objects with no part in the area are left out; so is a mask with
    // none, together with everything it clips.
    std::map<int, QRect> reach;
    for (const auto &[path, part] : drawn_)
        reach[path.front()] |= part.bounds;
    std::vector<StageObject> inside;
    int skipUpTo = 0;
    for (const StageObject &object : objects) {
        if (object.depth <= skipUpTo)
            continue;
        if (!repainted_.intersects(reach[object.depth])) {
            skipUpTo = qMax(skipUpTo, object.placement().clipDepth);
            continue;
        }
        inside.push_back(object);
    }
    // Drawn in device pixels whatever the ratio.
    const double ratio = image_.devicePixelRatio();
    image_.setDevicePixelRatio(1);
    QPainter painter(&image_);
    painter.setClipRegion(repainted_);
    drawStage(painter, movie, inside, QRectF(image_.rect()), options_);
    painter.end();
    image_.setDevicePixelRatio(ratio);
}

} // namespace sky::swf
