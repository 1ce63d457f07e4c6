#include "objectbounds.h"

#include "drawitems.h"
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

// The device area a part may paint.
QRect partBounds(const Movie &movie, const Character *character, const DrawnPart &part, double stageScale)
{
    QRectF area;
    if (const auto *shape = std::get_if<ShapeCharacter>(character)) {
        area = shapeBounds(shape->shape, part.world, stageScale);
    } else if (const auto *morph = std::get_if<MorphCharacter>(character)) {
        area = shapeBounds(morph->at(part.ratio), part.world, stageScale);
    } else if (const auto *text = std::get_if<TextCharacter>(character)) {
        if (text->framed)
            area = part.world.mapRect(text->box);
        for (const PlacedGlyph &glyph : placedGlyphs(movie, *text))
            area |= (glyph.transform * part.world).mapRect(glyph.outline->controlPointRect());
    } else if (std::holds_alternative<BitmapCharacter>(*character)) {
        const QImage image = movie.bitmap(part.characterId);
        area = part.world.mapRect(QRectF(0, 0, image.width() * 20.0, image.height() * 20.0));
    }
    if (area.isEmpty())
        return {};
    // Blurs spread by half their width each pass; shadows move.
    double reach = edgeMargin;
    for (const Filter &filter : part.filters)
        reach += (qMax(filter.blurX, filter.blurY) / 2 * filter.passes + std::abs(filter.distance) + 1) * stageScale;
    return area.adjusted(-reach, -reach, reach, reach).toAlignedRect();
}

struct Collector
{
    const Movie &movie;
    double stageScale;
    const DrawnParts &before;
    DrawnParts &out;
    std::vector<int> path;

    void add(const DrawItem &item, const QTransform &parentWorld, const ColorTransform &parentColor,
        std::vector<int> context, std::vector<Filter> filters)
    {
        if (path.size() > maxNesting)
            return;
        const Placement &placement = *item.placement;
        const Character *character = movie.character(placement.characterId);
        if (!character && !item.clip)
            return;
        context.insert(context.end(),
            { placement.blend, placement.clipDepth, placement.visible, placement.cached,
                int(placement.background.isValid() ? placement.background.rgba() : 0) });
        filters.insert(filters.end(), placement.filters.begin(), placement.filters.end());
        const QTransform world = placement.matrix.toTransform() * parentWorld;
        const ColorTransform color = parentColor.after(placement.color);
        if (!character || std::holds_alternative<ButtonCharacter>(*character)
            || std::holds_alternative<SpriteCharacter>(*character)) {
            for (const DrawItem &child : childrenOf(movie, item).items) {
                path.push_back(child.depth);
                add(child, world, color, context, filters);
                path.pop_back();
            }
        } else if (!std::holds_alternative<FontCharacter>(*character)) {
            DrawnPart part { placement.characterId, placement.ratio, world, color, std::move(context),
                std::move(filters), {} };
            const auto kept = before.find(path);
            part.bounds = kept != before.end() && kept->second.looksLike(part)
                ? kept->second.bounds
                : partBounds(movie, character, part, stageScale);
            out.insert_or_assign(path, std::move(part));
        }
    }
};

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

void collectParts(const Movie &movie, const StageObject &object, const QTransform &stageWorld, const DrawnParts &before,
    DrawnParts &out)
{
    Collector collector { movie, stageWorld.m11() * 20, before, out, { object.depth } };
    collector.add({ object.depth, &object.placement(), object.age, object.clip }, stageWorld, ColorTransform(), {}, {});
}

} // namespace sky::swf
