// Frame by frame repainting: a frame brought up to date from the one before
// looks like the frame drawn whole, and only changed areas are repainted.

#include "swf/framecanvas.h"
#include "rendercheck.h"

#include <QDir>
#include <QTest>

using namespace sky::swf;
using swftest::Edges;
using swftest::drawnWhole;
using swftest::largestDifference;
using swftest::windowQuality;

namespace {

// Overlapping outlined squares, gradient and solid, one of them a mask and
// one a sprite that moves on its own; frame by frame one square moves, one
// comes, one goes, and now and then one changes its blend mode or shows;
// one with a blurred shadow moves every frame.
QByteArray busyMovie(int frames)
{
    swftest::Movie m(8, 200, 150, 30);
    m.background(QColor(20, 20, 40));
    const std::vector<std::pair<int, QColor>> stops { { 0, QColor(255, 80, 0) }, { 255, QColor(0, 80, 255) } };
    for (int id = 1; id <= 4; ++id) {
        const QRect box(0, 0, 500 + id * 150, 400 + id * 100);
        const QByteArray fill = id % 2 ? swftest::gradientFill(0x10, 0.03, 300, 200, stops)
                                       : swftest::solidFill(QColor(60 * id, 200, 120), false);
        m.shape(id, 2, box, { fill }, { swftest::lineStyle(30 * id, Qt::white, false) },
            Edges().rect(box, 1, 1).moveTo(0, 0).curve(box.width() / 2, box.height(), box.width(), 0).end());
    }
    swftest::Movie inner(8, 0, 0);
    inner.place(1, 1).place(2, 4, 0, 2000).showFrame(); // the second stays put
    for (int i = 1; i < 5; ++i)
        inner.move(1, 150 * i, 70 * i).showFrame();
    m.sprite(5, inner);
    for (int depth = 1; depth <= 30; ++depth)
        m.place(depth, 1 + depth % 4, (depth * 397) % 3500, (depth * 211) % 2600);
    m.placeMask(31, 3, 33).place(32, 2, 600, 600).place(33, 5, 300, 300);
    m.placeFiltered(34, 4, 1000, 1000, { swftest::dropShadowFilter(Qt::black, 6, 0.8, 60, 1, 2) });
    for (int frame = 0; frame < frames; ++frame) {
        m.showFrame();
        const int depth = 1 + frame % 30;
        m.move(depth, (depth * 397 + frame * 90) % 3500, (depth * 211 + frame * 70) % 2600);
        m.move(34, 1000 + frame * 60, 1000 - frame * 25);
        if (frame % 3 == 0)
            m.remove(40 + frame - 3).place(40 + frame, 1 + frame % 4, frame * 80 % 3500, 1200);
        // Standing still, a square changes how it is put down: blended,
        // hidden, shown again.
        if (frame == 4)
            m.tag(70, swftest::Bits().u8(0x01).u8(0x02).u16(7).u8(7).data());
        if (frame == 8)
            m.tag(70, swftest::Bits().u8(0x01).u8(0x20).u16(8).u8(0).data());
        if (frame == 12)
            m.tag(70, swftest::Bits().u8(0x01).u8(0x20).u16(8).u8(1).data());
    }
    return m.fws();
}

} // namespace

class TestSwfCanvas : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void repaintedFramesLookLikeWholeOnes();
    void onlyWhatChangedIsRepainted();
    void scriptsDrawingAndMaskingAreRepainted();
};

void TestSwfCanvas::repaintedFramesLookLikeWholeOnes()
{
    for (const RenderOptions &options : { windowQuality(), RenderOptions { false } }) {
        MoviePlayer player;
        QVERIFY(player.loadData(busyMovie(24)));
        FrameCanvas canvas;
        const QSize size(300, 200); // wider than the stage: a border of background
        for (int frame = 1; frame <= 24; ++frame) {
            const QImage &painted = canvas.paint(player, size, 1, options);
            QVERIFY2(largestDifference(painted, drawnWhole(player, size, options)) <= 1,
                qPrintable(QStringLiteral("frame %1").arg(frame)));
            player.tick();
        }
    }

    // Real movies: sprites, morph shapes, masks, lines, text, blend modes,
    // filters.
    const QDir corpus(QStringLiteral(SKY_SWF_CORPUS_DIR));
    for (const QString &name :
        { QStringLiteral("other/shumway__timeline_Timeline6.swf"), QStringLiteral("other/shumway__morph.swf"),
            QStringLiteral("ruffle/from_shumway__acid__acid-child/test.swf"),
            QStringLiteral("ruffle/visual__cache_as_bitmap__children_changed/test.swf"),
            QStringLiteral("ruffle/visual__blend_modes__hardlight/test.swf"),
            QStringLiteral("ruffle/from_shumway__bitmapbuttons/test.swf") }) {
        MoviePlayer player;
        if (!player.load(corpus.filePath(name)))
            QSKIP("the SWF corpus is not beside the sources");
        FrameCanvas canvas;
        const QSize size = player.movie()->stageSize();
        for (int tick = 1; tick <= qMin(player.totalFrames() + 2, 60); ++tick) {
            // Pixels kept from an earlier frame are a level of rounding off
            // those drawn in place, which a blend mode may double.
            QVERIFY2(largestDifference(
                         canvas.paint(player, size, 1, windowQuality()), drawnWhole(player, size, windowQuality()))
                    <= 2,
                qPrintable(QStringLiteral("%1 tick %2").arg(name).arg(tick)));
            player.tick();
        }
    }
}

