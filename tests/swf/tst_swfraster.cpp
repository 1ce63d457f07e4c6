// Aliased rasterising as the player does it: which pixels an outline takes
// in, and how finely curves are cut.

#include "swf/raster.h"

#include <QPainter>
#include <QTest>

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
    painter.fillPath(coveredPixels(flattenedOutline(outline, samples), image.rect(), samples), Qt::white);
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

int piecesOf(const QPainterPath &outline, Cut cut = Cut::Shape)
{
    return flattenedOutline(outline, 1, cut).elementCount() - 1;
}

} // namespace

class TestSwfRaster : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void pixelCentresDecide();
    void fillRulesCountCrossings();
    void farAndBrokenPointsAreHarmless();
    void curvesAreCutByHowFarTheyBend();
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

void TestSwfRaster::curvesAreCutByHowFarTheyBend()
{
    // A quadratic from (0,0) over (x,y) to (2x,0) bends by 2y; n pieces
    // take n² nine-twip steps of bend, less four twips. Coordinates are
    // pixels of 20 twips.
    const auto curve = [](double bend) {
        QPainterPath path;
        path.quadTo(1, bend / 2 / 20, 2, 0);
        return path;
    };
    QCOMPARE(piecesOf(curve(5)), 1);
    QCOMPARE(piecesOf(curve(6)), 2);
    QCOMPARE(piecesOf(curve(30.5)), 2);
    QCOMPARE(piecesOf(curve(33)), 3);
    QCOMPARE(piecesOf(curve(317)), 6);
    QCOMPARE(piecesOf(curve(1e9)), 64); // bounded
    // Glyphs' curves stray from the curve by under 1/8192 pixel, a bend of
    // b twips over n pieces by b / 4n².
    QCOMPARE(piecesOf(curve(30), Cut::Glyph), 56);
    QCOMPARE(piecesOf(curve(0.5), Cut::Glyph), 8);
    QCOMPARE(piecesOf(curve(1e9), Cut::Glyph), 64);
    // Inner ends land on whole twips, halves rounding up. In twips: from
    // (0,0) over (10,-45) to (20,0), bending by 90: four pieces.
    QPainterPath path;
    path.quadTo(0.5, -2.25, 1.0, 0);
    const QPainterPath flat = flattenedOutline(path, 1);
    QCOMPARE(flat.elementCount(), 5);
    QCOMPARE(QPointF(flat.elementAt(1)) * 20, QPointF(5, -17));  // (5, -16.875)
    QCOMPARE(QPointF(flat.elementAt(2)) * 20, QPointF(10, -22)); // (10, -22.5)
    QCOMPARE(QPointF(flat.elementAt(4)) * 20, QPointF(20, 0));
    // The centre lines of lines keep their points on the curve.
    QCOMPARE(QPointF(flattenedOutline(path, 1, Cut::Line).elementAt(1)) * 20, QPointF(5, -16.875));
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
    // A closed outline joins at every corner, its first one too.
    QPainterPath square;
    square.addRect(0, 0, 10, 10);
    const QPainterPath corners = roundEnds(square, 2, 1, true, false);
    for (const QPointF corner : {QPointF(0, 0), QPointF(10, 0), QPointF(10, 10), QPointF(0, 10)})
        QVERIFY(within(corners, corner));
}

QTEST_GUILESS_MAIN(TestSwfRaster)
#include "tst_swfraster.moc"
