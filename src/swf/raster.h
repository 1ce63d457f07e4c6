#pragma once

#include <QImage>
#include <QPainterPath>
#include <QTransform>

#include <functional>

namespace sky::swf {

// Most device pixels per picture pixel in each direction for downsample().
inline constexpr int maxSamples = 16;

// How far, in twips, a shape's or a line's straight pieces may stray from
// its curves: a tenth of a pixel of the shape's own space, however far it
// is shrunk. Glyphs are cut the same way in their font's units, so a small
// font's pieces lie closer to their curves on screen.
inline constexpr double curveTolerance = 2;

// The tolerance in a shape's own units for drawing it by `toDevice`, with
// `samples` device pixels to a picture pixel: curveTolerance, or less where
// the shape is enlarged, so that a circle blown up many times stays round
// to a tenth of a picture pixel in every direction.
double curveToleranceOn(const QTransform &toDevice, int samples);

// An outline mapped to device pixels by `toDevice`, its quadratic curves
// cut into straight pieces in its own space: each piece strays from its
// curve by at most `tolerance` there, the pieces spread evenly along the
// parabola the curve belongs to (fewer where it runs straight).
QPainterPath flattenedOutline(const QPainterPath &path, const QTransform &toDevice, double tolerance = curveTolerance);

// The round joins and caps of a line along the straight pieces of `centre`
// (device pixels, `samples` to a picture pixel): discs of `radius` around
// its inner points (`joins`) and around the ends of its open subpaths
// (`caps`). Each disc is a circle of eight quadratic arcs, as the player
// draws circles, cut into pieces as a shape's curves are; a join's arcs
// start on the x axis, a cap's along the line's end.
QPainterPath roundEnds(const QPainterPath &centre, double radius, int samples, bool joins, bool caps);

// The pixels an aliased fill of `outline` takes in, as rectangles one
// pixel high within `bounds`: those whose centre lies inside by the
// outline's fill rule, a centre on a left edge counting as inside and one
// on a right edge as outside. The outline is in device pixels, straight
// edges only, flattened by flattenedOutline().
QPainterPath coveredPixels(const QPainterPath &outline, const QRect &bounds, int samples);

// A run of a fill's coverage: `count` pixels of row `y` from `x` on, each
// taking in alpha / 255 of the fill.
using CoverageRun = std::function<void(int y, int x, int count, quint8 alpha)>;

// How much of each pixel within `bounds` a fill of `outline` takes in: of
// `subsamples` x `subsamples` points spread evenly over each pixel, the
// share covered by the rules of coveredPixels() (one point, at the centre,
// gives that rule itself). Runs come row by row, top to bottom, left to
// right, leaving out pixels the fill misses.
void coverageRuns(const QPainterPath &outline, const QRect &bounds, int samples, int subsamples, const CoverageRun &run);

// Averages each square of `samples` x `samples` pixels into one. Two
// channels are summed at once in the halves of a 32-bit word.
QImage downsample(const QImage &big, int samples);

} // namespace sky::swf
