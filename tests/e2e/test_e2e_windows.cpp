#include "core/settings_file.h"
#include "endtoendtest.h"
#include "flash/form3.h"
#include "mediafixtures.h"
#include "options/form5.h"
#include "plaincolours.h"
#include "platform/units.h"
#include "skins/form2.h"
#include "swfwriter.h"

#include <QtTest>

using namespace e2e;
using namespace Qt::StringLiterals;

namespace {

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

// A stage of 200 x 150 pixels with the test writer's square button at
// (50, 50): red, green under the pointer.
QByteArray buttonMovie()
{
    swftest::Movie movie(6, 200, 150, 12);
    movie.background(Qt::white);
    movie.squareButton(10, 1, {});
    movie.place(1, 10, 1000, 1000).showFrame();
    return movie.fws();
}

} // namespace

// The windows the main window opens, on the real program: the advanced
// options behind their password, the skin manager and the Flash window.
class TestE2eWindows : public EndToEndTest
{
    Q_OBJECT
private Q_SLOTS:
    void typedHintedPasswordOpensTheAdvancedOptions();
    void appliedSkinCoversTheMainWindow();
    void openedMoviePlaysInTheFlashWindow();
    void movieButtonFollowsThePointerInAndOut();

private:
    // Starts the player with `data` kept as the medium `name` (its path in
    // `path`) and opens the Flash window; an empty id when it did not show.
    XWindow flashWindowFor(const QString &name, const QByteArray &data, QString &path);
    // "Open", the movie's path typed into the file dialog.
    bool openMovie(const XWindow &flash, const QString &path);
};

XWindow TestE2eWindows::flashWindowFor(const QString &name, const QByteArray &data, QString &path)
{
    designs().form3().Load();
    path = player().mediaPath(name);
    if (!fixtures::writeFile(path, data))
        return {};
    const XWindow main = startPlayer();
    if (main.id.isEmpty())
        return {};
    // The Flash window has no title bar; its caption is "Form4".
    player().click(main, mainDesign().Command11);
    return player().waitForWindow(u"Form4"_s);
}

bool TestE2eWindows::openMovie(const XWindow &flash, const QString &path)
{
    player().click(flash, designs().form3().Command7);
    return typeIntoDialog(QRegularExpression::escape(u"Select your Flash file (SWF)"_s), path);
}

void TestE2eWindows::typedHintedPasswordOpensTheAdvancedOptions()
{
    sky::Form5 &optionsDesign = designs().form5();
    optionsDesign.Load();
    const XWindow main = startPlayer();
    QVERIFY2(!main.id.isEmpty(), qPrintable(player().describe()));

    player().click(main, mainDesign().Command12);
    const XWindow prompt = player().waitForWindow(u"Password"_s);
    QVERIFY2(!prompt.id.isEmpty(), qPrintable(player().describe()));

    // The password the hint names, typed key by key into the empty box.
    x().focus(prompt);
    x().keys({ u"q"_s, u"u"_s, u"o"_s, u"r"_s, u"b"_s });
    const XWindow options = player().waitForWindow(u"Advanced Options"_s);
    QVERIFY2(!options.id.isEmpty(), qPrintable(player().describe()));
    QVERIFY(player().window(u"Password"_s).id.isEmpty());
    XSession::keep(x().screenshot(), u"options"_s);

    // From the keyboard: the arrow key selects the other theme, Tab goes on
    // to "Save Settings" and Space ticks it, which writes the settings.
    x().focus(options);
    x().keys({ u"Down"_s, u"Tab"_s, u"space"_s });
    sky::Module1 saved;
    QVERIFY(waitFor([&] {
        return sky::readSettingsFile(player().appPath(u"save.ata"_s), saved) == sky::SettingsRead::Loaded
            && saved.SaveSettings == 1;
    }));
    QVERIFY(saved.ThemeOption == 1);
    // The two themes are one stop of Tab: Shift+Tab passes the selected
    // one on its way round to "Close", and Enter presses that. No prompt
    // is left behind.
    x().keys({ u"shift+Tab"_s, u"shift+Tab"_s, u"Return"_s });
    QVERIFY(player().waitUntilGone(u"Advanced Options"_s));
    QVERIFY(player().window(u"Password"_s).id.isEmpty());
    QVERIFY(!player().mainWindow().id.isEmpty());
}

