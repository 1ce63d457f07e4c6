#pragma once

// What the BitmapData built-ins share.

#include "../bitmapsurface.h"
#include "builtins.h"

#include <optional>

namespace sky::swf::avm1 {

// A BitmapData object's pixels; none when its size was refused, the
// budget had no room, or it was disposed.
struct BitmapState : NativeState {
    std::shared_ptr<BitmapSurface> surface;
};

// The pixels of a BitmapData object, null for anything else.
BitmapSurface *surfaceOf(const Value &v);
Value newBitmapData(Vm &vm, Object *proto, std::shared_ptr<BitmapSurface> surface);

// Arguments in whole pixels: a number (truncated, 0 when not finite), the
// area of a rectangle object, the place of a point object.
int pixelArg(Vm &vm, const Value &v);
std::optional<QRect> rectArg(Vm &vm, const Value &v);
std::optional<QPoint> pointArg(Vm &vm, const Value &v);
// A flash.geom.ColorTransform's fields.
PixelTransform pixelTransformArg(Vm &vm, Object *o);

// draw and perlinNoise on the prototype.
void installBitmapDrawing(Vm &vm, Object *proto);

} // namespace sky::swf::avm1