void TestSwfCanvas::onlyWhatChangedIsRepainted()
{
    MoviePlayer player;
    QVERIFY(player.loadData(busyMovie(24)));
    player.stop();
    FrameCanvas canvas;
    const QSize size(200, 150);
    canvas.paint(player, size, 1, windowQuality());
    QCOMPARE(canvas.repainted(), QRegion(0, 0, 200, 150));

    // Stopped, only the sprite runs: the old and new place of what moves
    // in it are repainted, not what stays put.
    player.tick();
    canvas.paint(player, size, 1, windowQuality());
    const QRect moved = canvas.repainted().boundingRect();
    QVERIFY(!moved.isEmpty());
    QVERIFY2(moved.bottom() < 100, "the sprite's still part repainted");

    // Nothing changed: nothing repainted, and the picture is kept.
    const QImage before = canvas.paint(player, size, 1, windowQuality()).copy();
    QVERIFY(canvas.repainted().isEmpty());
    QCOMPARE(canvas.paint(player, size, 1, windowQuality()), before);

    // A new size or quality draws everything again, and so does another movie.
    canvas.paint(player, QSize(100, 75), 1, windowQuality());
    QCOMPARE(canvas.repainted(), QRegion(0, 0, 100, 75));
    canvas.paint(player, QSize(100, 75), 1, RenderOptions { false });
    QCOMPARE(canvas.repainted(), QRegion(0, 0, 100, 75));
    MoviePlayer other;
    QVERIFY(other.loadData(busyMovie(2)));
    canvas.paint(other, QSize(100, 75), 1, RenderOptions { false });
    QCOMPARE(canvas.repainted(), QRegion(0, 0, 100, 75));
}

void TestSwfCanvas::scriptsDrawingAndMaskingAreRepainted()
{
    // Frame by frame a script draws on the main movie and a clip, draws the
    // clip again elsewhere, masks it with another clip and takes the mask
    // away.
    std::vector<swftest::Actions> frames(4);
    frames[0].makeClip("_root", "c", 1).makeClip("_root", "m", 2);
    frames[0].fillSquare("_root", 0x404040, 0, 0, 30).fillSquare("c", 0xFF0000, 10, 10, 40);
    frames[0].fillSquare("m", 0x0000FF, 60, 60, 30);
    frames[1].call("c", "clear", {}).fillSquare("c", 0xFF0000, 50, 40, 40);
    frames[2].push("m").op(0x1C).callWithPushed("c", "setMask");
    frames[3].pushNull().callWithPushed("c", "setMask");
    swftest::Movie m(8, 100, 100, 12);
    m.background(Qt::white);
    for (const swftest::Actions &frame : frames)
        m.doAction(frame.code()).showFrame();
    m.stopAction().showFrame();
    MoviePlayer player;
    QVERIFY(player.loadData(m.fws()));
    FrameCanvas canvas;
    const QSize size(100, 100);
    for (int frame = 1; frame <= 5; ++frame) {
        const QImage &painted = canvas.paint(player, size, 1, windowQuality());
        QVERIFY2(largestDifference(painted, drawnWhole(player, size, windowQuality())) <= 2,
            qPrintable(QStringLiteral("frame %1").arg(frame)));
        if (frame > 1 && frame < 5)
            QVERIFY2(!canvas.repainted().isEmpty(), qPrintable(QStringLiteral("frame %1").arg(frame)));
        player.tick();
    }
}

QTEST_GUILESS_MAIN(TestSwfCanvas)
#include "tst_swfcanvas.moc"
