#include "flashwindowtest.h"
#include "scriptactions.h"
#include "swf/renderer.h"

#include <QStyleHints>
#include <QtTest>

#include <algorithm>

using namespace sky;
using namespace sky::test;
using namespace Qt::StringLiterals;

namespace {

// A 300 x 200 stage that stops on its first frame, with two of the writer's
// square buttons: "go" at (20, 50) goes to frame 2 when released, "quiet"
// at (170, 50) keeps the arrow pointer. The first frame runs `more` too.
QByteArray buttonsMovie(const swftest::Actions &more = {})
{
    swftest::Movie m(6, 300, 200);
    m.squareButton(10, 1, {{0x8, swftest::Actions().op(0x81, swftest::Bits().u16(1).data()).op(0x07).code()}});
    m.squareButton(11, 5, {});
    m.placeNamed(1, 10, "go", 400, 1000);
    m.placeNamed(2, 11, "quiet", 3400, 1000);
    // quiet.useHandCursor = false; stop();
    m.doAction(swftest::Actions()
                   .push("quiet")
                   .op(0x1c)
                   .push("useHandCursor")
                   .op(0x96, swftest::Bits().u8(5).u8(0).data())
                   .op(0x4f)
                   .then(more)
                   .op(0x07)
                   .code());
    m.showFrame().showFrame();
    return m.fws();
}

// Ten empty frames that stop on the first; a Mouse listener goes to the
// frame numbered as the lines the wheel turned.
QByteArray wheelMovie()
{
    swftest::Movie m(6, 100, 100);
    swftest::Actions goToLines;
    goToLines.push("arguments").op(0x1C).push(0).op(0x4E).op(0x9F, QByteArray(1, 0));
    swftest::Actions a;
    a.op(0x07).push("l").push(0).op(0x43).op(0x1D);
    a.push("l").op(0x1C).push("onMouseWheel").function(goToLines).op(0x4F);
    a.push("l").op(0x1C).push(1).push("Mouse").op(0x1C).push("addListener").op(0x52).op(0x17);
    m.doAction(a.code());
    for (int i = 0; i < 10; ++i)
        m.showFrame();
    return m.fws();
}

// Four empty frames that stop on the first; every frame goes to frame 1,
// plus 1 while the right button is held and 2 while the middle one is.
QByteArray heldButtonsMovie()
{
    swftest::Movie m(6, 100, 100);
    swftest::Actions frameOfButtons;
    const auto isDown = [&frameOfButtons](int key) {
        frameOfButtons.push(key).push(1).push("Key").op(0x1C).push("isDown").op(0x52);
    };
    isDown(4);
    frameOfButtons.push(2).op(0x0C);
    isDown(2);
    frameOfButtons.op(0x47).push(1).op(0x47).op(0x9F, QByteArray(1, 0));
    m.doAction(swftest::Actions().op(0x07).push("_root").op(0x1C).push("onEnterFrame").function(frameOfButtons)
                   .op(0x4F).code());
    for (int i = 0; i < 4; ++i)
        m.showFrame();
    return m.fws();
}

// The pointer left `view` with no button held.
void leave(QWidget *view)
{
    QEvent left(QEvent::Leave);
    QApplication::sendEvent(view, &left);
}

} // namespace

// The mouse and the keyboard in the Flash window: its movies' buttons,
// wheel, input fields and Tab order.
class TestFlashInput : public FlashWindowTest
{
    Q_OBJECT
private Q_SLOTS:
    void buttonsTakeClicksWhereTheyAreDrawn();
    void pointerLeavingAndOtherButtonsPressNothing();
    void scriptsSeeTheRightAndMiddleButtonsHeld();
    void wheelReachesTheMovie();
    void inputFieldsShowABlinkingCaretAndCopy();
    void tabGoesThroughTheMoviesButtonsAndOnToTheWindow();
    void tabPassesOverWhatItCannotVisitAndFramesByEachObjectsFocusrect();
    void doubleAndTripleClicksSelectWordsAndLines();
};

