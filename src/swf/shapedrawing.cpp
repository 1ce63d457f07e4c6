// Shapes, text and bitmaps drawn onto the renderer's painter: fills and
// lines by the player's pixel rules, or smoothed by the painter.

#include "bitmapsurface.h"
#include "brushes.h"
#include "objectbounds.h"
#include "objectrenderer.h"
#include "text.h"

#include <QPainterPathStroker>

#include <cmath>

namespace sky::swf {
namespace {

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

} // namespace

void Renderer::drawDrawn(const Character &character, quint16 id, int ratio, const QTransform &world,
                         const ColorTransform &color)
{
    if (const auto *shape = std::get_if<ShapeCharacter>(&character)) {
        drawShape(shape->shape, world, color);
    } else if (const auto *morph = std::get_if<MorphCharacter>(&character)) {
        drawShape(morph->at(ratio), world, color);
    } else if (const auto *text = std::get_if<TextCharacter>(&character)) {
        drawText(*text, world, color);
    } else if (std::holds_alternative<BitmapCharacter>(character)) {
        painter_.setTransform(QTransform::fromScale(20, 20) * world);
        painter_.drawImage(0, 0, transformImage(movie_.bitmap(id), color));
    }
}

void Renderer::drawShape(const CompiledShape &shape, const QTransform &world, const ColorTransform &color)
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

// What a clip's drawing methods drew, below its children.
void Renderer::drawScripted(const ScriptDrawing &drawing, const QTransform &world, const ColorTransform &color)
{
    const CompiledShape &shape = drawing.compiled();
    if (steps_) {
        DrawStep step = characterStep(0, 0, world, color, stepsOrigin_);
        step.ratio = int(drawing.serial() & 0x7FFFFFFF);
        step.blend = int(drawing.serial() >> 31);
        const double reach = samples_; // a hairline's pixel, in device pixels
        record(std::move(step), world.mapRect(shape.bounds).adjusted(-reach, -reach, reach, reach));
        return;
    }
    drawShape(shape, world, color);
}

// Unrotated and unstretched, a bitmap's pixels that snap lie on whole
// pixels of the picture.
void Renderer::drawScriptBitmap(const StageClip &clip, const QTransform &world, const ColorTransform &color)
{
    const QImage &image = clip.bitmap->image();
    if (image.isNull())
        return;
    if (steps_) {
        DrawStep step = characterStep(0, 0, world, color, stepsOrigin_);
        step.ratio = int(clip.bitmap->serial() & 0x7FFFFFFF);
        step.blend = -1 - int(clip.bitmap->serial() >> 31 & 0x3FFFFFFF); // below every drawing's
        record(std::move(step), world.mapRect(scriptBitmapBounds(clip)));
        return;
    }
    QTransform toDevice = QTransform::fromScale(20, 20) * world;
    if (clip.bitmapSnapped && toDevice.type() <= QTransform::TxScale) {
        const auto snapped = [this](double at) { return std::round(at / samples_) * samples_; };
        toDevice = QTransform(toDevice.m11(), 0, 0, toDevice.m22(), snapped(toDevice.dx()), snapped(toDevice.dy()));
    }
    painter_.setTransform(toDevice);
    painter_.setRenderHint(QPainter::SmoothPixmapTransform, clip.bitmapSmoothed && smoothBitmaps_);
    painter_.drawImage(0, 0, color.isIdentity() ? image : transformImage(image, color));
}

// What a fill of `outline` (device pixels, straight edges) covers: the
// pixels whose centres lie inside it, or the outline itself where the
// painter smooths edges.
QPainterPath Renderer::pixelArea(const QPainterPath &outline) const
{
    if (smoothEdges_)
        return outline;
    return coveredPixels(outline, QRect(0, 0, painter_.device()->width(), painter_.device()->height()), samples_);
}

// Points sampled along each side of a device pixel: the window's smooth
// edges take in sixteen of each pixel, as high quality does.
int Renderer::subsamples() const { return smoothEdges_ ? 4 : 1; }

// Fills `outline` (device pixels, straight edges) with `brush` (device
// space) by this quality's rules.
void Renderer::fillOutline(const QPainterPath &outline, const QBrush &brush)
{
    if (brush.style() == Qt::NoBrush)
        return;
    if (!writer_) {
        painter_.setTransform(QTransform());
        painter_.fillPath(pixelArea(outline), brush);
        return;
    }
    if (brush.style() == Qt::SolidPattern) {
        writer_->fill(outline, samples_, subsamples(), qPremultiply(brush.color().rgba64()).toArgb32());
        return;
    }
    // A shaded gradient lies on whole device pixels: its pixels are put
    // down as they are.
    const QTransform &placed = brush.transform();
    const auto near = [](double v, double to) { return std::abs(v - to) < 1e-6; };
    if (brush.style() == Qt::TexturePattern
        && brush.textureImage().format() == QImage::Format_ARGB32_Premultiplied && near(placed.m11(), 1)
        && near(placed.m22(), 1) && near(placed.m12(), 0) && near(placed.m21(), 0)
        && near(placed.dx(), std::round(placed.dx())) && near(placed.dy(), std::round(placed.dy()))) {
        writer_->fill(outline, samples_, subsamples(), brush.textureImage(),
                      QPoint(int(std::round(placed.dx())), int(std::round(placed.dy()))));
        return;
    }
    fillOutline(outline, [&brush](QPainter &painter, const QRect &area) { painter.fillRect(area, brush); });
}

// Fills `outline` with what `paint` paints over the device pixels of
// `area` (its painter's transform taking device pixels there).
void Renderer::fillOutline(const QPainterPath &outline, const std::function<void(QPainter &, const QRect &)> &paint)
{
    if (!writer_) {
        painter_.save();
        painter_.setTransform(QTransform());
        painter_.setClipPath(pixelArea(outline), Qt::IntersectClip);
        paint(painter_, painter_.clipBoundingRect().toAlignedRect());
        painter_.restore();
        return;
    }
    const QRect area = writer_->reach(outline);
    if (area.isEmpty())
        return;
    QImage source(area.size(), QImage::Format_ARGB32_Premultiplied);
    if (source.isNull())
        return;
    source.fill(Qt::transparent);
    {
        QPainter painter(&source);
        painter.translate(-area.x(), -area.y());
        paint(painter, area);
    }
    writer_->fill(outline, samples_, subsamples(), source, area.topLeft());
}

void Renderer::fillPath(const QPainterPath &path, const FillStyle &style, const QTransform &world, const ColorTransform &color)
{
    const QPainterPath outline = flattenedOutline(path, world, curveToleranceOn(world, samples_));
    if (style.kind != FillKind::Bitmap) {
        QBrush brush = brushFor(style, color, world, path.boundingRect());
        brush.setTransform(brush.transform() * world);
        fillOutline(outline, brush);
        return;
    }
    const QImage image = transformImage(movie_.bitmap(style.bitmapId), color);
    if (image.isNull()) {
        fillOutline(outline, QColor(255, 0, 0));
        return;
    }
    // Smoothing only helps a bitmap that is scaled or turned.
    const QTransform toPixels = style.matrix.toTransform() * world * QTransform::fromScale(1.0 / samples_, 1.0 / samples_);
    const bool unscaled = toPixels.type() <= QTransform::TxTranslate
                       || (qFuzzyCompare(toPixels.m11(), 1.0) && qFuzzyCompare(toPixels.m22(), 1.0)
                           && qFuzzyIsNull(toPixels.m12()) && qFuzzyIsNull(toPixels.m21()));
    const bool smooth = style.smooth && smoothBitmaps_ && !unscaled;
    // A bitmap shown at its own size lands on whole pixels.
    QTransform placed = style.matrix.toTransform() * world;
    if (unscaled)
        placed.setMatrix(placed.m11(), placed.m12(), 0, placed.m21(), placed.m22(), 0,
                         std::round(placed.dx() / samples_) * samples_, std::round(placed.dy() / samples_) * samples_, 1);
    fillOutline(outline, [&](QPainter &painter, const QRect &area) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
        if (style.repeat) {
            QBrush brush(image);
            brush.setTransform(placed);
            painter.fillRect(area, brush);
            return;
        }
        // Past its edges a clipped bitmap goes on in its edge pixels.
        const QRect reach = placed.inverted().mapRect(QRectF(area)).toAlignedRect().intersected(
            image.rect().adjusted(-maxEdgeExtension, -maxEdgeExtension, maxEdgeExtension, maxEdgeExtension));
        const QRect cover = reach.united(image.rect());
        painter.setTransform(placed, true);
        painter.drawImage(cover.topLeft(), cover == image.rect() ? image : extendedEdges(image, cover));
    });
}