void TestE2eWindows::appliedSkinCoversTheMainWindow()
{
    sky::Form2 &managerDesign = designs().form2();
    managerDesign.Load();
    // The skin manager opens in the folder the player was started in.
    const QRgb first = qRgb(0, 160, 255);
    const QRgb second = qRgb(255, 200, 0);
    QVERIFY(writeColourPicture(player().mediaPath(u"first.bmp"_s), QColor(first)));
    QVERIFY(writeColourPicture(player().mediaPath(u"second.bmp"_s), QColor(second)));
    const XWindow main = startPlayer();
    QVERIFY2(!main.id.isEmpty(), qPrintable(player().describe()));
    // A corner of the main window that no control covers.
    const QRect corner(main.geometry.topLeft(),
        QSize(sky::twipsToPixels(mainDesign().Label3.Left()), sky::twipsToPixels(mainDesign().Drive1.Top())));
    QVERIFY(colourShare(x().screenshot(), corner, second) < 0.01);

    player().click(main, mainDesign().Command2);
    const XWindow manager = player().waitForWindow(u"Change Skin"_s);
    QVERIFY2(!manager.id.isEmpty(), qPrintable(player().describe()));
    // The first picture's line, then the arrow key down to the second one,
    // which the preview shows.
    const QRect files = PlayerRun::areaOf(manager, managerDesign.File1);
    x().click(files.topLeft() + QPoint(files.width() / 4, 8));
    x().keys({ u"Down"_s });
    const QRect preview = PlayerRun::areaOf(manager, managerDesign.Image1);
    QImage shot;
    QVERIFY(waitFor([&] { return colourShare(shot = x().screenshot(), preview, second) > 0.9; }));
    XSession::keep(shot, u"preview"_s);

    // The access key of "A&utomatically change skin", which lies beyond the
    // narrow window's edge, ticks nothing: "Apply" stays enabled.
    x().keys({ u"alt+u"_s });
    // "Apply": the picture lies behind the main window's controls, and the
    // skin manager comes back.
    player().click(manager, managerDesign.Command1);
    QVERIFY(waitFor([&] { return colourShare(shot = x().screenshot(), corner, second) > 0.95; }));
    XSession::keep(shot, u"applied"_s);
    QVERIFY(colourShare(shot, main.geometry, second) > 0.3);
    QVERIFY(!player().window(u"Change Skin"_s).id.isEmpty());
}

void TestE2eWindows::openedMoviePlaysInTheFlashWindow()
{
    QString movie;
    const XWindow flash = flashWindowFor(u"colours.swf"_s, twoColourMovie(), movie);
    QVERIFY2(!flash.id.isEmpty(), qPrintable(player().describe()));
    sky::Form3 &flashDesign = designs().form3();
    const QRect stage = PlayerRun::areaOf(flash, flashDesign.ShockwaveFlash1);
    QImage shot = x().screenshot();
    QVERIFY(colourShare(shot, stage, kRed) < 0.01 && colourShare(shot, stage, kBlue) < 0.01);

    // "Open", the movie's name typed into the file dialog: it plays, the
    // stage showing one frame and then the other.
    QVERIFY2(openMovie(flash, movie), qPrintable(player().describe()));
    QVERIFY(waitFor([&] { return colourShare(shot = x().screenshot(), stage, kRed) > 0.5; }));
    XSession::keep(shot, u"red"_s);
    QVERIFY(waitFor([&] { return colourShare(shot = x().screenshot(), stage, kBlue) > 0.5; }));
    XSession::keep(shot, u"blue"_s);

    // The close button ends the window; the main window stays.
    player().click(flash, flashDesign.Command1);
    QVERIFY(player().waitUntilGone(u"Form4"_s));
    QVERIFY(!player().mainWindow().id.isEmpty());
}

void TestE2eWindows::movieButtonFollowsThePointerInAndOut()
{
    QString movie;
    const XWindow flash = flashWindowFor(u"button.swf"_s, buttonMovie(), movie);
    QVERIFY2(!flash.id.isEmpty(), qPrintable(player().describe()));
    QVERIFY2(openMovie(flash, movie), qPrintable(player().describe()));
    const QRect stage = PlayerRun::areaOf(flash, designs().form3().ShockwaveFlash1);
    QImage shot;
    QVERIFY(waitFor([&] { return colourShare(shot = x().screenshot(), stage, kRed) > 0.05; }));
    QRect button;
    for (int y = stage.top(); y <= stage.bottom(); ++y)
        for (int x = stage.left(); x <= stage.right(); ++x)
            if (colourShare(shot, QRect(x, y, 1, 1), kRed) > 0)
                button |= QRect(x, y, 1, 1);

    // Over the button's hit area it turns green; off the movie, onto the
    // window around it, it is red again.
    const QPoint over = button.topLeft() + QPoint(15, 15);
    const QRect spot(over, QSize(4, 4));
    x().movePointer(over);
    QVERIFY(waitFor([&] { return colourShare(shot = x().screenshot(), spot, qRgb(0, 255, 0)) > 0.9; }));
    XSession::keep(shot, u"over"_s);
    x().movePointer(QPoint(stage.left() - 8, over.y()));
    QVERIFY(waitFor([&] { return colourShare(shot = x().screenshot(), spot, kRed) > 0.9; }));
    XSession::keep(shot, u"left"_s);
}

QTEST_MAIN(TestE2eWindows)
#include "test_e2e_windows.moc"
