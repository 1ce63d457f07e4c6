#include "raster.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace sky::swf {
namespace {

// However long a curve, it is cut into no more pieces than this.
constexpr int maxCurvePieces = 1024;

// The curve y = x² from 0 to x, measured in how many pieces within a given
// distance of it it takes (up to a common factor), and the inverse; both
// close approximations of the exact integral.
double parabolaIntegral(double x)
{
    constexpr double d = 0.67;
    return x / (1 - d + std::pow(d * d * d * d + 0.25 * x * x, 0.25));
}

double parabolaIntegralInverse(double x)
{
    constexpr double b = 0.39;
    return x * (1 - b + std::sqrt(b * b + 0.25 * x * x));
}

// The inner cut points (as curve parameters) of the quadratic curve p0, p1,
// p2 cut into the fewest pieces that stray from it by at most `tolerance`.
// Every quadratic is a stretch of a parabola, scaled and turned; the cuts
// fall evenly along the integral above, so pieces are longer where the
// curve runs straight.
void parabolaSteps(QPointF p0, QPointF p1, QPointF p2, double tolerance, std::vector<double> &ts)
{
    ts.clear();
    const QPointF chord = p2 - p0;
    const QPointF bend = p1 * 2 - p0 - p2;
    // Twice the area between the chord and the control point: a curve
    // whose middle lies within the tolerance of its chord (its control
    // point within twice that) is one straight piece.
    const double cross = chord.x() * bend.y() - chord.y() * bend.x();
    if (!(tolerance > 0) || cross * cross <= 16 * tolerance * tolerance * QPointF::dotProduct(chord, chord))
        return;
    // Where the ends lie on the parabola, and its scale.
    const double x0 = QPointF::dotProduct(p1 - p0, bend) / cross;
    const double x2 = QPointF::dotProduct(p2 - p1, bend) / cross;
    const double scale = std::abs(cross) / (std::hypot(bend.x(), bend.y()) * std::abs(x2 - x0));
    const double a0 = parabolaIntegral(x0);
    const double a2 = parabolaIntegral(x2);
    const double rootTolerance = std::sqrt(tolerance);
    double length = 0;
    if (std::isfinite(scale)) {
        const double rootScale = std::sqrt(scale);
        // Around a sharp vertex the bend, not the length, sets the count.
        length = (x0 < 0) == (x2 < 0) ? std::abs(a2 - a0) * rootScale
                                      : rootTolerance * std::abs(a2 - a0) / parabolaIntegral(rootTolerance / rootScale);
    }
    const int pieces = qBound(1, int(std::ceil(0.5 * length / rootTolerance)), maxCurvePieces);
    const double v0 = parabolaIntegralInverse(a0);
    const double v2 = parabolaIntegralInverse(a2);
    for (int k = 1; k < pieces; ++k)
        ts.push_back((parabolaIntegralInverse(a0 + (a2 - a0) * k / pieces) - v0) / (v2 - v0));
}

} // namespace

double curveToleranceOn(const QTransform &toDevice, int samples)
{
    // The most the transform stretches any direction: its larger singular
    // value.
    const double a = toDevice.m11(), b = toDevice.m12(), c = toDevice.m21(), d = toDevice.m22();
    const double half = (a * a + b * b + c * c + d * d) / 2;
    const double determinant = a * d - b * c;
    const double stretch = std::sqrt(half + std::sqrt(std::max(0.0, half * half - determinant * determinant)));
    const double tenthOfAPixel = samples / 10.0 / stretch;
    return std::isfinite(tenthOfAPixel) ? std::min(curveTolerance, tenthOfAPixel) : curveTolerance;
}

