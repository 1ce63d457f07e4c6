// The keyboard reaching a movie: typing into input fields, their caret and
// selection, and Tab, Enter and Space going round and pressing the movie's
// buttons and clips.

#include "playedmovie.h"
#include "swf/tracerun.h"

#include <QFile>
#include <QTest>

using namespace sky::swf;
using namespace swftest;
using namespace Qt::StringLiterals;

namespace {

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

} // namespace

class TestSwfKeyboard : public QObject {
    Q_OBJECT

private Q_SLOTS:
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

        // Indexes are 32-bit numbers and may be negative; -1 is none. A
        // field takes any value as a number and reads back unsigned; a
        // button or clip takes what is no number as the lowest. A clip
        // with an index is visited without any handler of its own.
        Actions wrapped;
        wrapped.makeClip("_root", "plain", 20);
        wrapped.fillSquare("plain", 0x00FF00, 250, 150, 20);
        wrapped.push("f").op(0x1C).push("tabIndex").push("4294967293").op(0x4F);
        wrapped.push("c").op(0x1C).push("tabIndex").push("x").op(0x4F);
        for (const auto &[name, index] : {std::pair("b1", -2), std::pair("plain", 0), std::pair("b2", -1)})
            wrapped.push(name).op(0x1C).push("tabIndex").push(index).op(0x4F);
        for (const char *name : {"f", "b1", "b2", "c"})
            wrapped.push(name).op(0x1C).push("tabIndex").op(0x4E).op(0x26);
        Played r(tabMovie(wrapped));
        QCOMPARE(r.take(), (QStringList{u"4294967293"_s, u"-2"_s, u"undefined"_s, u"-2147483648"_s, u"_level0.c"_s}));
        QCOMPARE(r.tabbed(4), (QStringList{u"_level0.f"_s, u"_level0.b1"_s, u"_level0.plain"_s, u"_level0.c"_s}));
    }

    void tabByPlaceGoesAlongFallingLinesAndSkipsObjectsOnTheSameLine()
    {
        // Top left corners at (100, 50), (0, 60) and, on the line of the
        // first, (94, 51): one step down weighs six across. A handler
        // that is there, even undefined, makes a clip a stop.
        swftest::Movie m(6, 300, 200);
        Actions a;
        int depth = 1;
        for (const auto &[name, x, y] : {std::tuple("right", 100, 50), std::tuple("left", 0, 60),
                                         std::tuple("same", 94, 51)}) {
            a.makeClip("_root", name, depth++);
            a.fillSquare(name, 0x0000FF, x, y, 10);
            a.push(name).op(0x1C).push("onRelease").op(0x96, QByteArray(1, 3)).op(0x4F);
        }
        m.doAction(a.code()).showFrame();
        Played p(m);
        QCOMPARE(p.tabbed(3), (QStringList{u"_level0.left"_s, u"_level0.right"_s, u"_level0.left"_s}));
    }

    void scriptsHiddenAndRemovedObjectsMoveTheFocusAsInFlashPlayer()
    {
        const auto traceOf = [](const QByteArray &text) { return Actions().push(text).op(0x26); };
        const auto getFocus = [] { return Actions().push(0).push("Selection").op(0x1C).push("getFocus").op(0x52).op(0x26); };
        // A clip with neither mouse handlers nor a true focusEnabled takes
        // no focus from a script. Only the focused clip hears its key
        // methods, and a focus set by a script rolls over after it.
        Actions more;
        more.makeClip("_root", "e", 30);
        more.fillSquare("e", 0x00FF00, 250, 100, 20);
        more.push("e").op(0x1C).push(1).push("Selection").op(0x1C).push("setFocus").op(0x52).op(0x26);
        more.push("e").op(0x1C).push("focusEnabled").push(1).op(0x4F);
        more.push("e").op(0x1C).push(1).push("Selection").op(0x1C).push("setFocus").op(0x52).op(0x26);
        more.push("c").op(0x1C).push("onRollOver").function(traceOf("over")).op(0x4F);
        more.push("c").op(0x1C).push("onKeyDown").function(traceOf("c key")).op(0x4F);
        more.push("e").op(0x1C).push("onKeyDown").function(traceOf("e key")).op(0x4F);
        swftest::Movie m = tabMovie(more);
        // Frame 2 hides c; frame 3 listens, focuses e and removes it.
        m.doAction(Actions().push("c").push(7).push(0).op(0x23).then(getFocus()).code()).showFrame();
        Actions removal;
        Actions heard;
        heard.push("heard ").push("arguments").op(0x1C).push(1).op(0x4E).op(0x47).op(0x26);
        removal.listen("Selection", "l", "onSetFocus", heard);
        removal.push("e").callWithPushed("Selection", "setFocus");
        removal.push(0).push("e").op(0x1C).push("removeMovieClip").op(0x52).op(0x17);
        m.doAction(removal.then(getFocus()).code()).showFrame();

        Played p(m);
        QCOMPARE(p.take(), (QStringList{u"false"_s, u"true"_s, u"_level0.c"_s, u"over"_s}));
        p.key(65);
        QCOMPARE(p.take(), QStringList{u"c key"_s});
        // The pointer's move takes the frame, and the keys, away.
        p.move(5, 5);
        p.key(65);
        QVERIFY(p.take().isEmpty());
        p.player.tick();
        QCOMPARE(p.take(), QStringList{u"null"_s});
        p.player.tick();
        QCOMPARE(p.take(), (QStringList{u"heard _level0.e"_s, u"heard null"_s, u"null"_s}));
    }

    void thePointerTakesTheFocusFromFieldsButGivesItOnlyToSelectableOnes()
    {
        // A press on a clip takes the focus from the field clicked before.
        Played p(tabMovie({}));
        p.take();
        p.click(160, 15);
        QCOMPARE(p.focused(), u"_level0.f"_s);
        p.click(30, 70);
        QCOMPARE(p.focused(), QString());
        // A click on a field that cannot be selected is a click on nothing.
        Played q(tabMovie(Actions().push("f").op(0x1C).push("selectable").push(0).op(0x4F)));
        q.take();
        q.click(160, 15);
        QCOMPARE(q.focused(), QString());
    }

    void focusRectIsTheMoviesBeforeSwf6AndTheObjectsOwnAfter()
    {
        const auto played = [](int version) {
            swftest::Movie m(version, 100, 100);
            m.tag(37, swftest::Bits().u16(20).rect(QRect(0, 0, 2000, 400)).u8(0).u8(0).bytes("v").u8(0).data());
            m.sprite(30, swftest::Movie(version, 1, 1).showFrame());
            m.placeNamed(1, 20, "t");
            m.placeNamed(2, 30, "c");
            Actions a;
            for (const char *target : {"c", "t", "_root"})
                a.push(target).push(17).op(0x22).op(0x26);
            a.push("c").push(17).push("x").op(0x23);
            a.push("_root").push(17).push("0").op(0x23);
            for (const char *target : {"c", "_root"})
                a.push(target).push(17).op(0x22).op(0x26);
            a.push("Object").op(0x1C).push("prototype").op(0x4E).push("hasOwnProperty").op(0x4E).op(0x44).op(0x26);
            m.doAction(a.code()).showFrame();
            Played p(m);
            return p.take();
        };
        // SWF 5: one number for the whole movie, which a text that is no
        // number leaves alone; text fields answer too; no hasOwnProperty.
        QCOMPARE(played(5), (QStringList{u"1"_s, u"1"_s, u"1"_s, u"0"_s, u"0"_s, u"undefined"_s}));
        // SWF 7: null until an object has one of its own, taken as a
        // boolean; the root's is the movie's.
        QCOMPARE(played(7), (QStringList{u"null"_s, u"null"_s, u"true"_s, u"true"_s, u"false"_s, u"function"_s}));
    }

    void recordedKeysNameCharactersAndEitherShift()
    {
        // The recordings name a character's key as {"Char": "a"} and the
        // left and right Shift keys apart.
        Actions heard;
        heard.push(0).push("Key").op(0x1C).push("getCode").op(0x52).op(0x26);
        heard.push(16).push(1).push("Key").op(0x1C).push("isDown").op(0x52).op(0x26);
        swftest::Movie m(6, 100, 100);
        m.doAction(Actions().listen("Key", "l", "onKeyDown", heard).code()).showFrame();
        QCOMPARE(tracedWithRecording(m, R"([{"type": "KeyDown", "key": {"Char": "a"}},
            {"type": "KeyDown", "key": "RightShift"}, {"type": "KeyUp", "key": "RightShift"},
            {"type": "KeyDown", "key": "LeftShift"}])"),
                 (QStringList{u"65"_s, u"false"_s, u"16"_s, u"true"_s, u"16"_s, u"true"_s}));

        // The system's paste, after the recording filled the clipboard,
        // types into the focused field; the wheel's lines reach Mouse;
        // what comes with keys of its own, or is not typed yet, does
        // nothing more.
        Actions wheel;
        wheel.push("arguments").op(0x1C).push(0).op(0x4E).op(0x26);
        wheel.push("t").op(0x1C).push("text").op(0x4E).op(0x26);
        Actions b;
        b.push(20).push(100).push(0).push(0).push(1).push("t").push(6).push("_root").op(0x1C);
        b.push("createTextField").op(0x52).op(0x17);
        b.push("t").op(0x1C).push("type").push("input").op(0x4F);
        b.push("t").callWithPushed("Selection", "setFocus");
        b.listen("Mouse", "w", "onMouseWheel", wheel);
        swftest::Movie field(6, 100, 100);
        field.doAction(b.code()).showFrame();
        QCOMPARE(tracedWithRecording(field, R"([{"type": "SetClipboardText", "text": "xy"},
            {"type": "TextControl", "code": "Paste"}, {"type": "TextControl", "code": "Paste"},
            {"type": "TextControl", "code": "Enter"}, {"type": "ImePreedit", "text": "q", "cursor": [1, 1]},
            {"type": "MouseWheel", "lines": -1}])"),
                 (QStringList{u"-1"_s, u"xyxy"_s}));
    }

    void everyKeyAndButtonTogglesAsItIsPressed()
    {
        // Key.isToggled of Caps Lock, of A and of the mouse's left button,
        // traced as keys go down.
        Actions heard;
        for (const int code : {20, 65, 1})
            heard.push(code).push(1).push("Key").op(0x1C).push("isToggled").op(0x52).op(0x26);
        swftest::Movie m(6, 100, 100);
        m.doAction(Actions().listen("Key", "l", "onKeyDown", heard).code()).showFrame();
        QCOMPARE(tracedWithRecording(m, R"([{"type": "KeyDown", "key": {"Char": "a"}},
            {"type": "MouseDown", "pos": [10, 10], "btn": "Left"}, {"type": "KeyDown", "key": "CapsLock"},
            {"type": "MouseUp", "pos": [10, 10], "btn": "Left"}, {"type": "KeyUp", "key": "CapsLock"},
            {"type": "KeyDown", "key": "CapsLock"}, {"type": "MouseDown", "pos": [10, 10], "btn": "Left"},
            {"type": "KeyDown", "key": {"Char": "b"}}])"),
                 (QStringList{u"false"_s, u"true"_s, u"false"_s, u"true"_s, u"true"_s, u"true"_s, u"false"_s,
                              u"true"_s, u"true"_s, u"false"_s, u"true"_s, u"false"_s}));
    }

    void arrowsMoveTheFramedFocusToTheNearestObjectThatWay()
    {
        Played p(tabMovie({}));
        const auto arrow = [&p](int code) {
            p.key(code);
            return p.focused();
        };
        // From c: b1 straight to the right, b2 below b1 though not
        // straight below it, c straight above b2; nothing left of c.
        QCOMPARE(arrow(39), u"_level0.b1"_s);
        QCOMPARE(arrow(40), u"_level0.b2"_s);
        QCOMPARE(arrow(38), u"_level0.c"_s);
        QCOMPARE(arrow(37), u"_level0.c"_s);
        // Once the pointer has taken the frame away, they move nothing.
        p.move(5, 5);
        QCOMPARE(arrow(39), u"_level0.c"_s);
    }

    void enterAndSpacePressTheButtonTabFocusedWithinItsFrame()
    {
        const QColor yellow(255, 255, 0);
        Played p(buttonMovie());
        p.key(9, 9);
        QCOMPARE(p.take(), QStringList{u"rollOver"_s});
        // A yellow frame three pixels wide inside its bounds, over it in
        // its over state, on pictures of frames too.
        QCOMPARE(QColor(p.editing(true).pixel(52, 52)), yellow);
        QCOMPARE(QColor(p.editing(true).pixel(53, 53)), QColor(Qt::green));
        QCOMPARE(QColor(p.pixel(52, 52)), yellow);
        // Space presses it; Enter is the button's own key press action's,
        // which comes first.
        p.key(13, 13);
        p.key(32, 32);
        QCOMPARE(p.take(), (QStringList{u"Enter"_s, u"press"_s, u"release"_s}));
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

    void theFocusFrameShowsWhereAndWhileFlashPlayerShowsIt()
    {
        const QColor yellow(255, 255, 0);
        // Before SWF 9 the pointer's moving takes the frame away, the
        // focus staying; from SWF 9 on it does not.
        Played p(buttonMovie());
        p.key(9, 9);
        p.move(5, 5);
        QCOMPARE(QColor(p.pixel(52, 52)), QColor(Qt::green));
        QCOMPARE(p.focused(), u"_level0.instance1"_s);
        Played nine(buttonMovie(false, 9));
        nine.key(9, 9);
        nine.move(5, 5);
        QCOMPARE(QColor(nine.pixel(52, 52)), yellow);

        // A clip with nothing drawn as the Tab reaches it is not framed,
        // not even once something is drawn in it.
        swftest::Movie late(6, 200, 200);
        Actions empty;
        empty.makeClip("_root", "e", 1);
        empty.push("e").op(0x1C).push("tabEnabled").push(1).op(0x4F);
        late.doAction(empty.code()).showFrame();
        Actions drawn;
        drawn.fillSquare("e", 0x0000FF, 50, 50, 100);
        late.doAction(drawn.op(0x07).code()).showFrame();
        Played lateDrawn(late);
        lateDrawn.key(9, 9);
        QCOMPARE(lateDrawn.focused(), u"_level0.e"_s);
        lateDrawn.player.tick();
        QCOMPARE(QColor(lateDrawn.pixel(51, 51)), QColor(Qt::blue));

        // A button is framed at its hit area, not at what it shows.
        swftest::Movie hitOnly(6, 200, 200);
        const QRect big(0, 0, 2000, 2000), small(0, 0, 400, 400);
        hitOnly.shape(1, 1, big, {swftest::solidFill(Qt::red, false)}, {}, swftest::Edges().rect(big, 1).end());
        hitOnly.shape(2, 1, small, {swftest::solidFill(Qt::black, false)}, {}, swftest::Edges().rect(small, 1).end());
        hitOnly.button(3, {{1, 1, 1 | 2 | 4}, {2, 2, 8, 800, 800}}, {});
        hitOnly.place(1, 3, 1000, 1000).showFrame();
        Played hitFramed(hitOnly);
        hitFramed.key(9, 9);
        QCOMPARE(QColor(hitFramed.pixel(90, 90)), yellow);
        QCOMPARE(QColor(hitFramed.pixel(92, 109)), yellow);
        QCOMPARE(QColor(hitFramed.pixel(93, 93)), QColor(Qt::red));
        QCOMPARE(QColor(hitFramed.pixel(51, 51)), QColor(Qt::red));
    }

    void enterRunsTheButtonsKeyAction()
    {
        Played p(buttonMovie());
        p.player.input([](ScriptRuntime &s) { s.keyDown(13, 13); });
        p.player.input([](ScriptRuntime &s) { s.keyUp(13, 13); });
        p.player.input([](ScriptRuntime &s) { s.keyDown('A', 'a'); });
        QCOMPARE(p.take(), QStringList{u"Enter"_s});
        // A hidden button waits for no key.
        swftest::Movie m = buttonMovie();
        m.doAction(Actions().push("instance1").push(7).push(0).op(0x23).code()).showFrame();
        Played hidden(m);
        hidden.player.tick();
        hidden.key(13, 13);
        QVERIFY(hidden.take().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestSwfKeyboard)
#include "tst_swfkeyboard.moc"
