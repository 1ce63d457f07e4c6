// Blend modes: the ones worked out pixel by pixel, and alpha and erase,
// which act on the layer of a parent.

#include "rendercheck.h"

#include <QTest>

using swftest::Edges;
using swftest::near;

namespace {

const QRect stageTwips(0, 0, 2000, 2000); // 100 x 100 pixels
const QRect leftHalf(0, 0, 1000, 2000);

// A movie on `background` whose shape 1 is a square of `colour` over the
// whole stage.
swftest::Movie withSquare(const QColor &background, const QColor &colour, const QRect &area = stageTwips)
{
    swftest::Movie m(8, 100, 100);
    m.background(background);
    m.shape(1, 3, stageTwips, {swftest::solidFill(colour, true)}, {}, Edges().rect(area, 1).end());
    return m;
}

} // namespace

class TestSwfBlend : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void subtractTakesThePremultipliedColourAway();
    void invertTurnsTheBackdropOver();
    void eraseAndAlphaActOnTheirParentsLayerOnly();
    void scriptsSetTheModeByNameOrNumber();
};

void TestSwfBlend::subtractTakesThePremultipliedColourAway()
{
    swftest::Movie m = withSquare(QColor(200, 200, 200), QColor(100, 50, 0));
    m.placeBlended(1, 1, 9).showFrame();
    QCOMPARE(swftest::render(m).pixel(50, 50), qRgb(100, 150, 200));

    // Half transparent, the source takes away its colour times its alpha,
    // and what falls below nothing stays nothing.
    swftest::Movie half = withSquare(QColor(200, 100, 0), QColor(255, 0, 0, 128));
    half.placeBlended(1, 1, 9).showFrame();
    QVERIFY(near(swftest::render(half).pixel(50, 50), qRgb(72, 100, 0), 1));
}

void TestSwfBlend::invertTurnsTheBackdropOver()
{
    swftest::Movie m = withSquare(QColor(200, 100, 0), QColor(10, 20, 30), leftHalf);
    m.placeBlended(1, 1, 10).showFrame();
    const QImage image = swftest::render(m);
    QCOMPARE(image.pixel(25, 50), qRgb(55, 155, 255));
    QCOMPARE(image.pixel(75, 50), qRgb(200, 100, 0));
}

void TestSwfBlend::eraseAndAlphaActOnTheirParentsLayerOnly()
{
    // A sprite holding a blue square and, above it on the left half, a
    // three-quarters transparent square in erase or alpha mode.
    const auto movie = [](int childBlend, int spriteBlend) {
        swftest::Movie m = withSquare(Qt::white, Qt::blue);
        m.shape(2, 3, stageTwips, {swftest::solidFill(QColor(0, 0, 0, 64), true)}, {}, Edges().rect(leftHalf, 1).end());
        swftest::Movie inner(8, 100, 100);
        inner.place(1, 1).placeBlended(2, 2, childBlend).showFrame();
        m.sprite(3, inner).placeBlended(1, 3, spriteBlend).showFrame();
        return swftest::render(m);
    };
    // In a layer: erase keeps three quarters of the square under it, alpha
    // a quarter; where the child is not, the square stays whole.
    const QImage erased = movie(12, 2);
    QVERIFY2(near(erased.pixel(25, 50), qRgb(64, 64, 255), 2), qPrintable(QString::number(erased.pixel(25, 50), 16)));
    QCOMPARE(erased.pixel(75, 50), qRgb(0, 0, 255));
    const QImage kept = movie(11, 2);
    QVERIFY2(near(kept.pixel(25, 50), qRgb(191, 191, 255), 2), qPrintable(QString::number(kept.pixel(25, 50), 16)));
    QCOMPARE(kept.pixel(75, 50), qRgb(0, 0, 255));
    // With no layer to act on, neither shows at all.
    QCOMPARE(movie(12, 1).pixel(25, 50), qRgb(0, 0, 255));
    QCOMPARE(movie(11, 1).pixel(25, 50), qRgb(0, 0, 255));
}

void TestSwfBlend::scriptsSetTheModeByNameOrNumber()
{
    // The square of the subtract test in a clip "c"; frame 1's script sets
    // c.blendMode, then to a name no mode has, which changes nothing.
    const auto subtracted = [](const swftest::Actions &mode) {
        swftest::Movie m = withSquare(QColor(200, 200, 200), QColor(100, 50, 0));
        m.sprite(2, swftest::Movie(8, 100, 100).place(1, 1).showFrame()).placeNamed(1, 2, "c");
        swftest::Actions script;
        script.push("c").op(0x1C).push("blendMode").then(mode).op(0x4F);
        script.push("c").op(0x1C).push("blendMode").push("bogus").op(0x4F);
        m.doAction(script.code()).showFrame();
        return swftest::render(m).pixel(50, 50);
    };
    QCOMPARE(subtracted(swftest::Actions().push("subtract")), qRgb(100, 150, 200));
    QCOMPARE(subtracted(swftest::Actions().push(9)), qRgb(100, 150, 200));
    QCOMPARE(subtracted(swftest::Actions().push("normal")), qRgb(100, 50, 0));
}

QTEST_GUILESS_MAIN(TestSwfBlend)
#include "tst_swfblend.moc"
