// A clip's drawing methods: fills close where they began, clear takes
// everything back, and what a clip draws lies below its children; and what
// scripts set of how clips are drawn: masks, scroll rects and backgrounds.

#include "swf/movieplayer.h"
#include "swfwriter.h"

#include <QTest>

using namespace sky::swf;
using swftest::Actions;

namespace {

const QColor red(255, 0, 0);
const QColor blue(0, 0, 255);

// A red square over the whole stage in clip "c", a blue one in "m" from
// (20, 20) to (40, 40) above it.
Actions redUnderBlue()
{
    Actions a;
    a.makeClip("_root", "c", 1);
    a.makeClip("_root", "m", 2);
    a.fillSquare("c", 0xFF0000, 0, 0, 100);
    a.fillSquare("m", 0x0000FF, 20, 20, 20);
    return a;
}

QImage drawn(const Actions &script)
{
    swftest::Movie m(8, 100, 100, 12);
    m.background(Qt::white);
    m.doAction(script.code()).showFrame();
    MoviePlayer player;
    if (!player.loadData(m.fws()))
        return {};
    return player.renderFrame();
}

} // namespace

class TestSwfDrawingApi : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void endFillClosesTheOutlineWithALine();
    void clearTakesBackDrawingAndLineStyle();
    void drawingLiesBelowTheClipsChildren();
    void drawingOnTheMainMovieLiesBelowItsClips();
    void aFillLeftOpenIsDrawnClosedWithItsLine();

    void aMaskShowsTheClipOnlyUnderItAndNotItself();
    void aMaskGivenByTargetPathMasks();
    void aTargetNamingNoClipKeepsTheMask();
    void nullTakesTheMaskAway();
    void removingTheMaskUnmasksTheClip();
    void aScrollRectShowsPartOfTheClipAtItsOrigin();
    void anOpaqueBackgroundFillsTheClipsBounds();
};

void TestSwfDrawingApi::endFillClosesTheOutlineWithALine()
{
    Actions script;
    script.makeClip("_root", "c", 1);
    script.call("c", "lineStyle", {6, 0x000000, 100});
    script.call("c", "moveTo", {10, 10});
    script.call("c", "beginFill", {0xFF0000, 100});
    script.call("c", "lineTo", {90, 10});
    script.call("c", "lineTo", {90, 90});
    script.call("c", "endFill", {});
    const QImage frame = drawn(script);
    QCOMPARE(frame.pixelColor(75, 25), red);
    QCOMPARE(frame.pixelColor(25, 75), QColor(Qt::white));
    QCOMPARE(frame.pixelColor(90, 50), QColor(Qt::black)); // a line drawn
    QCOMPARE(frame.pixelColor(50, 50), QColor(Qt::black)); // and the closing edge
}

void TestSwfDrawingApi::clearTakesBackDrawingAndLineStyle()
{
    Actions script;
    script.makeClip("_root", "c", 1);
    script.call("c", "lineStyle", {10, 0x0000FF, 100});
    script.call("c", "moveTo", {0, 50});
    script.call("c", "lineTo", {100, 50});
    script.call("c", "clear", {});
    script.call("c", "moveTo", {50, 0});
    script.call("c", "lineTo", {50, 100});
    const QImage frame = drawn(script);
    QCOMPARE(frame.pixelColor(20, 50), QColor(Qt::white));
    QCOMPARE(frame.pixelColor(50, 20), QColor(Qt::white));
}

void TestSwfDrawingApi::drawingLiesBelowTheClipsChildren()
{
    Actions script;
    script.makeClip("_root", "c", 1);
    script.makeClip("c", "k", 1);
    for (const auto &[path, colour] : {std::pair<QByteArray, int>{"c.k", 0x0000FF}, {"c", 0xFF0000}})
        script.fillSquare(path, colour, 20, 20, 60);
    QCOMPARE(drawn(script).pixelColor(50, 50), blue);
}

void TestSwfDrawingApi::drawingOnTheMainMovieLiesBelowItsClips()
{
    Actions script;
    script.makeClip("_root", "c", 1);
    script.fillSquare("c", 0x0000FF, 20, 20, 20);
    script.fillSquare("_root", 0xFF0000, 0, 0, 100);
    const QImage frame = drawn(script);
    QCOMPARE(frame.pixelColor(70, 70), red);
    QCOMPARE(frame.pixelColor(30, 30), blue);
}

