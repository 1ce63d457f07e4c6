#include "flash/form3.h"
#include "mediafixtures.h"
#include "playerrun.h"
#include "swfwriter.h"
#include "test_rig.h"
#include "xsession.h"

#include <QtTest>
#include <csignal>

using namespace e2e;
using namespace Qt::StringLiterals;

namespace {

constexpr int kEndTimeoutMs = 15000;
constexpr int kShowTimeoutMs = 10000;
const QRgb kRed = qRgb(255, 0, 0);
const QRgb kBlue = qRgb(0, 0, 255);

// A movie of two frames, all red and then all blue, over and over.
QByteArray twoColourMovie()
{
    const QRect stage(0, 0, 200 * 20, 150 * 20);
    swftest::Movie movie(8, 200, 150, 4);
    movie.background(Qt::white);
    movie.shape(1, 1, stage, { swftest::solidFill(QColor(kRed), false) }, {}, swftest::Edges().rect(stage, 1).end());
    movie.shape(2, 1, stage, { swftest::solidFill(QColor(kBlue), false) }, {}, swftest::Edges().rect(stage, 1).end());
    movie.place(1, 1).showFrame();
    movie.remove(1).place(1, 2).showFrame();
    return movie.fws();
}

} // namespace

// A movie opened in the Flash window, on the real program.
class TestE2eFlash : public EndToEndTest
{
    Q_OBJECT
private Q_SLOTS:
    void openedMoviePlaysInTheFlashWindow();
};

void TestE2eFlash::openedMoviePlaysInTheFlashWindow()
{
    sky::test::TestRig rig;
    const sky::Form1 &design = rig.startMainWindow();
    sky::Form3 &flashDesign = rig.program->form3();
    flashDesign.Load();
    PlayerRun player(x());
    QVERIFY(player.writeSettings());
    const QString movie = player.mediaPath(u"colours.swf"_s);
    QVERIFY(fixtures::writeFile(movie, twoColourMovie()));
    const XWindow main = player.startToMainWindow();
    QVERIFY2(!main.id.isEmpty(), qPrintable(player.describe()));

    // The Flash window has no title bar; its caption is "Form4".
    player.click(main, design.Command11);
    const XWindow flash = player.waitForWindow(u"Form4"_s);
    QVERIFY2(!flash.id.isEmpty(), qPrintable(player.describe()));
    const QRect stage = PlayerRun::areaOf(flash, flashDesign.ShockwaveFlash1);
    QImage shot = x().screenshot();
    QVERIFY(colourShare(shot, stage, kRed) < 0.01 && colourShare(shot, stage, kBlue) < 0.01);

    // "Open", the movie's name typed into the file dialog.
    player.click(flash, flashDesign.Command7);
    const QString dialogTitle = QRegularExpression::escape(u"Select your Flash file (SWF)"_s);
    const XWindow open = player.waitForWindow(dialogTitle);
    QVERIFY2(!open.id.isEmpty(), qPrintable(player.describe()));
    x().focus(open);
    x().type(movie);
    x().keys({ u"Return"_s });
    QVERIFY(player.waitUntilGone(dialogTitle));

    // It plays: the stage shows one frame and then the other.
    QVERIFY(waitFor([&] { return colourShare(shot = x().screenshot(), stage, kRed) > 0.5; }, kShowTimeoutMs));
    XSession::keep(shot, u"red"_s);
    QVERIFY(waitFor([&] { return colourShare(shot = x().screenshot(), stage, kBlue) > 0.5; }, kShowTimeoutMs));
    XSession::keep(shot, u"blue"_s);

    // The close button ends the window; the main window stays.
    player.click(flash, flashDesign.Command1);
    QVERIFY(player.waitUntilGone(u"Form4"_s));
    QVERIFY(!player.mainWindow().id.isEmpty());
    QVERIFY(player.endsAfter(SIGTERM, kEndTimeoutMs));
}

QTEST_MAIN(TestE2eFlash)
#include "test_e2e_flash.moc"
