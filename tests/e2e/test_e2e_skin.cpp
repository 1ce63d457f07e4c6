#include "plaincolours.h"
#include "platform/units.h"
#include "playerrun.h"
#include "skins/form2.h"
#include "test_rig.h"
#include "xsession.h"

#include <QtTest>
#include <csignal>

using namespace e2e;
using namespace Qt::StringLiterals;

namespace {

constexpr int kEndTimeoutMs = 15000;
constexpr int kShowTimeoutMs = 10000;
const QRgb kFirstColour = qRgb(0, 160, 255);
const QRgb kSecondColour = qRgb(255, 200, 0);

} // namespace

// A skin chosen and applied in the skin manager, on the real program.
class TestE2eSkin : public EndToEndTest
{
    Q_OBJECT
private Q_SLOTS:
    void appliedPictureCoversTheMainWindow();
};

void TestE2eSkin::appliedPictureCoversTheMainWindow()
{
    sky::test::TestRig rig;
    const sky::Form1 &design = rig.startMainWindow();
    sky::Form2 &managerDesign = rig.program->form2();
    managerDesign.Load();
    PlayerRun player(x());
    QVERIFY(player.writeSettings());
    // The skin manager opens in the folder the player was started in.
    QVERIFY(writeColourPicture(player.mediaPath(u"first.bmp"_s), QColor(kFirstColour)));
    QVERIFY(writeColourPicture(player.mediaPath(u"second.bmp"_s), QColor(kSecondColour)));
    const XWindow main = player.startToMainWindow();
    QVERIFY2(!main.id.isEmpty(), qPrintable(player.describe()));
    // A corner of the main window that no control covers.
    const QRect corner(main.geometry.topLeft(),
        QSize(sky::twipsToPixels(design.Label3.Left()), sky::twipsToPixels(design.Drive1.Top())));
    QVERIFY(colourShare(x().screenshot(), corner, kSecondColour) < 0.01);

    player.click(main, design.Command2);
    const XWindow manager = player.waitForWindow(u"Change Skin"_s);
    QVERIFY2(!manager.id.isEmpty(), qPrintable(player.describe()));
    // The first picture's line, then the arrow key down to the second one,
    // which the preview shows.
    const QRect files = PlayerRun::areaOf(manager, managerDesign.File1);
    x().click(files.topLeft() + QPoint(files.width() / 4, 8));
    x().keys({ u"Down"_s });
    const QRect preview = PlayerRun::areaOf(manager, managerDesign.Image1);
    QImage shot;
    QVERIFY(
        waitFor([&] { return colourShare(shot = x().screenshot(), preview, kSecondColour) > 0.9; }, kShowTimeoutMs));
    XSession::keep(shot, u"preview"_s);

    // "Apply": the picture lies behind the main window's controls.
    player.click(manager, managerDesign.Command1);
    QVERIFY(
        waitFor([&] { return colourShare(shot = x().screenshot(), corner, kSecondColour) > 0.95; }, kShowTimeoutMs));
    XSession::keep(shot, u"applied"_s);
    QVERIFY(colourShare(shot, main.geometry, kSecondColour) > 0.3);
    // The skin manager comes back after applying.
    QVERIFY(!player.window(u"Change Skin"_s).id.isEmpty());
    QVERIFY(player.endsAfter(SIGTERM, kEndTimeoutMs));
}

QTEST_MAIN(TestE2eSkin)
#include "test_e2e_skin.moc"
