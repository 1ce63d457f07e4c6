#include "endtoendtest.h"
#include "platform/units.h"

#include <QFile>
#include <QtTest>

using namespace e2e;
using namespace Qt::StringLiterals;

// The player's start as a person meets it on the first run, on the real
// program. A logout (SIGTERM) ends it as closing the main window does:
// "Save Settings" is off on a first run, so the settings file is left empty.
class TestE2eStartup : public EndToEndTest
{
    Q_OBJECT
private Q_SLOTS:
    void firstRunShowsTheMessageThenTheMainWindow();
    void sigtermUnderTheFirstRunMessageEndsThePlayer();

private:
    // Without a settings file the message comes first, alone, under the
    // program's title.
    void startToFirstRunMessage();
    void sigtermLeavesEmptySettings();

    XWindow box;
};

void TestE2eStartup::startToFirstRunMessage()
{
    QVERIFY(!QFile::exists(player().appPath(u"save.ata"_s)));
    QVERIFY2(player().start(), qPrintable(player().describe()));
    box = player().waitForWindow(u"SKYVANTRIX Media Player"_s);
    QVERIFY2(!box.id.isEmpty(), qPrintable(player().describe()));
    QCOMPARE(player().windows().size(), 1);
}

void TestE2eStartup::sigtermLeavesEmptySettings()
{
    QVERIFY(player().endsOnSigterm());
    QFile saved(player().appPath(u"save.ata"_s));
    QVERIFY(saved.exists());
    QCOMPARE(saved.size(), 0);
}

void TestE2eStartup::firstRunShowsTheMessageThenTheMainWindow()
{
    startToFirstRunMessage();
    if (QTest::currentTestFailed())
        return;
    XSession::keep(x().screenshot(), u"message"_s);

    // OK (Enter) closes it and the main window shows, at its design size,
    // its title the time of day followed by the product title.
    x().focus(box);
    x().keys({ u"Return"_s });
    const XWindow main = player().waitForMainWindow();
    QVERIFY2(!main.id.isEmpty(), qPrintable(player().describe()));
    QCOMPARE(main.geometry.size(),
        QSize(sky::twipsToPixels(mainDesign().ScaleWidth()), sky::twipsToPixels(mainDesign().ScaleHeight())));
    const QRegularExpression title(u"\\d\\d:\\d\\d:\\d\\d( +)SKYVANTRIX Media Player v 1\\.0\\.0"_s);
    QRegularExpressionMatch shown;
    QVERIFY(waitFor([&] { return (shown = title.match(x().refreshed(main).name)).hasMatch(); }));
    // It scrolls: the blanks before the product title go, one a tick.
    const qsizetype firstBlanks = shown.capturedLength(1);
    QVERIFY(waitFor([&] {
        shown = title.match(x().refreshed(main).name);
        return shown.hasMatch() && shown.capturedLength(1) < firstBlanks;
    }));
    QCOMPARE(player().windows().size(), 1);
    // The skin covers the window: hardly any of it is the screen's black
    // once it has been drawn, which may come after the title is set.
    QImage shot;
    QVERIFY(waitFor([&] {
        shot = x().screenshot();
        return colourShare(shot, main.geometry, qRgb(0, 0, 0), 8) < 0.05;
    }));
    XSession::keep(shot, u"main"_s);
    sigtermLeavesEmptySettings();
}

void TestE2eStartup::sigtermUnderTheFirstRunMessageEndsThePlayer()
{
    startToFirstRunMessage();
    if (!QTest::currentTestFailed())
        sigtermLeavesEmptySettings();
}

QTEST_MAIN(TestE2eStartup)
#include "test_e2e_startup.moc"
