// Buttons and clips under the mouse: the events a person sets off by
// pointing and pressing, and what the movie's buttons and scripts do with
// them.

#include "playedmovie.h"

#include <QTest>

using namespace sky::swf;
using namespace swftest;
using namespace Qt::StringLiterals;

namespace {

// A clip drawn by its script as the upper left half of the square from
// (20, 20) to (180, 180), tracing "press" when pressed; frame 1 traces
// hitTest at (150, 150), outside the triangle, and at (50, 50), inside.
// A Mouse listener traces the arguments of onMouseWheel.
swftest::Movie drawnClipMovie()
{
    Actions a;
    a.makeClip("_root", "c", 1);
    a.call("c", "beginFill", {0xFF0000, 100});
    a.call("c", "moveTo", {20, 20});
    a.call("c", "lineTo", {180, 20});
    a.call("c", "lineTo", {20, 180});
    a.call("c", "endFill", {});
    a.push("c").op(0x1C).push("onPress").function(Actions().push("press").op(0x26)).op(0x4F);
    for (const int at : {150, 50})
        a.push(1).push(at).push(at).push(3).push("c").op(0x1C).push("hitTest").op(0x52).op(0x26);
    Actions traceArguments;
    for (const int i : {0, 1})
        traceArguments.push("arguments").op(0x1C).push(i).op(0x4E).op(0x26);
    a.listen("Mouse", "l", "onMouseWheel", traceArguments);
    swftest::Movie m(6, 200, 200);
    m.doAction(a.code()).showFrame();
    return m;
}

} // namespace

