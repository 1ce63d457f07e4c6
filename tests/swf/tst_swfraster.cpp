// Aliased rasterising as the player does it: which pixels an outline takes
// in, and how finely curves are cut.

#include "swf/pixelwriter.h"
#include "swf/raster.h"

#include <QPainter>
#include <QTest>

#include <array>
#include <cmath>
#include <limits>
#include <numbers>

using namespace sky::swf;

namespace {

// The covered pixels of `outline` (device pixels) as set pixels of a
// small image.
QImage coverage(const QPainterPath &outline, int samples = 1)
{
    QImage image(8, 8, QImage::Format_Grayscale8);
    image.fill(0);
    QPainter painter(&image);
    painter.fillPath(coveredPixels(outline, image.rect(), samples), Qt::white);
    return image;
}

QString rows(const QImage &image)
{
    QString out;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            out += image.pixelColor(x, y).value() ? u'#' : u'.';
        out += u'\n';
    }
    return out;
}

QPainterPath polygon(std::initializer_list<QPointF> points)
{
    QPainterPath path;
    path.addPolygon(QPolygonF(points));
    path.closeSubpath();
    return path;
}

// How far the straight pieces `flat` stray from the quadratic curve from,
// control, to at most, measured at many points of the curve against the
// nearest piece.
double strayOf(QPointF from, QPointF control, QPointF to, const QPainterPath &flat)
{
    const QPolygonF line = flat.toSubpathPolygons().value(0);
    double worst = 0;
    for (int i = 0; i <= 1000; ++i) {
        const double t = i / 1000.0;
        const double u = 1 - t;
        const QPointF at = from * (u * u) + control * (2 * u * t) + to * (t * t);
        double nearest = std::numeric_limits<double>::max();
        for (qsizetype k = 0; k + 1 < line.size(); ++k) {
            const QPointF d = line[k + 1] - line[k];
            const double along = qBound(0.0, QPointF::dotProduct(at - line[k], d) / QPointF::dotProduct(d, d), 1.0);
            const QPointF off = at - (line[k] + d * along);
            nearest = qMin(nearest, std::hypot(off.x(), off.y()));
        }
        worst = qMax(worst, nearest);
    }
    return worst;
}

} // namespace

class TestSwfRaster : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void pixelCentresDecide();
    void fillRulesCountCrossings();
    void farAndBrokenPointsAreHarmless();
    void smoothEdgesTakeInAShareOfEachPixel();
    void fillsWrittenStraightKeepToTheClip();
    void curvesAreCutWithinATenthOfAPixel();
    void roundEndsAreDiscsOfQuadraticArcs();
};

void TestSwfRaster::pixelCentresDecide()
{
    // Edges through pixel centres: the left and top ones take their pixels
    // in, the right and bottom ones leave them out.
    QCOMPARE(rows(coverage(polygon({{0.5, 0.5}, {3.5, 0.5}, {3.5, 2.5}, {0.5, 2.5}}))),
             QStringLiteral("###.....\n###.....\n........\n........\n........\n........\n........\n........\n"));
    // An edge a hundredth of a pixel right of a centre leaves that pixel
    // out, however little it misses.
    const QImage slanted = coverage(polygon({{2.51, 0}, {8, 0}, {8, 8}, {2.51, 8}}));
    QCOMPARE(slanted.pixelColor(2, 4).value(), 0);
    QCOMPARE(slanted.pixelColor(3, 4).value(), 255);
    // Ends of edges are taken to 1/256 of a pixel first: edges a 1/1024
    // pixel right of centres run through them.
    const double off = 1.0 / 1024;
    QCOMPARE(rows(coverage(polygon({{2.5 + off, 0}, {6.5 + off, 0}, {6.5 + off, 1}, {2.5 + off, 1}}))).left(8),
             QStringLiteral("..####.."));
    // A slanted edge that misses the centre of (5, 3) on its inner side by
    // 1/4000 pixel, and by more than that on the outer side once its ends
    // are taken to the grid.
    const QImage grid = coverage(polygon({{5.85, 1.15}, {8, 1.15}, {8, 21.95}, {2.75, 21.95}}));
    QCOMPARE(grid.pixelColor(5, 3).value(), 0);
    QCOMPARE(grid.pixelColor(6, 3).value(), 255);
    // A sliver between two centres covers nothing.
    QCOMPARE(rows(coverage(polygon({{1.6, 1}, {2.4, 1}, {2.4, 6}, {1.6, 6}}))).count(u'#'), 0);
    // Twice the samples: the same outline in a picture twice as large.
    QCOMPARE(rows(coverage(polygon({{1, 1}, {5, 1}, {5, 3}, {1, 3}}), 2)).count(u'#'), 8);
}

