// Filters: glows, drop shadows and blurs spread as the player's do, inner
// effects, bevels and colour matrices, and the filter records of a
// placement are read.

#include "rendercheck.h"

#include <QPainter>
#include <QTest>

using swftest::Edges;
using swftest::near;

namespace {

const QRect stageTwips(0, 0, 2000, 2000); // 100 x 100 pixels

// A white (or `fill`) shape on black, placed with the given filters.
QImage filtered(const QRect &shapeTwips, const std::vector<QByteArray> &filters, bool smooth = false,
                const QColor &fill = Qt::white)
{
    swftest::Movie m(8, 100, 100);
    m.background(Qt::black);
    m.shape(1, 3, stageTwips, {swftest::solidFill(fill, true)}, {}, Edges().rect(shapeTwips, 1).end());
    m.placeFiltered(1, 1, 0, 0, filters).showFrame();
    return swftest::render(m, smooth);
}

} // namespace

class TestSwfFilters : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void glowsSpreadLikeThePlayersBoxBlur();
    void shadowsMoveAndBlursSoften();
    void blursReachFartherOnAnEnlargedStage();
    void filteredObjectsStartOnTheWholePixelNearestTheirBounds();
    void innerEffectsStayInsideTheShape();
    void bevelsLightTheSideFacingTheLight();
    void colourMatricesWorkOnStraightColours();
    void everyKindOfFilterRecordIsRead();
    void filterWorkPerFrameIsBounded();
    void glowsReachingFarAroundTheObject();
};

void TestSwfFilters::glowsSpreadLikeThePlayersBoxBlur()
{
    // A one-pixel line with a glow blurred 5 pixels three times, strength
    // 1.5: a pixel away the glow is 0.144 * 1.5 strong, five away 0.024 *
    // 1.5, seven away nothing.
    const QRect line(400, 1000, 1200, 20); // y = 50
    const QByteArray glow = swftest::glowFilter(QColor(0, 0x99, 0xFF), 5, 1.5, 3);
    for (const bool smooth : { false, true }) {
        const QImage image = filtered(line, { glow }, smooth);
        QCOMPARE(image.pixel(50, 50), qRgb(255, 255, 255));
        QVERIFY2(near(image.pixel(50, 51), qRgb(0, 33, 55), 1), qPrintable(QString::number(image.pixel(50, 51), 16)));
        QVERIFY(near(image.pixel(50, 49), qRgb(0, 33, 55), 1));
        QVERIFY(near(image.pixel(50, 55), qRgb(0, 6, 9), 1));
        QCOMPARE(image.pixel(50, 57), qRgb(0, 0, 0));
        QCOMPARE(image.pixel(10, 50), qRgb(0, 0, 0)); // beyond the line's end
    }

    // Knocked out, the glow shows only around where the shape was.
    const QImage knocked = filtered(QRect(400, 400, 400, 400), { swftest::glowFilter(Qt::red, 5, 2, 1, true) });
    QCOMPARE(knocked.pixel(30, 30), qRgb(0, 0, 0));
    QCOMPARE(qGreen(knocked.pixel(41, 30)), 0);
    QVERIFY(qRed(knocked.pixel(41, 30)) > 100);

    // With the object left out, the whole glow shows, under where the
    // shape was too.
    QByteArray alone = swftest::glowFilter(Qt::red, 5, 2, 1);
    alone[alone.size() - 1] = char(alone.back() & ~0x20);
    const QImage glowOnly = filtered(QRect(400, 400, 400, 400), {alone});
    QCOMPARE(glowOnly.pixel(30, 30), qRgb(255, 0, 0));
    QCOMPARE(qGreen(glowOnly.pixel(41, 30)), 0);
    QVERIFY(qRed(glowOnly.pixel(41, 30)) > 100);
}

