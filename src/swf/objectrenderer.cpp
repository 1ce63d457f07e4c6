#include "objectrenderer.h"

#include "blending.h"
#include "brushes.h"
#include "filters.h"
#include "objectbounds.h"
#include "text.h"

#include <cmath>

namespace sky::swf {
namespace {

constexpr int maxNesting = 24;

DrawStep marker(DrawStep::Kind kind)
{
    DrawStep step;
    step.kind = kind;
    return step;
}

// Masks are drawn fully opaque whatever their colours.
ColorTransform opaqueColor()
{
    ColorTransform opaque;
    opaque.mul[3] = 0;
    opaque.add[3] = 255;
    return opaque;
}

} // namespace

Renderer::Renderer(QPainter &painter, const Movie &movie, int samples, bool smoothBitmaps, double stageScale,
                   Budget &budget, PixelCache *cache)
    : painter_(painter), movie_(movie), samples_(samples), smoothBitmaps_(smoothBitmaps), stageScale_(stageScale),
      budget_(budget), cache_(cache), smoothEdges_(painter.testRenderHint(QPainter::Antialiasing)),
      writer_(PixelWriter::onto(painter))
{
}

void Renderer::drawList(const DrawItems &list, const QTransform &world, const ColorTransform &color, int level)
{
    const auto &items = list.items;
    for (auto it = items.begin(); it != items.end(); ++it) {
        const Placement &placement = *it->placement;
        if (!placement.visible)
            continue;
        if (placement.background.isValid() && placement.background.alpha() > 0) {
            // An opaque background fills its object's bounds: a cached
            // bitmap's whole pixels, and otherwise the pixels whose centres
            // the bounds hold, as a fill would.
            const QRectF bounds = it->clip ? placed(placement, world).mapRect(clipBoundsInTwips(*it->clip))
                                           : outline(*it, world, level).boundingRect();
            const auto edge = [cached = placement.cached, samples = samples_](double at) {
                const double pixel = at / samples;
                return (cached ? qRound(pixel) : int(std::ceil(pixel - 0.5))) * samples;
            };
            const QRect pixels(QPoint(edge(bounds.left()), edge(bounds.top())),
                               QPoint(edge(bounds.right()) - 1, edge(bounds.bottom()) - 1));
            if (steps_) {
                DrawStep step;
                step.kind = DrawStep::Kind::Background;
                step.ratio = int(placement.background.rgba());
                step.matrix = {double(pixels.x()) - stepsOrigin_.x(), double(pixels.y()) - stepsOrigin_.y(),
                               double(pixels.width()), double(pixels.height())};
                record(step, pixels);
            } else {
                painter_.resetTransform();
                painter_.fillRect(pixels, placement.background);
            }
        }
        // A clip in a mask a script set masks by that alone.
        if (placement.clipDepth <= 0 || (it->clip && (it->clip->mask || it->clip->maskOf))) {
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
void Renderer::drawMasked(const DrawItem &mask, const DrawItems &content, const QTransform &world,
                          const ColorTransform &color, int level)
{
    if (content.items.empty() || level > maxNesting)
        return;
    drawThroughMask([&](Renderer &r) { r.drawObject(mask, world, opaqueColor(), level); },
                    [&](Renderer &r) { r.drawList(content, world, color, level); });
}

// A clip masked by another clip a script chose: the mask is drawn where it
// stands on the stage.
void Renderer::drawScriptMasked(const DrawItem &item, const QTransform &parentWorld, const ColorTransform &parentColor,
                                int level)
{
    const StageClip &mask = *item.clip->mask;
    std::vector<const StageClip *> above;
    for (const StageClip *c = mask.parent; c; c = c->parent)
        above.push_back(c);
    QTransform maskWorld = stageWorld_;
    for (auto it = above.rbegin(); it != above.rend(); ++it)
        maskWorld = placed((*it)->placement, maskWorld);
    maskWorld = placed(mask.placement, maskWorld);
    const DrawItem maskItem{mask.depth, &mask.placement, 0, &mask};
    drawThroughMask([&](Renderer &r) { r.drawCharacter(maskItem, maskWorld, opaqueColor(), level); },
                    [&](Renderer &r) {
                        const StageClip *before = std::exchange(r.unmasked_, item.clip);
                        r.drawObject(item, parentWorld, parentColor, level);
                        r.unmasked_ = before;
                    });
}

// A clip showing only the rectangle `scroll` of itself (its own pixels),
// that rectangle's corner put at its origin. Drawn as a mask, the clip is
// only moved so: the player does not cut a mask by its scroll rect.
void Renderer::drawScrolled(const DrawItem &item, const QRectF &scroll, const QTransform &world,
                            const ColorTransform &color, int level)
{
    const QTransform shifted = QTransform::fromTranslate(-scroll.x() * 20, -scroll.y() * 20) * world;
    if (outlinesOnly_) {
        drawChildren(item, shifted, color, level);
        return;
    }
    drawThroughMask([&](Renderer &r) { r.fillMaskRect(QRectF(QPointF(0, 0), scroll.size() * 20), world); },
                    [&](Renderer &r) { r.drawChildren(item, shifted, color, level); });
}

void Renderer::drawThroughMask(const std::function<void(Renderer &)> &mask,
                               const std::function<void(Renderer &)> &content)
{
    if (steps_) {
        record(marker(DrawStep::Kind::Mask));
        mask(*this);
        record(marker(DrawStep::Kind::MaskedContent));
        content(*this);
        record(marker(DrawStep::Kind::MaskEnd));
        return;
    }
    if (++budget_.layers > Budget::maxLayers) {
        content(*this); // unmasked rather than not at all
        return;
    }
    const QSize size = device().size();
    QImage layer(size, QImage::Format_ARGB32_Premultiplied);
    QImage stencil(size, QImage::Format_ARGB32_Premultiplied);
    if (layer.isNull() || stencil.isNull())
        return;
    layer.fill(Qt::transparent);
    stencil.fill(Qt::transparent);
    {
        QPainter stencilPainter(&stencil);
        stencilPainter.setRenderHints(painter_.renderHints());
        Renderer stencilRenderer = onto(stencilPainter);
        stencilRenderer.outlinesOnly_ = true;
        mask(stencilRenderer);
    }
    {
        QPainter layerPainter(&layer);
        layerPainter.setRenderHints(painter_.renderHints());
        Renderer layerRenderer = onto(layerPainter);
        content(layerRenderer);
        layerPainter.resetTransform();
        layerPainter.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        layerPainter.drawImage(0, 0, stencil);
    }
    painter_.resetTransform();
    painter_.drawImage(0, 0, layer);
}

// A rectangle (twips under `world`) of a mask, filled by the rules of any
// fill.
void Renderer::fillMaskRect(const QRectF &rect, const QTransform &world)
{
    if (steps_) {
        const QTransform unit = QTransform::fromScale(rect.width(), rect.height())
                              * QTransform::fromTranslate(rect.x(), rect.y()) * world;
        record(characterStep(0, -1, unit, opaqueColor(), stepsOrigin_));
        return;
    }
    QPainterPath path;
    path.addRect(rect);
    FillStyle solid;
    solid.color = Qt::white;
    fillPath(path, solid, world, opaqueColor());
}

void Renderer::drawObject(const DrawItem &item, const QTransform &parentWorld, const ColorTransform &parentColor,
                          int level)
{
    if (item.clip && item.clip->library != &movie_) {
        withLibrary(*item.clip->library).drawObject(item, parentWorld, parentColor, level);
        return;
    }
    if (level > maxNesting || ++budget_.objects > Budget::maxObjects)
        return;
    if (item.clip && !outlinesOnly_) {
        if (item.clip->maskOf)
            return; // shows nothing itself
        if (item.clip->mask && item.clip != unmasked_) {
            drawScriptMasked(item, parentWorld, parentColor, level);
            return;
        }
    }
    const Placement &placement = *item.placement;
    QTransform world = placed(placement, parentWorld);
    const bool asBitmap = placement.cached || (!placement.filters.empty() && !outlinesOnly_);
    if (asBitmap) {
        // A cached bitmap (and a filtered object is drawn as one) starts
        // where the object's bounds start, moved to the nearest whole
        // pixel; what it holds moves with it.
        const QRectF area = declaredArea(item, world, level);
        if (area.isValid()) {
            const auto shift = [this](double at) { return std::round(at / samples_) * samples_ - at; };
            world *= QTransform::fromTranslate(shift(area.left()), shift(area.top()));
        }
    }
    const ColorTransform color = parentColor.after(placement.color);
    if (actsOnParentLayer(placement.blend) && (!inLayer_ || outlinesOnly_))
        return; // nothing of a parent's layer to act on
    if (steps_) {
        DrawStep step;
        step.kind = DrawStep::Kind::Object;
        step.blend = placement.blend;
        step.ratio = placement.cached;
        step.filters = placement.filters;
        // What the object's filters spread lies around what it draws.
        QRectF inside;
        QRectF *outside = std::exchange(stepsArea_, &inside);
        record(std::move(step));
        drawCharacter(item, world, color, level);
        stepsArea_ = outside;
        const double reach = filterReach(placement.filters, stageScale_ * samples_);
        record(marker(DrawStep::Kind::ObjectEnd), inside.adjusted(-reach, -reach, reach, reach));
        return;
    }
    const bool layered = drawnAsLayer(placement.blend) && !outlinesOnly_;
    const bool filtered = !placement.filters.empty() && !outlinesOnly_;
    const bool kept = placement.cached && cache_ && !outlinesOnly_;
    if ((!layered && !filtered && !kept) || ++budget_.layers > Budget::maxLayers) {
        drawCharacter(item, world, color, level);
        return;
    }
    if (filtered || kept) {
        drawAsBitmap(item, world, color, level, layered || filtered, filtered);
        return;
    }
    // Blended as a whole against what lies below it.
    putDown(painter_, drawnAlone(item, world, color, level), placement.blend);
}

// The object drawn on a transparent image of its own the size of the
// device, which its children with the alpha and erase modes act on.
QImage Renderer::drawnAlone(const DrawItem &item, const QTransform &world, const ColorTransform &color, int level)
{
    QImage layer(device().size(), QImage::Format_ARGB32_Premultiplied);
    layer.fill(Qt::transparent);
    QPainter layerPainter(&layer);
    layerPainter.setRenderHints(painter_.renderHints());
    Renderer inside = onto(layerPainter);
    inside.inLayer_ = true;
    inside.drawCharacter(item, world, color, level);
    return layer;
}

void Renderer::drawCharacter(const DrawItem &item, const QTransform &world, const ColorTransform &color, int level)
{
    if (item.clip && item.clip->library != &movie_) {
        withLibrary(*item.clip->library).drawCharacter(item, world, color, level);
        return;
    }
    const quint16 id = item.placement->characterId;
    const int ratio = item.placement->ratio;
    // A text field shows its own layout once changed.
    const std::shared_ptr<const Character> field = item.clip ? item.clip->fieldLayout : nullptr;
    const Character *character = field ? field.get() : movie_.character(id);
    if (!character && !item.clip)
        return;
    const bool drawn = character
                    && (std::holds_alternative<ShapeCharacter>(*character)
                        || std::holds_alternative<MorphCharacter>(*character)
                        || std::holds_alternative<TextCharacter>(*character)
                        || std::holds_alternative<BitmapCharacter>(*character));
    if (!drawn) {
        // Drawn as a mask, a clip is its whole shapes.
        if (item.clip && item.clip->scrollRect)
            drawScrolled(item, *item.clip->scrollRect, world, color, level);
        else
            drawChildren(item, world, color, level);
        return;
    }
    // A changed text field draws its own layout, never kept.
    if (field && !steps_) {
        drawDrawn(*field, id, ratio, world, color);
        return;
    }
    if (steps_) {
        DrawStep step = characterStep(id, ratio, world, color, stepsOrigin_);
        if (field) {
            // A changed field looks like its layout: a kept bitmap holding
            // it is drawn again when the field changes.
            const std::size_t look = qHash(item.clip->fieldText) ^ qHash(item.clip->fieldChanges);
            step.ratio = int(look & 0x7FFFFFFF);
            step.blend = int(look >> 31 & 0x7FFFFFFF);
        }
        record(std::move(step), characterArea(movie_, id, ratio, world, stageScale_ * samples_, field.get()));
        return;
    }
    if (!drawnFromCache(id, ratio, world, color))
        drawDrawn(*character, id, ratio, world, color);
}

// What a clip draws inside itself: its drawing, then its children.
void Renderer::drawChildren(const DrawItem &item, const QTransform &world, const ColorTransform &color, int level)
{
    if (item.clip && item.clip->drawing && !item.clip->drawing->isEmpty())
        drawScripted(*item.clip->drawing, world, color);
    if (item.clip && item.clip->bitmap)
        drawScriptBitmap(*item.clip, world, color);
    drawList(childrenOf(movie_, item), world, color, level + 1);
}

// The area an object covers, in device coordinates, for masking.
QPainterPath Renderer::outline(const DrawItem &item, const QTransform &parentWorld, int level)
{
    if (item.clip && item.clip->library != &movie_)
        return withLibrary(*item.clip->library).outline(item, parentWorld, level);
    const Placement &placement = *item.placement;
    QPainterPath area;
    area.setFillRule(Qt::WindingFill);
    if (level > maxNesting || ++budget_.objects > Budget::maxObjects)
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
        if (item.clip && item.clip->drawing)
            area.addPath(world.map(outlineOf(item.clip->drawing->compiled())));
        for (const DrawItem &child : childrenOf(movie_, item).items)
            if (child.placement->clipDepth == 0)
                area.addPath(outline(child, world, level + 1));
    }
    return area;
}

// Counts the work of `filters` on a layer of `layerPixels`, each pass of
// each filter going over all of it; false once a frame has spent its
// share, when the object is drawn unfiltered.
bool Renderer::withinFilterBudget(qint64 layerPixels, const std::vector<Filter> &filters)
{
    for (const Filter &filter : filters)
        budget_.filteredPixels += layerPixels * filter.passes;
    return budget_.filteredPixels <= Budget::maxFilteredPixels;
}

// A renderer with the same settings drawing onto another painter.
Renderer Renderer::onto(QPainter &painter) const { return like(painter, movie_, cache_); }

Renderer Renderer::like(QPainter &painter, const Movie &movie, PixelCache *cache) const
{
    Renderer other(painter, movie, samples_, smoothBitmaps_, stageScale_, budget_, cache);
    other.outlinesOnly_ = outlinesOnly_;
    other.smoothEdges_ = smoothEdges_;
    other.inLayer_ = inLayer_;
    other.stageWorld_ = stageWorld_;
    return other;
}

// A renderer drawing onto the same painter the characters of a movie
// loaded into a clip, whose ids are not the ones kept pixels are known by.
Renderer Renderer::withLibrary(const Movie &library) const
{
    Renderer other = like(painter_, library, nullptr);
    other.unmasked_ = unmasked_;
    other.steps_ = steps_;
    other.stepsArea_ = stepsArea_;
    other.stepsOrigin_ = stepsOrigin_;
    return other;
}

// The transform of an object placed under `parentWorld`: the player
// keeps the offset of each combined matrix in whole twips.
QTransform Renderer::placed(const Placement &placement, const QTransform &parentWorld) const
{
    const QTransform world = placement.matrix.toTransform() * parentWorld;
    const double grid = 20.0 / samples_;
    return QTransform(world.m11(), world.m12(), world.m21(), world.m22(), std::round(world.dx() * grid) / grid,
                      std::round(world.dy() * grid) / grid);
}

// The device area the characters of `item` and of its children declare: a
// shape's or morph shape's bounds, a text's glyphs and box, a bitmap's
// size, the lines of a clip's drawing methods.
QRectF Renderer::declaredArea(const DrawItem &item, const QTransform &world, int level) const
{
    if (item.clip && item.clip->library != &movie_)
        return withLibrary(*item.clip->library).declaredArea(item, world, level);
    if (level > maxNesting)
        return {};
    const quint16 id = item.placement->characterId;
    const Character *character = movie_.character(id);
    if (const auto *shape = character ? std::get_if<ShapeCharacter>(character) : nullptr)
        return world.mapRect(shape->shape.bounds);
    if (const auto *morph = character ? std::get_if<MorphCharacter>(character) : nullptr)
        return world.mapRect(morph->at(item.placement->ratio).bounds);
    if (character && (std::holds_alternative<TextCharacter>(*character) || std::holds_alternative<BitmapCharacter>(*character)))
        return characterArea(movie_, id, item.placement->ratio, world, stageScale_ * samples_);
    QRectF area;
    if (item.clip && item.clip->drawing && !item.clip->drawing->isEmpty())
        area = world.mapRect(item.clip->drawing->compiled().bounds);
    if (item.clip && item.clip->bitmap)
        area |= world.mapRect(scriptBitmapBounds(*item.clip));
    for (const DrawItem &child : childrenOf(movie_, item).items)
        area |= declaredArea(child, placed(*child.placement, world), level + 1);
    return area;
}

QRect Renderer::device() const { return QRect(0, 0, painter_.device()->width(), painter_.device()->height()); }

} // namespace sky::swf
