// What scripts' bitmaps ask of the stage: library bitmaps by export name,
// bitmaps shown in clips, and clips drawn into bitmaps.

#include "bitmapsurface.h"
#include "movieplayer.h"
#include "renderer.h"
#include "scriptruntime.h"

namespace sky::swf {

QImage ScriptRuntime::libraryBitmap(const QString &exportName)
{
    const Movie &movie = *player_.movie();
    const quint16 id = movie.exportedId(exportName);
    const auto *character = id ? std::get_if<BitmapCharacter>(movie.character(id)) : nullptr;
    if (!character)
        return {};
    const QImage image = movie.bitmap(id);
    return character->hasAlpha() ? image : image.convertToFormat(QImage::Format_RGB32);
}

// The bitmap is shown by a clip of its own at the depth, which replaces
// what was there; scripts see no clip in it.
bool ScriptRuntime::attachBitmap(int handle, const std::shared_ptr<BitmapSurface> &bitmap, int depth, bool snapped,
                                 bool smoothed)
{
    StageClip *parent = clip(handle);
    if (!parent || depth < -scriptDepthOffset || depth > maxScriptDepth)
        return false;
    StageClip *made = makeClip(*parent, Placement(), depth, avm1::Value());
    if (!made)
        return false;
    made->bitmap = bitmap;
    made->bitmapSnapped = snapped;
    made->bitmapSmoothed = smoothed;
    return true;
}

void ScriptRuntime::drawClip(int handle, BitmapSurface &into, const QTransform &matrix, const avm1::ClipColor &color,
                             const QRect &area, bool smoothed)
{
    const StageClip *source = clip(handle);
    QImage *target = into.drawTarget();
    if (!source || !target)
        return;
    ColorTransform transform;
    transform.mul = color.mul;
    transform.add = color.add;
    // Drawn onto a copy: the clip may show this very bitmap.
    QImage canvas = *target;
    drawClipOnto(canvas, *source->library, *source, matrix, transform, area, smoothed);
    *target = canvas;
    into.drawn();
}

} // namespace sky::swf
