#pragma once

#include "movie.h"

#include <QRectF>
#include <QTransform>

namespace sky::swf {

// How wide a line of `style` is drawn, in device pixels, on a shape drawn
// with `world` (shape twips to device pixels); `stageScale` is device
// pixels per stage pixel.
double lineWidthOnDevice(const LineStyle &style, const QTransform &world, double stageScale);

// The device area an object placed under `parentWorld` may paint, its
// lines, joins and smoothed edges included. Never smaller than what is
// drawn; may be larger.
QRectF deviceBounds(const Movie &movie, const Placement &placement, qint64 age, const QTransform &parentWorld,
                    double stageScale);

// True when a character placed `ageA` and `ageB` ticks ago shows the same:
// every sprite in it, however deep, is on the same frame.
bool looksTheSame(const Movie &movie, quint16 characterId, qint64 ageA, qint64 ageB);

} // namespace sky::swf