void TestSwfDrawingApi::aFillLeftOpenIsDrawnClosedWithItsLine()
{
    Actions script;
    script.makeClip("_root", "c", 1);
    script.call("c", "beginFill", {0xFF0000, 100});
    script.call("c", "lineStyle", {4, 0x000000, 100});
    script.call("c", "moveTo", {10, 10});
    script.call("c", "lineTo", {90, 10});
    script.call("c", "lineTo", {90, 90});
    const QImage frame = drawn(script);
    QCOMPARE(frame.pixelColor(75, 25), red);
    QCOMPARE(frame.pixelColor(50, 50), QColor(Qt::black));
}

void TestSwfDrawingApi::aMaskShowsTheClipOnlyUnderItAndNotItself()
{
    Actions script = redUnderBlue();
    script.push("m").op(0x1C);
    script.callWithPushed("c", "setMask");
    const QImage frame = drawn(script);
    QCOMPARE(frame.pixelColor(30, 30), red);
    QCOMPARE(frame.pixelColor(70, 70), QColor(Qt::white));
    QCOMPARE(frame.pixelColor(10, 10), QColor(Qt::white));
}

void TestSwfDrawingApi::aMaskGivenByTargetPathMasks()
{
    Actions script = redUnderBlue();
    script.push("_root.m");
    script.callWithPushed("c", "setMask");
    const QImage frame = drawn(script);
    QCOMPARE(frame.pixelColor(30, 30), red);
    QCOMPARE(frame.pixelColor(70, 70), QColor(Qt::white));
}

void TestSwfDrawingApi::aTargetNamingNoClipKeepsTheMask()
{
    Actions script = redUnderBlue();
    script.push("m").op(0x1C);
    script.callWithPushed("c", "setMask");
    script.push("nothing");
    script.callWithPushed("c", "setMask");
    const QImage frame = drawn(script);
    QCOMPARE(frame.pixelColor(30, 30), red);
    QCOMPARE(frame.pixelColor(70, 70), QColor(Qt::white));
}

void TestSwfDrawingApi::nullTakesTheMaskAway()
{
    Actions script = redUnderBlue();
    script.push("m").op(0x1C);
    script.callWithPushed("c", "setMask");
    script.pushNull();
    script.callWithPushed("c", "setMask");
    const QImage frame = drawn(script);
    QCOMPARE(frame.pixelColor(30, 30), blue);
    QCOMPARE(frame.pixelColor(70, 70), red);
}

void TestSwfDrawingApi::removingTheMaskUnmasksTheClip()
{
    Actions script = redUnderBlue();
    script.push("m").op(0x1C);
    script.callWithPushed("c", "setMask");
    script.call("m", "removeMovieClip", {});
    const QImage frame = drawn(script);
    QCOMPARE(frame.pixelColor(30, 30), red);
    QCOMPARE(frame.pixelColor(70, 70), red);
}

void TestSwfDrawingApi::aScrollRectShowsPartOfTheClipAtItsOrigin()
{
    Actions script;
    script.makeClip("_root", "c", 1);
    script.fillSquare("c", 0xFF0000, 50, 50, 40);
    // c.scrollRect = new flash.geom.Rectangle(40, 40, 30, 30)
    script.push("c").op(0x1C).push("scrollRect");
    script.push(30).push(30).push(40).push(40).push(4);
    script.push("flash").op(0x1C).push("geom").op(0x4E).push("Rectangle").op(0x53).op(0x4F);
    const QImage frame = drawn(script);
    QCOMPARE(frame.pixelColor(5, 5), QColor(Qt::white)); // (45, 45) of the clip
    QCOMPARE(frame.pixelColor(20, 20), red);
    QCOMPARE(frame.pixelColor(35, 35), QColor(Qt::white)); // past the rectangle
    QCOMPARE(frame.pixelColor(60, 60), QColor(Qt::white));
}

void TestSwfDrawingApi::anOpaqueBackgroundFillsTheClipsBounds()
{
    Actions script;
    script.makeClip("_root", "c", 1);
    script.call("c", "lineStyle", {2, 0xFF0000, 100});
    script.call("c", "moveTo", {20, 20});
    script.call("c", "lineTo", {80, 80});
    script.push("c").op(0x1C).push("opaqueBackground").push(0x00FF00).op(0x4F);
    const QImage frame = drawn(script);
    QCOMPARE(frame.pixelColor(70, 30), QColor(0, 255, 0));
    QCOMPARE(frame.pixelColor(50, 50), red);
    QCOMPARE(frame.pixelColor(90, 90), QColor(Qt::white));
}

QTEST_GUILESS_MAIN(TestSwfDrawingApi)
#include "tst_swfdrawingapi.moc"