void TestFlashInput::buttonsTakeClicksWhereTheyAreDrawn()
{
    ShockwaveFlash &movie = openMovie(u"buttons.swf"_s, buttonsMovie());
    QVERIFY(!movie.Playing()); // its first frame stopped it
    // Zoomed in and panned a little to the right.
    flash->Check1.setValue(1);
    flash->Command10.MouseDown(1, 0, 0, 0);
    flash->Timer1_Timer();
    flash->Timer1_Timer();
    flash->Command10.MouseUp(1, 0, 0, 0);
    QWidget *view = movie.widget();
    const auto picture = [view] { return view->grab().toImage().convertToFormat(QImage::Format_RGB32); };
    const QRect go = areaOf(picture(), Qt::red) & QRect(0, 0, view->width() / 2, view->height());
    QVERIFY(go.width() > 100);

    // The lower right corner of the square lies outside its hit area.
    const QPoint outside = go.bottomRight() - QPoint(10, 10);
    hover(view, outside);
    QCOMPARE(view->cursor().shape(), Qt::ArrowCursor);
    QTest::mouseClick(view, Qt::LeftButton, {}, outside);
    QCOMPARE(movie.CurrentFrame(), 1);

    const QPoint inside = go.topLeft() + QPoint(10, 10);
    hover(view, inside);
    QCOMPARE(view->cursor().shape(), Qt::PointingHandCursor);
    QCOMPARE(picture().pixelColor(inside), QColor(Qt::green));
    QTest::mousePress(view, Qt::LeftButton, {}, inside);
    QCOMPARE(picture().pixelColor(inside), QColor(Qt::blue));
    QTest::mouseRelease(view, Qt::LeftButton, {}, inside);
    QCOMPARE(movie.CurrentFrame(), 2);
    QVERIFY(!movie.Playing());

    // The other button turns green under the pointer but keeps the arrow.
    const QRect quiet = areaOf(picture(), Qt::red);
    hover(view, quiet.topLeft() + QPoint(10, 10));
    QCOMPARE(picture().pixelColor(quiet.topLeft() + QPoint(10, 10)), QColor(Qt::green));
    QCOMPARE(view->cursor().shape(), Qt::ArrowCursor);

    // The window's own transport still steps the scripted movie.
    flash->Command6_Click();
    QCOMPARE(movie.CurrentFrame(), 1);
}

void TestFlashInput::pointerLeavingAndOtherButtonsPressNothing()
{
    ShockwaveFlash &movie = openMovie(u"buttons.swf"_s, buttonsMovie());
    QWidget *view = movie.widget();
    const auto picture = [view] { return view->grab().toImage().convertToFormat(QImage::Format_RGB32); };
    const auto colourAt = [&picture](const QPoint &p) { return picture().pixelColor(p); };
    const QRect go = areaOf(picture(), Qt::red) & QRect(0, 0, view->width() / 2, view->height());
    const QPoint inside = go.topLeft() + QPoint(10, 10);

    // Over the button and out of the window: it is up again, with the arrow.
    hover(view, inside);
    QCOMPARE(colourAt(inside), QColor(Qt::green));
    leave(view);
    QCOMPARE(colourAt(inside), QColor(Qt::red));
    QCOMPARE(view->cursor().shape(), Qt::ArrowCursor);

    // The middle and right buttons leave the movie's buttons alone.
    hover(view, inside);
    for (const Qt::MouseButton other : {Qt::MiddleButton, Qt::RightButton}) {
        QTest::mousePress(view, other, {}, inside);
        QCOMPARE(colourAt(inside), QColor(Qt::green));
        QTest::mouseRelease(view, other, {}, inside);
    }
    QCOMPARE(movie.CurrentFrame(), 1);

    // Pressed, carried out of the window and let go there: no release.
    QTest::mousePress(view, Qt::LeftButton, {}, inside);
    QCOMPARE(colourAt(inside), QColor(Qt::blue));
    const QPoint outside(view->width() + 20, inside.y());
    hover(view, outside, Qt::LeftButton);
    QCOMPARE(colourAt(inside), QColor(Qt::green));
    QTest::mouseRelease(view, Qt::LeftButton, {}, outside);
    leave(view);
    QCOMPARE(colourAt(inside), QColor(Qt::red));
    QCOMPARE(movie.CurrentFrame(), 1);
}

void TestFlashInput::scriptsSeeTheRightAndMiddleButtonsHeld()
{
    ShockwaveFlash &movie = openMovie(u"held.swf"_s, heldButtonsMovie());
    QWidget *view = movie.widget();
    const QPoint centre = view->rect().center();
    hover(view, centre);
    const auto frameAfter = [&movie](const std::function<void()> &input) {
        input();
        movie.advance();
        return movie.CurrentFrame();
    };
    QCOMPARE(frameAfter([&] { QTest::mousePress(view, Qt::RightButton, {}, centre); }), 2);
    QCOMPARE(frameAfter([&] { QTest::mousePress(view, Qt::MiddleButton, {}, centre); }), 4);
    QCOMPARE(frameAfter([&] { QTest::mouseRelease(view, Qt::RightButton, {}, centre); }), 3);
    QCOMPARE(frameAfter([&] { QTest::mouseRelease(view, Qt::MiddleButton, {}, centre); }), 1);
}