void TestSwfRaster::fillRulesCountCrossings()
{
    QPainterPath twice = polygon({{0, 0}, {6, 0}, {6, 6}, {0, 6}});
    twice.addPath(polygon({{2, 2}, {4, 2}, {4, 4}, {2, 4}}));
    twice.setFillRule(Qt::OddEvenFill);
    const QImage evenOdd = coverage(twice);
    QCOMPARE(evenOdd.pixelColor(1, 1).value(), 255);
    QCOMPARE(evenOdd.pixelColor(3, 3).value(), 0); // a hole
    twice.setFillRule(Qt::WindingFill);
    QCOMPARE(coverage(twice).pixelColor(3, 3).value(), 255); // both run the same way
}

void TestSwfRaster::farAndBrokenPointsAreHarmless()
{
    constexpr double huge = 1e100;
    QCOMPARE(rows(coverage(polygon({{-huge, -huge}, {huge, -huge}, {huge, huge}, {-huge, huge}}))).count(u'#'), 64);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    QCOMPARE(rows(coverage(polygon({{nan, 0}, {8, nan}, {8, 8}}))).count(u'#'), 0);
}

namespace {

// Coverage of `outline` within an 8 x 8 picture, one value a pixel.
std::array<int, 64> shares(const QPainterPath &outline, int subsamples)
{
    std::array<int, 64> out{};
    int lastRow = 0, lastEnd = 0;
    coverageRuns(outline, QRect(0, 0, 8, 8), 1, subsamples, [&](int y, int x, int count, quint8 alpha) {
        // Row by row, left to right, each pixel once.
        QVERIFY(y > lastRow || (y == lastRow && x >= lastEnd));
        lastRow = y;
        lastEnd = x + count;
        for (int i = 0; i < count; ++i)
            out[std::size_t(y * 8 + x + i)] = alpha;
    });
    return out;
}

} // namespace

void TestSwfRaster::smoothEdgesTakeInAShareOfEachPixel()
{
    // One sample a pixel is the aliased rule itself.
    const QPainterPath slanted = polygon({{0.3, 0.2}, {7.7, 1.9}, {6.1, 7.6}, {1.2, 5.4}});
    const QImage aliased = coverage(slanted);
    const std::array<int, 64> one = shares(slanted, 1);
    for (int i = 0; i < 64; ++i)
        QCOMPARE(one[std::size_t(i)], aliased.pixelColor(i % 8, i / 8).value());
    // Four a side: a whole pixel, half of one, a quarter, and none.
    const std::array<int, 64> four = shares(polygon({{1, 1}, {2, 1}, {2, 2}, {1, 2}}), 4);
    QCOMPARE(four[9], 255);
    QCOMPARE(four[8] + four[10] + four[1] + four[17], 0);
    QCOMPARE(shares(polygon({{3, 3}, {3.5, 3}, {3.5, 4}, {3, 4}}), 4)[27], 128);
    QCOMPARE(shares(polygon({{3, 3}, {3.5, 3}, {3.5, 3.5}, {3, 3.5}}), 4)[27], 64);
    // A run over many pixels: whole ones inside, shares at its ends.
    const std::array<int, 64> run = shares(polygon({{0.25, 4}, {6.75, 4}, {6.75, 5}, {0.25, 5}}), 4);
    QCOMPARE(run[32], 191);
    for (int x = 1; x < 6; ++x)
        QCOMPARE(run[std::size_t(32 + x)], 255);
    QCOMPARE(run[38], 191);
    QCOMPARE(run[39], 0);
    // The fill rules hold within pixels too.
    QPainterPath ring = polygon({{0, 0}, {8, 0}, {8, 8}, {0, 8}});
    ring.addPath(polygon({{2, 2}, {4.5, 2}, {4.5, 6}, {2, 6}}));
    ring.setFillRule(Qt::OddEvenFill);
    const std::array<int, 64> holed = shares(ring, 4);
    QCOMPARE(holed[3 * 8 + 3], 0);
    QCOMPARE(holed[3 * 8 + 4], 128);
    QCOMPARE(holed[3 * 8 + 5], 255);
}

