#pragma once

#include "geometry.h"
#include "shape.h"

#include <QBrush>
#include <QImage>

namespace sky::swf {

// The brush for a solid or gradient fill under a colour transform, in the
// shape's own coordinates. Gradients span -16384..16384 twips in their
// own space, their colours read from the 256-step ramp of shadeGradient.
QBrush gradientOrSolidBrush(const FillStyle &fill, const ColorTransform &color);

// The pixels of a gradient fill over `area` (device pixels), each picture
// pixel of `pixelSize` x `pixelSize` device pixels coloured from its centre.
// `toDevice` maps the fill's shape space to device pixels; `stepped` picks
// the 256-step colour lookup of newer players.
QImage shadeGradient(const FillStyle &fill, const ColorTransform &color, const QTransform &toDevice, const QRect &area,
                     bool stepped, int pixelSize = 1);

// Whether a fill gets the 256-step gradient lookup: padded radial ones, and
// reflected or repeated ones in newer movies.
inline bool usesSteppedGradients(int swfVersion, const FillStyle &fill)
{
    if (fill.spread == 0)
        return fill.kind != FillKind::Linear;
    return swfVersion > 21;
}

// Applies a colour transform to a premultiplied image.
QImage transformImage(const QImage &image, const ColorTransform &color);

} // namespace sky::swf
