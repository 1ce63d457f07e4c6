#include "flashwindowtest.h"
#include "soundwriter.h"
#include "swfwriter.h"

#include <QtTest>

#include <algorithm>

using namespace sky;
using namespace sky::test;
using namespace Qt::StringLiterals;

namespace {

// 24 frames at 12 a second whose stream sound is a 440 Hz sine in 16-bit
// PCM at 44.1 kHz, a frame's worth of it (3675 samples) in each block.
QByteArray streamMovie()
{
    constexpr int rate = 44100;
    swftest::Movie m(8, 10, 10, 12);
    swftest::addPcmStream(m, swftest::sine(rate, rate * 2, 440), rate, 12);
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

float peakOf(const std::vector<float> &samples)
{
    float peak = 0;
    for (float s : samples)
        peak = std::max(peak, std::abs(s));
    return peak;
}

} // namespace

// The Flash window: opening, stepping, going to a frame, backwards play,
// zoom and pan, the sound of its movies and what they keep.
class TestFlashWindow : public FlashWindowTest
{
    Q_OBJECT
private Q_SLOTS:
    void openingAndStopMode();
    void goToATypedFrame();
    void backwardsPlayStopsOnTheFirstFrame();
    void zoomAndPanStayWithinLimits();
    void closeAndReopen();
    void soundLeadsTheFramesAndFollowsTheButtons();
    void closingOrOpeningAnotherMovieEndsTheSound();
    void transportRunsTheScriptsOfTheFrameReached();
    void moviesKeepTheirDataForTheUser();

private:
    void openStreamMovie();
    std::vector<float> listen(int frames) { return rig->soundOutput.pull(qsizetype(frames) * 44100 / 12); }

    void openMovie(int frames);
    using FlashWindowTest::openMovie;
};

void TestFlashWindow::openMovie(int frames) { openMovie(u"movie.swf"_s, emptyMovie(frames)); }

void TestFlashWindow::openStreamMovie() { openMovie(u"sound.swf"_s, streamMovie()); }

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

QTEST_MAIN(TestFlashWindow)
#include "test_flash_window.moc"
