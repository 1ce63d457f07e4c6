#include "objectbounds.h"

#include "text.h"

#include <cmath>

namespace sky::swf {
namespace {

constexpr int maxNesting = 24;
// Device pixels beyond an outline that smoothing or snapping may touch.
constexpr double edgeMargin = 2;

QRectF shapeBounds(const CompiledShape &shape, const QTransform &world, double stageScale)
{
    QRectF area;
    for (const PathLayer &layer : shape.layers) {
        for (const FilledPath &fill : layer.fills)
            area |= world.mapRect(fill.path.controlPointRect());
        for (const StrokedPath &stroke : layer.strokes) {
            // Miter joins reach out up to their limit; square caps and
            // other joins less than a whole width.
            const double reach = qMax(1.0, stroke.style.miterLimit);
            const double inShape = stroke.style.width * reach;
            const double onDevice = lineWidthOnDevice(stroke.style, world, stageScale) * reach;
            area |= world.mapRect(stroke.path.controlPointRect().adjusted(-inShape, -inShape, inShape, inShape))
                        .adjusted(-onDevice, -onDevice, onDevice, onDevice);
        }
    }
    return area;
}

QRectF listBounds(const Movie &movie, const DisplayList &list, const auto &ageOf, const QTransform &world,
                  double stageScale, int level);

QRectF boundsAt(const Movie &movie, const Placement &placement, qint64 age, const QTransform &parentWorld,
                double stageScale, int level)
{
    if (level > maxNesting)
        return {};
    const QTransform world = placement.matrix.toTransform() * parentWorld;
    const Character *character = movie.character(placement.characterId);
    if (const auto *shape = std::get_if<ShapeCharacter>(character))
        return shapeBounds(shape->shape, world, stageScale);
    if (const auto *morph = std::get_if<MorphCharacter>(character))
        return shapeBounds(morph->at(placement.ratio), world, stageScale);
    if (const auto *text = std::get_if<TextCharacter>(character)) {
        QRectF area;
        for (const PlacedGlyph &glyph : placedGlyphs(movie, *text))
            area |= (glyph.transform * world).mapRect(glyph.outline->controlPointRect());
        return area;
    }
    if (character && std::holds_alternative<BitmapCharacter>(*character)) {
        const QImage image = movie.bitmap(placement.characterId);
        return world.mapRect(QRectF(0, 0, image.width() * 20.0, image.height() * 20.0));
    }
    if (const auto *button = std::get_if<ButtonCharacter>(character))
        return listBounds(movie, button->upList(), [age](int, const Placement &) { return age; }, world, stageScale,
                          level + 1);
    if (const auto *sprite = std::get_if<SpriteCharacter>(character)) {
        const Timeline &timeline = sprite->timeline;
        return listBounds(movie, *timeline.displayListAt(timeline.frameAtAge(age)),
                          [&timeline, age](int depth, const Placement &p) { return timeline.childAge(age, depth, p); },
                          world, stageScale, level + 1);
    }
    return {};
}

QRectF listBounds(const Movie &movie, const DisplayList &list, const auto &ageOf, const QTransform &world,
                  double stageScale, int level)
{
    QRectF area;
    for (const auto &[depth, child] : list)
        area |= boundsAt(movie, child, ageOf(depth, child), world, stageScale, level);
    return area;
}

bool sameAt(const Movie &movie, quint16 id, qint64 ageA, qint64 ageB, int level)
{
    if (ageA == ageB)
        return true;
    if (level > maxNesting)
        return false;
    const Character *character = movie.character(id);
    if (const auto *button = std::get_if<ButtonCharacter>(character)) {
        for (const ButtonPart &part : button->upState)
            if (!sameAt(movie, part.characterId, ageA, ageB, level + 1))
                return false;
        return true;
    }
    const auto *sprite = std::get_if<SpriteCharacter>(character);
    if (!sprite)
        return true;
    const Timeline &timeline = sprite->timeline;
    const int frame = timeline.frameAtAge(ageA);
    if (frame != timeline.frameAtAge(ageB))
        return false;
    for (const auto &[depth, child] : *timeline.displayListAt(frame))
        if (!sameAt(movie, child.characterId, timeline.childAge(ageA, depth, child),
                    timeline.childAge(ageB, depth, child), level + 1))
            return false;
    return true;
}

} // namespace

double lineWidthOnDevice(const LineStyle &style, const QTransform &world, double stageScale)
{
    // A line kept from scaling one way follows the object's scale the
    // other way only; kept from both, it keeps its width on the stage.
    if (style.noHScale && style.noVScale)
        return style.width / 20.0 * stageScale;
    if (style.noHScale)
        return style.width * std::hypot(world.m21(), world.m22());
    if (style.noVScale)
        return style.width * std::hypot(world.m11(), world.m12());
    return style.width * std::sqrt(std::abs(world.determinant()));
}

QRectF deviceBounds(const Movie &movie, const Placement &placement, qint64 age, const QTransform &parentWorld,
                    double stageScale)
{
    const QRectF area = boundsAt(movie, placement, age, parentWorld, stageScale, 0);
    return area.isEmpty() ? area : area.adjusted(-edgeMargin, -edgeMargin, edgeMargin, edgeMargin);
}

bool looksTheSame(const Movie &movie, quint16 characterId, qint64 ageA, qint64 ageB)
{
    return sameAt(movie, characterId, ageA, ageB, 0);
}

} // namespace sky::swf