void TestSwfFilters::shadowsMoveAndBlursSoften()
{
    // An unblurred red shadow 10 pixels to the right of a 10-pixel square
    // at 20..30, under the square.
    const QImage shadow = filtered(QRect(400, 400, 200, 200), { swftest::dropShadowFilter(Qt::red, 1, 0, 10, 1, 1) });
    QCOMPARE(shadow.pixel(25, 25), qRgb(255, 255, 255));
    QCOMPARE(shadow.pixel(35, 25), qRgb(255, 0, 0));
    QCOMPARE(shadow.pixel(45, 25), qRgb(0, 0, 0));
    QCOMPARE(shadow.pixel(15, 25), qRgb(0, 0, 0));

    // Blurred 9 pixels across, the square's edge turns grey, its middle
    // stays white, and only across does it spread.
    const QImage blurred = filtered(QRect(400, 400, 400, 400), { swftest::blurFilter(9, 1, 1) });
    QCOMPARE(blurred.pixel(30, 30), qRgb(255, 255, 255));
    QVERIFY(qRed(blurred.pixel(41, 30)) > 0 && qRed(blurred.pixel(41, 30)) < 255);
    QCOMPARE(blurred.pixel(30, 41), qRgb(0, 0, 0));
    QCOMPARE(blurred.pixel(50, 30), qRgb(0, 0, 0));
    // A pass keeps whole levels, cut toward zero: five ninths of white
    // is 141, two ninths 56.
    QCOMPARE(blurred.pixel(39, 30), qRgb(141, 141, 141));
    QCOMPARE(blurred.pixel(42, 30), qRgb(56, 56, 56));
}

void TestSwfFilters::blursReachFartherOnAnEnlargedStage()
{
    // A white square at 10..20 on a 50-pixel stage, blurred 2 across and 1
    // down, drawn twice as large: across, a box 3 pixels wide softens its
    // edge at 40 to a third and two thirds; down, a blur of 1 stays sharp.
    swftest::Movie m(8, 50, 50);
    m.background(Qt::black);
    m.shape(1, 1, stageTwips, {swftest::solidFill(Qt::white, false)}, {},
            Edges().rect(QRect(200, 200, 200, 200), 1).end());
    m.placeFiltered(1, 1, 0, 0, {swftest::blurFilter(2, 1, 1)}).showFrame();
    sky::swf::MoviePlayer player;
    QVERIFY(player.loadData(m.fws()));
    QImage target(100, 100, QImage::Format_ARGB32);
    target.fill(Qt::black);
    QPainter painter(&target);
    player.draw(painter, target.rect(), sky::swf::RenderOptions{false});
    painter.end();
    QCOMPARE(target.pixel(30, 30), qRgb(255, 255, 255));
    QVERIFY2(near(target.pixel(39, 30), qRgb(170, 170, 170), 1), qPrintable(QString::number(target.pixel(39, 30), 16)));
    QVERIFY(near(target.pixel(40, 30), qRgb(85, 85, 85), 1));
    QCOMPARE(target.pixel(41, 30), qRgb(0, 0, 0));
    QVERIFY(near(target.pixel(19, 30), qRgb(85, 85, 85), 1));
    QCOMPARE(target.pixel(30, 39), qRgb(255, 255, 255));
    QCOMPARE(target.pixel(30, 40), qRgb(0, 0, 0));
}

void TestSwfFilters::filteredObjectsStartOnTheWholePixelNearestTheirBounds()
{
    // A shape whose bounds start 0.3 pixel right of its origin, holding a
    // white square 10 pixels on, placed at 10.4: its bounds start at 10.7
    // and are moved to 11, the square with them, to 20.7..30.7. Unfiltered
    // it stays at 20.4..30.4.
    const std::vector<float> identity = {1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0};
    for (const bool filteredToo : {false, true}) {
        swftest::Movie m(8, 100, 100);
        m.background(Qt::black);
        m.shape(1, 1, QRect(6, 6, 400, 400), {swftest::solidFill(Qt::white, false)}, {},
                Edges().rect(QRect(200, 200, 200, 200), 1).end());
        if (filteredToo)
            m.placeFiltered(1, 1, 208, 208, {swftest::colorMatrixFilter(identity)});
        else
            m.place(1, 1, 208, 208);
        m.showFrame();
        const QImage image = swftest::render(m);
        const int first = filteredToo ? 21 : 20;
        QCOMPARE(image.pixel(first - 1, 25), qRgb(0, 0, 0));
        QCOMPARE(image.pixel(first, 25), qRgb(255, 255, 255));
        QCOMPARE(image.pixel(first + 9, 25), qRgb(255, 255, 255));
        QCOMPARE(image.pixel(first + 10, 25), qRgb(0, 0, 0));
        QCOMPARE(image.pixel(25, first - 1), qRgb(0, 0, 0));
        QCOMPARE(image.pixel(25, first), qRgb(255, 255, 255));
    }
}

