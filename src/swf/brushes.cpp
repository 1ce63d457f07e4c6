#include "brushes.h"

#include <QLinearGradient>
#include <QRadialGradient>

#include <cmath>

namespace sky::swf {
namespace {

constexpr double gradientHalfSize = 16384;
constexpr int linearRgbSubdivisions = 8;

double toLinear(int c)
{
    const double v = c / 255.0;
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

int fromLinear(double v)
{
    const double s = v <= 0.0031308 ? v * 12.92 : 1.055 * std::pow(v, 1 / 2.4) - 0.055;
    return qBound(0, int(std::lround(s * 255)), 255);
}

QColor mixLinear(const QColor &a, const QColor &b, double t)
{
    auto mix = [t](int x, int y) { return fromLinear(toLinear(x) + (toLinear(y) - toLinear(x)) * t); };
    return QColor(mix(a.red(), b.red()), mix(a.green(), b.green()), mix(a.blue(), b.blue()),
                  qBound(0, int(std::lround(a.alpha() + (b.alpha() - a.alpha()) * t)), 255));
}

QGradientStops stopsOf(const FillStyle &fill, const ColorTransform &color)
{
    QGradientStops stops;
    double last = -1;
    for (std::size_t i = 0; i < fill.stops.size(); ++i) {
        const GradientStop &s = fill.stops[i];
        const double at = qBound(0.0, qMax(s.ratio / 255.0, last), 1.0);
        const QColor c = color.apply(s.color);
        if (fill.interpolation == 1 && i > 0) {
            const QColor previous = color.apply(fill.stops[i - 1].color);
            for (int k = 1; k < linearRgbSubdivisions; ++k) {
                const double t = double(k) / linearRgbSubdivisions;
                stops.append({last + (at - last) * t, mixLinear(previous, c, t)});
            }
        }
        // Equal positions would make Qt drop a stop; nudge them apart.
        stops.append({at > last ? at : qMin(1.0, last + 1e-6), c});
        last = stops.back().first;
    }
    if (stops.isEmpty())
        stops.append({0.0, QColor(0, 0, 0)});
    return stops;
}

} // namespace

QBrush gradientOrSolidBrush(const FillStyle &fill, const ColorTransform &color)
{
    if (fill.kind == FillKind::Solid || fill.kind == FillKind::Bitmap)
        return QBrush(color.apply(fill.color));
    QGradient gradient;
    if (fill.kind == FillKind::Linear)
        gradient = QLinearGradient(-gradientHalfSize, 0, gradientHalfSize, 0);
    else
        gradient = QRadialGradient(QPointF(0, 0), gradientHalfSize,
                                   QPointF(fill.kind == FillKind::Focal ? fill.focal * gradientHalfSize : 0, 0));
    gradient.setStops(stopsOf(fill, color));
    gradient.setSpread(fill.spread == 1   ? QGradient::ReflectSpread
                       : fill.spread == 2 ? QGradient::RepeatSpread
                                          : QGradient::PadSpread);
    QBrush brush(gradient);
    brush.setTransform(fill.matrix.toTransform());
    return brush;
}

QImage transformImage(const QImage &image, const ColorTransform &color)
{
    if (color.isIdentity())
        return image;
    QImage out = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            const QColor c = color.apply(QColor::fromRgba(line[x]));
            line[x] = c.rgba();
        }
    }
    return out.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

} // namespace sky::swf
