#include "framecanvas.h"

#include <QPainter>

namespace sky::swf {
namespace {

bool sameOptions(const RenderOptions &a, const RenderOptions &b)
{
    return a.antialias == b.antialias && a.supersample == b.supersample;
}

// The area `rects` cover within `bounds`. Adding rectangles to a region one
// by one costs as much as the region has already, so many of them (a
// thousand clips moving at once) are gathered on a grid of tiles instead,
// whose rows make the region in one go.
QRegion areaOf(const std::vector<QRect> &rects, const QRect &bounds)
{
    constexpr std::size_t exactUpTo = 32;
    constexpr int tile = 16;
    if (rects.size() <= exactUpTo) {
        QRegion area;
        for (const QRect &r : rects)
            area += r;
        return area & bounds;
    }
    const int columns = (bounds.width() + tile - 1) / tile, rows = (bounds.height() + tile - 1) / tile;
    std::vector<bool> dirty(std::size_t(columns) * std::size_t(rows));
    for (const QRect &r : rects) {
        const QRect in = r & bounds;
        if (in.isEmpty())
            continue;
        for (int y = (in.top() - bounds.top()) / tile; y <= (in.bottom() - bounds.top()) / tile; ++y)
            for (int x = (in.left() - bounds.left()) / tile; x <= (in.right() - bounds.left()) / tile; ++x)
                dirty[std::size_t(y) * std::size_t(columns) + std::size_t(x)] = true;
    }
    // Runs of dirty tiles, row by row: sorted, banded and never touching
    // side by side, as QRegion::setRects() wants them.
    std::vector<QRect> runs;
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < columns; ++x) {
            if (!dirty[std::size_t(y) * std::size_t(columns) + std::size_t(x)])
                continue;
            const int start = x;
            while (x + 1 < columns && dirty[std::size_t(y) * std::size_t(columns) + std::size_t(x + 1)])
                ++x;
            runs.push_back(QRect(bounds.left() + start * tile, bounds.top() + y * tile, (x - start + 1) * tile, tile)
                               & bounds);
        }
    QRegion area;
    area.setRects(runs.data(), int(runs.size()));
    return area;
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
    const RootPlacement inRoot = rootPlacement(player.stageRoot(), world);
    if (const StageClip *root = player.stageRoot())
        collectRootParts(*movie_, *root, world, inRoot, drawn_, now);
    for (const StageObject &object : objects)
        collectParts(*movie_, object, world, inRoot, drawn_, now);
    if (fresh) {
        repainted_ = QRegion(image_.rect());
    } else {
        // Where parts were that went or changed, and where the changed and
        // new ones are now.
        std::vector<QRect> changed;
        auto old = drawn_.begin();
        for (const auto &[path, part] : now) {
            for (; old != drawn_.end() && old->first < path; ++old)
                changed.push_back(old->second.bounds);
            if (old != drawn_.end() && old->first == path) {
                if (!old->second.looksLike(part)) {
                    changed.push_back(old->second.bounds);
                    changed.push_back(part.bounds);
                }
                ++old;
            } else {
                changed.push_back(part.bounds);
            }
        }
        for (; old != drawn_.end(); ++old)
            changed.push_back(old->second.bounds);
        repainted_ = areaOf(changed, image_.rect());
    }
    drawn_ = std::move(now);
    if (!repainted_.isEmpty())
        repaint(*movie_, player.stageRoot(), objects);
    return image_;
}

void FrameCanvas::repaint(const Movie &movie, const StageClip *root, const std::vector<StageObject> &objects)
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
    drawStage(painter, movie, root, inside, QRectF(image_.rect()), options_);
    painter.end();
    image_.setDevicePixelRatio(ratio);
}

} // namespace sky::swf
