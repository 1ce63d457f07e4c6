#include "raster.h"

#include <cmath>
#include <vector>

namespace sky::swf {

QPainterPath snappedToTwips(const QPainterPath &path, int samples)
{
    const double grid = 20.0 / samples;
    // A hair less than Qt's 1/64 pixel, so that outlines on a pixel
    // centre take that pixel in.
    constexpr double shift = 1.0 / 64;
    const auto snap = [grid](QPointF p) {
        return QPointF(std::round(p.x() * grid) / grid - shift, std::round(p.y() * grid) / grid - shift);
    };
    const double tolerance = 0.05 * samples;
    QPainterPath out;
    out.setFillRule(path.fillRule());
    QPointF at;
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        if (e.isMoveTo()) {
            at = e;
            out.moveTo(snap(at));
        } else if (e.isLineTo()) {
            at = e;
            out.lineTo(snap(at));
        } else if (e.isCurveTo() && i + 2 < path.elementCount()) {
            // Qt keeps quadratics as cubics; recover the control point.
            const QPointF control = (QPointF(e) * 3 - at) / 2;
            const QPointF end = path.elementAt(i + 2);
            const QPointF bulge = at - control * 2 + end;
            const int pieces = qBound(1, int(std::ceil(std::sqrt(std::hypot(bulge.x(), bulge.y()) / 4 / tolerance))), 64);
            for (int k = 1; k <= pieces; ++k) {
                const double t = double(k) / pieces;
                out.lineTo(snap(at * (1 - t) * (1 - t) + control * 2 * t * (1 - t) + end * t * t));
            }
            at = end;
            i += 2;
        }
    }
    return out;
}

QImage downsample(const QImage &big, int samples)
{
    if (samples < 1 || samples > maxSamples)
        return {};
    QImage small(big.width() / samples, big.height() / samples, QImage::Format_ARGB32_Premultiplied);
    const quint32 count = quint32(samples * samples);
    const int width = small.width();
    const int height = small.height();
    std::vector<quint32> sums(std::size_t(width) * 2);
    for (int y = 0; y < height; ++y) {
        std::fill(sums.begin(), sums.end(), 0);
        for (int sy = 0; sy < samples; ++sy) {
            const auto *line = reinterpret_cast<const QRgb *>(big.constScanLine(y * samples + sy));
            quint32 *sum = sums.data();
            for (int x = 0; x < width; ++x, sum += 2) {
                for (int sx = 0; sx < samples; ++sx, ++line) {
                    sum[0] += *line & 0x00FF00FF;        // red and blue
                    sum[1] += (*line >> 8) & 0x00FF00FF; // alpha and green
                }
            }
        }
        auto *out = reinterpret_cast<QRgb *>(small.scanLine(y));
        const quint32 *sum = sums.data();
        for (int x = 0; x < width; ++x, sum += 2) {
            const auto average = [count](quint32 lanes, int shift) { return ((lanes >> shift & 0xFFFF) + count / 2) / count; };
            out[x] = (average(sum[1], 16) << 24) | (average(sum[0], 16) << 16) | (average(sum[1], 0) << 8)
                   | average(sum[0], 0);
        }
    }
    return small;
}

} // namespace sky::swf
