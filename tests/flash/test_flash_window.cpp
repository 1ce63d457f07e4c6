#include "flash/form3.h"
#include "soundwriter.h"
#include "swfwriter.h"
#include "main_window_test.h"
#include "swf/renderer.h"

#include <QStyleHints>
#include <QtTest>

#include <algorithm>

using namespace sky;
using namespace Qt::StringLiterals;

namespace {

// A movie of `frames` empty frames at 12 frames a second.
QByteArray emptyMovie(int frames)
{
    swftest::Movie movie(8, 0, 0);
    for (int i = 0; i < frames; ++i)
        movie.showFrame();
    return movie.fws();
}

// 24 frames at 12 a second whose stream sound is a 440 Hz sine in 16-bit
// PCM at 44.1 kHz, a frame's worth of it (3675 samples) in each block.
QByteArray streamMovie()
{
    constexpr int rate = 44100;
    swftest::Movie m(8, 10, 10, 12);
    swftest::addPcmStream(m, swftest::sine(rate, rate * 2, 440), rate, 12);
    return m.fws();
}

// A 300 x 200 stage that stops on its first frame, with two of the writer's
// square buttons: "go" at (20, 50) goes to frame 2 when released, "quiet"
// at (170, 50) keeps the arrow pointer.
QByteArray buttonsMovie()
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
                   .op(0x07)
                   .code());
    m.showFrame().showFrame();
    return m.fws();
}

// Four frames on a 200 x 200 stage. Frame 1 stops and attaches a sprite
// showing a red 100-pixel square; frame 2 goes on to frame 4 and stops.
QByteArray scriptedFramesMovie()
{
    swftest::Movie m(8, 200, 200);
    const QRect square(0, 0, 2000, 2000);
    m.shape(1, 1, square, {swftest::solidFill(Qt::red, false)}, {}, swftest::Edges().rect(square, 1).end());
    m.sprite(2, swftest::Movie(8, 1, 1).place(1, 1).showFrame());
    m.tag(56, swftest::Bits().u16(1).u16(2).bytes(QByteArray("box", 4)).data()); // ExportAssets
    // stop(); this.attachMovie("box", "box", 1);
    m.doAction(swftest::Actions()
                   .op(0x07)
                   .push(1)
                   .push("box")
                   .push("box")
                   .push(3)
                   .push("this")
                   .op(0x1c)
                   .push("attachMovie")
                   .op(0x52)
                   .op(0x17)
                   .code());
    m.showFrame();
    m.doAction(swftest::Actions().op(0x81, swftest::Bits().u16(3).data()).op(0x07).code()).showFrame();
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

// The points of `image` in colour `c`, as a rectangle.
QRect areaOf(const QImage &image, const QColor &c)
{
    QRect area;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == c)
                area |= QRect(x, y, 1, 1);
    return area;
}

// The pointer moved over `view`, with no button held unless `held` says.
// (QTest moves the system's cursor for that, which an offscreen window
// never hears of.)
void hover(QWidget *view, const QPoint &pos, Qt::MouseButtons held = Qt::NoButton)
{
    QMouseEvent move(QEvent::MouseMove, pos, view->mapToGlobal(pos), Qt::NoButton, held, {});
    QApplication::sendEvent(view, &move);
}

// `window` shown and made the active one, as a person's click on it does.
void activate(QWidget *window)
{
    window->show();
    window->activateWindow();
    QCoreApplication::processEvents();
}

// The pointer left `view` with no button held.
void leave(QWidget *view)
{
    QEvent left(QEvent::Leave);
    QApplication::sendEvent(view, &left);
}

float peakOf(const std::vector<float> &samples)
{
    float peak = 0;
    for (float s : samples)
        peak = std::max(peak, std::abs(s));
    return peak;
}

} // namespace

// The Flash window: opening, stepping, going to a frame, backwards play,
// zoom and pan, and the sound of its movies.
class TestFlashWindow : public test::MainWindowTest
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void openingAndStopMode();
    void goToATypedFrame();
    void backwardsPlayStopsOnTheFirstFrame();
    void zoomAndPanStayWithinLimits();
    void closeAndReopen();
    void soundLeadsTheFramesAndFollowsTheButtons();
    void closingOrOpeningAnotherMovieEndsTheSound();
    void buttonsTakeClicksWhereTheyAreDrawn();
    void transportRunsTheScriptsOfTheFrameReached();
    void pointerLeavingAndOtherButtonsPressNothing();
    void scriptsSeeTheRightAndMiddleButtonsHeld();
    void wheelReachesTheMovie();
    void inputFieldsShowABlinkingCaretAndCopy();
    void moviesKeepTheirDataForTheUser();
    void tabGoesThroughTheMoviesButtonsAndOnToTheWindow();
    void doubleAndTripleClicksSelectWordsAndLines();

