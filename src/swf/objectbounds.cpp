#include "objectbounds.h"

#include "bitmapsurface.h"
#include "drawitems.h"
#include "text.h"

#include <cmath>
#include <limits>

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
QRect partBounds(const Movie &movie, const DrawnPart &part, double stageScale)
{
    const QRectF area = part.drawing              ? shapeBounds(part.drawing->compiled(), part.world, stageScale)
                      : !part.scriptBitmap.isNull() ? part.world.mapRect(part.scriptBitmap)
                                                    : characterArea(movie, part.characterId, part.ratio, part.world, stageScale,
                                           part.shown.get());
    if (area.isEmpty())
        return {};
    const double reach = edgeMargin + filterReach(part.filters, stageScale);
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
        if (item.clip && item.clip->library != &movie) {
            Collector { *item.clip->library, stageScale, before, out, path }.add(item, parentWorld, parentColor,
                std::move(context), std::move(filters));
            return;
        }
        const Placement &placement = *item.placement;
        const bool field = item.clip && item.clip->fieldLayout;
        const Character *character = field ? item.clip->fieldLayout.get() : movie.character(placement.characterId);
        if (!character && !item.clip)
            return;
        context.insert(context.end(),
            { placement.blend, placement.clipDepth, placement.visible, placement.cached,
                int(placement.background.isValid() ? placement.background.rgba() : 0),
                item.clip ? item.clip->fieldChanges : 0 });
        if (item.clip)
            addScriptedContext(*item.clip, context);
        filters.insert(filters.end(), placement.filters.begin(), placement.filters.end());
        const QTransform world = placement.matrix.toTransform() * parentWorld;
        const ColorTransform color = parentColor.after(placement.color);
        if (!character || std::holds_alternative<ButtonCharacter>(*character)
            || std::holds_alternative<SpriteCharacter>(*character)) {
            if (item.clip && item.clip->drawing && !item.clip->drawing->isEmpty())
                addDrawing(*item.clip->drawing, world, color, context, filters);
            if (item.clip && item.clip->bitmap)
                addBitmap(*item.clip, world, color, context, filters);
            for (const DrawItem &child : childrenOf(movie, item).items) {
                path.push_back(child.depth);
                add(child, world, color, context, filters);
                path.pop_back();
            }
        } else if (!std::holds_alternative<FontCharacter>(*character)) {
            DrawnPart part { placement.characterId, field ? item.clip->fieldLayout : nullptr, placement.ratio,
                nullptr, 0, world, color, std::move(context), std::move(filters), {}, {} };
            const auto kept = before.find(path);
            part.bounds = kept != before.end() && kept->second.looksLike(part)
                ? kept->second.bounds
                : partBounds(movie, part, stageScale);
            out.insert_or_assign(path, std::move(part));
        }
    }

    // What a clip's drawing methods drew, below its children.
    void addDrawing(const ScriptDrawing &drawing, const QTransform &world, const ColorTransform &color,
        const std::vector<int> &context, const std::vector<Filter> &filters)
    {
        path.push_back(std::numeric_limits<int>::min());
        DrawnPart part { 0, nullptr, 0, &drawing, drawing.serial(), world, color, context, filters, {}, {} };
        const auto kept = before.find(path);
        part.bounds = kept != before.end() && kept->second.looksLike(part) ? kept->second.bounds
                                                                           : partBounds(movie, part, stageScale);
        out.insert_or_assign(path, std::move(part));
        path.pop_back();
    }

    // A script's bitmap, above the drawing.
    void addBitmap(const StageClip &clip, const QTransform &world, const ColorTransform &color,
        const std::vector<int> &context, const std::vector<Filter> &filters)
    {
        path.push_back(std::numeric_limits<int>::min() + 1);
        DrawnPart part { 0, nullptr, 0, nullptr, clip.bitmap->serial(), world, color, context, filters, {},
            scriptBitmapBounds(clip) };
        const auto kept = before.find(path);
        part.bounds = kept != before.end() && kept->second.looksLike(part) ? kept->second.bounds
                                                                           : partBounds(movie, part, stageScale);
        out.insert_or_assign(path, std::move(part));
        path.pop_back();
    }

    // Masks and scroll rects scripts set change what the parts below show.
    static void addScriptedContext(const StageClip &clip, std::vector<int> &context)
    {
        context.push_back(clip.mask ? clip.mask->handle : 0);
        context.push_back(clip.maskOf ? clip.maskOf->handle : 0);
        if (clip.scrollRect) {
            const QRect r = QRectF(clip.scrollRect->topLeft() * 20, clip.scrollRect->size() * 20).toRect();
            context.insert(context.end(), { r.x(), r.y(), r.width(), r.height() });
        }
    }
};