// Solid colours, or gradients shaded in device pixels over `bounds`.
QBrush Renderer::brushFor(const FillStyle &style, const ColorTransform &color, const QTransform &world, const QRectF &bounds)
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
    if (budget_.shadedPixels > Budget::maxShadedPixels)
        return gradientOrSolidBrush(style, color); // Qt's own gradients are quicker
    QBrush brush(shadeGradient(style, color, world, area, usesSteppedGradients(movie_.version(), style), samples_));
    brush.setTransform(QTransform::fromTranslate(area.x(), area.y()) * world.inverted());
    return brush;
}

void Renderer::strokePath(const StrokedPath &stroke, const QTransform &world, const ColorTransform &color)
{
    const LineStyle &style = stroke.style;
    painter_.setTransform(world);
    const double scale = std::sqrt(std::abs(world.determinant()));
    const double pixels = lineWidthOnDevice(style, world, stageScale_ * samples_);
    const double tolerance = curveToleranceOn(world, samples_);
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
    // A miter reaches at most its limit times the line's width past the
    // point where the lines meet, else it is bevelled; the pen measures
    // its tip in half widths.
    pen.setMiterLimit(style.miterLimit * 2);
    if (pixels < samples_ || scale <= 0) {
        // Lines thinner than a pixel are a one-pixel band around the
        // outline, filled by the same rules as shapes; a line of a whole
        // pixel is widened like thicker ones, with its caps and joins.
        QPainterPathStroker stroker;
        stroker.setWidth(samples_);
        stroker.setCapStyle(Qt::FlatCap);
        stroker.setJoinStyle(Qt::BevelJoin);
        QPainterPath band = stroker.createStroke(flattenedOutline(stroke.path, world, tolerance));
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
        // A line that scales with its object is widened before the
        // object's stretch: stretched across, it grows thicker across.
        // `stretch` is that stretch without its overall scale.
        const QTransform stretch = style.noHScale || style.noVScale
                                     ? QTransform()
                                     : QTransform(world.m11() / scale, world.m12() / scale, world.m21() / scale,
                                                  world.m22() / scale, 0, 0);
        const QTransform unstretch = stretch.inverted();
        const QPainterPath centre =
            unstretch.map(flattenedOutline(stroke.path, world, tolerance));
        QPainterPath outline;
        outline.setFillRule(Qt::WindingFill);
        for (const QPolygonF &part : QPainterPathStroker(pen).createStroke(centre).toSubpathPolygons())
            outline.addPolygon(stretch.map(part));
        QPainterPath area = pixelArea(outline);
        if (roundJoins || roundCaps)
            area.addPath(pixelArea(stretch.map(roundEnds(centre, pixels / 2, samples_, roundJoins, roundCaps))));
        area.setFillRule(Qt::WindingFill); // pixel rows of both, once each
        fillInDevice(area, pen.brush(), world);
        return;
    }
    // Widened in shape space once, then filled wherever it is drawn, its
    // round parts cut into pieces there as a shape's curves are.
    pen.setWidthF(pixels / scale);
    fillInDevice(flattenedOutline(stroke.widened(pen), world, tolerance), pen.brush(), world);
}

