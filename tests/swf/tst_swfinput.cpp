// Buttons and the mouse and keyboard reaching a movie: the events a person
// sets off by pointing, pressing and typing, and what the movie's buttons
// and scripts do with them.

#include "swf/movieplayer.h"
#include "swf/tracerun.h"
#include "swfwriter.h"

#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

using namespace sky::swf;
using swftest::Actions;
using swftest::Edges;
using namespace Qt::StringLiterals;

namespace {

// Condition bits of DefineButton2 actions.
enum : int {
    rollOver = 0x1,
    rollOut = 0x2,
    press = 0x4,
    release = 0x8,
    dragOut = 0x10,
    dragOver = 0x20,
    releaseOutside = 0x40,
};


// A 200 x 200 pixel stage with the writer's square button at (50, 50),
// whose actions trace its state changes and Enter.
swftest::Movie buttonMovie(bool trackAsMenu = false)
{
    swftest::Movie m(6, 200, 200);
    const auto say = [](const char *text) { return swftest::Actions().push(text).op(0x26).code(); };
    m.squareButton(10, 1,
                   {{rollOver, say("rollOver")},
                    {rollOut, say("rollOut")},
                    {press, say("press")},
                    {release, say("release")},
                    {dragOut, say("dragOut")},
                    {dragOver, say("dragOver")},
                    {releaseOutside, say("releaseOutside")},
                    {13 << 9, say("Enter")}},
                   trackAsMenu);
    m.place(1, 10, 1000, 1000);
    m.showFrame();
    return m;
}

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
    a.push("l").push(0).op(0x43).op(0x1D);
    a.push("l").op(0x1C).push("onMouseWheel").function(traceArguments).op(0x4F);
    a.push("l").op(0x1C).push(1).push("Mouse").op(0x1C).push("addListener").op(0x52).op(0x17);
    swftest::Movie m(6, 200, 200);
    m.doAction(a.code()).showFrame();
    return m;
}

// A 300 x 200 stage: an input field "f" at (150, 10) and a dynamic one at
// the origin; the writer's square buttons "b1" at (200, 60), "b2" at (20,
// 150) and "b3" at (20, 10), which leaves the tab order, and one inside
// clip "holder" at (100, 150), whose children leave it; clip "c" drawn at
// (20, 60) with an onRelease. Frame 1 runs `more`, gives c the focus and
// traces Selection.getFocus().
swftest::Movie tabMovie(const Actions &more)
{
    swftest::Movie m(6, 300, 200);
    m.squareButton(10, 1, {});
    m.tag(37, swftest::Bits().u16(20).rect(QRect(0, 0, 2000, 400)).u8(0).u8(0).bytes("v").u8(0).data());
    m.tag(37, swftest::Bits().u16(21).rect(QRect(0, 0, 2000, 400)).u8(0x08).u8(0).bytes("w").u8(0).data());
    m.sprite(30, swftest::Movie(6, 1, 1).place(1, 10).showFrame());
    m.placeNamed(1, 20, "f", 3000, 200);
    m.placeNamed(2, 10, "b1", 4000, 1200);
    m.placeNamed(3, 10, "b2", 400, 3000);
    m.placeNamed(4, 10, "b3", 400, 200);
    m.placeNamed(5, 30, "holder", 2000, 3000);
    m.placeNamed(6, 21, "d");
    Actions a;
    a.makeClip("_root", "c", 10);
    a.fillSquare("c", 0xFF00FF, 20, 60, 40);
    a.push("c").op(0x1C).push("onRelease").function(Actions()).op(0x4F);
    a.push("b3").op(0x1C).push("tabEnabled").push(0).op(0x4F);
    a.push("holder").op(0x1C).push("tabChildren").push(0).op(0x4F);
    a.then(more);
    a.push("c").callWithPushed("Selection", "setFocus");
    a.push(0).push("Selection").op(0x1C).push("getFocus").op(0x52).op(0x26);
    m.doAction(a.code()).showFrame();
    return m;
}

struct Played {
    MoviePlayer player;
    QStringList traced;

