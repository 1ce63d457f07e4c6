#include "renderer.h"

#include "blending.h"
#include "brushes.h"
#include "drawitems.h"
#include "movie.h"
#include "objectbounds.h"
#include "raster.h"
#include "text.h"

#include <QPainter>
#include <QPainterPathStroker>
#include <QSemaphore>
#include <QThread>
#include <QThreadPool>

#include <cmath>
#include <functional>

namespace sky::swf {
namespace {

constexpr int maxNesting = 24;
constexpr int maxObjectsPerFrame = 200'000;
constexpr int maxLayersPerFrame = 64;
constexpr qint64 maxShadedPixelsPerFrame = 64LL * 1024 * 1024;
constexpr qint64 maxFilteredPixelsPerFrame = 32LL * 1024 * 1024;
constexpr qint64 maxSupersampledPixels = 64LL * 1024 * 1024;
constexpr int maxEdgeExtension = 256; // bitmap pixels a clipped bitmap is carried past its edges

// `image` grown to `cover` (in its own pixels) by repeating its edge pixels.
QImage extendedEdges(const QImage &image, const QRect &cover)
{
    QImage out(cover.size(), QImage::Format_ARGB32_Premultiplied);
    const QImage source = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < cover.height(); ++y) {
        const int sy = qBound(0, cover.y() + y, source.height() - 1);
        const auto *from = reinterpret_cast<const QRgb *>(source.constScanLine(sy));
        auto *to = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < cover.width(); ++x)
            to[x] = from[qBound(0, cover.x() + x, source.width() - 1)];
    }
    return out;
}

Qt::PenCapStyle capFor(Cap cap)
{
    return cap == Cap::None ? Qt::FlatCap : cap == Cap::Square ? Qt::SquareCap : Qt::RoundCap;
}

Qt::PenJoinStyle joinFor(Join join)
{
    return join == Join::Bevel ? Qt::BevelJoin : join == Join::Miter ? Qt::SvgMiterJoin : Qt::RoundJoin;
}

class Renderer {
public:
    // Work done for one frame, shared by the renderers of its layers, so
    // that a hostile movie cannot make a frame take unbounded time.
    struct Budget {
        int objects = 0;
        int layers = 0; // full-size images for masks and blend modes
        qint64 shadedPixels = 0;
        qint64 filteredPixels = 0; // picture pixels times blur passes
    };

    // Draws without Qt's antialiasing, `samples` device pixels to one
    // picture pixel; the caller averages them down for smooth edges.
    Renderer(QPainter &painter, const Movie &movie, int samples, bool smoothBitmaps, double stageScale, Budget &budget)
        : painter_(painter), movie_(movie), samples_(samples), smoothBitmaps_(smoothBitmaps), stageScale_(stageScale),
          budget_(budget), smoothEdges_(painter.testRenderHint(QPainter::Antialiasing))
    {
    }

    void drawList(const DrawItems &list, const QTransform &world, const ColorTransform &color, int level)
    {
        const auto &items = list.items;
        for (auto it = items.begin(); it != items.end(); ++it) {
            const Placement &placement = *it->placement;
            if (!placement.visible)
                continue;
            if (placement.background.isValid() && placement.background.alpha() > 0) {
                // A cached bitmap with an opaque background fills its pixel bounds.
                painter_.save();
                painter_.resetTransform();
                const QRectF bounds = outline(*it, world, level).boundingRect();
                painter_.fillRect(QRect(QPoint(qRound(bounds.left()), qRound(bounds.top())),
                                        QPoint(qRound(bounds.right()) - 1, qRound(bounds.bottom()) - 1)),
                                  placement.background);
                painter_.restore();
            }
            if (placement.clipDepth <= 0) {
                drawObject(*it, world, color, level);
                continue;
            }
            // The objects up to the clip depth show where the mask covers.
            DrawItems masked;
            auto next = std::next(it);
            for (; next != items.end() && next->depth <= placement.clipDepth; ++next)
                masked.items.push_back(*next);
            drawMasked(*it, masked, world, color, level);
            it = std::prev(next);
        }
    }

