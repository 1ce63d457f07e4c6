// Drawing through the pixel cache: an object's pixels, and the bitmap a
// filtered or cached object is drawn as, are drawn once on an image of
// their own and put down again while what drew them stays the same.

#include "blending.h"
#include "objectbounds.h"
#include "objectrenderer.h"

#include <cmath>

namespace sky::swf {
namespace {

// The largest images kept, in device pixels: a filtered bitmap's, and a
// single shape's, text's or bitmap's. Large single things are few fills,
// quicker drawn again than put down from an image.
constexpr qint64 maxKeptBitmapPixels = 1024 * 1024;
constexpr qint64 maxKeptPixels = 256 * 256;
// The player draws no filters on an object whose filtered bitmap would be
// wider or higher than this, or larger, in pixels of the picture.
constexpr double maxFilteredSide = 8191;
constexpr double maxFilteredPixels = 16'777'215;
// A filtered bitmap of more device pixels than this (a wide blur reaching
// far around a small picture) is drawn and filtered at the picture's own
// resolution, and only its part on the device is brought to the device's.
constexpr qint64 maxSampledFilterPixels = 16LL * 1024 * 1024;
// Device pixels past an object's outline that snapping or smoothing may
// touch, in pixels of the picture.
constexpr int edgeMargin = 2;

// A position's offsets taken to a millionth of a pixel, so that the noise
// of floating point does not tell equal drawings apart.
double keyed(double offset) { return std::round(offset * 1e6) / 1e6; }

// `area` grown to whole pictures pixels of `samples` device pixels each.
QRect alignedTo(const QRectF &area, int samples)
{
    const int left = int(std::floor(area.left() / samples)) * samples;
    const int top = int(std::floor(area.top() / samples)) * samples;
    const int right = int(std::ceil(area.right() / samples)) * samples;
    const int bottom = int(std::ceil(area.bottom() / samples)) * samples;
    return QRect(left, top, right - left, bottom - top);
}

} // namespace

DrawStep Renderer::settingsStep() const
{
    DrawStep step;
    step.kind = DrawStep::Kind::Settings;
    step.matrix = {double(samples_), double(smoothEdges_) * 2 + painter_.testRenderHint(QPainter::Antialiasing),
                   double(smoothBitmaps_), stageScale_, double(budget_.shadedPixels >= Budget::maxShadedPixels),
                   double(inLayer_)};
    return step;
}

DrawStep Renderer::characterStep(quint16 id, int ratio, const QTransform &world, const ColorTransform &color,
                                 const QPointF &origin) const
{
    DrawStep step;
    step.kind = DrawStep::Kind::Drawn;
    step.characterId = id;
    step.ratio = ratio;
    step.matrix = {world.m11(), world.m12(), world.m21(), world.m22(), keyed(world.dx() - origin.x()),
                   keyed(world.dy() - origin.y())};
    step.color = color;
    return step;
}

void Renderer::record(DrawStep step, const QRectF &area)
{
    steps_->push_back(std::move(step));
    if (stepsArea_ && !area.isEmpty())
        *stepsArea_ |= area;
}

// A shape, text or bitmap put down from the cache, after drawing it there
// when it is worth keeping. Its pixels are those of drawing it in place:
// they are drawn at the same offset from a whole pixel of the picture.
bool Renderer::drawnFromCache(quint16 id, int ratio, const QTransform &world, const ColorTransform &color)
{
    if (!cache_ || outlinesOnly_)
        return false;
    const QPoint origin(int(std::floor(world.dx() / samples_)) * samples_,
                        int(std::floor(world.dy() / samples_)) * samples_);
    const QTransform local = world * QTransform::fromTranslate(-origin.x(), -origin.y());
    DrawSteps key{settingsStep(), characterStep(id, ratio, local, color, {})};
    bool wanted = false;
    std::optional<PixelCache::Pixels> pixels = cache_->find(key, wanted);
    if (!pixels) {
        if (!wanted)
            return false;
        const QRectF outline = characterArea(movie_, id, ratio, local, stageScale_ * samples_);
        const double margin = edgeMargin * samples_;
        const QRect area = alignedTo(outline.adjusted(-margin, -margin, margin, margin), samples_);
        if (outline.isEmpty() || qint64(area.width()) * area.height() > maxKeptPixels)
            return false;
        QImage image(area.size(), QImage::Format_ARGB32_Premultiplied);
        if (image.isNull())
            return false;
        image.fill(Qt::transparent);
        {
            QPainter painter(&image);
            painter.setRenderHints(painter_.renderHints());
            onto(painter).drawDrawn(*movie_.character(id), id, ratio,
                                    local * QTransform::fromTranslate(-area.x(), -area.y()), color);
        }
        // Only what it drew is put down again.
        const QRect drawn = drawnArea(image);
        pixels = PixelCache::Pixels{drawn.isEmpty() ? QImage() : image.copy(drawn), area.topLeft() + drawn.topLeft()};
        cache_->store(key, *pixels);
    }
    if (!pixels->image.isNull()) {
        painter_.resetTransform();
        painter_.drawImage(origin + pixels->offset, pixels->image);
    }
    return true;
}

// A filtered or cached object drawn alone as a bitmap over what it covers
// (and what its filters reach), filtered, and put down by its blend mode.
// The bitmap is kept while the object draws the same way relative to its
// whole-pixel position.
void Renderer::drawAsBitmap(const DrawItem &item, const QTransform &world, const ColorTransform &color, int level,
                            bool ownLayer, bool filtered)
{
    const Placement &placement = *item.placement;
    const QPoint origin(qRound(world.dx()), qRound(world.dy())); // whole pixels of the picture
    Budget recorded;
    DrawSteps key;
    QRectF covered;
    {
        Renderer recorder(painter_, movie_, samples_, smoothBitmaps_, stageScale_, recorded, nullptr);
        recorder.smoothEdges_ = smoothEdges_;
        recorder.inLayer_ = ownLayer || inLayer_;
        recorder.stageWorld_ = stageWorld_;
        key.push_back(recorder.settingsStep());
        recorder.steps_ = &key;
        recorder.stepsArea_ = &covered;
        recorder.stepsOrigin_ = origin;
        recorder.drawCharacter(item, world, color, level);
    }
    if (covered.isEmpty())
        return;
    const double spread = filtered ? filterReach(placement.filters, stageScale_ * samples_) : 0;
    const QSizeF bitmap = (covered.size() + QSizeF(2 * spread, 2 * spread)) / samples_;
    if (qMax(bitmap.width(), bitmap.height()) > maxFilteredSide || bitmap.width() * bitmap.height() > maxFilteredPixels)
        filtered = false;
    DrawStep filters;
    filters.kind = DrawStep::Kind::Object;
    if (filtered)
        filters.filters = placement.filters;
    key.push_back(std::move(filters));
    const double reach = edgeMargin * samples_ + (filtered ? spread : 0);
    QRect area = alignedTo(covered.translated(-origin).adjusted(-reach, -reach, reach, reach), samples_);
    // What lies far outside the picture is left out, and not kept.
    const bool keep = cache_ && qint64(area.width()) * area.height() <= maxKeptBitmapPixels;
    if (!keep)
        area &= alignedTo(QRectF(device().translated(-origin)).adjusted(-reach, -reach, reach, reach), samples_);
    if (area.isEmpty())
        return;
    bool wanted = false;
    std::optional<PixelCache::Pixels> pixels = keep ? cache_->find(key, wanted) : std::nullopt;
    if (!pixels) {
        const int coarse = filtered && qint64(area.width()) * area.height() > maxSampledFilterPixels ? samples_ : 1;
        QImage layer(area.size() / coarse, QImage::Format_ARGB32_Premultiplied);
        if (layer.isNull())
            return;
        // Past the frame's share of filtering the object comes unfiltered,
        // and is not kept as if it were filtered.
        if (filtered && !withinFilterBudget(qint64(layer.width()) * layer.height(), placement.filters)) {
            filtered = false;
            wanted = false;
        }
        layer.fill(Qt::transparent);
        {
            QPainter painter(&layer);
            painter.setRenderHints(painter_.renderHints());
            Renderer inside = onto(painter);
            inside.inLayer_ = ownLayer || inLayer_;
            if (coarse > 1) {
                // One sample a pixel, its edges smoothed by the painter.
                painter.setRenderHint(QPainter::Antialiasing);
                inside.samples_ = 1;
                inside.smoothEdges_ = true;
                inside.cache_ = nullptr;
            }
            const QTransform toLayer = QTransform::fromTranslate(-origin.x() - area.x(), -origin.y() - area.y())
                * QTransform::fromScale(1.0 / coarse, 1.0 / coarse);
            inside.stageWorld_ = stageWorld_ * toLayer;
            inside.drawCharacter(item, world * toLayer, color, level);
        }
        if (filtered)
            layer = applyFilters(layer, placement.filters, samples_ / coarse, stageScale_);
        QPoint at = area.topLeft();
        if (coarse > 1) {
            const QRect shown = alignedTo(QRectF(area & device().translated(-origin)), coarse);
            if (shown.isEmpty())
                return;
            const QRect part((shown.topLeft() - at) / coarse, shown.size() / coarse);
            layer = layer.copy(part).scaled(shown.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            at = shown.topLeft();
        }
        pixels = PixelCache::Pixels{layer, at};
        if (wanted)
            cache_->store(key, *pixels);
    }
    putDown(painter_, pixels->image, placement.blend, origin + pixels->offset);
}

} // namespace sky::swf
