// Pixels kept between frames: a frame drawn from them looks like the same
// frame drawn afresh, whatever changed how an object looks (its morph
// ratio, colour transform, filters, position) reaches the
// picture, and the cache keeps what the frame uses within its size.

#include "swf/movieplayer.h"
#include "swf/pixelcache.h"
#include "rendercheck.h"

#include <QTest>

using namespace sky::swf;
using swftest::Bits;
using swftest::Edges;
using swftest::drawnWhole;
using swftest::largestDifference;
using swftest::windowQuality;

namespace {

constexpr QSize kShown(180, 135);

// Moves the object at `depth` and gives it a colour transform that scales
// red by `redTimes256` / 256 and adds `blueAdd` to blue.
QByteArray movedAndTinted(int depth, int tx, int ty, int redTimes256, int blueAdd)
{
    Bits b;
    b.u8(0x0D).u16(depth).matrix(1, 1, tx, ty);
    b.ub(1, 1).ub(1, 1).ub(4, 10);
    for (int v : {redTimes256, 256, 256, 256, 0, 0, blueAdd, 0})
        b.sb(10, v);
    return b.flush().data();
}

QByteArray newRatio(int depth, int ratio) { return Bits().u8(0x11).u16(depth).u16(ratio).data(); }

// A PlaceObject3 of a cached bitmap (cacheAsBitmap) at (tx, ty).
QByteArray cachedBitmap(int depth, int id, int tx, int ty)
{
    return Bits().u8(0x06).u8(0x04).u16(depth).u16(id).matrix(1, 1, tx, ty).u8(1).data();
}

// Still objects, and objects that change one thing at a time and then
// stay: a gradient square that is tinted, a morph whose ratio changes, a
// shadowed square whose shadow changes, a cached bitmap moved, a masked
// square tinted.
QByteArray changingMovie()
{
    swftest::Movie m(8, 120, 90, 30);
    m.background(QColor(30, 30, 60));
    const std::vector<std::pair<int, QColor>> stops{{0, QColor(255, 80, 0)}, {255, QColor(0, 80, 255)}};
    const QRect box(0, 0, 700, 500);
    m.shape(1, 2, box, {swftest::gradientFill(0x10, 0.03, 350, 250, stops)},
            {swftest::lineStyle(30, Qt::white, false)},
            Edges().rect(box, 1, 1).moveTo(0, 0).curve(350, 500, 700, 0).end());
    m.shape(2, 3, box, {swftest::solidFill(QColor(120, 200, 120, 160), true)}, {}, Edges().rect(box, 1).end());
    m.morph(3, Qt::red, Qt::blue, Edges().rect(QRect(0, 0, 300, 300), 1).end(),
            Edges().rect(QRect(200, 100, 500, 300), 1).end());
    m.place(1, 1, 113, 97).place(2, 2, 1207, 131).placeRatio(3, 3, 0).move(3, 300, 1100);
    m.placeFiltered(4, 2, 1100, 900, {swftest::dropShadowFilter(Qt::black, 4, 0.8, 4, 1, 1)});
    m.tag(70, cachedBitmap(5, 1, 1500, 1300));
    m.placeMask(6, 2, 7).place(7, 1, 100, 100);
    for (int frame = 1; frame <= 8; ++frame) {
        m.showFrame();
        switch (frame) {
        case 2: m.tag(26, movedAndTinted(1, 113, 97, 128, 90)); break;
        case 3: m.tag(26, newRatio(3, 40000)); break;
        case 4:
            m.remove(4).placeFiltered(4, 2, 1100, 900, {swftest::dropShadowFilter(Qt::black, 4, 0.8, 40, 1, 1)});
            break;
        case 5: m.move(5, 1530, 1300); break;
        case 6: m.tag(26, movedAndTinted(7, 100, 100, 256, 120)); break;
        default: break;
        }
    }
    return m.fws();
}

// The frame drawn by a player that has drawn nothing before.
QImage drawnAfresh(int frame, const RenderOptions &options)
{
    MoviePlayer fresh;
    fresh.loadData(changingMovie());
    fresh.gotoFrame(frame);
    return drawnWhole(fresh, kShown, options);
}

DrawSteps key(int id)
{
    DrawStep step;
    step.characterId = quint16(id);
    return {step};
}

PixelCache::Pixels pixels(int side) { return {QImage(side, side, QImage::Format_ARGB32_Premultiplied), {}}; }

} // namespace