    explicit Played(const swftest::Movie &movie)
    {
        player.setTraceSink([this](const QString &line) { traced << line; });
        QVERIFY(player.loadData(movie.fws()));
    }
    QStringList take() { return std::exchange(traced, {}); }
    void move(double x, double y) { player.input([&](ScriptRuntime &s) { s.mouseMove({x, y}); }); }
    void press(double x, double y) { player.input([&](ScriptRuntime &s) { s.mouseDown({x, y}); }); }
    void lift(double x, double y) { player.input([&](ScriptRuntime &s) { s.mouseUp({x, y}); }); }
    bool hand() { return player.scripts()->handCursor(); }
    QRgb pixel(int x, int y) { return player.renderFrame().pixel(x, y); }
    void key(int code, int character = 0)
    {
        player.input([&](ScriptRuntime &s) { s.keyDown(code, character); });
        player.input([&](ScriptRuntime &s) { s.keyUp(code, character); });
    }
    // A key pressed while `held` (Shift 16, Control 17) is down.
    void chord(int held, int code)
    {
        player.input([&](ScriptRuntime &s) { s.keyDown(held, 0); });
        key(code);
        player.input([&](ScriptRuntime &s) { s.keyUp(held, 0); });
    }
    void click(double x, double y)
    {
        press(x, y);
        lift(x, y);
    }
    std::pair<int, int> selection() { return player.scripts()->fieldSelection(); }
    // The target path of what has the keyboard's focus.
    QString focused()
    {
        const int handle = player.scripts()->focusedObject();
        return handle ? player.scripts()->clipTarget(handle) : QString();
    }
    // Tab, or Shift+Tab, pressed `times` times: where the focus went each time.
    QStringList tabbed(int times, bool backward = false)
    {
        QStringList visited;
        for (int i = 0; i < times; ++i) {
            backward ? chord(16, 9) : key(9, 9);
            visited << focused();
        }
        return visited;
    }
    void useClipboard(QString &held)
    {
        player.setClipboard({[&held] { return held; }, [&held](const QString &text) { held = text; }});
    }
    // The frame with the focused field's editing drawn over it.
    QImage editing(bool caretShown)
    {
        QImage image = player.renderFrame();
        QPainter painter(&image);
        player.drawEditing(painter, QRectF(image.rect()), caretShown);
        return image;
    }
};

} // namespace