    // Draws `content` into a layer, keeps the part the mask's shapes cover
    // (drawn by the same rules as any fill) and puts the layer down.
    void drawMasked(const DrawItem &mask, const DrawItems &content, const QTransform &world, const ColorTransform &color,
                    int level)
    {
        if (content.items.empty() || level > maxNesting)
            return;
        if (++budget_.layers > maxLayersPerFrame) {
            drawList(content, world, color, level); // unmasked rather than not at all
            return;
        }
        const QSize size(painter_.device()->width(), painter_.device()->height());
        QImage layer(size, QImage::Format_ARGB32_Premultiplied);
        QImage stencil(size, QImage::Format_ARGB32_Premultiplied);
        if (layer.isNull() || stencil.isNull())
            return;
        layer.fill(Qt::transparent);
        stencil.fill(Qt::transparent);
        {
            QPainter stencilPainter(&stencil);
            ColorTransform opaque;
            opaque.mul[3] = 0;
            opaque.add[3] = 255;
            Renderer stencilRenderer = onto(stencilPainter);
            stencilRenderer.outlinesOnly_ = true;
            stencilRenderer.drawObject(mask, world, opaque, level);
        }
        {
            QPainter layerPainter(&layer);
            onto(layerPainter).drawList(content, world, color, level);
            layerPainter.resetTransform();
            layerPainter.setCompositionMode(QPainter::CompositionMode_DestinationIn);
            layerPainter.drawImage(0, 0, stencil);
        }
        painter_.save();
        painter_.resetTransform();
        painter_.drawImage(0, 0, layer);
        painter_.restore();
    }

    void drawObject(const DrawItem &item, const QTransform &parentWorld, const ColorTransform &parentColor, int level)
    {
        if (level > maxNesting || ++budget_.objects > maxObjectsPerFrame)
            return;
        const Placement &placement = *item.placement;
        QTransform world = placed(placement, parentWorld);
        if (placement.cached || (!placement.filters.empty() && !outlinesOnly_)) {
            // A cached bitmap lands on whole pixels; a filtered object is
            // drawn as one.
            world.setMatrix(world.m11(), world.m12(), world.m13(), world.m21(), world.m22(), world.m23(),
                            std::round(world.dx() / samples_) * samples_, std::round(world.dy() / samples_) * samples_,
                            world.m33());
        }
        const ColorTransform color = parentColor.after(placement.color);
        if (actsOnParentLayer(placement.blend) && (!inLayer_ || outlinesOnly_))
            return; // nothing of a parent's layer to act on
        const bool layered = drawnAsLayer(placement.blend) && !outlinesOnly_;
        const bool filtered = !placement.filters.empty() && !outlinesOnly_ && withinFilterBudget(placement.filters);
        if ((!layered && !filtered) || ++budget_.layers > maxLayersPerFrame) {
            drawCharacter(item, world, color, level);
            return;
        }
        // Filter the object, and blend it, as a whole against what lies
        // below it.
        QImage layer = drawnAlone(item, world, color, level);
        if (filtered)
            layer = applyFilters(layer, placement.filters, samples_, stageScale_);
        putDown(painter_, layer, placement.blend);
    }

    // The object drawn on a transparent image of its own the size of the
    // device, which its children with the alpha and erase modes act on.
    QImage drawnAlone(const DrawItem &item, const QTransform &world, const ColorTransform &color, int level)
    {
        QImage layer(painter_.device()->width(), painter_.device()->height(), QImage::Format_ARGB32_Premultiplied);
        layer.fill(Qt::transparent);
        QPainter layerPainter(&layer);
        Renderer inside = onto(layerPainter);
        inside.inLayer_ = true;
        inside.drawCharacter(item, world, color, level);
        return layer;
    }

    void drawCharacter(const DrawItem &item, const QTransform &world, const ColorTransform &color, int level)
    {
        const quint16 id = item.placement->characterId;
        const Character *character = movie_.character(id);
        if (!character && !item.clip)
            return;
        if (const auto *shape = std::get_if<ShapeCharacter>(character)) {
            drawShape(shape->shape, world, color);
        } else if (const auto *morph = std::get_if<MorphCharacter>(character)) {
            drawShape(morph->at(item.placement->ratio), world, color);
        } else if (const auto *text = std::get_if<TextCharacter>(character)) {
            drawText(*text, world, color);
        } else if (character && std::holds_alternative<BitmapCharacter>(*character)) {
            painter_.setTransform(QTransform::fromScale(20, 20) * world);
            painter_.drawImage(0, 0, transformImage(movie_.bitmap(id), color));
        } else {
            drawList(childrenOf(movie_, item), world, color, level + 1);
        }
    }