// The bounds of a character in its own twips; sprites are measured from
// their live children instead.
QRectF characterBounds(const Movie &movie, quint16 id, int ratio)
{
    const Character *character = movie.character(id);
    if (const auto *shape = std::get_if<ShapeCharacter>(character))
        return shape->shape.bounds;
    if (const auto *morph = std::get_if<MorphCharacter>(character))
        return morph->at(ratio).bounds;
    if (const auto *text = std::get_if<TextCharacter>(character)) {
        QRectF area;
        for (const TextGlyph &glyph : text->glyphs)
            area = area.united(QRectF(glyph.origin - QPointF(0, glyph.height), QSizeF(glyph.height, glyph.height)));
        return text->matrix.toTransform().mapRect(area);
    }
    return {};
}

} // namespace

QRectF buttonHitBoundsInTwips(const StageClip &button)
{
    QRectF area;
    if (!button.button)
        return area;
    for (const ButtonPart &part : button.button->parts) {
        const QRectF inner = part.states & buttonHit ? characterBounds(*button.library, part.characterId, 0) : QRectF();
        if (!inner.isNull())
            area = area.isNull() ? part.matrix.toTransform().mapRect(inner)
                                 : area.united(part.matrix.toTransform().mapRect(inner));
    }
    return area;
}

QRectF scriptBitmapBounds(const StageClip &clip)
{
    if (!clip.bitmap || clip.bitmap->image().isNull())
        return {};
    return QRectF(0, 0, clip.bitmap->width() * 20.0, clip.bitmap->height() * 20.0);
}

QRectF clipBoundsInTwips(const StageClip &clip)
{
    // A text field's bounds are its box, whatever its text.
    QRectF area = clip.field ? clip.field->box
                             : characterBounds(*clip.library, clip.placement.characterId, clip.placement.ratio);
    if (clip.drawing && !clip.drawing->isEmpty())
        area = area.isNull() ? clip.drawing->compiled().bounds : area.united(clip.drawing->compiled().bounds);
    if (const QRectF bitmap = scriptBitmapBounds(clip); !bitmap.isNull())
        area = area.isNull() ? bitmap : area.united(bitmap);
    for (const auto &[depth, child] : clip.children) {
        const QRectF inner = clipBoundsInTwips(*child);
        if (!inner.isEmpty() || inner.width() > 0 || inner.height() > 0)
            area = area.isNull() ? child->placement.matrix.toTransform().mapRect(inner)
                                 : area.united(child->placement.matrix.toTransform().mapRect(inner));
    }
    return area;
}

QRectF characterArea(const Movie &movie, quint16 id, int ratio, const QTransform &world, double stageScale,
    const Character *shown)
{
    const Character *character = shown ? shown : movie.character(id);
    if (!character)
        return {};
    if (const auto *shape = std::get_if<ShapeCharacter>(character))
        return shapeBounds(shape->shape, world, stageScale);
    if (const auto *morph = std::get_if<MorphCharacter>(character))
        return shapeBounds(morph->at(ratio), world, stageScale);
    if (const auto *text = std::get_if<TextCharacter>(character)) {
        QRectF area;
        if (text->framed())
            area = world.mapRect(text->box);
        for (const PlacedGlyph &glyph : placedGlyphs(movie, *text))
            area |= (glyph.transform * world).mapRect(glyph.outline->controlPointRect());
        return area;
    }
    if (std::holds_alternative<BitmapCharacter>(*character)) {
        const QImage image = movie.bitmap(id);
        return world.mapRect(QRectF(0, 0, image.width() * 20.0, image.height() * 20.0));
    }
    return {};
}

double filterReach(const std::vector<Filter> &filters, double stageScale)
{
    // Blurs spread by half their width each pass; shadows move.
    double reach = 0;
    for (const Filter &filter : filters)
        reach += (qMax(filter.blurX, filter.blurY) / 2 * filter.passes + std::abs(filter.distance) + 1) * stageScale;
    return reach;
}

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

void collectParts(const Movie &movie, const StageObject &object, const QTransform &stageWorld,
    const RootPlacement &root, const DrawnParts &before, DrawnParts &out)
{
    if (!root.visible)
        return;
    Collector collector { movie, stageWorld.m11() * 20, before, out, { object.depth } };
    collector.add({ object.depth, &object.placement(), object.age, object.clip }, root.world, root.color, {}, {});
}

void collectRootParts(const Movie &movie, const StageClip &root, const QTransform &stageWorld,
    const RootPlacement &placement, const DrawnParts &before, DrawnParts &out)
{
    if (!root.drawing || root.drawing->isEmpty() || !placement.visible)
        return;
    Collector collector { movie, stageWorld.m11() * 20, before, out, {} };
    collector.addDrawing(*root.drawing, placement.world, placement.color, {}, {});
}

} // namespace sky::swf