private:
    void openStreamMovie();
    std::vector<float> listen(int frames) { return rig->soundOutput.pull(qsizetype(frames) * 44100 / 12); }

    void openMovie(int frames);
    // Opens `data` as the movie file `name` chosen in the open dialog.
    ShockwaveFlash &openMovie(const QString &name, const QByteArray &data);

    Form3 *flash = nullptr;
};

void TestFlashWindow::init()
{
    MainWindowTest::init();
    main->Command11_Click();
    flash = &rig->program->form3();
    QCOMPARE(rig->modal.shown, QStringList({u"Form3"_s}));
    QVERIFY(rig->messageBox.shown.isEmpty());
}

void TestFlashWindow::openMovie(int frames) { openMovie(u"movie.swf"_s, emptyMovie(frames)); }

ShockwaveFlash &TestFlashWindow::openMovie(const QString &name, const QByteArray &data)
{
    rig->writeAppFile(name, data);
    rig->fileDialog.answers.push_back(rig->appPath(name));
    flash->Command7_Click();
    return flash->ShockwaveFlash1;
}

void TestFlashWindow::openingAndStopMode()
{
    QVERIFY(flash->Option2.Value()); // loading selects play
    QVERIFY(!flash->Command4.Enabled() && !flash->Command6.Enabled());
    flash->Command7_Click(); // Cancel: nothing loaded, no error
    QCOMPARE(rig->fileDialog.requests.back().filter, u"Flash Files|*.swf"_s);
    QCOMPARE(rig->fileDialog.requests.back().title, u"Select your Flash file (SWF)"_s);
    QVERIFY_THROWS_EXCEPTION(RuntimeError, flash->ShockwaveFlash1.TotalFrames());
    flash->Option3.setValue(true); // stop without a movie ends quietly
    QCOMPARE(flash->Command9.Caption(), QString());

    // Opening in stop mode shows the first frame without playing.
    openMovie(120);
    QCOMPARE(flash->ShockwaveFlash1.CurrentFrame(), 1);
    QVERIFY(!flash->ShockwaveFlash1.Playing());
    flash->ShockwaveFlash1.advance();
    QCOMPARE(flash->ShockwaveFlash1.CurrentFrame(), 1);
    flash->Option3.setValue(true);
    QCOMPARE(flash->Command9.Caption(), u"Goto Frame ( 1 To 120 )"_s);
    QVERIFY(flash->Command8.Visible() && flash->Command9.Visible() && flash->Text1.Visible());
    flash->Command4_Click();
    flash->Command4_Click();
    flash->Command6_Click();
    QCOMPARE(flash->ShockwaveFlash1.CurrentFrame(), 2);
    // Rewind goes to the start and back to stop mode.
    flash->Command3_Click();
    QCOMPARE(flash->ShockwaveFlash1.CurrentFrame(), 1);
    QVERIFY(flash->Option3.Value() && flash->Command4.Enabled() && flash->Text1.Visible());
    // Play moves on with the frame rate.
    flash->Option2.setValue(true);
    flash->ShockwaveFlash1.advance();
    QCOMPARE(flash->ShockwaveFlash1.CurrentFrame(), 2);
    QVERIFY(!flash->Text1.Visible());
}

void TestFlashWindow::goToATypedFrame()
{
    openMovie(10);
    flash->Option3.setValue(true);
    const auto go = [&](const QString &typed) {
        flash->Text1.setText(typed);
        int enter = 13;
        flash->Text1_KeyPress(enter);
    };
    go(u"7"_s);
    QCOMPARE(flash->ShockwaveFlash1.CurrentFrame(), 7);
    go(u" 2.9 "_s);
    QCOMPARE(flash->ShockwaveFlash1.CurrentFrame(), 2);
    for (const QString &outside : {u"0"_s, u"-0.5"_s, u"11"_s}) {
        go(outside);
        QCOMPARE(flash->ShockwaveFlash1.CurrentFrame(), 2);
    }
    QVERIFY(rig->messageBox.shown.isEmpty());
    flash->Text1.setText(u"10"_s);
    flash->Command8_Click();
    QCOMPARE(flash->ShockwaveFlash1.CurrentFrame(), 10);
    go(u"abc"_s);
    go(QString());
    QCOMPARE(rig->messageBox.shown, QStringList(2, u" Please Enter integer values"_s));
    QCOMPARE(flash->ShockwaveFlash1.CurrentFrame(), 10);
}