    // The area an object covers, in device coordinates, for masking.
    QPainterPath outline(const DrawItem &item, const QTransform &parentWorld, int level)
    {
        const Placement &placement = *item.placement;
        QPainterPath area;
        area.setFillRule(Qt::WindingFill);
        if (level > maxNesting || ++budget_.objects > maxObjectsPerFrame)
            return area;
        const QTransform world = placed(placement, parentWorld);
        const Character *character = movie_.character(placement.characterId);
        if (const auto *shape = std::get_if<ShapeCharacter>(character)) {
            area.addPath(world.map(outlineOf(shape->shape)));
        } else if (const auto *morph = std::get_if<MorphCharacter>(character)) {
            area.addPath(world.map(outlineOf(morph->at(placement.ratio))));
        } else if (const auto *text = std::get_if<TextCharacter>(character)) {
            for (const PlacedGlyph &glyph : placedGlyphs(movie_, *text))
                area.addPath((glyph.transform * world).map(*glyph.outline));
        } else {
            for (const DrawItem &child : childrenOf(movie_, item).items)
                if (child.placement->clipDepth == 0)
                    area.addPath(outline(child, world, level + 1));
        }
        return area;
    }

private:
    // Counts the work of `filters` on a whole picture; false once a frame
    // has spent its share, when the object is drawn unfiltered.
    bool withinFilterBudget(const std::vector<Filter> &filters)
    {
        const qint64 picture = qint64(painter_.device()->width()) * painter_.device()->height() / (samples_ * samples_);
        for (const Filter &filter : filters)
            budget_.filteredPixels += picture * filter.passes;
        return budget_.filteredPixels <= maxFilteredPixelsPerFrame;
    }

    // A renderer with the same settings drawing onto another painter.
    Renderer onto(QPainter &painter) const
    {
        Renderer other(painter, movie_, samples_, smoothBitmaps_, stageScale_, budget_);
        other.outlinesOnly_ = outlinesOnly_;
        other.smoothEdges_ = smoothEdges_;
        other.inLayer_ = inLayer_;
        return other;
    }

    void drawShape(const CompiledShape &shape, const QTransform &world, const ColorTransform &color)
    {
        painter_.setTransform(world);
        for (const PathLayer &layer : shape.layers) {
            painter_.setPen(Qt::NoPen);
            for (const FilledPath &fill : layer.fills)
                fillPath(fill.path, fill.style, world, color);
            if (outlinesOnly_)
                continue; // a mask is its fills
            for (const StrokedPath &stroke : layer.strokes)
                strokePath(stroke, world, color);
        }
    }

    // The transform of an object placed under `parentWorld`: the player
    // keeps the offset of each combined matrix in whole twips.
    QTransform placed(const Placement &placement, const QTransform &parentWorld) const
    {
        const QTransform world = placement.matrix.toTransform() * parentWorld;
        const double grid = 20.0 / samples_;
        return QTransform(world.m11(), world.m12(), world.m21(), world.m22(), std::round(world.dx() * grid) / grid,
                          std::round(world.dy() * grid) / grid);
    }

    // What a fill of `outline` (device pixels) covers: the pixels whose
    // centre lies inside the outline as the player flattens it.
    QPainterPath pixelArea(const QPainterPath &outline, Cut cut = Cut::Shape) const
    {
        if (smoothEdges_ && cut == Cut::Glyph)
            return outline; // as good as the painter's own curves
        const QPainterPath flat = flattenedOutline(outline, samples_, cut);
        if (smoothEdges_)
            return flat;
        return coveredPixels(flat, QRect(0, 0, painter_.device()->width(), painter_.device()->height()), samples_);
    }

