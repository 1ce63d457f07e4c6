#pragma once

#include "movie.h"
#include "renderer.h"

#include <QRect>
#include <QTransform>
#include <map>
#include <vector>

namespace sky::swf {

// How wide a line of `style` is drawn, in device pixels, on a shape drawn
// with `world` (shape twips to device pixels); `stageScale` is device
// pixels per stage pixel.
double lineWidthOnDevice(const LineStyle &style, const QTransform &world, double stageScale);

// The device area a shape, morph shape, text or bitmap drawn with `world`
// may cover, smoothing and filters left out; empty for other characters.
// `shown`, when given, is drawn in place of the movie's character `id`.
QRectF characterArea(const Movie &movie, quint16 id, int ratio, const QTransform &world, double stageScale,
    const Character *shown = nullptr);

// A clip's bounds in its own twips: its character's, its drawing's and its
// live children's; null when it draws nothing.
QRectF clipBoundsInTwips(const StageClip &clip);

// A button's hit area in its own twips, from the shapes, texts and morph
// shapes of its hit state; null for other clips.
QRectF buttonHitBoundsInTwips(const StageClip &button);

// The area a clip's script bitmap covers, in its twips; null when none.
QRectF scriptBitmapBounds(const StageClip &clip);

// How far `filters` may spread an object's pixels, in device pixels.
double filterReach(const std::vector<Filter> &filters, double stageScale);

// One thing a placed object draws (a shape, morph shape, text or bitmap,
// however deep in sprites and buttons) with all that decides its look.
struct DrawnPart
{
    quint16 characterId = 0;
    std::shared_ptr<const Character> shown; // a text field's layout drawn in place of the character
    int ratio = 0;
    const ScriptDrawing *drawing = nullptr; // what a clip's drawing methods drew, instead of a character
    quint64 drawingSerial = 0;
    QTransform world; // character twips to device pixels
    ColorTransform color; // its own and its parents' applied
    // Blend mode, clip depth, visibility and caching of the part and of
    // each parent, and their filters, which change how it is put down.
    std::vector<int> context;
    std::vector<Filter> filters;
    QRect bounds; // device pixels it may paint, smoothed edges and filters included
    QRectF scriptBitmap; // a script bitmap's area in twips (its serial in drawingSerial)

    bool looksLike(const DrawnPart &other) const
    {
        return characterId == other.characterId && shown == other.shown && ratio == other.ratio
            && drawingSerial == other.drawingSerial && scriptBitmap == other.scriptBitmap && world == other.world && color == other.color
            && context == other.context && filters == other.filters;
    }
};

// Parts keyed by the depths leading to them from the stage.
using DrawnParts = std::map<std::vector<int>, DrawnPart>;

// Adds the parts of an object on the stage, down its tree of clips;
// `stageWorld` takes stage twips to device pixels, `root` is the main
// movie's placement in it. Bounds of parts that look as in `before` are
// taken from there.
void collectParts(const Movie &movie, const StageObject &object, const QTransform &stageWorld,
    const RootPlacement &root, const DrawnParts &before, DrawnParts &out);
// Adds what scripts drew on the main movie's clip.
void collectRootParts(const Movie &movie, const StageClip &root, const QTransform &stageWorld,
    const RootPlacement &placement, const DrawnParts &before, DrawnParts &out);

} // namespace sky::swf
