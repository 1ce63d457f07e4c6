#include "accessories/frm_tip.h"
#include "core/module1.h"
#include "core/settings_file.h"
#include "main_window_test.h"

#include <QtTest>

using namespace sky;
using namespace Qt::StringLiterals;

// The tip of the day, and the Browser button that starts the help browser.
class TestAccessories : public test::MainWindowTest
{
    Q_OBJECT
private Q_SLOTS:
    void tipsStepAndCycle();
    void tipsWithoutAFile();
    void tipsAtStartUp();
    void browserStartsOnceThenComesToTheFront();
    void missingBrowserIsReported();

private:
};

void TestAccessories::tipsStepAndCycle()
{
    rig->writeAppFile(u"TIPOFDAY.TXT"_s, "one\r\ntwo\r\nthree\r\n");
    rig->program->form1().Command13_Click();
    frmTip &tip = rig->program->tip();
    QCOMPARE(rig->modal.shown, QStringList({u"frmTip"_s}));
    QCOMPARE(tip.lblTipText.Caption(), u"one"_s);
    QStringList shown;
    for (int i = 0; i < 3; ++i) {
        tip.cmdNextTip.Click();
        shown.append(tip.lblTipText.Caption());
    }
    QCOMPARE(shown, QStringList({u"two"_s, u"three"_s, u"one"_s}));
    tip.Command1.Click();
    QCOMPARE(tip.lblTipText.Caption(), u"three"_s);
    // Unticking the box clears the flag at once; nothing is written.
    rig->program->module().ShowTipsAtStartup = 1;
    tip.Check1.setValue(1);
    tip.Check1.setValue(0);
    QCOMPARE(rig->program->module().ShowTipsAtStartup.value(), 0.0);
    // A second showing goes on from the last tip, over the lines twice.
    tip.cmdOK.Click();
    QVERIFY(!tip.isLoaded());
    rig->program->form1().Command13_Click();
    QCOMPARE(tip.Tips.size(), 6);
    QCOMPARE(tip.lblTipText.Caption(), u"one"_s);
}

void TestAccessories::tipsWithoutAFile()
{
    rig->program->form1().Command13_Click();
    frmTip &tip = rig->program->tip();
    QVERIFY(tip.lblTipText.Caption().startsWith(u"That the TIPOFDAY.TXT file was not found? \r\n\r\nCreate"_s));
    QVERIFY(tip.lblTipText.Caption().endsWith(u"same directory as the application. "_s));
    QVERIFY(!tip.LoadTips(QString()));

    // An empty file loads, with nothing to show.
    rig->writeAppFile(u"empty.txt"_s, QByteArray());
    tip.lblTipText.setCaption(QString());
    QVERIFY(tip.LoadTips(rig->appPath(u"empty.txt"_s)));
    tip.cmdNextTip.Click();
    QCOMPARE(tip.CurrentTip, 1);
    tip.Command1.Click();
    tip.Command1.Click();
    QCOMPARE(tip.CurrentTip, 0);
    QCOMPARE(tip.lblTipText.Caption(), QString());

    // The per-user setting can keep the window closed.
    tip.Unload();
    rig->userSettings.values[u"Options/Show Tips at Startup"_s] = 0;
    rig->program->form1().Command13_Click();
    QVERIFY(!tip.isLoaded());
}

void TestAccessories::tipsAtStartUp()
{
    Module1 saved;
    saved.ShowTipsAtStartup = 1;
    test::TestRig fresh;
    fresh.writeAppFile(u"save.ata"_s, settingsFileContent(saved));
    fresh.writeAppFile(u"TIPOFDAY.TXT"_s, "only tip\r\n");
    fresh.program->form1().Load();
    QCOMPARE(fresh.modal.shown, QStringList({u"frmTip"_s}));
    QCOMPARE(fresh.program->tip().lblTipText.Caption(), u"only tip"_s);
    QCOMPARE(fresh.program->tip().Check1.Value(), 1);
}

void TestAccessories::browserStartsOnceThenComesToTheFront()
{
    rig->program->form1().Command15.Click();
    QCOMPARE(rig->helpBrowser.started, QStringList({rig->folder.path()}));
    QVERIFY(rig->helpBrowser.broughtFront.isEmpty());
    rig->program->form1().Command15.Click();
    QCOMPARE(rig->helpBrowser.started.size(), 1);
    QCOMPARE(rig->helpBrowser.broughtFront, QStringList({rig->folder.path()}));
    QVERIFY(rig->messageBox.shown.isEmpty());
}

void TestAccessories::missingBrowserIsReported()
{
    rig->helpBrowser.missing = true;
    main->Command15.Click();
    QCOMPARE(rig->messageBox.shown.size(), 1);
    QVERIFY(rig->messageBox.shown.constFirst().contains(u"skyvantrix-help"_s));
    // The player goes on; a later click tries again.
    QVERIFY(main->isLoaded());
    rig->helpBrowser.missing = false;
    main->Command15.Click();
    QCOMPARE(rig->helpBrowser.started.size(), 1);
    QCOMPARE(rig->messageBox.shown.size(), 1);
}

QTEST_MAIN(TestAccessories)
#include "test_accessories.moc"
