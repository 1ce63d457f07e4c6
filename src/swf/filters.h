#pragma once

#include <QColor>
#include <QImage>

#include <utility>
#include <vector>

namespace sky::swf {

class BitReader;

// A filter put on a placed object. Sizes are in stage pixels.
struct Filter
{
    enum class Kind { DropShadow, Blur, Glow, Bevel, GradientGlow, GradientBevel, Convolution, ColorMatrix };
    Kind kind = Kind::Blur;
    QColor color;     // shadow or glow; a bevel's shadow
    QColor highlight; // a bevel's highlight
    std::vector<std::pair<int, QColor>> gradient; // ratio 0..255 and colour, gradient glows and bevels
    double blurX = 0, blurY = 0;
    double angle = 0, distance = 0; // radians and pixels
    double strength = 1;
    int passes = 1;
    bool inner = false, knockout = false, onlyEffect = false;
    bool onTop = false; // bevels on both sides of the edge
    // A colour matrix (4 rows of 5, offsets in 0..255 units), or the
    // kernel of a convolution, row by row.
    std::vector<float> matrix;
    int columns = 0, rows = 0;
    float divisor = 1, bias = 0;
    QColor outside; // what a convolution sees past the edges, unless clamped
    bool clamp = true, preserveAlpha = true;

    bool operator==(const Filter &) const = default;
};

// Reads a FILTERLIST.
std::vector<Filter> readFilterList(BitReader &r);

// Puts `filters` on `layer`, an object drawn alone on a transparent
// premultiplied image with `samples` x `samples` pixels to each pixel of
// the picture; `stageScale` is picture pixels per stage pixel. Blurs and
// shadows are worked out on the picture's pixels, as the player does.
QImage applyFilters(const QImage &layer, const std::vector<Filter> &filters, int samples, double stageScale);

} // namespace sky::swf
