#include "options/form5.h"
#include "playerrun.h"
#include "test_rig.h"
#include "xsession.h"

#include <QtTest>

using namespace e2e;
using namespace Qt::StringLiterals;

// The advanced options behind their password prompt, on the real program.
class TestE2eOptions : public EndToEndTest
{
    Q_OBJECT
private Q_SLOTS:
    void typedHintedPasswordOpensTheAdvancedOptions();
};

void TestE2eOptions::typedHintedPasswordOpensTheAdvancedOptions()
{
    sky::test::TestRig rig;
    const sky::Form1 &design = rig.startMainWindow();
    sky::Form5 &optionsDesign = rig.program->form5();
    optionsDesign.Load();
    PlayerRun player(x());
    QVERIFY(player.writeSettings());
    const XWindow main = player.startToMainWindow();
    QVERIFY2(!main.id.isEmpty(), qPrintable(player.describe()));

    player.click(main, design.Command12);
    const XWindow prompt = player.waitForWindow(u"Password"_s);
    QVERIFY2(!prompt.id.isEmpty(), qPrintable(player.describe()));

    // The password the hint names, typed key by key into the empty box.
    x().focus(prompt);
    x().keys({ u"q"_s, u"u"_s, u"o"_s, u"r"_s, u"b"_s });
    const XWindow options = player.waitForWindow(u"Advanced Options"_s);
    QVERIFY2(!options.id.isEmpty(), qPrintable(player.describe()));
    QVERIFY(player.window(u"Password"_s).id.isEmpty());
    XSession::keep(x().screenshot(), u"options"_s);

    // Closing the options leaves no prompt behind.
    player.click(options, optionsDesign.Command1);
    QVERIFY(player.waitUntilGone(u"Advanced Options"_s));
    QVERIFY(player.window(u"Password"_s).id.isEmpty());
    QVERIFY(!player.mainWindow().id.isEmpty());
}

QTEST_MAIN(TestE2eOptions)
#include "test_e2e_options.moc"