void TestSwfFilters::innerEffectsStayInsideTheShape()
{
    // A red inner glow on a 20-pixel white square at 20..40: reddish just
    // inside its edge, white in its middle, nothing outside.
    const QRect square(400, 400, 400, 400);
    const QImage inner = filtered(square, {swftest::glowFilter(Qt::red, 4, 1, 1, false, true)});
    QCOMPARE(inner.pixel(30, 30), qRgb(255, 255, 255));
    QCOMPARE(qRed(inner.pixel(20, 30)), 255);
    QVERIFY(qGreen(inner.pixel(20, 30)) < 200);
    QCOMPARE(inner.pixel(18, 30), qRgb(0, 0, 0));

    // Knocked out, only the glow inside the shape is left.
    const QImage knocked = filtered(square, {swftest::glowFilter(Qt::red, 4, 1, 1, true, true)});
    QCOMPARE(qGreen(knocked.pixel(20, 30)), 0);
    QVERIFY(qRed(knocked.pixel(20, 30)) > 80);
    QCOMPARE(knocked.pixel(30, 30), qRgb(0, 0, 0));
    QCOMPARE(knocked.pixel(18, 30), qRgb(0, 0, 0));

    // Laid on a half-transparent square, a full inner glow (the whole
    // square glows: it is half transparent throughout) hides the square
    // without making it more opaque: half-strength red over black.
    const QImage veiled =
        filtered(square, {swftest::glowFilter(Qt::red, 4, 2, 1, false, true)}, false, QColor(255, 255, 255, 128));
    QVERIFY(near(veiled.pixel(30, 30), qRgb(128, 0, 0), 1));
}

void TestSwfFilters::bevelsLightTheSideFacingTheLight()
{
    // Lit from the top left (the angle points from the highlight to the
    // shadow): an inner bevel is green along the top and left inner edges,
    // red along the bottom and right ones; an outer one lies outside.
    const QRect square(400, 400, 400, 400);
    const double angle = std::acos(-1.0) / 4;
    const QImage inner = filtered(square, {swftest::bevelFilter(Qt::green, Qt::red, 2, angle, 2, 1)});
    QVERIFY(qGreen(inner.pixel(20, 30)) > qRed(inner.pixel(20, 30)));
    QVERIFY(qRed(inner.pixel(39, 30)) > qGreen(inner.pixel(39, 30)));
    QCOMPARE(inner.pixel(30, 30), qRgb(255, 255, 255));
    QCOMPARE(inner.pixel(17, 30), qRgb(0, 0, 0));
    const QImage outer = filtered(square, {swftest::bevelFilter(Qt::green, Qt::red, 2, angle, 2, 0)});
    QVERIFY(qRed(outer.pixel(41, 30)) > 0);
    QCOMPARE(outer.pixel(39, 30), qRgb(255, 255, 255));
}

void TestSwfFilters::colourMatricesWorkOnStraightColours()
{
    // Red and blue swapped, green halved and 10 added, on a white square
    // drawn half transparent: the matrix sees the straight colour.
    swftest::Movie m(8, 100, 100);
    m.background(Qt::black);
    m.shape(1, 3, stageTwips, {swftest::solidFill(QColor(200, 100, 0, 128), true)}, {},
            Edges().rect(QRect(400, 400, 400, 400), 1).end());
    const std::vector<float> matrix = {0, 0, 1, 0, 0, 0, 0.5f, 0, 0, 10, 1, 0, 0, 0, 0, 0, 0, 0, 1, 0};
    m.placeFiltered(1, 1, 0, 0, {swftest::colorMatrixFilter(matrix)}).showFrame();
    // (0, 60, 200) at alpha 128 over black.
    QVERIFY2(near(swftest::render(m).pixel(30, 30), qRgb(0, 30, 100), 1),
             qPrintable(QString::number(swftest::render(m).pixel(30, 30), 16)));
}