void TestFlashInput::wheelReachesTheMovie()
{
    ShockwaveFlash &movie = openMovie(u"wheel.swf"_s, wheelMovie());
    QCOMPARE(movie.CurrentFrame(), 1);
    QWidget *view = movie.widget();
    const QPoint centre = view->rect().center();
    hover(view, centre);
    QWheelEvent notch(centre, view->mapToGlobal(centre), {}, QPoint(0, 120), Qt::NoButton, {}, Qt::NoScrollPhase,
                      false);
    QApplication::sendEvent(view, &notch);
    QCOMPARE(movie.CurrentFrame(), std::clamp(QApplication::wheelScrollLines(), 1, 10));
}

void TestFlashInput::inputFieldsShowABlinkingCaretAndCopy()
{
    // The test blinks the caret itself.
    QGuiApplication::styleHints()->setCursorFlashTime(0);
    ShockwaveFlash &movie = openMovie(u"field.swf"_s, swftest::inputFieldMovie().fws());
    QWidget *view = movie.widget();
    activate(view->window());
    const QTransform toView = swf::stageTransform(*movie.player().movie(), QRectF(view->rect()));
    const auto at = [&toView](double x, double y) { return toView.map(QPointF(x, y) * 20); };
    const auto shown = [view](const QPointF &p) {
        return view->grab().toImage().pixelColor(int(std::floor(p.x())), int(p.y()));
    };
    // Boundary 2 of the first line lies at x = 42, 4 stage pixels left of
    // the click; the caret is one pixel wide.
    QTest::mouseClick(view, Qt::LeftButton, {}, at(46, 30).toPoint());
    QCOMPARE(movie.player().scripts()->fieldSelection(), std::pair(2, 2));
    QCOMPARE(shown(at(42, 30)), QColor(Qt::blue));
    QCOMPARE(shown(at(42, 30) + QPointF(1, 0)), QColor(Qt::white));
    QCOMPARE(shown(at(42, 30) - QPointF(1, 0)), QColor(Qt::white));
    movie.caretBlinked();
    QCOMPARE(shown(at(42, 30)), QColor(Qt::white));
    movie.caretBlinked();
    QCOMPARE(shown(at(42, 30)), QColor(Qt::blue));
    // Another window active, it is hidden however it blinks; back, it
    // shows at once.
    QWidget other;
    activate(&other);
    QCOMPARE(shown(at(42, 30)), QColor(Qt::white));
    movie.caretBlinked();
    QCOMPARE(shown(at(42, 30)), QColor(Qt::white));
    activate(view->window());
    QCOMPARE(shown(at(42, 30)), QColor(Qt::blue));
    // Off, then a key: shown at once where it went.
    movie.caretBlinked();
    QTest::keyClick(view, Qt::Key_Right);
    QCOMPARE(shown(at(52, 30)), QColor(Qt::blue));

    // Shift and the arrow select; Ctrl+C copies through the clipboard.
    QTest::keyPress(view, Qt::Key_Shift);
    QTest::keyClick(view, Qt::Key_Left, Qt::ShiftModifier);
    QTest::keyClick(view, Qt::Key_Left, Qt::ShiftModifier);
    QTest::keyRelease(view, Qt::Key_Shift);
    QCOMPARE(shown(at(33, 30)), QColor(Qt::black)); // b, selected, lies on black
    QTest::keyPress(view, Qt::Key_Control);
    QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
    QTest::keyRelease(view, Qt::Key_Control);
    QCOMPARE(rig->clipboard.held, u"bc"_s);
    QTest::keyClicks(view, u"z"_s);
    QCOMPARE(movie.player().scripts()->fieldSelection(), std::pair(2, 2));
    QCOMPARE(shown(at(27, 30)), QColor(Qt::blue)); // a, unselected again
}