QPainterPath flattenedOutline(const QPainterPath &path, const QTransform &toDevice, double tolerance)
{
    QPainterPath out;
    out.setFillRule(path.fillRule());
    QPointF at;
    std::vector<double> steps;
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        if (e.isMoveTo()) {
            at = e;
            out.moveTo(toDevice.map(at));
        } else if (e.isLineTo()) {
            at = e;
            out.lineTo(toDevice.map(at));
        } else if (e.isCurveTo() && i + 2 < path.elementCount()) {
            // Curves are quadratic, kept as cubics: the control point is
            // where the two inner points point (for a true cubic, the
            // nearest quadratic's).
            const QPointF c1 = e;
            const QPointF c2 = path.elementAt(i + 1);
            const QPointF end = path.elementAt(i + 2);
            parabolaSteps(at, (c1 * 3 + c2 * 3 - at - end) / 4, end, tolerance, steps);
            for (const double t : steps) {
                const double u = 1 - t;
                out.lineTo(toDevice.map(at * (u * u * u) + c1 * (3 * u * u * t) + c2 * (3 * u * t * t) + end * (t * t * t)));
            }
            at = end;
            out.lineTo(toDevice.map(at));
            i += 2;
        }
    }
    return out;
}

QPainterPath roundEnds(const QPainterPath &centre, double radius, int samples, bool joins, bool caps)
{
    // One disc about the origin, its arcs starting on the x axis: each
    // arc's control point lies where the tangents at its ends meet, and it
    // is cut into pieces as a shape's curves are (within a tenth of a
    // picture pixel), so the disc lies inside the circle between its
    // pieces' ends.
    constexpr int arcs = 8;
    const double step = 2 * std::numbers::pi / arcs;
    const double reach = radius / std::cos(step / 2);
    std::vector<double> steps;
    QPolygonF disc;
    for (int a = 0; a < arcs; ++a) {
        const QPointF from(radius * std::cos(a * step), radius * std::sin(a * step));
        const QPointF control(reach * std::cos((a + 0.5) * step), reach * std::sin((a + 0.5) * step));
        const QPointF to(radius * std::cos((a + 1) * step), radius * std::sin((a + 1) * step));
        parabolaSteps(from, control, to, curveTolerance / 20 * samples, steps);
        disc << from;
        for (const double t : steps) {
            const double u = 1 - t;
            disc << from * (u * u) + control * (2 * u * t) + to * (t * t);
        }
    }
    QPainterPath out;
    out.setFillRule(Qt::WindingFill);
    for (const QPolygonF &part : centre.toSubpathPolygons()) {
        const bool closed = part.size() > 2 && part.isClosed();
        for (qsizetype i = 0; i < part.size() - (closed ? 1 : 0); ++i) {
            const bool end = !closed && (i == 0 || i == part.size() - 1);
            if (!(end ? caps : joins))
                continue;
            // A cap's disc is turned with the line's end: its arcs start
            // across the line and straight along it. Joins keep theirs
            // upright.
            const QPointF along = i == 0 ? part[1] - part[0] : part[i] - part[i - 1];
            const double length = std::hypot(along.x(), along.y());
            if (!end || !(length > 0)) {
                out.addPolygon(disc.translated(part[i]));
                continue;
            }
            const double c = along.x() / length;
            const double s = along.y() / length;
            out.addPolygon(QTransform(c, s, -s, c, part[i].x(), part[i].y()).map(disc));
        }
    }
    return out;
}

namespace {

// A straight edge that is not horizontal, top to bottom, in whole units
// of 1/256 pixel, and which way it ran.
struct ScanEdge {
    double topX = 0, topY = 0, bottomX = 0, bottomY = 0;
    int winding = 1;
    int firstRow = 0, lastRow = 0; // rows whose centre line it crosses
};

// Where an edge crosses the current row.
struct Crossing {
    double x = 0;
    const ScanEdge *edge = nullptr;
};

} // namespace