    void fillPath(const QPainterPath &path, const FillStyle &style, const QTransform &world, const ColorTransform &color,
                  Cut cut = Cut::Shape)
    {
        const QPainterPath area = pixelArea(world.map(path), cut);
        const auto place = [&](QBrush brush) {
            brush.setTransform(brush.transform() * world);
            return brush;
        };
        painter_.setTransform(QTransform());
        if (style.kind != FillKind::Bitmap) {
            painter_.fillPath(area, place(brushFor(style, color, world, path.boundingRect())));
            return;
        }
        const QImage image = transformImage(movie_.bitmap(style.bitmapId), color);
        if (image.isNull()) {
            painter_.fillPath(area, QColor(255, 0, 0));
            return;
        }
        painter_.save();
        // Smoothing only helps a bitmap that is scaled or turned.
        const QTransform toPixels = style.matrix.toTransform() * world * QTransform::fromScale(1.0 / samples_, 1.0 / samples_);
        const bool unscaled = toPixels.type() <= QTransform::TxTranslate
                           || (qFuzzyCompare(toPixels.m11(), 1.0) && qFuzzyCompare(toPixels.m22(), 1.0)
                               && qFuzzyIsNull(toPixels.m12()) && qFuzzyIsNull(toPixels.m21()));
        painter_.setRenderHint(QPainter::SmoothPixmapTransform, style.smooth && smoothBitmaps_ && !unscaled);
        // A bitmap shown at its own size lands on whole pixels.
        QTransform placed = style.matrix.toTransform() * world;
        if (unscaled)
            placed.setMatrix(placed.m11(), placed.m12(), 0, placed.m21(), placed.m22(), 0,
                             std::round(placed.dx() / samples_) * samples_, std::round(placed.dy() / samples_) * samples_, 1);
        if (style.repeat) {
            QBrush brush(image);
            brush.setTransform(placed);
            painter_.fillPath(area, brush);
        } else {
            // Past its edges a clipped bitmap goes on in its edge pixels.
            const QRect reach = placed.inverted().mapRect(area.boundingRect()).toAlignedRect().intersected(
                image.rect().adjusted(-maxEdgeExtension, -maxEdgeExtension, maxEdgeExtension, maxEdgeExtension));
            const QRect cover = reach.united(image.rect());
            painter_.setClipPath(area, Qt::IntersectClip);
            painter_.setTransform(placed);
            painter_.drawImage(cover.topLeft(), cover == image.rect() ? image : extendedEdges(image, cover));
        }
        painter_.restore();
    }

    // Solid colours, or gradients shaded in device pixels over `bounds`.
    QBrush brushFor(const FillStyle &style, const ColorTransform &color, const QTransform &world, const QRectF &bounds)
    {
        if (style.kind == FillKind::Solid || style.kind == FillKind::Bitmap)
            return gradientOrSolidBrush(style, color);
        // Only what the painter may still change is shaded.
        QRect device(0, 0, painter_.device()->width(), painter_.device()->height());
        if (painter_.hasClipping())
            device &= painter_.transform().mapRect(painter_.clipBoundingRect()).toAlignedRect();
        const QRect area = world.mapRect(bounds).toAlignedRect().adjusted(-1, -1, 1, 1).intersected(device);
        if (area.isEmpty())
            return Qt::NoBrush;
        budget_.shadedPixels += qint64(area.width()) * area.height();
        if (budget_.shadedPixels > maxShadedPixelsPerFrame)
            return gradientOrSolidBrush(style, color); // Qt's own gradients are quicker
        QBrush brush(shadeGradient(style, color, world, area, usesSteppedGradients(movie_.version(), style), samples_));
        brush.setTransform(QTransform::fromTranslate(area.x(), area.y()) * world.inverted());
        return brush;
    }