void TestFlashInput::tabGoesThroughTheMoviesButtonsAndOnToTheWindow()
{
    ShockwaveFlash &movie = openMovie(u"buttons.swf"_s, buttonsMovie());
    QWidget *view = movie.widget();
    activate(view->window());
    const auto picture = [view] { return view->grab().toImage().convertToFormat(QImage::Format_RGB32); };
    const QRect go = areaOf(picture(), Qt::red) & QRect(0, 0, view->width() / 2, view->height());
    const auto focused = [&movie] {
        swf::ScriptRuntime *scripts = movie.player().scripts();
        return scripts->focusedObject() ? scripts->clipTarget(scripts->focusedObject()) : QString();
    };
    const auto press = [](int key, Qt::KeyboardModifiers modifiers = {}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), modifiers);
    };

    // A click on nothing in the movie, then Tab: its buttons in turn, the
    // focused one framed in yellow.
    QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(2, 2));
    QCOMPARE(QApplication::focusWidget(), view);
    press(Qt::Key_Tab);
    QCOMPARE(focused(), u"_level0.go"_s);
    const QRect frame = areaOf(picture(), QColor(255, 255, 0));
    QVERIFY(std::abs(frame.left() - go.left()) <= 1 && std::abs(frame.top() - go.top()) <= 1);
    press(Qt::Key_Tab);
    QCOMPARE(focused(), u"_level0.quiet"_s);
    // Past the last one, the window's next control; the movie's focus and
    // frame go.
    press(Qt::Key_Tab);
    QWidget *next = QApplication::focusWidget();
    QVERIFY(next != view && view->window()->isAncestorOf(next));
    QCOMPARE(focused(), QString());
    QVERIFY(areaOf(picture(), QColor(255, 255, 0)).isEmpty());
    // Shift+Tab comes back to the last button, and past the first leaves.
    press(Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget(), view);
    QCOMPARE(focused(), u"_level0.quiet"_s);
    press(Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(focused(), u"_level0.go"_s);
    press(Qt::Key_Backtab, Qt::ShiftModifier);
    QVERIFY(QApplication::focusWidget() != view);
    // Tab from the control before it comes to the first; Enter presses it.
    press(Qt::Key_Tab);
    QCOMPARE(focused(), u"_level0.go"_s);
    press(Qt::Key_Return);
    QCOMPARE(movie.CurrentFrame(), 2);

    // A movie with nothing to visit is no Tab stop.
    openMovie(u"empty.swf"_s, emptyMovie(3));
    next->setFocus(Qt::OtherFocusReason);
    for (int i = 0; i < 40; ++i) {
        press(Qt::Key_Tab);
        QVERIFY(QApplication::focusWidget() != view);
    }
}

void TestFlashInput::tabPassesOverWhatItCannotVisitAndFramesByEachObjectsFocusrect()
{
    using swftest::Actions;
    using swftest::setMember;
    const Actions no = Actions().op(0x96, swftest::Bits().u8(5).u8(0).data());
    const Actions yes = Actions().op(0x96, swftest::Bits().u8(5).u8(1).data());
    // Two objects Tab cannot visit, each with a tabIndex: a hidden clip
    // with a press handler and one with tabEnabled false. (A clip with a
    // tabIndex and no handlers is visited.) The buttons have none.
    Actions unvisitable;
    unvisitable.makeClip("_root", "hidden", 20).makeClip("_root", "off", 21);
    for (const QByteArray clip : {"hidden", "off"})
        unvisitable.then(setMember(clip, "onPress", Actions().function(Actions())));
    unvisitable.then(setMember("hidden", "_visible", no)).then(setMember("off", "tabEnabled", no));
    int index = 0;
    for (const QByteArray clip : {"hidden", "off"})
        unvisitable.then(setMember(clip, "tabIndex", Actions().push(++index)));

    ShockwaveFlash *movie = nullptr;
    QWidget *view = nullptr;
    const auto framed = [&] {
        return !areaOf(view->grab().toImage().convertToFormat(QImage::Format_RGB32), QColor(255, 255, 0)).isEmpty();
    };
    const auto focused = [&] {
        swf::ScriptRuntime *scripts = movie->player().scripts();
        return scripts->focusedObject() ? scripts->clipTarget(scripts->focusedObject()) : QString();
    };
    // Opens the movie and clicks on nothing in it, then presses Tab.
    const auto tabInto = [&](const Actions &script) {
        movie = &openMovie(u"buttons.swf"_s, buttonsMovie(script));
        view = movie->widget();
        activate(view->window());
        QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(2, 2));
        QTest::keyClick(view, Qt::Key_Tab);
    };

    // Their tabIndex orders nothing: the buttons go by place. The quiet
    // one's own _focusrect hides its frame.
    tabInto(Actions(unvisitable).then(setMember("quiet", "_focusrect", no)));
    QCOMPARE(focused(), u"_level0.go"_s);
    QVERIFY(framed());
    QTest::keyClick(view, Qt::Key_Tab);
    QCOMPARE(focused(), u"_level0.quiet"_s);
    QVERIFY(!framed());
    QTest::keyClick(view, Qt::Key_Tab);
    QVERIFY(QApplication::focusWidget() != view);

    // _focusrect off for the whole movie, and on for one button of it.
    tabInto(Actions().push("_focusrect").then(no).op(0x1D).then(setMember("go", "_focusrect", yes)));
    QCOMPARE(focused(), u"_level0.go"_s);
    QVERIFY(framed());
    QTest::keyClick(view, Qt::Key_Tab);
    QCOMPARE(focused(), u"_level0.quiet"_s);
    QVERIFY(!framed());
}

