#include "brushes.h"

#include <QLinearGradient>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>

namespace sky::swf {
namespace {

constexpr double gradientHalfSize = 16384;
constexpr int rampSteps = 256;
// The continuous lookup of older movies takes a colour half a ratio step
// before the position.
constexpr double continuousLead = 0.5;

// A stop's colour in linear light, as the player keeps it: in 8 bits,
// rounded down, so dark colours lose most of their precision.
double toLinear(int c)
{
    const double v = c / 255.0;
    const double linear = v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    return std::floor(linear * 255 + 1e-9) / 255;
}

double fromLinear(double v)
{
    return (v <= 0.0031308 ? v * 12.92 : 1.055 * std::pow(v, 1 / 2.4) - 0.055) * 255;
}

// The colour `t` of the way from `a` to `b` in linear light. Every colour
// of such a gradient makes the round trip, the stops' own included. The
// player darkens translucent colours there: their channels are scaled by
// alpha to the power 1/1.8 before the usual premultiplication.
QColor mixLinear(const QColor &a, const QColor &b, double t)
{
    const double alpha = a.alpha() + (b.alpha() - a.alpha()) * t;
    const double darken = std::pow(alpha / 255, 1 / 1.8);
    auto mix = [t, darken](int x, int y) {
        return qBound(0, int(std::lround(fromLinear(toLinear(x) + (toLinear(y) - toLinear(x)) * t) * darken)), 255);
    };
    return QColor(mix(a.red(), b.red()), mix(a.green(), b.green()), mix(a.blue(), b.blue()),
                  qBound(0, int(std::lround(alpha)), 255));
}

// `weight` 256ths of the way from premultiplied `a` to `b`.
QRgb mixPixels(QRgb a, QRgb b, uint weight)
{
    const auto mix = [weight](uint x, uint y) { return (x * (256 - weight) + y * weight) >> 8; };
    return qRgba(int(mix(uint(qRed(a)), uint(qRed(b)))), int(mix(uint(qGreen(a)), uint(qGreen(b)))),
                 int(mix(uint(qBlue(a)), uint(qBlue(b)))), int(mix(uint(qAlpha(a)), uint(qAlpha(b)))));
}

// The colours of a gradient along its 0..255 ratio axis, looked up as the
// player does: for older movies continuously, half a ratio step early, with
// colours rounded down; for newer ones from 256 steps with colours rounded
// to nearest.
class Ramp {
public:
    Ramp(const FillStyle &fill, const ColorTransform &color, bool stepped)
        : linearRgb_(fill.interpolation == 1), continuous_(!stepped)
    {
        // Stops share no ratio: each takes at least the step after the one
        // before, so every colour shows. In the 256-step lookup the stop
        // before a run of such stops also keeps its colour one step longer.
        // A stop below the one before keeps its ratio: a position takes its
        // colour from the first stop, in the order given, at or past it, so
        // such a stop shows only as the start of the way to the next one.
        bool inRun = false;
        double given = -1; // the ratio the stop before was given
        for (const GradientStop &stop : fill.stops) {
            const bool falling = stop.ratio < given;
            given = stop.ratio;
            if (falling) {
                stops_.push_back({stop.ratio, color.apply(stop.color)});
                inRun = false;
                continue;
            }
            const bool shared = !stops_.empty() && stop.ratio <= stops_.back().ratio;
            if (shared && !inRun && !continuous_)
                stops_.push_back({qMin(255.0, stops_.back().ratio + 1), stops_.back().color});
            inRun = shared;
            const double ratio = stops_.empty() ? stop.ratio : qMin(255.0, qMax(stop.ratio, stops_.back().ratio + 1));
            stops_.push_back({ratio, color.apply(stop.color)});
        }
        if (stops_.empty())
            stops_.push_back({0, QColor(0, 0, 0)});
        // Linear-RGB colours curve between the table's steps, so those
        // tables take finer ones.
        const int steps = !continuous_ ? rampSteps : linearRgb_ ? 65536 : 4096;
        table_.resize(std::size_t(steps));
        for (int i = 0; i < steps; ++i)
            table_[std::size_t(i)] = evaluate(i * 255.0 / (steps - 1), continuous_ ? 0.0 : 0.5);
    }