void TestSwfRaster::fillsWrittenStraightKeepToTheClip()
{
    QImage image(8, 8, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::black);
    QPainter painter(&image);
    QRegion clip(0, 0, 3, 8);
    clip += QRect(5, 0, 3, 4);
    painter.setClipRegion(clip);
    std::optional<PixelWriter> writer = PixelWriter::onto(painter);
    QVERIFY(writer);
    // Half of column 1 and the whole of columns 2 to 6, in every row.
    writer->fill(polygon({{1.5, 0}, {7, 0}, {7, 8}, {1.5, 8}}), 1, 4, qRgb(255, 255, 255));
    painter.end();
    for (int y = 0; y < 8; ++y) {
        QCOMPARE(image.pixel(0, y), qRgb(0, 0, 0));
        QCOMPARE(image.pixel(1, y), qRgb(128, 128, 128)); // half of white over black
        QCOMPARE(image.pixel(2, y), qRgb(255, 255, 255));
        QCOMPARE(image.pixel(3, y), qRgb(0, 0, 0)); // outside the clip
        QCOMPARE(image.pixel(6, y), y < 4 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
        QCOMPARE(image.pixel(7, y), qRgb(0, 0, 0));
    }
    // Drawn at half opacity, or onto anything but premultiplied pixels,
    // the painter draws instead.
    QImage plain(8, 8, QImage::Format_RGB32);
    QPainter other(&plain);
    QVERIFY(!PixelWriter::onto(other));
    painter.begin(&image);
    painter.setOpacity(0.5);
    QVERIFY(!PixelWriter::onto(painter));
}

void TestSwfRaster::curvesAreCutWithinATenthOfAPixel()
{
    const auto quad = [](QPointF from, QPointF control, QPointF to) {
        QPainterPath path(from);
        path.quadTo(control, to);
        return path;
    };
    const auto pieces = [](const QPainterPath &flat) { return flat.elementCount() - 1; };
    // A curve whose middle lies within two twips of its chord is one piece;
    // a little further, two.
    QCOMPARE(pieces(flattenedOutline(quad({0, 0}, {100, 4}, {200, 0}), QTransform())), 1);
    QCOMPARE(pieces(flattenedOutline(quad({0, 0}, {100, 4.2}, {200, 0}), QTransform())), 2);
    // Curves of every kind, gentle or sharp, long or short: no piece strays
    // further than the tolerance, and the count grows as the square root
    // of the precision asked (half the tolerance takes under half as many
    // pieces again).
    const QList<std::array<QPointF, 3>> curves{{{{1614, 1187}, {3228, 19}, {5510, 19}}},
                                               {{{0, 0}, {40, 400}, {80, 0}}},
                                               {{{0, 0}, {3000, 10}, {20, 20}}},
                                               {{{7755, 6025}, {7714, 5801}, {7705, 5775}}},
                                               {{{0, 0}, {0, 20000}, {20000, 20000}}}};
    for (const auto &[from, control, to] : curves) {
        const QPainterPath curve = quad(from, control, to);
        const QPainterPath flat = flattenedOutline(curve, QTransform());
        QVERIFY(strayOf(from, control, to, flat) <= curveTolerance * 1.01);
        QVERIFY(pieces(flattenedOutline(curve, QTransform(), curveTolerance / 2)) * 2 < pieces(flat) * 3 + 2);
    }
    // Pieces fall closer together where the curve bends: the quarter of an
    // ellipse running from its side to its top is cut finer near the side.
    const QPolygonF quarter = flattenedOutline(quad({1614, 1187}, {3228, 19}, {5510, 19}), QTransform()).toFillPolygon();
    QVERIFY(quarter.size() > 8);
    const auto length = [&](qsizetype k) {
        return std::hypot(quarter[k + 1].x() - quarter[k].x(), quarter[k + 1].y() - quarter[k].y());
    };
    QVERIFY(length(0) < length(quarter.size() - 3));
    // The cut is made in the outline's own space: scaled up ten times on
    // the way to the device, a shape keeps its pieces.
    const QPainterPath small = quad({0, 0}, {40, 400}, {80, 0});
    const QPainterPath shown = flattenedOutline(small, QTransform::fromScale(10, 10));
    QCOMPARE(pieces(shown), pieces(flattenedOutline(small, QTransform())));
    QCOMPARE(QPointF(shown.elementAt(pieces(shown))), QPointF(800, 0));
    // However long, a curve is cut into a bounded number of pieces.
    QVERIFY(pieces(flattenedOutline(quad({0, 0}, {1e9, 1e9}, {2e9, 0}), QTransform())) <= 1024);
}

void TestSwfRaster::roundEndsAreDiscsOfQuadraticArcs()
{
    QPainterPath line;
    line.moveTo(0, 0);
    line.lineTo(10, 0);
    line.lineTo(10, 10);
    const auto within = [](const QPainterPath &discs, QPointF at) { return discs.contains(at); };
    const QPainterPath joins = roundEnds(line, 2, 1, true, false);
    QVERIFY(within(joins, {10, 0}));
    QVERIFY(!within(joins, {0, 0}) && !within(joins, {10, 10}));
    const QPainterPath caps = roundEnds(line, 2, 1, false, true);
    QVERIFY(within(caps, {0, 0}) && within(caps, {10, 10}));
    QVERIFY(!within(caps, {10, 0}));
    // Between anchors an arc runs outside the circle, at them on it.
    const double outside = 2.004;
    const double diagonal = std::numbers::pi / 8;
    QVERIFY(within(joins, QPointF(10, 0) + outside * QPointF(std::cos(diagonal), std::sin(diagonal))));
    QVERIFY(!within(joins, QPointF(10 + outside, 0)));
    // A cap's disc is turned with its line: half a pixel wide, its arcs are
    // single pieces, and the one straight behind a slanted line's start
    // ends there, where an upright disc would cut the corner off.
    const double slant = std::numbers::pi / 8;
    QPainterPath slanted;
    slanted.lineTo(10 * std::cos(slant), 10 * std::sin(slant));
    const QPointF behind = -0.48 * QPointF(std::cos(slant), std::sin(slant));
    QVERIFY(within(roundEnds(slanted, 0.5, 1, false, true), behind));
    QVERIFY(!within(roundEnds(line, 0.5, 1, true, false), QPointF(10, 0) + behind)); // an upright join
    // A closed outline joins at every corner, its first one too.
    QPainterPath square;
    square.addRect(0, 0, 10, 10);
    const QPainterPath corners = roundEnds(square, 2, 1, true, false);
    for (const QPointF corner : {QPointF(0, 0), QPointF(10, 0), QPointF(10, 10), QPointF(0, 10)})
        QVERIFY(within(corners, corner));
}

QTEST_GUILESS_MAIN(TestSwfRaster)
#include "tst_swfraster.moc"