void TestFlashInput::doubleAndTripleClicksSelectWordsAndLines()
{
    ShockwaveFlash &movie = openMovie(u"words.swf"_s, swftest::inputFieldMovie(0x20, "ab cd\refgh").fws());
    QWidget *view = movie.widget();
    const QTransform toView = swf::stageTransform(*movie.player().movie(), QRectF(view->rect()));
    // Characters are 10 stage pixels apart from x = 22, lines 20 apart
    // from y = 22: "d" at (62, 22), "g" at (42, 42).
    const auto at = [&toView](double x, double y) { return toView.map(QPointF(x, y) * 20); };
    quint64 clock = 1000;
    const auto send = [&](QEvent::Type type, const QPointF &p, int after, Qt::MouseButtons held) {
        QMouseEvent event(type, p, view->mapToGlobal(p), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                          held, {});
        event.setTimestamp(clock += after);
        QApplication::sendEvent(view, &event);
    };
    // A press, as the system tells it, and its release `after` ms on.
    const auto click = [&](const QPointF &p, QEvent::Type type, int after = 100) {
        send(type, p, after, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, p, 10, Qt::NoButton);
    };
    const auto selection = [&movie] { return movie.player().scripts()->fieldSelection(); };

    click(at(66, 30), QEvent::MouseButtonPress);
    click(at(66, 30), QEvent::MouseButtonDblClick);
    QCOMPARE(selection(), std::pair(3, 5));
    click(at(66, 30), QEvent::MouseButtonPress); // a third press soon after: the line
    QCOMPARE(selection(), std::pair(0, 5));
    click(at(66, 30), QEvent::MouseButtonPress); // a fourth starts again
    QCOMPARE(selection(), std::pair(4, 4));
    click(at(66, 30), QEvent::MouseButtonDblClick);
    click(at(66, 30), QEvent::MouseButtonPress, 5000); // too late for a triple click
    QCOMPARE(selection(), std::pair(4, 4));
    click(at(66, 30), QEvent::MouseButtonPress);
    click(at(23, 50), QEvent::MouseButtonDblClick, 50); // the system's double click
    QCOMPARE(selection(), std::pair(6, 10));
    click(at(27, 50), QEvent::MouseButtonPress, 50); // too far from it for a triple click
    QCOMPARE(selection(), std::pair(6, 6));

    // A drag after a double click on "ab" takes in whole words.
    click(at(27, 30), QEvent::MouseButtonPress, 2000);
    send(QEvent::MouseButtonDblClick, at(27, 30), 100, Qt::LeftButton);
    send(QEvent::MouseMove, at(47, 50), 50, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, at(47, 50), 50, Qt::NoButton);
    QCOMPARE(selection(), std::pair(0, 10));

    // A field of one line: a triple click selects all its text.
    ShockwaveFlash &line = openMovie(u"line.swf"_s, swftest::inputFieldMovie(0, "ab cd").fws());
    QCOMPARE(&line, &movie);
    click(at(66, 30), QEvent::MouseButtonPress, 2000);
    click(at(66, 30), QEvent::MouseButtonDblClick);
    click(at(66, 30), QEvent::MouseButtonPress);
    QCOMPARE(selection(), std::pair(0, 5));
}

QTEST_MAIN(TestFlashInput)
#include "test_flash_input.moc"