    // `t` is 0..1 across the gradient, after padding, reflecting or repeating.
    // `t` is never negative, so truncating rounds down and adding a half
    // first rounds to nearest.
    QRgb at(double t) const
    {
        if (!continuous_)
            return table_[std::size_t(qBound(0, int(t * rampSteps), rampSteps - 1))];
        // Between the table's colours, a mix of the two nearest.
        const double at = qBound(0.0, t * 256 - continuousLead, 255.0) * (double(table_.size() - 1) / 255.0);
        const auto i = std::size_t(at);
        if (i + 1 >= table_.size())
            return table_.back();
        const uint weight = uint((at - double(i)) * 256);
        return mixPixels(table_[i], table_[i + 1], weight);
    }

private:
    QRgb evaluate(double ratio, double rounding) const
    {
        std::size_t next = 0;
        while (next < stops_.size() && stops_[next].ratio < ratio)
            ++next;
        QColor c;
        if (next == 0 || next == stops_.size()) {
            c = next == 0 ? stops_.front().color : stops_.back().color;
            if (linearRgb_)
                c = mixLinear(c, c, 0);
        } else {
            const GradientStop &a = stops_[next - 1];
            const GradientStop &b = stops_[next];
            const double t = b.ratio > a.ratio ? (ratio - a.ratio) / (b.ratio - a.ratio) : 1.0;
            if (linearRgb_) {
                c = mixLinear(a.color, b.color, t);
            } else {
                auto mix = [t, rounding](int x, int y) {
                    return qBound(0, int(std::floor(x + (y - x) * t + 1e-9 + rounding)), 255);
                };
                c = QColor(mix(a.color.red(), b.color.red()), mix(a.color.green(), b.color.green()),
                           mix(a.color.blue(), b.color.blue()), mix(a.color.alpha(), b.color.alpha()));
            }
        }
        return qPremultiply(c.rgba());
    }

