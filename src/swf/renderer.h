#pragma once

#include "clipstage.h"

#include <QRectF>
#include <QTransform>

#include <vector>

class QImage;
class QPainter;

namespace sky::swf {

class Movie;

struct RenderOptions {
    bool antialias = true; // false draws like the player's low quality
    // Smooth edges by drawing at four times the size and averaging, as the
    // player's high quality does; off, the painter smooths the edges itself,
    // which is far cheaper for playing in a window.
    bool supersample = true;
};

// A clip on the main timeline and how many ticks ago it was placed. It is
// drawn as the stage's tree holds it: its children, however deep, with
// what scripts changed of them and at the frames their playheads show.
struct StageObject {
    int depth = 0;
    const StageClip *clip = nullptr;
    qint64 age = 0;

    const Placement &placement() const { return clip->placement; }
};

// Twips of the stage to coordinates of `target`: scaled to fit with its
// aspect ratio kept ("show all"), centred.
QTransform stageTransform(const Movie &movie, const QRectF &target);

// The main movie's own placement, which scripts change as any clip's
// (_x, _xscale, _rotation, _alpha, _visible): the stage shows everything in
// it. `world` takes its twips where `stageWorld` takes the stage's.
struct RootPlacement {
    QTransform world;
    ColorTransform color;
    bool visible = true;
};
RootPlacement rootPlacement(const StageClip *root, const QTransform &stageWorld);

// Draws the stage (background, what scripts drew on the main movie's clip
// `root`, then the objects by depth, then the roots of the levels above
// it, lowest first) scaled to fit `target` with its aspect ratio kept
// ("show all"), centred.
void drawStage(QPainter &painter, const Movie &movie, const StageClip *root, const std::vector<StageObject> &objects,
               const QRectF &target, const RenderOptions &options, const std::vector<StageObject> &levels = {});

// Draws `clip` and what lies in it, without its own matrix and colour
// transform, onto `image` through `matrix` (its pixels to the image's) and
// `color`, inside `area`, with the player's low-quality edges.
void drawClipOnto(QImage &image, const Movie &movie, const StageClip &clip, const QTransform &matrix,
                  const ColorTransform &color, const QRect &area, bool smoothBitmaps);

} // namespace sky::swf
