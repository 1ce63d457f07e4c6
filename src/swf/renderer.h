#pragma once

#include "timeline.h"

#include <QRectF>
#include <QTransform>

#include <vector>

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

// An object of the main timeline and how many ticks its own timeline has
// run since it was placed.
struct StageObject {
    int depth = 0;
    Placement placement;
    qint64 age = 0;
};

// Twips of the stage to coordinates of `target`: scaled to fit with its
// aspect ratio kept ("show all"), centred.
QTransform stageTransform(const Movie &movie, const QRectF &target);

// Draws the stage (background, then the objects by depth) scaled to fit
// `target` with its aspect ratio kept ("show all"), centred.
void drawStage(QPainter &painter, const Movie &movie, const std::vector<StageObject> &objects, const QRectF &target,
               const RenderOptions &options);

} // namespace sky::swf