void TestSwfFilters::everyKindOfFilterRecordIsRead()
{
    // A convolution that leaves the picture as it is, then a glow: both
    // are read, the glow drawn after.
    const QByteArray identity = swftest::convolutionFilter(3, 3, {0, 0, 0, 0, 1, 0, 0, 0, 0}, 1);
    const QImage image = filtered(QRect(400, 400, 400, 400), {identity, swftest::glowFilter(Qt::green, 3, 1, 1)});
    QCOMPARE(image.pixel(30, 30), qRgb(255, 255, 255));
    QVERIFY(qGreen(image.pixel(40, 30)) > 0);
    QCOMPARE(qRed(image.pixel(40, 30)), 0);
}

void TestSwfFilters::filterWorkPerFrameIsBounded()
{
    // Small squares on a small picture, each glowing and casting a shadow
    // far off it: each filters a layer thirty times the picture's size,
    // fifteen times and once, and a frame's share of that work is spent
    // after a few. Those past it come without their glow; the last one's
    // is blue.
    for (const int squares : {2, 10}) {
        swftest::Movie m(8, 100, 100);
        m.background(Qt::black);
        m.shape(1, 1, stageTwips, {swftest::solidFill(Qt::white, false)}, {},
                Edges().rect(QRect(0, 0, 100, 100), 1).end());
        for (int depth = 1; depth <= squares; ++depth)
            m.placeFiltered(depth, 1, depth * 180, 1000,
                            {swftest::glowFilter(depth == squares ? Qt::blue : Qt::red, 2, 2, 15),
                             swftest::dropShadowFilter(Qt::green, 2, 0, 500, 1, 1)});
        m.showFrame();
        const QImage image = swftest::render(m);
        QVERIFY(qRed(image.pixel(15, 52)) > 0); // the first square's glow
        QCOMPARE(qBlue(image.pixel(9 * squares + 6, 52)) > 0, squares == 2);
    }
}

void TestSwfFilters::glowsReachingFarAroundTheObject()
{
    // A glow blurred 255 pixels across, four times, reaches some 500 pixels
    // past the sides of a 100-pixel picture: its bitmap is made at the
    // picture's own resolution, and the glow lies beside the line all the
    // same.
    const QByteArray glowAcross
        = swftest::Bits().u8(2).rgba(Qt::red).u32(255 << 16).u32(0).u16(100 << 8).u8(0x20 | 4).data();
    const QImage wide = filtered(QRect(900, 0, 200, 2000), {glowAcross}); // x = 45 to 55
    QCOMPARE(wide.pixel(50, 50), qRgb(255, 255, 255));
    QCOMPARE(wide.pixel(54, 99), qRgb(255, 255, 255));
    for (const QPoint beside : {QPoint(56, 50), QPoint(40, 0), QPoint(99, 99), QPoint(2, 60)})
        QVERIFY2(qRed(wide.pixel(beside)) > 0 && qGreen(wide.pixel(beside)) == 0,
                 qPrintable(QString::number(wide.pixel(beside), 16)));
    // A line 9750 pixels long is more than the 8191 pixels the player
    // allows a filtered bitmap: it comes without its glow, where one 6500
    // pixels long has it.
    for (const int pieces : {3, 2}) {
        const int piece = 65000;
        swftest::Movie m(8, 100, 100);
        m.background(Qt::black);
        Edges edges;
        edges.style(0, 1, 0).moveTo(900, 1000 - pieces * piece / 2).line(200, 0);
        for (int i = 0; i < pieces; ++i)
            edges.line(0, piece);
        edges.line(-200, 0);
        for (int i = 0; i < pieces; ++i)
            edges.line(0, -piece);
        m.shape(1, 3, QRect(900, 1000 - pieces * piece / 2, 200, pieces * piece),
                {swftest::solidFill(Qt::white, true)}, {}, edges.end());
        m.placeFiltered(1, 1, 0, 0, {swftest::glowFilter(Qt::red, 4, 1, 1)}).showFrame();
        const QImage image = swftest::render(m);
        QCOMPARE(image.pixel(50, 50), qRgb(255, 255, 255));
        QCOMPARE(qRed(image.pixel(56, 50)) > 0, pieces == 2);
    }
}

QTEST_GUILESS_MAIN(TestSwfFilters)
#include "tst_swffilters.moc"