    bool linearRgb_;
    bool continuous_;
    std::vector<GradientStop> stops_;
    std::vector<QRgb> table_;
};

// The ramps of the gradients drawn last: a movie draws the same few
// gradients over and over, and a ramp takes thousands of colours to build.
const Ramp &rampFor(const FillStyle &fill, const ColorTransform &color, bool stepped)
{
    struct Kept {
        std::vector<GradientStop> stops;
        int interpolation;
        ColorTransform color;
        bool stepped;
        Ramp ramp;
    };
    constexpr std::size_t keep = 32;
    thread_local std::vector<Kept> kept;
    const auto sameStops = [&fill](const std::vector<GradientStop> &stops) {
        return std::equal(stops.begin(), stops.end(), fill.stops.begin(), fill.stops.end(),
                          [](const GradientStop &a, const GradientStop &b) { return a.ratio == b.ratio && a.color == b.color; });
    };
    for (auto it = kept.begin(); it != kept.end(); ++it) {
        if (it->interpolation == fill.interpolation && it->stepped == stepped && it->color == color && sameStops(it->stops)) {
            std::rotate(kept.begin(), it, std::next(it)); // most recent first
            return kept.front().ramp;
        }
    }
    if (kept.size() == keep)
        kept.pop_back();
    kept.insert(kept.begin(), Kept{fill.stops, fill.interpolation, color, stepped, Ramp(fill, color, stepped)});
    return kept.front().ramp;
}

double spreadPosition(double t, int spread)
{
    if (spread == 1) {
        t = std::fmod(std::abs(t), 2.0);
        return t > 1 ? 2 - t : t;
    }
    if (spread == 2)
        return t - std::floor(t);
    return qBound(0.0, t, 1.0);
}

// The player keeps a focal point a little inside the circle.
double focalOf(const FillStyle &fill)
{
    constexpr double maxFocal = 0.98;
    return qBound(-maxFocal, fill.focal, maxFocal);
}

// Position 0..1 along a radial gradient whose focal point lies at
// (focal, 0) of the unit circle.
double radialPosition(double x, double y, double focal)
{
    if (focal == 0)
        return std::sqrt(x * x + y * y);
    // Distance from the focal point to p, over the distance from the
    // focal point to the circle along the same ray.
    const double dx = x - focal;
    const double dy = y;
    const double a = dx * dx + dy * dy;
    if (a == 0)
        return 0;
    const double b = focal * dx;
    const double c = focal * focal - 1;
    const double s = (-b + std::sqrt(qMax(0.0, b * b - a * c))) / a;
    return s > 0 ? 1 / s : 1;
}

} // namespace

QImage shadeGradient(const FillStyle &fill, const ColorTransform &color, const QTransform &toDevice, const QRect &area,
                     bool stepped, int pixelSize)
{
    QImage image(area.size(), QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return image;
    const Ramp &ramp = rampFor(fill, color, stepped);
    bool invertible = false;
    const QTransform toGradient = (fill.matrix.toTransform() * toDevice).inverted(&invertible);
    if (!invertible) {
        image.fill(ramp.at(1));
        return image;
    }
    // Each picture pixel takes the colour at its centre, however many device
    // pixels it covers. Gradient space moves by a fixed step per pixel.
    const QTransform unit = toGradient * QTransform::fromScale(1 / gradientHalfSize, 1 / gradientHalfSize);
    const QPointF step = QPointF(unit.m11(), unit.m12()) * pixelSize;
    const double focal = focalOf(fill);
    const auto centreOf = [pixelSize](int device) { return (std::floor(double(device) / pixelSize) + 0.5) * pixelSize; };
    for (int y = 0; y < area.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        // Device rows of one picture row are alike.
        if (y > 0 && centreOf(area.y() + y) == centreOf(area.y() + y - 1)) {
            std::copy_n(reinterpret_cast<const QRgb *>(image.constScanLine(y - 1)), area.width(), line);
            continue;
        }
        QPointF g = unit.map(QPointF(centreOf(area.x()), centreOf(area.y() + y)));
        int x = 0;
        for (int column = int(std::floor(double(area.x()) / pixelSize)); x < area.width(); ++column, g += step) {
            const double t = fill.kind == FillKind::Linear ? (g.x() + 1) / 2 : radialPosition(g.x(), g.y(), focal);
            const QRgb value = ramp.at(spreadPosition(t, fill.spread));
            for (const int end = qMin(area.width(), (column + 1) * pixelSize - area.x()); x < end; ++x)
                line[x] = value;
        }
    }
    return image;
}

QBrush gradientOrSolidBrush(const FillStyle &fill, const ColorTransform &color)
{
    if (fill.kind == FillKind::Solid || fill.kind == FillKind::Bitmap)
        return QBrush(color.apply(fill.color));
    QGradient gradient;
    if (fill.kind == FillKind::Linear)
        gradient = QLinearGradient(-gradientHalfSize, 0, gradientHalfSize, 0);
    else
        gradient = QRadialGradient(QPointF(0, 0), gradientHalfSize,
                                   QPointF(fill.kind == FillKind::Focal ? focalOf(fill) * gradientHalfSize : 0, 0));
    // A stop in the middle of each of the 256 steps of the ramp that
    // shaded pixels read, so both ways of drawing show the same colours.
    const Ramp &ramp = rampFor(fill, color, true);
    QGradientStops stops;
    for (int i = 0; i < rampSteps; ++i) {
        const double t = (i + 0.5) / rampSteps;
        stops.append({t, QColor::fromRgba(qUnpremultiply(ramp.at(t)))});
    }
    gradient.setStops(stops);
    gradient.setInterpolationMode(QGradient::ComponentInterpolation);
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