    void strokePath(const StrokedPath &stroke, const QTransform &world, const ColorTransform &color)
    {
        const LineStyle &style = stroke.style;
        painter_.setTransform(world);
        const double scale = std::sqrt(std::abs(world.determinant()));
        const double pixels = lineWidthOnDevice(style, world, stageScale_ * samples_);
        QPen pen;
        if (style.hasFill && style.fill.kind != FillKind::Solid) {
            const double margin = qMax(pixels, 1.0) / qMax(scale, 1e-9);
            pen.setBrush(brushFor(style.fill, color, world,
                                  stroke.path.boundingRect().adjusted(-margin, -margin, margin, margin)));
        }
        else
            pen.setColor(color.apply(style.color));
        pen.setCapStyle(capFor(style.startCap));
        pen.setJoinStyle(joinFor(style.join));
        pen.setMiterLimit(style.miterLimit);
        if (pixels <= samples_ || scale <= 0) {
            // Thin lines are a one-pixel band around the outline, filled by
            // the same rules as shapes.
            QPainterPathStroker stroker;
            stroker.setWidth(samples_);
            stroker.setCapStyle(Qt::FlatCap);
            stroker.setJoinStyle(Qt::BevelJoin);
            QPainterPath band = stroker.createStroke(world.map(stroke.path));
            band.setFillRule(Qt::WindingFill);
            fillInDevice(band, pen.brush(), world);
            return;
        }
        if (!smoothEdges_) {
            // The player cuts the line's curves into pieces, unsnapped, and
            // widens those; round joins and caps are discs of its own.
            pen.setWidthF(pixels);
            const bool roundJoins = style.join == Join::Round;
            const bool roundCaps = style.startCap == Cap::Round;
            if (roundJoins)
                pen.setJoinStyle(Qt::BevelJoin);
            if (roundCaps)
                pen.setCapStyle(Qt::FlatCap);
            const QPainterPath centre = flattenedOutline(world.map(stroke.path), samples_, Cut::Line);
            QPainterPath outline;
            outline.setFillRule(Qt::WindingFill);
            for (const QPolygonF &part : QPainterPathStroker(pen).createStroke(centre).toSubpathPolygons())
                outline.addPolygon(part);
            QPainterPath area = pixelArea(outline);
            if (roundJoins || roundCaps)
                area.addPath(pixelArea(roundEnds(centre, pixels / 2, samples_, roundJoins, roundCaps)));
            area.setFillRule(Qt::WindingFill); // pixel rows of both, once each
            fillPixels(area, pen.brush(), world);
            return;
        }
        // Widened in shape space once, then filled wherever it is drawn.
        pen.setWidthF(pixels / scale);
        painter_.fillPath(stroke.widened(pen), pen.brush());
    }

    // Fills an outline given in device pixels with a brush in shape space.
    void fillInDevice(const QPainterPath &outline, const QBrush &brush, const QTransform &world)
    {
        fillPixels(pixelArea(outline), brush, world);
    }

    // Fills what pixelArea() gave with a brush in shape space.
    void fillPixels(const QPainterPath &area, QBrush brush, const QTransform &world)
    {
        brush.setTransform(brush.transform() * world);
        painter_.setTransform(QTransform());
        painter_.fillPath(area, brush);
    }

    void drawText(const TextCharacter &text, const QTransform &world, const ColorTransform &color)
    {
        painter_.setPen(Qt::NoPen);
        if (text.framed && !outlinesOnly_)
            drawFrame(text.box, world, color);
        FillStyle solid;
        for (const PlacedGlyph &glyph : placedGlyphs(movie_, text)) {
            solid.color = glyph.color;
            fillPath(*glyph.outline, solid, glyph.transform * world, color, Cut::Glyph);
        }
    }

    // A text field's white background, filled like any shape, and its
    // black border: one pixel inside each edge of the pixels the
    // background covers, the bottom right corner left out, as the player
    // draws it. Turned or slanted, the border is a hairline.
    void drawFrame(const QRectF &box, const QTransform &world, const ColorTransform &color)
    {
        FillStyle background;
        background.color = Qt::white;
        QPainterPath area;
        area.addRect(box);
        fillPath(area, background, world, color);
        LineStyle border;
        border.color = Qt::black;
        const QTransform toPicture = world * QTransform::fromScale(1.0 / samples_, 1.0 / samples_);
        if (toPicture.isRotating()) {
            strokePath(StrokedPath(border, area), world, color);
            return;
        }
        // Pixels whose centres the box holds, a centre on its top or left
        // edge counting.
        const QRectF r = toPicture.mapRect(box);
        const auto edge = [](double v) { return std::ceil(v - 0.5); };
        const double x0 = edge(r.left()), x1 = edge(r.right()), y0 = edge(r.top()), y1 = edge(r.bottom());
        if (x1 <= x0 || y1 <= y0)
            return;
        QPainterPath frame;
        frame.setFillRule(Qt::WindingFill);
        frame.addRect(x0, y0, x1 - x0, 1);
        frame.addRect(x1, y0, 1, y1 - y0);
        frame.addRect(x0, y1, x1 - x0, 1);
        frame.addRect(x0, y0, 1, y1 - y0);
        painter_.setTransform(QTransform::fromScale(samples_, samples_));
        painter_.fillPath(frame, color.apply(border.color));
        painter_.setTransform(QTransform());
    }

