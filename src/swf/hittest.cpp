#include "hittest.h"

#include "movie.h"
#include "text.h"

#include <QPainterPathStroker>
#include <QPen>

namespace sky::swf {
namespace {

// Nesting deeper than this is not looked into.
constexpr int maxLevels = 64;

bool shapeHits(const CompiledShape &shape, const QTransform &world, const QPointF &point)
{
    bool invertible = false;
    const QTransform back = world.inverted(&invertible);
    if (!invertible)
        return false;
    const QPointF local = back.map(point);
    if (!shape.bounds.adjusted(-1, -1, 1, 1).contains(local))
        return false;
    for (const PathLayer &layer : shape.layers) {
        for (const FilledPath &fill : layer.fills)
            if (fill.path.contains(local))
                return true;
        for (const StrokedPath &stroke : layer.strokes) {
            QPen pen;
            pen.setWidthF(qMax(stroke.style.width, 20.0));
            pen.setCapStyle(Qt::RoundCap);
            pen.setJoinStyle(Qt::RoundJoin);
            if (stroke.widened(pen).contains(local))
                return true;
        }
    }
    return false;
}

bool listHits(const Movie &movie, const DisplayList &list, const QTransform &world, const QPointF &point, int level)
{
    for (const auto &[depth, placement] : list)
        if (placement.clipDepth == 0 && placement.visible
            && characterHits(movie, placement.characterId, placement.ratio, placement.matrix.toTransform() * world,
                             point, buttonUp, level + 1))
            return true;
    return false;
}

} // namespace

bool characterHits(const Movie &movie, quint16 id, int ratio, const QTransform &world, const QPointF &point, int state,
                   int level)
{
    if (level > maxLevels)
        return false;
    const Character *character = movie.character(id);
    if (const auto *shape = std::get_if<ShapeCharacter>(character))
        return shapeHits(shape->shape, world, point);
    if (const auto *morph = std::get_if<MorphCharacter>(character))
        return shapeHits(morph->at(ratio), world, point);
    if (const auto *text = std::get_if<TextCharacter>(character)) {
        bool invertible = false;
        const QPointF local = world.inverted(&invertible).map(point);
        if (!invertible)
            return false;
        if (text->framed() && text->matrix.toTransform().mapRect(text->box).contains(local))
            return true;
        for (const PlacedGlyph &glyph : placedGlyphs(movie, *text))
            if (glyph.transform.map(*glyph.outline).boundingRect().contains(local))
                return true;
        return false;
    }
    if (character && std::holds_alternative<BitmapCharacter>(*character)) {
        const QImage image = movie.bitmap(id);
        bool invertible = false;
        const QPointF local = world.inverted(&invertible).map(point) / 20;
        return invertible && QRectF(image.rect()).contains(local);
    }
    if (const auto *button = std::get_if<ButtonCharacter>(character))
        return listHits(movie, button->stateList(state), world, point, level);
    if (const auto *sprite = std::get_if<SpriteCharacter>(character))
        return sprite->timeline.frameCount() > 0 && listHits(movie, *sprite->timeline.displayListAt(1), world, point, level);
    return false;
}

bool clipHits(const StageClip &clip, const QTransform &world, const QPointF &point, int level)
{
    if (level > maxLevels || !clip.placement.visible || clip.unloading)
        return false;
    if (!clip.timeline && !clip.button && clip.placement.characterId != 0)
        return characterHits(*clip.library, clip.placement.characterId, clip.placement.ratio, world, point, buttonUp,
                             level);
    // What its drawing methods drew lies below its children.
    if (clip.drawing && !clip.drawing->isEmpty() && shapeHits(clip.drawing->compiled(), world, point))
        return true;
    for (const auto &[depth, child] : clip.children)
        if (child->placement.clipDepth == 0
            && clipHits(*child, child->placement.matrix.toTransform() * world, point, level + 1))
            return true;
    return false;
}

bool buttonHitArea(const StageClip &button, const QTransform &world, const QPointF &point)
{
    return button.button && listHits(*button.library, button.button->stateList(buttonHit), world, point, 0);
}

QTransform clipWorld(const StageClip &clip)
{
    QTransform world;
    for (const StageClip *c = &clip; c; c = c->parent)
        world = world * c->placement.matrix.toTransform();
    return world;
}

} // namespace sky::swf