class TestSwfInput : public QObject {
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
        QTemporaryDir dir;
        const QString path = dir.filePath(u"button.swf"_s);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(buttonMovie().fws()) > 0 && file.flush());
        file.close();
        std::vector<InputEvent> events;
        QVERIFY(readInputEvents(R"([{"type": "MouseMove", "pos": [60, 60]},
            {"type": "MouseDown", "pos": [60, 60], "btn": "Middle"},
            {"type": "MouseUp", "pos": [60, 60], "btn": "Middle"},
            {"type": "MouseDown", "pos": [20, 20], "btn": "Right"},
            {"type": "MouseUp", "pos": [20, 20], "btn": "Right"},
            {"type": "MouseDown", "pos": [60, 60], "btn": "Left"},
            {"type": "MouseUp", "pos": [60, 60]}])",
                                events, nullptr));
        // A press elsewhere with another button still moves the pointer.
        QCOMPARE(traceMovie(path, 1, events).lines,
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
        m.squareButton(10, 1, {{rollOver, offAfter("rollOver")}, {rollOut, offAfter("rollOut")},
                               {press, offAfter("press")}, {release, offAfter("release")},
                               {releaseOutside, offAfter("releaseOutside")}});
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

    void keysTypedIntoAClickedInputFieldChangeItsTextAndVariable()
    {
        // An input field "f" of 100 x 20 pixels at the origin, bound to v;
        // its onChanged traces the field's text, v and the focus. The
        // frame's script gives it the text "x".
        Actions changed;
        changed.push("arguments").op(0x1C).push(0).op(0x4E).push("text").op(0x4E).push(" ").op(0x47);
        changed.push("v").op(0x1C).op(0x47).push(" ").op(0x47);
        changed.push(0).push("Selection").op(0x1C).push("getFocus").op(0x52).op(0x47).op(0x26);
        Actions script;
        script.push("f").op(0x1C).push("onChanged").function(changed).op(0x4F);
        script.push("f").op(0x1C).push("text").push("x").op(0x4F).op(0x07);
        swftest::Movie m(6, 200, 100);
        m.tag(37, swftest::Bits().u16(1).rect(QRect(0, 0, 2000, 400)).u8(0).u8(0).bytes("v").u8(0).data());
        m.placeNamed(1, 1, "f");
        m.doAction(script.code()).showFrame();
        Played p(m);
        const auto type = [&p](int code, int character) {
            p.player.input([&](ScriptRuntime &s) { s.keyDown(code, character); });
            p.player.input([&](ScriptRuntime &s) { s.keyUp(code, character); });
        };
        type('H', 'h'); // nothing has the focus yet
        QVERIFY(p.take().isEmpty());
        p.press(50, 10);
        p.lift(50, 10);
        type('H', 'h');
        type('I', 'i');
        type(8, 8);   // backspace
        type(37, 0);  // left, before the h
        type('A', 'a');
        type(13, 13); // a single-line field takes no line break
        QCOMPARE(p.take(), (QStringList{u"xh xh _level0.f"_s, u"xhi xhi _level0.f"_s, u"xh xh _level0.f"_s,
                                        u"xah xah _level0.f"_s}));
        // A click beside the field takes the focus away.
        p.press(150, 80);
        p.lift(150, 80);
        type('B', 'b');
        QVERIFY(p.take().isEmpty());
    }

    void clicksDragsAndKeysPlaceTheCaretAndSelect()
    {
        Played p(swftest::inputFieldMovie());
        QString clipboard;
        p.useClipboard(clipboard);
        // A click puts the caret at the nearest boundary, line by line.
        p.click(46, 30);
        QCOMPARE(p.selection(), std::pair(2, 2));
        p.click(48, 30);
        QCOMPARE(p.selection(), std::pair(3, 3));
        p.click(150, 50);
        QCOMPARE(p.selection(), std::pair(9, 9));
        p.click(5, 5);
        QCOMPARE(p.selection(), std::pair(-1, -1));
        // A drag selects from where it started; Shift extends the selection
        // by click and by arrow, and typing replaces it.
        p.press(23, 30);
        p.move(46, 50);
        p.lift(46, 50);
        QCOMPARE(p.selection(), std::pair(0, 7));
        p.player.input([](ScriptRuntime &s) { s.keyDown(16, 0); });
        p.click(33, 30);
        p.key(39);
        p.player.input([](ScriptRuntime &s) { s.keyUp(16, 0); });
        QCOMPARE(p.selection(), std::pair(0, 2));
        p.chord(16, 40); // down a line
        QCOMPARE(p.selection(), std::pair(0, 7));
        p.key('Z', 'z');
        QCOMPARE(p.selection(), std::pair(1, 1));
        QCOMPARE(p.take(), QStringList{u"zgh"_s});
        // Ctrl+A, C, X and V.
        p.chord(17, 'A');
        QCOMPARE(p.selection(), std::pair(0, 3));
        p.chord(17, 'C');
        QCOMPARE(clipboard, u"zgh"_s);
        p.key(37);
        p.key(39);
        p.chord(16, 39);
        p.chord(17, 'X');
        QCOMPARE(clipboard, u"g"_s);
        clipboard = u"ab\r\ncd"_s;
        p.chord(17, 'V');
        QCOMPARE(p.take(), (QStringList{u"zh"_s, u"zab\rcdh"_s}));
        QCOMPARE(p.selection(), std::pair(6, 6));

        // A password field's characters are never copied out.
        Played secret(swftest::inputFieldMovie(0x30));
        clipboard = u"kept"_s;
        secret.useClipboard(clipboard);
        secret.click(46, 30);
        secret.chord(17, 'A');
        secret.chord(17, 'C');
        secret.chord(17, 'X');
        QCOMPARE(clipboard, u"kept"_s);
        QVERIFY(secret.take().isEmpty());

        // A dynamic field selects by drag and copies, but takes no typing.
        Played shown(swftest::inputFieldMovie(0x28));
        shown.useClipboard(clipboard);
        shown.press(33, 50);
        shown.move(150, 50);
        shown.lift(150, 50);
        QCOMPARE(shown.selection(), std::pair(6, 9));
        shown.chord(17, 'C');
        QCOMPARE(clipboard, u"fgh"_s);
        shown.key('Z', 'z');
        shown.chord(17, 'V');
        QVERIFY(shown.take().isEmpty());
    }

    void theFocusedFieldDrawsItsCaretAndSelection()
    {
        const QRgb blue = qRgb(0, 0, 255), black = qRgb(0, 0, 0), white = qRgb(255, 255, 255);
        Played p(swftest::inputFieldMovie());
        p.click(46, 30); // the caret at boundary 2, x = 42
        // Frames drawn as pictures never show it.
        QCOMPARE(p.pixel(42, 30), white);
        const QImage caret = p.editing(true);
        QCOMPARE(caret.pixel(42, 30), blue);
        QCOMPARE(caret.pixel(42, 22), blue); // the line's height
        QCOMPARE(caret.pixel(42, 41), blue);
        QCOMPARE(caret.pixel(42, 43), white);
        QCOMPARE(caret.pixel(41, 30), white); // one pixel wide
        QCOMPARE(caret.pixel(43, 30), white);
        QCOMPARE(p.editing(false).pixel(42, 30), white); // blinked off

        // A selection: black under it, its characters white.
        p.press(23, 30);
        p.move(43, 30);
        p.lift(43, 30);
        const QImage selected = p.editing(true);
        QCOMPARE(selected.pixel(23, 30), black);
        QCOMPARE(selected.pixel(27, 30), white); // a
        QCOMPARE(selected.pixel(37, 30), white); // b
        QCOMPARE(selected.pixel(47, 30), blue);  // c
        QCOMPARE(selected.pixel(23, 50), white);

        // A new line past the field's bottom scrolls it; the caret goes with it.
        p.click(150, 50);
        p.key(13, 13);
        p.key('Z', 'z');
        QCOMPARE(p.player.scripts()->textField(p.player.scripts()->focusedField())->scroll, 2);
        const QImage scrolled = p.editing(true);
        QCOMPARE(scrolled.pixel(32, 50), blue);
        QCOMPARE(scrolled.pixel(32, 66), white);
        QCOMPARE(scrolled.pixel(27, 30), blue); // e on the first line shown
    }

    void aLineTypedPastTheEdgeScrollsSidewaysWithinTheBox()
    {
        const QRgb blue = qRgb(0, 0, 255), black = qRgb(0, 0, 0), white = qRgb(255, 255, 255);
        Played p(swftest::inputFieldMovie(0, "abcd"));
        p.click(150, 30);
        for (int i = 0; i < 20; ++i)
            p.key('Z', 'z');
        // 24 boxes 10 pixels apart in 196 pixels: the line went 44 pixels
        // left, the caret at the right edge of the text's room.
        const TextField &f = *p.player.scripts()->textField(p.player.scripts()->focusedField());
        QCOMPARE(f.hscroll, 44);
        const QImage typed = p.editing(true);
        QCOMPARE(typed.pixel(218, 30), blue);
        QCOMPARE(typed.pixel(213, 30), blue); // the last box
        // What went past the left edge is cut at the border, which stays.
        QCOMPARE(typed.pixel(12, 30), white);
        QCOMPARE(typed.pixel(20, 30), black);
        QCOMPARE(typed.pixel(22, 30), blue);
        p.chord(17, 'A'); // the selection's black stops there too
        QCOMPARE(p.editing(true).pixel(12, 30), white);
        // Home brings the start back; a box rubbed out at the end leaves
        // no gap at the right.
        p.key(36);
        QCOMPARE(p.pixel(27, 30), blue);
        QCOMPARE(p.pixel(12, 30), white);
        p.key(35);
        p.key(8);
        QCOMPARE(f.hscroll, 34);
        QCOMPARE(p.pixel(213, 30), blue);
    }

    void tabMovesTheFocusByPlaceOrByTabIndex()
    {
        Played p(tabMovie({}));
        QCOMPARE(p.take(), QStringList{u"_level0.c"_s});
        // Top to bottom, left to right, and round.
        QCOMPARE(p.tabbed(4), (QStringList{u"_level0.b1"_s, u"_level0.b2"_s, u"_level0.f"_s, u"_level0.c"_s}));
        QCOMPARE(p.tabbed(2, true), (QStringList{u"_level0.f"_s, u"_level0.b2"_s}));

        // Once anything has a tabIndex, only what has one goes, by it; a
        // button taken out keeps out.
        Actions indexed;
        for (const auto &[name, index] : {std::pair("b2", 1), std::pair("f", 2), std::pair("b3", 0)})
            indexed.push(name).op(0x1C).push("tabIndex").push(index).op(0x4F);
        Played q(tabMovie(indexed));
        QCOMPARE(q.tabbed(3), (QStringList{u"_level0.b2"_s, u"_level0.f"_s, u"_level0.b2"_s}));
    }

    void enterAndSpacePressTheButtonTabFocusedWithinItsFrame()
    {
        const QColor yellow(255, 255, 0);
        Played p(buttonMovie());
        p.key(9, 9);
        QCOMPARE(p.take(), QStringList{u"rollOver"_s});
        // A yellow frame at its bounds, over it in its over state; never on
        // pictures of frames.
        QCOMPARE(QColor(p.editing(true).pixel(50, 50)), yellow);
        QCOMPARE(QColor(p.editing(true).pixel(52, 52)), QColor(Qt::green));
        QCOMPARE(QColor(p.pixel(50, 50)), QColor(Qt::green));
        p.key(13, 13);
        p.key(32, 32);
        QCOMPARE(p.take(), (QStringList{u"press"_s, u"release"_s, u"Enter"_s, u"press"_s, u"release"_s}));
        // A click on nothing takes the focus away.
        p.click(190, 190);
        QCOMPARE(p.take(), QStringList{u"rollOut"_s});
        QCOMPARE(QColor(p.editing(true).pixel(50, 50)), QColor(Qt::red));

        // _focusrect off, no frame.
        swftest::Movie m = buttonMovie();
        m.doAction(Actions().push("_root").push(17).push(0).op(0x23).code()).showFrame();
        Played off(m);
        off.player.tick();
        off.key(9, 9);
        QCOMPARE(QColor(off.editing(true).pixel(50, 50)), QColor(Qt::green));

        // Focused and unfocused objects hear of it, and so does the object
        // as the window loses the keyboard.
        const QString dir = QStringLiteral(SKY_SWF_CORPUS_DIR "/ruffle/avm1__focusrect_focuslost/");
        std::vector<InputEvent> events;
        QVERIFY(readInputFile(dir + u"input.json"_s, events, nullptr));
        QFile expected(dir + u"output.txt"_s);
        QVERIFY(expected.open(QIODevice::ReadOnly));
        QCOMPARE(traceMovie(dir + u"test.swf"_s, 1, events).lines.join(u'\n') + u'\n',
                 QString::fromUtf8(expected.readAll()));
    }

    void enterRunsTheButtonsKeyAction()
    {
        Played p(buttonMovie());
        p.player.input([](ScriptRuntime &s) { s.keyDown(13, 13); });
        p.player.input([](ScriptRuntime &s) { s.keyUp(13, 13); });
        p.player.input([](ScriptRuntime &s) { s.keyDown('A', 'a'); });
        QCOMPARE(p.take(), QStringList{u"Enter"_s});
    }
};

QTEST_GUILESS_MAIN(TestSwfInput)
#include "tst_swfinput.moc"
