#pragma once

#include <QImage>
#include <QPoint>

class QPainter;

namespace sky::swf {

// The blend modes of PlaceObject3 and DefineButton2 records.
enum class Blend {
    Normal = 1,
    Layer = 2,
    Multiply = 3,
    Screen = 4,
    Lighten = 5,
    Darken = 6,
    Difference = 7,
    Add = 8,
    Subtract = 9,
    Invert = 10,
    Alpha = 11,
    Erase = 12,
    Overlay = 13,
    HardLight = 14,
};

// Whether an object of blend mode `blend` is drawn alone into a layer and
// then put down as a whole.
bool drawnAsLayer(int blend);

// Whether the mode acts on the layer of a parent (alpha and erase) rather
// than on what lies below: with no such layer the object shows nothing.
bool actsOnParentLayer(int blend);

// Puts `layer` (premultiplied, drawn in device pixels, its top left corner
// at `at`) down onto what the painter has drawn, by `blend`; what lies
// outside it stays as it is. Modes the painter cannot do itself are worked
// out pixel by pixel when it paints on an image, and drawn as normal
// elsewhere.
void putDown(QPainter &painter, const QImage &layer, int blend, const QPoint &at = {});

// The smallest rectangle holding every pixel of `image` that is not fully
// transparent.
QRect drawnArea(const QImage &image);

} // namespace sky::swf
