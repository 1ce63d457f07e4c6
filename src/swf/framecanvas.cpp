#include "framecanvas.h"

#include "objectbounds.h"

#include <QPainter>
#include <QSemaphore>
#include <QThread>
#include <QThreadPool>

#include <functional>

namespace sky::swf {
namespace {

bool sameOptions(const RenderOptions &a, const RenderOptions &b)
{
    return a.antialias == b.antialias && a.supersample == b.supersample;
}

// Qt hands parts of each large fill to the threads of the global pool,
// unless the painting itself runs on one of them. A frame is many small
// fills, for which the hand-offs cost more than they save: it is drawn on
// a pool thread while the caller waits, or right here when none is free.
void drawOnPoolThread(const std::function<void()> &draw)
{
    QThreadPool *pool = QThreadPool::globalInstance();
    if (pool->contains(QThread::currentThread())) {
        draw();
        return;
    }
    QSemaphore done;
    if (!pool->tryStart([&] {
            draw();
            done.release();
        })) {
        draw();
        return;
    }
    done.acquire();
}

} // namespace

std::map<int, FrameCanvas::Drawn> FrameCanvas::layout(const Movie &movie, const std::vector<StageObject> &objects) const
{
    const QTransform world = stageTransform(movie, QRectF(QPointF(0, 0), image_.size()));
    std::map<int, Drawn> out;
    for (const StageObject &object : objects) {
        // An object that looks as before covers what it covered.
        const auto before = drawn_.find(object.depth);
        if (before != drawn_.end() && before->second.object.placement == object.placement
            && looksTheSame(movie, object.placement.characterId, before->second.object.age, object.age)) {
            out.emplace(object.depth, Drawn{object, before->second.bounds, true});
            continue;
        }
        const QRectF area = deviceBounds(movie, object.placement, object.age, world, world.m11() * 20);
        out.emplace(object.depth, Drawn{object, area.toAlignedRect(), false});
    }
    return out;
}

const QImage &FrameCanvas::paint(const MoviePlayer &player, const QSize &size, double pixelRatio,
                                 const RenderOptions &options)
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
    if (!movie_ || image_.isNull()) {
        repainted_ = QRegion();
        return image_;
    }
    const std::map<int, Drawn> now = layout(*movie_, player.stageObjects());
    if (fresh) {
        repainted_ = QRegion(image_.rect());
    } else {
        // Where objects were that went or changed, and where the changed
        // and new ones are now.
        repainted_ = QRegion();
        for (const auto &[depth, old] : drawn_) {
            const auto found = now.find(depth);
            if (found == now.end() || !found->second.unchanged)
                repainted_ += old.bounds;
        }
        for (const auto &[depth, drawn] : now)
            if (!drawn.unchanged)
                repainted_ += drawn.bounds;
        repainted_ &= image_.rect();
    }
    if (!repainted_.isEmpty())
        repaint(*movie_, now);
    drawn_ = now;
    return image_;
}

void FrameCanvas::repaint(const Movie &movie, const std::map<int, Drawn> &now)
{
    // Objects wholly outside the area are left out; so is a mask outside
    // it together with everything it clips.
    std::vector<StageObject> objects;
    int skipUpTo = 0;
    for (const auto &[depth, drawn] : now) {
        const bool inside = repainted_.intersects(drawn.bounds);
        if (depth <= skipUpTo)
            continue;
        if (!inside) {
            skipUpTo = qMax(skipUpTo, drawn.object.placement.clipDepth);
            continue;
        }
        objects.push_back(drawn.object);
    }
    // Drawn in device pixels whatever the ratio.
    const double ratio = image_.devicePixelRatio();
    image_.setDevicePixelRatio(1);
    drawOnPoolThread([&] {
        QPainter painter(&image_);
        painter.setClipRegion(repainted_);
        drawStage(painter, movie, objects, QRectF(image_.rect()), options_);
    });
    image_.setDevicePixelRatio(ratio);
}

} // namespace sky::swf
