#include "platform/units.h"
#include "playerrun.h"
#include "test_rig.h"
#include "xsession.h"

#include <QFile>
#include <QtTest>
#include <csignal>

using namespace e2e;
using namespace Qt::StringLiterals;

namespace {

constexpr int kEndTimeoutMs = 15000;
constexpr int kTitleTimeoutMs = 5000;

} // namespace

// The player's start as a person meets it on the first run, on the real
// program.
class TestE2eStartup : public EndToEndTest
{
    Q_OBJECT
private Q_SLOTS:
    void firstRunShowsTheMessageThenTheMainWindow();
    void sigtermUnderTheFirstRunMessageEndsThePlayer();
};

void TestE2eStartup::firstRunShowsTheMessageThenTheMainWindow()
{
    sky::test::TestRig rig;
    const sky::Form1 &design = rig.startMainWindow();
    PlayerRun player(x());
    QVERIFY(!QFile::exists(player.appPath(u"save.ata"_s)));
    QVERIFY2(player.start(), qPrintable(player.describe()));

    // Without a settings file the message comes first, alone, under the
    // program's title.
    const XWindow box = player.waitForWindow(u"SKYVANTRIX Media Player"_s);
    QVERIFY2(!box.id.isEmpty(), qPrintable(player.describe()));
    QCOMPARE(player.windows().size(), 1);
    XSession::keep(x().screenshot(), u"message"_s);

    // OK (Enter) closes it and the main window shows, at its design size,
    // its title the time of day followed by the product title.
    x().focus(box);
    x().keys({ u"Return"_s });
    const XWindow main = player.waitForMainWindow();
    QVERIFY2(!main.id.isEmpty(), qPrintable(player.describe()));
    QCOMPARE(
        main.geometry.size(), QSize(sky::twipsToPixels(design.ScaleWidth()), sky::twipsToPixels(design.ScaleHeight())));
    const QRegularExpression title(u"\\d\\d:\\d\\d:\\d\\d +SKYVANTRIX Media Player v 1\\.0\\.0"_s);
    QVERIFY(waitFor([&] { return title.match(x().refreshed(main).name).hasMatch(); }, kTitleTimeoutMs));
    QCOMPARE(player.windows().size(), 1);
    const QImage shot = x().screenshot();
    XSession::keep(shot, u"main"_s);
    // The skin covers the window: hardly any of it is the screen's black.
    QVERIFY(colourShare(shot, main.geometry, qRgb(0, 0, 0), 8) < 0.05);

    // Ending the session closes the player as closing its window does:
    // "Save Settings" is off on a first run, so the settings file is left
    // empty.
    QVERIFY(player.endsAfter(SIGTERM, kEndTimeoutMs));
    QFile saved(player.appPath(u"save.ata"_s));
    QVERIFY(saved.exists());
    QCOMPARE(saved.size(), 0);
}

void TestE2eStartup::sigtermUnderTheFirstRunMessageEndsThePlayer()
{
    PlayerRun player(x());
    QVERIFY2(player.start(), qPrintable(player.describe()));
    const XWindow box = player.waitForWindow(u"SKYVANTRIX Media Player"_s);
    QVERIFY2(!box.id.isEmpty(), qPrintable(player.describe()));

    // A logout while the message waits for OK ends the player at once, as
    // closing the main window does: the settings file is left empty.
    QVERIFY(player.endsAfter(SIGTERM, kEndTimeoutMs));
    QFile saved(player.appPath(u"save.ata"_s));
    QVERIFY(saved.exists());
    QCOMPARE(saved.size(), 0);
}

QTEST_MAIN(TestE2eStartup)
#include "test_e2e_startup.moc"