namespace {

// Calls emit(row, from, to) for each run [from, to) of pixels of `row`
// within `bounds` whose centres `outline` takes in, by the rules of
// coveredPixels(). The pixels are a grid `subsamples` times finer than the
// outline's device pixels, `samples` of which make a picture pixel.
template<typename Emit>
void scanSpans(const QPainterPath &outline, const QRect &bounds, int samples, int subsamples, Emit &&emit)
{
    // Ends of edges are taken to 1/256 of a picture pixel, halves rounding
    // up, as the player keeps them; every sample point is a whole number of
    // these units, so crossings through one come out exact.
    const double toUnits = 256.0 / samples;
    const double units = toUnits / subsamples; // a pixel of the grid
    const double half = units / 2;
    // The first pixel whose centre lies at or after `at` (in units), kept
    // just outside `bounds` however far away `at` is.
    const auto pixelAtOrAfter = [&](double at) {
        const double pixel = std::ceil((at - half) / units);
        const double lowest = qMin(bounds.left(), bounds.top()) - 1.0;
        const double highest = qMax(bounds.right(), bounds.bottom()) + 2.0;
        return std::isnan(pixel) ? int(lowest) : int(qBound(lowest, pixel, highest));
    };
    std::vector<ScanEdge> edges;
    for (const QPolygonF &polygon : outline.toSubpathPolygons()) {
        for (qsizetype i = 0; i < polygon.size(); ++i) {
            const QPointF a = polygon[i] * toUnits;
            const QPointF b = polygon[(i + 1) % polygon.size()] * toUnits;
            // Far-off points are as good as any far outside the picture;
            // keeping them finite keeps every crossing a number.
            if (!std::isfinite(a.x()) || !std::isfinite(a.y()) || !std::isfinite(b.x()) || !std::isfinite(b.y()))
                continue;
            ScanEdge e;
            e.winding = a.y() < b.y() ? 1 : -1;
            const QPointF top = e.winding > 0 ? a : b;
            const QPointF bottom = e.winding > 0 ? b : a;
            constexpr double far = 1e12;
            const auto unit = [far](double v) { return std::floor(qBound(-far, v, far) + 0.5); };
            e.topX = unit(top.x());
            e.topY = unit(top.y());
            e.bottomX = unit(bottom.x());
            e.bottomY = unit(bottom.y());
            // A row counts when its centre line lies in [top, bottom).
            e.firstRow = qMax(bounds.top(), pixelAtOrAfter(e.topY));
            e.lastRow = qMin(bounds.bottom(), pixelAtOrAfter(e.bottomY) - 1);
            if (e.firstRow <= e.lastRow)
                edges.push_back(e);
        }
    }
    if (edges.empty())
        return;
    std::sort(edges.begin(), edges.end(), [](const ScanEdge &a, const ScanEdge &b) { return a.firstRow < b.firstRow; });
    const bool evenOdd = outline.fillRule() == Qt::OddEvenFill;
    // The edges crossing the row, kept in order of where they cross: from
    // row to row that order hardly changes.
    std::vector<Crossing> crossings;
    std::size_t next = 0;
    for (int row = edges.front().firstRow; row <= bounds.bottom() && (next < edges.size() || !crossings.empty());
         ++row) {
        std::erase_if(crossings, [row](const Crossing &c) { return c.edge->lastRow < row; });
        for (; next < edges.size() && edges[next].firstRow <= row; ++next)
            crossings.push_back({0, &edges[next]});
        const double centre = row * units + half;
        for (Crossing &c : crossings) {
            const ScanEdge &e = *c.edge;
            c.x = e.topX + (centre - e.topY) * (e.bottomX - e.topX) / (e.bottomY - e.topY);
        }
        for (std::size_t i = 1; i < crossings.size(); ++i)
            for (std::size_t k = i; k > 0 && crossings[k].x < crossings[k - 1].x; --k)
                std::swap(crossings[k], crossings[k - 1]);
        int winding = 0;
        int spanStart = 0;
        for (const Crossing &c : crossings) {
            const bool wasInside = evenOdd ? (winding & 1) : winding != 0;
            winding += c.edge->winding;
            const bool inside = evenOdd ? (winding & 1) : winding != 0;
            // Pixel x is covered when start <= its centre < end.
            const int pixel = pixelAtOrAfter(c.x);
            if (!wasInside && inside) {
                spanStart = pixel;
            } else if (wasInside && !inside) {
                const int from = qMax(spanStart, bounds.left());
                const int to = qMin(pixel, bounds.right() + 1);
                if (from < to)
                    emit(row, from, to);
            }
        }
    }
}

} // namespace

