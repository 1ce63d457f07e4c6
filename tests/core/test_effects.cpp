#include "core/module1.h"
#include "platform/colour.h"
#include "main_window_test.h"

#include <QImage>
#include <QScreen>
#include <QtTest>

using namespace sky;
using namespace Qt::StringLiterals;

// The colour cycle, the bar of squares, the title bar and the automatic skin
// change that run on every tick of the main timer.
class TestEffects : public test::MainWindowTest
{
    Q_OBJECT
private Q_SLOTS:
    void colourCycleRisesPausesAndFalls();
    void squareBarGrowsWhilePlaying();
    void titleBarScrollsAndHoldsTheTime();
    void automaticSkinChange();
    void screenKeepsUpWithTheAnimation();

private:
};

void TestEffects::colourCycleRisesPausesAndFalls()
{
    main->Timer1_Timer();
    QCOMPARE(main->Command1.BackColor(), rgb(200, 255, 0));
    QCOMPARE(main->Check1.BackColor(), rgb(0, 200, 0));
    for (int tick = 1; tick <= 255; ++tick)
        main->Timer1_Timer();
    QCOMPARE(main->Check1.BackColor(), rgb(255, 200, 255));
    main->Timer1_Timer(); // the quiet tick
    QCOMPARE(main->Check1.BackColor(), rgb(255, 200, 255));
    QCOMPARE(m->ColourFalling, short(1));
    main->Timer1_Timer();
    QCOMPARE(main->Check1.BackColor(), rgb(254, 200, 254));
    // A fixed colour for the PLAY button; Repeat goes on cycling.
    m->StopColourChange = 1;
    main->Timer1_Timer();
    QCOMPARE(main->Command1.BackColor(), rgb(250, 150, 150));
    QCOMPARE(main->Check1.BackColor(), rgb(253, 200, 253));

    // A hand-edited colour that fits no colour value keeps the start one.
    for (const QString &colour : {u"1e300"_s, u"-1e300"_s, u"99999999999"_s, u"65479.6"_s}) {
        restart(test::TestRig::editedSettings({{4, colour}, {6, u"1"_s}}));
        main->Timer1_Timer();
        QCOMPARE(main->Command1.BackColor(), colour == u"65479.6"_s ? 65480L : rgb(250, 150, 150));
    }
}

void TestEffects::squareBarGrowsWhilePlaying()
{
    main->Timer1_Timer();
    QCOMPARE(main->Label2.Caption(), QString());
    rig->loadPlaylist({u"/m/a.mp3"_s});
    main->Check2.setValue(1);
    main->Timer1_Timer(); // starts the entry; the name shows from the next tick
    QStringList bars;
    for (int tick = 0; tick < 12; ++tick) {
        main->Timer1_Timer();
        bars.append(main->Label2.Caption());
    }
    QCOMPARE(bars.at(0), u"n"_s);
    QCOMPARE(bars.at(9), u"nnnnnnnnnn"_s);
    QCOMPARE(bars.at(10), QString());
    QCOMPARE(main->Label2.Alignment(), 1);
    QCOMPARE(bars.at(11), u"n"_s);
    const long named = main->Label3.ForeColor();
    main->Label3.DblClick(); // stops the random colours and hides the bar
    QVERIFY(!main->Label2.Visible());
    main->Timer1_Timer();
    QCOMPARE(main->Label3.ForeColor(), named);
    main->List1.Click();
    QVERIFY(main->Label2.Visible());
}

void TestEffects::titleBarScrollsAndHoldsTheTime()
{
    main->Timer1_Timer();
    QCOMPARE(main->Caption(), u"12:34:56"_s + m->TitleText.right(190));
    main->Timer1_Timer();
    QCOMPARE(main->Caption(), u"12:34:56"_s + m->TitleText.right(189));
    m->TimeInTitle = 0;
    for (int tick = 0; tick < 188; ++tick)
        main->Timer1_Timer();
    QCOMPARE(main->Caption(), u"0"_s); // the title leaves at the left edge
    // Without shuffle each new pass scrolls the name of the file played last.
    m->CurrentFileName = u"song.mp3"_s;
    main->Timer1_Timer();
    QCOMPARE(main->Caption(), QString());
    QCOMPARE(m->TitleScroll, QString(166, u' ') + u"song.mp3"_s);
    QCOMPARE(m->TitleScrollLen, 189);
    // Without scrolling: the last 60 characters.
    m->ScrollTitle = 0;
    m->TimeInTitle = 1;
    m->TitleScroll = m->TitleText;
    main->Timer1_Timer();
    QCOMPARE(main->Caption(), u"12:34:56"_s + QString(29, u' ') + u"SKYVANTRIX Media Player v 1.0.0"_s);
}

void TestEffects::automaticSkinChange()
{
    m->AutoSkinChange = 1;
    m->SkinInterval = 2;
    // An empty list: the index goes between 0 and 1, nothing is loaded.
    // A change every SkinInterval + 1 ticks.
    QList<double> ticks;
    for (int tick = 0; tick < 8; ++tick) {
        main->Timer1_Timer();
        ticks.append(m->SkinTick.value());
    }
    QCOMPARE(ticks, QList<double>({1, 2, 3, 1, 2, 3, 1, 2}));
    QCOMPARE(m->SkinIndex.value(), 1.0);
    QVERIFY(main->Image1.Visible());

    QImage picture(30, 20, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QVERIFY(picture.save(rig->appPath(u"red.png"_s)));
    m->SkinPath[0] = rig->appPath(u"red.png"_s);
    m->SkinPath[1] = rig->appPath(u"gone.png"_s);
    m->SkinIndex = 0;
    m->SkinTick = 3;
    m->SkinDisplayMode = 0;
    main->Timer1_Timer();
    QCOMPARE(main->Image1.picture().image().pixelColor(0, 0), QColor(Qt::red));
    QCOMPARE(m->SkinSlotsUsed, short(2));
    QCOMPARE(m->SkinIndex.value(), 1.0);
    QCOMPARE(qRound(main->Image1.Width()), 450); // natural size: stretching is off
    QVERIFY(main->BackColor() != rgb(0, 64, 0));
    m->SkinTick = 3;
    main->Timer1_Timer(); // a picture that is gone leaves the last one
    QCOMPARE(main->Image1.picture().image().pixelColor(0, 0), QColor(Qt::red));
    QCOMPARE(m->SkinIndex.value(), 2.0);
}

void TestEffects::screenKeepsUpWithTheAnimation()
{
    // Each tick repaints only what it changed; the window on screen must
    // still show what a repaint of the whole window draws: a piece left out
    // would keep an old colour, square or name.
    rig->loadPlaylist({u"/m/a.mp3"_s});
    main->Check2.setValue(1);
    main->Show();
    QWidget *window = main->window();
    for (int tick = 0; tick < 14; ++tick) {
        main->Timer1_Timer();
        if (tick == 12)
            main->Label3.DblClick(); // the bar goes, the name keeps its colour
        // The window system's call to draw what changed.
        QCoreApplication::processEvents();
        QEvent drawNow(QEvent::UpdateRequest);
        QCoreApplication::sendEvent(window, &drawNow);
        const QImage shown = window->screen()->grabWindow(window->winId()).toImage();
        const QImage whole = window->grab().toImage();
        QCOMPARE(shown.convertToFormat(QImage::Format_RGB32), whole.convertToFormat(QImage::Format_RGB32));
    }
}

QTEST_MAIN(TestEffects)
#include "test_effects.moc"
