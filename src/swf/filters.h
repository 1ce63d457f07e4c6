#pragma once

#include <QColor>
#include <QImage>
#include <vector>

namespace sky::swf {

class BitReader;

// A drop shadow, blur or glow put on a placed object. Sizes are in stage
// pixels. The other kinds of filter are read past and not drawn.
struct Filter
{
    enum class Kind { DropShadow, Blur, Glow };
    Kind kind = Kind::Blur;
    QColor color;
    double blurX = 0, blurY = 0;
    double angle = 0, distance = 0; // radians and pixels, drop shadows only
    double strength = 1;
    int passes = 1;
    bool inner = false, knockout = false, onlyEffect = false;

    bool operator==(const Filter &) const = default;
};

// Reads a FILTERLIST, keeping the filters that are drawn.
std::vector<Filter> readFilterList(BitReader &r);

// Puts `filters` on `layer`, an object drawn alone on a transparent
// premultiplied image with `samples` x `samples` pixels to each pixel of
// the picture; `stageScale` is picture pixels per stage pixel. Blurs and
// shadows are worked out on the picture's pixels, as the player does.
QImage applyFilters(const QImage &layer, const std::vector<Filter> &filters, int samples, double stageScale);

} // namespace sky::swf