class TestSwfPointer : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void clickOnAButtonRunsItsActionsInOrder()
    {
        Played p(buttonMovie());
        p.move(20, 20);
        QVERIFY(!p.hand());
        p.move(60, 60);
        QCOMPARE(p.take(), QStringList{u"rollOver"_s});
        QVERIFY(p.hand());
        p.press(60, 60);
        p.lift(60, 60);
        QCOMPARE(p.take(), (QStringList{u"press"_s, u"release"_s}));
        p.move(20, 20);
        QCOMPARE(p.take(), QStringList{u"rollOut"_s});
        QVERIFY(!p.hand());
    }

    void pressedButtonFollowsThePointerOutAndBack()
    {
        Played p(buttonMovie());
        p.move(60, 60);
        p.press(60, 60);
        p.move(190, 190);
        p.move(60, 60);
        p.move(190, 190);
        p.lift(190, 190);
        QCOMPARE(p.take(), (QStringList{u"rollOver"_s, u"press"_s, u"dragOut"_s, u"dragOver"_s, u"dragOut"_s,
                                        u"releaseOutside"_s}));
        // Pressed elsewhere and brought over, nothing happens to the button.
        p.press(190, 190);
        p.move(60, 60);
        p.lift(60, 60);
        QCOMPARE(p.take(), QStringList{u"rollOver"_s});
    }

    void hitAreaIsTheShapeNotItsBounds()
    {
        Played p(buttonMovie());
        // Inside the square, below the diagonal of the triangle that is
        // the hit area.
        p.move(140, 140);
        QVERIFY(p.take().isEmpty());
        QVERIFY(!p.hand());
        p.move(55, 140);
        QCOMPARE(p.take(), QStringList{u"rollOver"_s});
    }

    void buttonOfAMovedMainMovieIsWhereItShows()
    {
        swftest::Movie m = buttonMovie();
        m.doAction(Actions().push("_root").push(0).push(80).op(0x23).code()).showFrame();
        Played p(m);
        p.player.tick();
        p.move(60, 60);
        QVERIFY(p.take().isEmpty());
        p.move(140, 60);
        QCOMPARE(p.take(), QStringList{u"rollOver"_s});
    }

    void buttonShowsItsStateAndChildren()
    {
        Played p(buttonMovie());
        QCOMPARE(QColor(p.pixel(60, 60)), QColor(Qt::red));
        p.move(60, 60);
        QCOMPARE(QColor(p.pixel(60, 60)), QColor(Qt::green));
        p.press(60, 60);
        QCOMPARE(QColor(p.pixel(60, 60)), QColor(Qt::blue));
        p.lift(60, 60);
        QCOMPARE(QColor(p.pixel(60, 60)), QColor(Qt::green));
        p.move(20, 20);
        QCOMPARE(QColor(p.pixel(60, 60)), QColor(Qt::red));
    }

    void menuButtonsTakeAPressMadeElsewhere()
    {
        Played p(buttonMovie(true));
        p.press(190, 190);
        p.move(60, 60);
        p.lift(60, 60);
        QCOMPARE(p.take(), (QStringList{u"release"_s}));
    }

    void clipsTrackedAsMenusTakeAPressMadeElsewhere()
    {
        // Clip a fills (20, 20)-(60, 60), clip b (120, 20)-(160, 60); only
        // b is set to track as a menu.
        Actions a;
        for (const auto &[name, x] : {std::pair<QByteArray, int>{"a", 20}, {"b", 120}}) {
            a.makeClip("_root", name, x);
            a.fillSquare(name, 0xFF0000, x, 20, 40);
            for (const QByteArray event : {"onDragOver", "onRelease"})
                a.push(name).op(0x1C).push(event).function(Actions().push(name + ' ' + event).op(0x26)).op(0x4F);
        }
        a.push("b").op(0x1C).push("trackAsMenu").push(1).op(0x4F);
        swftest::Movie m(6, 200, 200);
        m.doAction(a.code()).showFrame();
        Played p(m);
        p.press(100, 150);
        p.move(40, 40);
        p.move(140, 40);
        p.lift(140, 40);
        QCOMPARE(p.take(), (QStringList{u"b onDragOver"_s, u"b onRelease"_s}));
    }

    void drawnClipIsHitWhereItsFillIs()
    {
        Played p(drawnClipMovie());
        QCOMPARE(p.take(), (QStringList{u"false"_s, u"true"_s}));
        p.move(150, 150);
        QVERIFY(!p.hand());
        p.press(150, 150);
        p.lift(150, 150);
        QVERIFY(p.take().isEmpty());
        p.move(50, 50);
        QVERIFY(p.hand());
        p.press(50, 50);
        QCOMPARE(p.take(), QStringList{u"press"_s});
    }

    void hitTestTakesPointsInTheCoordinatesOfTheRoot()
    {
        // c fills (20, 20)-(60, 60) and the root moves 100 pixels right.
        Actions a;
        a.makeClip("_root", "c", 1);
        a.fillSquare("c", 0xFF0000, 20, 20, 40);
        a.push("_root").op(0x1C).push("_x").push(100).op(0x4F);
        const auto hitTest = [&a](std::initializer_list<int> args) {
            for (auto it = std::rbegin(args); it != std::rend(args); ++it)
                a.push(*it);
            a.push(int(args.size())).push("c").op(0x1C).push("hitTest").op(0x52).op(0x26);
        };
        hitTest({30, 30});
        hitTest({130, 30});
        // Scaled to nothing it still holds the point it shrank to.
        for (const char *scale : {"_xscale", "_yscale"})
            a.push("c").op(0x1C).push(scale).push(0).op(0x4F);
        hitTest({0, 0});
        // An empty path names no clip to hit.
        a.push("").push(1).push("c").op(0x1C).push("hitTest").op(0x52).op(0x26);
        swftest::Movie m(6, 200, 200);
        m.doAction(a.code()).showFrame();
        Played p(m);
        QCOMPARE(p.take(), (QStringList{u"true"_s, u"false"_s, u"true"_s, u"false"_s}));
    }

    void wheelTellsTheListenersWhatIsUnderThePointer()
    {
        Played p(drawnClipMovie());
        p.take();
        p.move(50, 50);
        p.player.input([](ScriptRuntime &s) { s.mouseWheel(3); });
        QCOMPARE(p.take(), (QStringList{u"3"_s, u"_level0.c"_s}));
        p.move(150, 150);
        p.player.input([](ScriptRuntime &s) { s.mouseWheel(-1); });
        QCOMPARE(p.take(), (QStringList{u"-1"_s, u"undefined"_s}));
    }

    void pointerLeavingTheWindowIsOverNothing()
    {
        Played p(buttonMovie());
        p.move(60, 60);
        p.player.input([](ScriptRuntime &s) { s.mouseLeave(); });
        QCOMPARE(p.take(), (QStringList{u"rollOver"_s, u"rollOut"_s}));
        QVERIFY(!p.hand());
        QCOMPARE(QColor(p.pixel(60, 60)), QColor(Qt::red));
        // Coming back at the same point, and pressed, then held out of the
        // window: the point under it there does not count.
        p.press(60, 60);
        p.player.input([](ScriptRuntime &s) { s.mouseMove({70, 70}, false); });
        p.player.input([](ScriptRuntime &s) { s.mouseUp({70, 70}, false); });
        QCOMPARE(p.take(), (QStringList{u"rollOver"_s, u"press"_s, u"dragOut"_s, u"releaseOutside"_s}));
        QCOMPARE(QColor(p.pixel(60, 60)), QColor(Qt::red));
    }

    void onlyTheLeftButtonPresses()
    {
        // A press elsewhere with another button still moves the pointer.
        QCOMPARE(tracedWithRecording(buttonMovie(), R"([{"type": "MouseMove", "pos": [60, 60]},
            {"type": "MouseDown", "pos": [60, 60], "btn": "Middle"},
            {"type": "MouseUp", "pos": [60, 60], "btn": "Middle"},
            {"type": "MouseDown", "pos": [20, 20], "btn": "Right"},
            {"type": "MouseUp", "pos": [20, 20], "btn": "Right"},
            {"type": "MouseDown", "pos": [60, 60], "btn": "Left"},
            {"type": "MouseUp", "pos": [60, 60]}])"),
                 (QStringList{u"rollOver"_s, u"rollOut"_s, u"rollOver"_s, u"press"_s, u"release"_s}));
    }

    void frameMovingAButtonUnderAStillPointerRollsItOver()
    {
        // The button leaves the pointer at (20, 20) alone on frame 1, is
        // under it on frame 2 and away again on frame 3.
        swftest::Movie m = buttonMovie();
        m.move(1, 0, 0).showFrame().move(1, 1000, 1000).showFrame();
        Played p(m);
        p.move(20, 20);
        QVERIFY(p.take().isEmpty());
        p.player.tick();
        QCOMPARE(p.take(), QStringList{u"rollOver"_s});
        QVERIFY(p.hand());
        p.player.tick();
        QCOMPARE(p.take(), QStringList{u"rollOut"_s});
        // A pointer that never came into the window is over nothing.
        Played away(m);
        away.player.tick();
        QVERIFY(away.take().isEmpty());
    }

    void disabledButtonHoldsItsStateWhileThePointerGoesOn()
    {
        // Button "b" turns itself off when rolled over or pressed; every
        // frame it is on while the middle button is held.
        const auto offAfter = [](const char *text) {
            return Actions().push(text).op(0x26).push("b").op(0x1C).push("enabled").push(0).op(0x4F).code();
        };
        Actions held;
        held.push("b").op(0x1C).push("enabled").push(4).push(1).push("Key").op(0x1C).push("isDown").op(0x52);
        held.op(0x4F);
        swftest::Movie m(6, 200, 200);
        using namespace sky::swf;
        m.squareButton(10, 1, {{idleToOverUp, offAfter("rollOver")}, {overUpToIdle, offAfter("rollOut")},
                               {overUpToOverDown, offAfter("press")}, {overDownToOverUp, offAfter("release")},
                               {outDownToIdle, offAfter("releaseOutside")}});
        m.placeNamed(1, 10, "b", 1000, 1000);
        m.doAction(Actions().push("_root").op(0x1C).push("onEnterFrame").function(held).op(0x4F).code());
        m.showFrame();
        Played p(m);
        const auto tickHoldingMiddle = [&p](bool middle) {
            p.player.input([&](ScriptRuntime &s) { s.otherMouseButton(4, middle); });
            p.player.tick();
            p.player.input([&](ScriptRuntime &s) { s.otherMouseButton(4, false); });
        };
        p.move(60, 60);
        QCOMPARE(p.take(), QStringList{u"rollOver"_s});
        // Off, it is under the pointer no more, but keeps looking rolled
        // over; on again under the still pointer, it does not roll over twice.
        tickHoldingMiddle(false);
        QVERIFY(!p.hand());
        QCOMPARE(QColor(p.pixel(60, 60)), QColor(Qt::green));
        tickHoldingMiddle(true);
        QVERIFY(p.take().isEmpty());
        QVERIFY(p.hand());
        // Pressed, it goes off: the release and the moves are lost on it,
        // and it stays down until it is on again and rolls over.
        p.press(60, 60);
        p.lift(60, 60);
        p.move(190, 190);
        p.move(60, 60);
        QCOMPARE(p.take(), QStringList{u"press"_s});
        QCOMPARE(QColor(p.pixel(60, 60)), QColor(Qt::blue));
        tickHoldingMiddle(true);
        QCOMPARE(p.take(), QStringList{u"rollOver"_s});
        QCOMPARE(QColor(p.pixel(60, 60)), QColor(Qt::green));
    }
};

QTEST_GUILESS_MAIN(TestSwfPointer)
#include "tst_swfpointer.moc"