class TestSwfPixelCache : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void framesDrawnAgainLookLikeFreshOnes_data();
    void framesDrawnAgainLookLikeFreshOnes();
    void onlyWhatStaysIsKept();
    void whatTheFrameUsesStaysWhenFull();
};

void TestSwfPixelCache::framesDrawnAgainLookLikeFreshOnes_data()
{
    QTest::addColumn<RenderOptions>("options");
    QTest::addColumn<int>("tolerance");
    QTest::newRow("pixel-exact") << RenderOptions{false} << 0;
    QTest::newRow("high quality") << RenderOptions{} << 0;
    // Kept pixels are put down whole where the painter put each edge down
    // on its own: a level of rounding apart.
    QTest::newRow("window") << windowQuality() << 1;
}

void TestSwfPixelCache::framesDrawnAgainLookLikeFreshOnes()
{
    QFETCH(RenderOptions, options);
    QFETCH(int, tolerance);
    MoviePlayer player;
    QVERIFY(player.loadData(changingMovie()));
    player.play();
    for (int frame = 1; frame <= 8; ++frame) {
        QCOMPARE(player.currentFrame(), frame);
        const QImage afresh = drawnAfresh(frame, options);
        // Drawn three times: in place, into the cache, from the cache.
        for (int time = 1; time <= 3; ++time)
            QVERIFY2(largestDifference(drawnWhole(player, kShown, options), afresh) <= tolerance,
                     qPrintable(QStringLiteral("frame %1, drawing %2").arg(frame).arg(time)));
        player.tick();
    }
    QVERIFY(player.movie()->pixelCache().entries() > 0);
}

void TestSwfPixelCache::onlyWhatStaysIsKept()
{
    PixelCache cache;
    bool wanted = true;
    cache.beginFrame();
    QVERIFY(!cache.find(key(1), wanted));
    QVERIFY(!wanted); // seen once
    cache.beginFrame();
    QVERIFY(!cache.find(key(1), wanted));
    QVERIFY(wanted); // still there a frame later
    cache.store(key(1), pixels(4));
    QVERIFY(cache.find(key(1), wanted));

    // Asked for every other frame, as a tween coming back to a position:
    // drawn in place each time.
    for (int frame = 0; frame < 6; ++frame) {
        cache.beginFrame();
        if (frame % 2 == 0) {
            QVERIFY(!cache.find(key(2), wanted));
            QVERIFY(!wanted);
        }
    }
    QCOMPARE(cache.entries(), std::size_t(1));
}

void TestSwfPixelCache::whatTheFrameUsesStaysWhenFull()
{
    PixelCache cache;
    bool wanted = false;
    cache.beginFrame();
    cache.store(key(1), pixels(2048)); // 16 MiB each
    cache.store(key(2), pixels(2048));
    cache.beginFrame();
    QVERIFY(cache.find(key(1), wanted)); // used now; the second is not
    for (int id = 3; id <= 8; ++id)
        cache.store(key(id), pixels(2048));
    QVERIFY(cache.bytes() <= 96u * 1024 * 1024);
    QVERIFY(cache.find(key(1), wanted));
    QVERIFY(!cache.find(key(2), wanted));
    // Everything in use: nothing more goes in.
    for (int id = 3; id <= 8; ++id)
        QVERIFY(cache.find(key(id), wanted) || id == 8);
    cache.store(key(9), pixels(2048));
    QVERIFY(!cache.find(key(9), wanted));
}

QTEST_GUILESS_MAIN(TestSwfPixelCache)
#include "tst_swfpixelcache.moc"
