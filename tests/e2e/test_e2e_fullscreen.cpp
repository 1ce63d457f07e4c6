#include "plaincolours.h"
#include "playerrun.h"
#include "test_rig.h"
#include "xsession.h"

#include <QtTest>
#include <csignal>

using namespace e2e;
using namespace Qt::StringLiterals;

namespace {

constexpr int kEndTimeoutMs = 15000;
constexpr int kSwitchTimeoutMs = 10000;
// Long enough to go full screen and back while it plays.
constexpr double kClipSeconds = 30;
const QRgb kMagenta = qRgb(255, 0, 255);

} // namespace

// The video over the whole screen and back, on the real program.
class TestE2eFullScreen : public EndToEndTest
{
    Q_OBJECT
private Q_SLOTS:
    void doubleClickGoesFullScreenAndEscapeComesBack();
};

void TestE2eFullScreen::doubleClickGoesFullScreenAndEscapeComesBack()
{
    sky::test::TestRig rig;
    const sky::Form1 &design = rig.startMainWindow();
    PlayerRun player(x());
    QVERIFY(player.writeSettings());
    const QString clip = player.mediaPath(u"magenta.avi"_s);
    QVERIFY(writeColourClip(clip, kClipSeconds, QColor(kMagenta)));
    const XWindow main = player.startToMainWindow({ clip });
    QVERIFY2(!main.id.isEmpty(), qPrintable(player.describe()));
    const QRect screen = x().screen();
    const QRect picture = pictureArea(main, design.MediaPlayer1);
    QVERIFY(waitFor([&] { return colourShare(x().screenshot(), picture, kMagenta) > 0.5; }, kSwitchTimeoutMs));

    // A double-click on the picture: the window covers the screen, and the
    // picture fills it (4:3 on a 5:4 screen leaves two thin bars).
    x().click(picture.center(), 2);
    QVERIFY(waitFor([&] { return x().refreshed(main).geometry == screen; }, kSwitchTimeoutMs));
    QImage shot;
    QVERIFY(waitFor([&] { return colourShare(shot = x().screenshot(), screen, kMagenta) > 0.85; }, kSwitchTimeoutMs));
    XSession::keep(shot, u"full"_s);

    // Escape: the window is back where it was, the picture in its place
    // and the rest of the screen bare again.
    x().keys({ u"Escape"_s });
    QVERIFY(waitFor([&] { return x().refreshed(main).geometry == main.geometry; }, kSwitchTimeoutMs));
    QVERIFY(waitFor(
        [&] {
            shot = x().screenshot();
            return colourShare(shot, picture, kMagenta) > 0.5 && colourShare(shot, screen, kMagenta) < 0.1;
        },
        kSwitchTimeoutMs));
    XSession::keep(shot, u"back"_s);
    const QRect belowWindow(0, main.geometry.bottom() + 1, screen.width(), screen.bottom() - main.geometry.bottom());
    QVERIFY(colourShare(shot, belowWindow, qRgb(0, 0, 0), 8) > 0.99);
    QVERIFY(player.endsAfter(SIGTERM, kEndTimeoutMs));
}

QTEST_MAIN(TestE2eFullScreen)
#include "test_e2e_fullscreen.moc"