void TestFlashWindow::backwardsPlayStopsOnTheFirstFrame()
{
    openMovie(10);
    flash->Option3.setValue(true);
    flash->ShockwaveFlash1.GotoFrame(4);
    flash->Option1.setValue(true);
    QCOMPARE(flash->ReversePlay, short(1));
    QVERIFY(!flash->Text1.Visible());
    QList<int> frames;
    for (int tick = 0; tick < 5; ++tick) {
        flash->Timer1_Timer();
        frames.append(flash->ShockwaveFlash1.CurrentFrame());
    }
    QCOMPARE(frames, QList<int>({3, 2, 1, 1, 1}));
    QCOMPARE(flash->ReversePlay, short(0));
    QVERIFY(flash->Option3.Value());
    QVERIFY(flash->Text1.Visible()); // stop mode offers the go-to controls
}

void TestFlashWindow::zoomAndPanStayWithinLimits()
{
    flash->Check1.setValue(1);
    ShockwaveFlash &movie = flash->ShockwaveFlash1;
    QVERIFY(flash->Frame1.Visible() && flash->Command2.Visible() && flash->Command5.Visible());

    const auto hold = [&](CommandButton &button, int ticks) {
        button.MouseDown(1, 0, 0, 0);
        for (int tick = 0; tick < ticks; ++tick)
            flash->Timer1_Timer();
        button.MouseUp(1, 0, 0, 0);
    };
    hold(flash->Command5, 30); // down
    QCOMPARE(movie.Top(), -3600.0f);
    hold(flash->Command11, 30); // up
    QCOMPARE(movie.Top(), 0.0f);
    hold(flash->Command10, 30); // right
    QCOMPARE(movie.Left(), -9240.0f);
    hold(flash->Command2, 30); // left
    QCOMPARE(movie.Left(), -4240.0f);
    flash->Timer1_Timer(); // nothing held, nothing moves
    QCOMPARE(movie.Left(), -4240.0f);

    flash->Check1.setValue(0);
    QCOMPARE(movie.Left(), 240.0f);
    QCOMPARE(movie.Height(), 8055.0f);
    QVERIFY(!flash->Frame1.Visible() && !flash->Command2.Visible());
}

void TestFlashWindow::closeAndReopen()
{
    flash->ReversePlay = 1;
    flash->Command1_Click();
    QVERIFY(!flash->isLoaded());
    QVERIFY(!flash->Visible());
    main->Command11_Click();
    QCOMPARE(flash->ReversePlay, short(0));
    QVERIFY(!flash->Check1.Value());
}

void TestFlashWindow::openStreamMovie() { openMovie(u"sound.swf"_s, streamMovie()); }

void TestFlashWindow::soundLeadsTheFramesAndFollowsTheButtons()
{
    openStreamMovie();
    ShockwaveFlash &movie = flash->ShockwaveFlash1;
    QCOMPARE(rig->soundOutput.starts, 1);
    QVERIFY(peakOf(listen(1)) > 0.45);
    movie.advance();
    QCOMPARE(movie.CurrentFrame(), 2);
    // Drawing fell behind the sound: the frames in between are passed over.
    listen(3);
    movie.advance();
    QCOMPARE(movie.CurrentFrame(), 5);
    // Drawing ahead of the sound by a frame: the picture waits for it.
    movie.advance();
    movie.advance();
    QCOMPARE(movie.CurrentFrame(), 6);

    flash->Option3.setValue(true); // stop
    QCOMPARE(peakOf(listen(1)), 0.0f);
    flash->Option2.setValue(true); // play: the stream starts again with the next frame
    movie.advance();
    QCOMPARE(movie.CurrentFrame(), 7);
    QVERIFY(peakOf(listen(1)) > 0.45);
    flash->Command3_Click(); // rewind
    QCOMPARE(movie.CurrentFrame(), 1);
    QCOMPARE(peakOf(listen(1)), 0.0f);

    flash->Command4_Click(); // a step forward stays silent
    QCOMPARE(movie.CurrentFrame(), 2);
    QCOMPARE(peakOf(listen(1)), 0.0f);
    flash->Option1_Click(); // backwards play too
    flash->Timer1_Timer();
    QCOMPARE(movie.CurrentFrame(), 1);
    QCOMPARE(peakOf(listen(1)), 0.0f);
}

