#pragma once

#include "clipstage.h"

#include <QPointF>
#include <QTransform>

namespace sky::swf {

class Movie;

// Where objects cover a point: by the fills and lines of their shapes, not
// their bounds. Transforms and points are in twips; `world` takes the
// object's own space to the stage's.

// A character as placed, drawn as it shows first (a sprite's first frame,
// a button's up state); `state` picks a button's parts instead (a
// ButtonState, used for hit areas).
bool characterHits(const Movie &movie, quint16 id, int ratio, const QTransform &world, const QPointF &point,
                   int state = buttonUp, int level = 0);

// A clip on the stage as it shows now, with its live children.
bool clipHits(const StageClip &clip, const QTransform &world, const QPointF &point, int level = 0);

// The hit area of a button on the stage.
bool buttonHitArea(const StageClip &button, const QTransform &world, const QPointF &point);

// A clip's own space to the stage's, in twips, through the main movie's
// own placement (scripts move, scale and turn _root too).
QTransform clipWorld(const StageClip &clip);

} // namespace sky::swf
