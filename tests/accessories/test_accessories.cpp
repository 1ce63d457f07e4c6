#include "accessories/frm_browser.h"
#include "accessories/frm_tip.h"
#include "core/module1.h"
#include "core/settings_file.h"
#include "test_rig.h"

#include <QtTest>

using namespace sky;
using namespace Qt::StringLiterals;

// The tip of the day and the help browser.
class TestAccessories : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void tipsStepAndCycle();
    void tipsWithoutAFile();
    void tipsAtStartUp();
    void browserOpensTheHelpPage();
    void browserLayoutFollowsTheWindow();

private:
    std::unique_ptr<test::TestRig> rig;
};

void TestAccessories::init()
{
    rig = std::make_unique<test::TestRig>();
    rig->startMainWindow();
}

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

void TestAccessories::browserOpensTheHelpPage()
{
    rig->writeAppFile(u"MediaPlayer.htm"_s,
                      "<html><head><title>Player Help</title></head><body><a href=\"second.htm\">next</a></body></html>");
    rig->writeAppFile(u"second.htm"_s, "<html><head><title>Second</title></head><body>2</body></html>");
    rig->program->form1().Command15_Click();
    frmBrowser &browser = rig->program->browser();
    QVERIFY(browser.Visible());
    QCOMPARE(browser.cboAddress.Text(), rig->appPath(u"MediaPlayer.htm"_s));
    QCOMPARE(browser.Caption(), u"Player Help"_s);
    QVERIFY(browser.timTimer.Enabled());
    browser.timTimer_Timer(); // the page has loaded: the timer switches off
    QVERIFY(!browser.timTimer.Enabled());

    browser.cboAddress.setText(rig->appPath(u"second.htm"_s));
    int enter = 13;
    browser.cboAddress_KeyPress(enter);
    QCOMPARE(browser.Caption(), u"Second"_s);
    browser.tbToolBar_ButtonClick(u"Back"_s);
    QCOMPARE(browser.Caption(), u"Player Help"_s);
    browser.tbToolBar_ButtonClick(u"Forward"_s);
    QCOMPARE(browser.Caption(), u"Second"_s);
    browser.tbToolBar_ButtonClick(u"Home"_s);
    QCOMPARE(browser.Caption(), u"Player Help"_s);
    browser.tbToolBar_ButtonClick(u"Stop"_s);
    QVERIFY(!browser.timTimer.Enabled());
    QCOMPARE(browser.Caption(), u"Player Help"_s);

    // A page that is not there is reported inside the browser.
    browser.cboAddress.setText(rig->appPath(u"missing.htm"_s));
    browser.cboAddress_Click();
    QCOMPARE(browser.Caption(), u"The page cannot be displayed"_s);
    QCOMPARE(browser.tbToolBar.ButtonCount(), 6);
}

void TestAccessories::browserLayoutFollowsTheWindow()
{
    rig->program->form1().Command15_Click();
    frmBrowser &browser = rig->program->browser();
    browser.setClientSize(12000, 9000);
    browser.Form_Resize();
    QCOMPARE(browser.cboAddress.Width(), 11900.0f);
    QCOMPARE(browser.brwWebBrowser.Width(), 11900.0f);
    const float height = browser.brwWebBrowser.Height();
    QCOMPARE(height, 9000 - (browser.picAddress.Top() + browser.picAddress.Height()) - 100);
    // Too short for the browser: its height stays, the widths follow.
    browser.setClientSize(7000, 1000);
    browser.Form_Resize();
    QCOMPARE(browser.brwWebBrowser.Height(), height);
    QCOMPARE(browser.brwWebBrowser.Width(), 6900.0f);
}

QTEST_MAIN(TestAccessories)
#include "test_accessories.moc"