void TestFlashWindow::closingOrOpeningAnotherMovieEndsTheSound()
{
    openStreamMovie();
    QVERIFY(peakOf(listen(1)) > 0.45);
    openMovie(10); // silent: the first movie's stream is gone
    QCOMPARE(rig->soundOutput.starts, 2);
    QCOMPARE(peakOf(listen(1)), 0.0f);

    openStreamMovie();
    QVERIFY(peakOf(listen(1)) > 0.45);
    flash->Command1_Click();
    QVERIFY(listen(1).empty()); // nothing is pulled any more
}

void TestFlashWindow::buttonsTakeClicksWhereTheyAreDrawn()
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

void TestFlashWindow::transportRunsTheScriptsOfTheFrameReached()
{
    ShockwaveFlash &movie = openMovie(u"scripted.swf"_s, scriptedFramesMovie());
    QVERIFY(!movie.Playing());
    flash->Option3.setValue(true);
    QWidget *view = movie.widget();
    const auto boxShown = [view] {
        return !areaOf(view->grab().toImage().convertToFormat(QImage::Format_RGB32), Qt::red).isEmpty();
    };
    QVERIFY(boxShown());

    // A step onto frame 2 runs its script, which goes on to frame 4; what
    // frame 1's script made stays.
    flash->Command4_Click();
    QCOMPARE(movie.CurrentFrame(), 4);
    QVERIFY(boxShown());
    flash->Command6_Click();
    QCOMPARE(movie.CurrentFrame(), 3);
    flash->Command6_Click();
    QCOMPARE(movie.CurrentFrame(), 4);
    QVERIFY(!movie.Playing());

    const auto go = [&](const QString &typed) {
        flash->Text1.setText(typed);
        flash->Command8_Click();
    };
    go(u"3"_s);
    QCOMPARE(movie.CurrentFrame(), 3);
    go(u"2"_s);
    QCOMPARE(movie.CurrentFrame(), 4);

    // Backwards play from frame 3 meets frame 2's jump at every pass.
    go(u"3"_s);
    flash->Option1.setValue(true);
    QList<int> frames;
    for (int tick = 0; tick < 4; ++tick) {
        flash->Timer1_Timer();
        frames.append(movie.CurrentFrame());
    }
    QCOMPARE(frames, QList<int>({4, 3, 4, 3}));

    // Rewind runs frame 1's script again, which makes the box anew.
    flash->Command3_Click();
    QCOMPARE(movie.CurrentFrame(), 1);
    QVERIFY(boxShown());
    QVERIFY(flash->Option3.Value());
}

void TestFlashWindow::pointerLeavingAndOtherButtonsPressNothing()
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

void TestFlashWindow::scriptsSeeTheRightAndMiddleButtonsHeld()
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

void TestFlashWindow::wheelReachesTheMovie()
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


void TestFlashWindow::inputFieldsShowABlinkingCaretAndCopy()
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

void TestFlashWindow::moviesKeepTheirDataForTheUser()
{
    // Four frames; the first goes to the frame the movie kept last time
    // (none at first) and keeps frame 3.
    swftest::Actions script;
    script.push("so").push("place").push(1).push("SharedObject").op(0x1C).push("getLocal").op(0x52).op(0x1D);
    script.push("so").op(0x1C).push("data").op(0x4E).push("frame").op(0x4E).push(1).push("_root").op(0x1C)
        .push("gotoAndStop").op(0x52).op(0x17);
    script.push("so").op(0x1C).push("data").op(0x4E).push("frame").push(3).op(0x4F);
    swftest::Movie movie(8, 10, 10);
    movie.doAction(script.code()).showFrame().showFrame().showFrame().showFrame();
    QCOMPARE(openMovie(u"keeper.swf"_s, movie.fws()).CurrentFrame(), 1);
    // Closing the window writes what the movie keeps, in the user's data
    // folder; the movie opened again finds it.
    flash->Command1_Click();
    const QString record = rig->environment.dataFolder + u"/Flash objects/localhost"_s + rig->appPath(u"keeper.swf"_s) +
                           u"/place.sol"_s;
    QVERIFY(QFileInfo(record).isFile());
    main->Command11_Click();
    QCOMPARE(openMovie(u"keeper.swf"_s, movie.fws()).CurrentFrame(), 3);
}

void TestFlashWindow::tabGoesThroughTheMoviesButtonsAndOnToTheWindow()
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
    openMovie(3);
    next->setFocus(Qt::OtherFocusReason);
    for (int i = 0; i < 40; ++i) {
        press(Qt::Key_Tab);
        QVERIFY(QApplication::focusWidget() != view);
    }
}

void TestFlashWindow::doubleAndTripleClicksSelectWordsAndLines()
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

QTEST_MAIN(TestFlashWindow)
#include "test_flash_window.moc"