QPainterPath coveredPixels(const QPainterPath &outline, const QRect &bounds, int samples)
{
    QPainterPath covered;
    scanSpans(outline, bounds, samples, 1, [&](int row, int from, int to) { covered.addRect(from, row, to - from, 1); });
    return covered;
}

void coverageRuns(const QPainterPath &outline, const QRect &bounds, int samples, int subsamples, const CoverageRun &run)
{
    if (bounds.isEmpty() || subsamples < 1 || subsamples > maxSamples)
        return;
    const int width = bounds.width();
    const int full = subsamples * subsamples;
    std::vector<quint8> share(static_cast<std::size_t>(full) + 1); // of samples taken in
    for (int n = 0; n <= full; ++n)
        share[std::size_t(n)] = quint8((n * 255 + full / 2) / full);
    // Per pixel of the row: samples taken in at the ends of runs, and the
    // changes of a count carried along whole pixels; and the pixels where
    // either is set, between which the count stays the same.
    std::vector<int> ends(static_cast<std::size_t>(width) + 1), steps(static_cast<std::size_t>(width) + 1);
    std::vector<int> marks;
    int current = 0;
    const auto flush = [&] {
        if (marks.empty())
            return;
        std::sort(marks.begin(), marks.end());
        marks.erase(std::unique(marks.begin(), marks.end()), marks.end());
        int carried = 0;
        int from = marks.front();
        for (const int x : marks) {
            if (carried > 0 && from < x)
                run(current, bounds.left() + from, x - from, share[std::size_t(carried)]);
            carried += steps[std::size_t(x)];
            if (const int n = carried + ends[std::size_t(x)])
                run(current, bounds.left() + x, 1, share[std::size_t(n)]);
            steps[std::size_t(x)] = ends[std::size_t(x)] = 0;
            from = x + 1;
        }
        marks.clear();
    };
    const QRect grid(bounds.left() * subsamples, bounds.top() * subsamples, width * subsamples,
                     bounds.height() * subsamples);
    scanSpans(outline, grid, samples, subsamples, [&](int gridRow, int from, int to) {
        const int y = bounds.top() + (gridRow - grid.top()) / subsamples;
        if (y != current) {
            flush();
            current = y;
        }
        const int a = from - grid.left(), b = to - grid.left();
        const int first = a / subsamples, last = (b - 1) / subsamples;
        // A pixel only partly inside counts its samples; whole ones between
        // carry the count on.
        const int firstWhole = a % subsamples ? first + 1 : first;
        const int pastWhole = b % subsamples ? last : last + 1;
        if (firstWhole >= pastWhole) {
            ends[std::size_t(first)] += qMin(b, (first + 1) * subsamples) - a;
            marks.push_back(first);
            if (last != first) {
                ends[std::size_t(last)] += b - last * subsamples;
                marks.push_back(last);
            }
            return;
        }
        if (firstWhole != first) {
            ends[std::size_t(first)] += firstWhole * subsamples - a;
            marks.push_back(first);
        }
        if (pastWhole != last + 1) {
            ends[std::size_t(last)] += b - last * subsamples;
            marks.push_back(last);
        }
        steps[std::size_t(firstWhole)] += subsamples;
        steps[std::size_t(pastWhole)] -= subsamples;
        marks.push_back(firstWhole);
        marks.push_back(pastWhole);
    });
    flush();
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