    QPainter &painter_;
    const Movie &movie_;
    int samples_;
    bool smoothBitmaps_;
    double stageScale_;
    Budget &budget_;
    bool smoothEdges_; // the painter antialiases; else pixels are taken in by their centres
    bool outlinesOnly_ = false;
    bool inLayer_ = false; // drawing into the layer of a blended or filtered parent
};

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

void drawObjects(QPainter &painter, const Movie &movie, const std::vector<StageObject> &objects,
                 const QRectF &target, int samples, bool smoothBitmaps, bool shadeGradients = true)
{
    const QRectF stage = movie.stageRect();
    painter.fillRect(target, movie.backgroundColor());
    if (stage.width() <= 0 || stage.height() <= 0 || target.isEmpty())
        return;
    const QTransform world = stageTransform(movie, target);
    painter.setClipRect(target, Qt::IntersectClip);
    const QTransform base = world * painter.transform();
    DrawItems list;
    list.items.reserve(objects.size());
    for (const StageObject &object : objects)
        list.items.push_back({object.depth, &object.clip->placement, object.age, object.clip});
    Renderer::Budget budget;
    // Gradients shaded pixel by pixel match the player exactly; Qt's own are
    // far quicker, and what a frame falls back to once its budget is spent.
    if (!shadeGradients)
        budget.shadedPixels = maxShadedPixelsPerFrame;
    Renderer renderer(painter, movie, samples, smoothBitmaps, world.m11() * 20, budget);
    renderer.drawList(list, base, ColorTransform(), 0);
}

void drawWholeFrame(QPainter &painter, const Movie &movie, const std::vector<StageObject> &objects,
                    const QRectF &target, const RenderOptions &options)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    if (!options.antialias) {
        drawObjects(painter, movie, objects, target, 1, false);
        painter.restore();
        return;
    }
    if (!options.supersample) {
        painter.setRenderHint(QPainter::Antialiasing, true);
        drawObjects(painter, movie, objects, target, 1, true, false);
        painter.restore();
        return;
    }
    // Smooth edges come from drawing at four times the size in each
    // direction and averaging, as the player's high quality does.
    constexpr int samples = 4;
    const QRect device = painter.transform().mapRect(target).toAlignedRect().intersected(
        QRect(0, 0, painter.device()->width(), painter.device()->height()));
    if (device.isEmpty() || qint64(device.width()) * device.height() * samples * samples > maxSupersampledPixels) {
        drawObjects(painter, movie, objects, target, 1, true);
        painter.restore();
        return;
    }
    QImage big(device.size() * samples, QImage::Format_ARGB32_Premultiplied);
    big.fill(Qt::transparent);
    {
        QPainter bigPainter(&big);
        bigPainter.setTransform(painter.transform() * QTransform::fromTranslate(-device.x(), -device.y())
                                * QTransform::fromScale(samples, samples));
        drawObjects(bigPainter, movie, objects, target, samples, true);
    }
    painter.resetTransform();
    painter.drawImage(device.topLeft(), downsample(big, samples));
    painter.restore();
}

} // namespace

QTransform stageTransform(const Movie &movie, const QRectF &target)
{
    // The stage is a whole number of pixels from its top left corner.
    const QRectF stage(movie.stageRect().topLeft(), QSizeF(movie.stageSize()) * 20);
    const double scale = qMin(target.width() / stage.width(), target.height() / stage.height());
    return QTransform::fromTranslate(-stage.center().x(), -stage.center().y()) * QTransform::fromScale(scale, scale)
         * QTransform::fromTranslate(target.center().x(), target.center().y());
}

void drawStage(QPainter &painter, const Movie &movie, const std::vector<StageObject> &objects, const QRectF &target,
               const RenderOptions &options)
{
    // Supersampled frames are a few very large fills, which the painter's
    // threads speed up; other frames are many small ones.
    if (options.antialias && options.supersample)
        drawWholeFrame(painter, movie, objects, target, options);
    else
        drawOnPoolThread([&] { drawWholeFrame(painter, movie, objects, target, options); });
}

} // namespace sky::swf