// Fills an outline given in device pixels with a brush in shape space.
void Renderer::fillInDevice(const QPainterPath &outline, QBrush brush, const QTransform &world)
{
    brush.setTransform(brush.transform() * world);
    fillOutline(outline, brush);
}

void Renderer::drawText(const TextCharacter &text, const QTransform &world, const ColorTransform &color)
{
    painter_.setPen(Qt::NoPen);
    if (text.framed() && !outlinesOnly_)
        drawFrame(text, world, color);
    if (!text.field || outlinesOnly_) {
        drawGlyphs(text, world, color);
        return;
    }
    // A text field's glyphs show within its box.
    painter_.save();
    painter_.setTransform(QTransform::fromScale(samples_, samples_));
    painter_.setClipPath(fieldClip(text, world * QTransform::fromScale(1.0 / samples_, 1.0 / samples_)),
                         Qt::IntersectClip);
    onto(painter_).drawGlyphs(text, world, color);
    painter_.restore();
}

void Renderer::drawGlyphs(const TextCharacter &text, const QTransform &world, const ColorTransform &color)
{
    FillStyle solid;
    for (const PlacedGlyph &glyph : placedGlyphs(movie_, text)) {
        solid.color = glyph.color;
        fillPath(*glyph.outline, solid, glyph.transform * world, color);
    }
}

// A text field's background, on the whole pixels its box holds, and its
// border: one pixel inside the top and left edges of those pixels and just
// past the right and bottom ones, as the player draws it; over a
// background the bottom right corner is left out. Turned or slanted further, the background is filled
// like any shape and the border is a hairline.
void Renderer::drawFrame(const TextCharacter &text, const QTransform &world, const ColorTransform &color)
{
    const QRectF &box = text.box;
    const std::optional<QRect> pixels = fieldPixels(box, world * QTransform::fromScale(1.0 / samples_, 1.0 / samples_));
    if (!pixels) {
        QPainterPath area;
        area.addRect(box);
        if (text.background) {
            FillStyle background;
            background.color = text.backgroundColor;
            fillPath(area, background, world, color);
        }
        if (text.border) {
            LineStyle border;
            border.color = text.borderColor;
            strokePath(StrokedPath(border, area), world, color);
        }
        return;
    }
    // Whole pixels at every quality.
    if (pixels->isEmpty())
        return;
    const int x0 = pixels->left(), x1 = x0 + pixels->width(), y0 = pixels->top(), y1 = y0 + pixels->height();
    painter_.setTransform(QTransform::fromScale(samples_, samples_));
    if (text.background)
        painter_.fillRect(QRectF(x0, y0, x1 - x0, y1 - y0), color.apply(text.backgroundColor));
    if (text.border) {
        QPainterPath frame;
        frame.setFillRule(Qt::WindingFill);
        frame.addRect(x0, y0, x1 - x0, 1);
        frame.addRect(x1, y0, 1, y1 - y0);
        frame.addRect(x0, y1, x1 - x0, 1);
        frame.addRect(x0, y0, 1, y1 - y0);
        if (!text.background)
            frame.addRect(x1, y1, 1, 1);
        painter_.fillPath(frame, color.apply(text.borderColor));
    }
    painter_.setTransform(QTransform());
}

} // namespace sky::swf
