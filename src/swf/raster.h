#pragma once

#include <QImage>
#include <QPainterPath>

namespace sky::swf {

// Most device pixels per picture pixel in each direction for downsample().
inline constexpr int maxSamples = 16;

// How flattenedOutline() cuts curves into straight pieces.
enum class Cut {
    Shape, // more pieces the further a curve bends, inner ends on whole twips
    Line,  // as many pieces, their ends left on the curve: centre lines of lines
    Glyph, // so many that they stray from the curve by under 1/8192 pixel
};

// An outline in device pixels as the player rasterises it, its curves cut
// into straight pieces; twips are those of a picture drawn `samples` times
// larger.
QPainterPath flattenedOutline(const QPainterPath &path, int samples, Cut cut = Cut::Shape);

// The round joins and caps of a line along the straight pieces of `centre`
// (device pixels, `samples` to a picture pixel): discs of `radius` around
// its inner points (`joins`) and around the ends of its open subpaths
// (`caps`). Each disc is a circle of eight quadratic arcs starting on the x
// axis, as the player draws circles, cut into straight pieces as a shape's
// curves are.
QPainterPath roundEnds(const QPainterPath &centre, double radius, int samples, bool joins, bool caps);

// The pixels an aliased fill of `outline` takes in, as rectangles one
// pixel high within `bounds`: those whose centre lies inside by the
// outline's fill rule, a centre on a left edge counting as inside and one
// on a right edge as outside. The outline is in device pixels, straight
// edges only, flattened by flattenedOutline().
QPainterPath coveredPixels(const QPainterPath &outline, const QRect &bounds, int samples);

// Averages each square of `samples` x `samples` pixels into one. Two
// channels are summed at once in the halves of a 32-bit word.
QImage downsample(const QImage &big, int samples);

} // namespace sky::swf
