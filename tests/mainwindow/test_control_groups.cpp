#include "core/module1.h"
#include "platform/colour.h"
#include "main_window_test.h"

#include <QImage>
#include <QtTest>

using namespace sky;
using namespace Qt::StringLiterals;

// The two themes, the group buttons and the skin picture applied on every
// activation of the main window.
class TestControlGroups : public test::MainWindowTest
{
    Q_OBJECT
private Q_SLOTS:
    void themeZeroOffersTheGroupButtons();
    void themeOneSwitchesBetweenViews();
    void groupButtonsToggleTheirGroups();
    void activationAppliesTheChosenSkin();

private:
    QStringList visibleControls();

};

QStringList TestControlGroups::visibleControls()
{
    QStringList names;
    for (Control *control : main->Controls())
        if (control->hasVisibility() && control->Visible())
            names.append(control->Name());
    names.sort();
    return names;
}

void TestControlGroups::themeZeroOffersTheGroupButtons()
{
    main->Command2.setTop(500);
    main->Form_Activate();
    QVERIFY(!main->Check4.Visible());
    QVERIFY(main->Command3.Visible() && main->Command4.Visible() && main->Command5.Visible()
            && main->Command8.Visible());
    QCOMPARE(main->Command2.Top(), 5160.0f);
    QCOMPARE(rig->media->displaySize(), 4L);
}

void TestControlGroups::themeOneSwitchesBetweenViews()
{
    m->ThemeOption = 1;
    main->Form_Activate();
    QVERIFY(main->Check4.Visible());
    main->Check4.setValue(1);
    QCOMPARE(visibleControls(), QStringList({u"Check4"_s, u"Command2"_s, u"Image1"_s}));
    QCOMPARE(main->Command2.Top(), 500.0f);
    QCOMPARE(main->Check4.Caption(), u"Show Media Player"_s);
    main->Form_Activate(); // the view survives a visit to another window
    QCOMPARE(visibleControls(), QStringList({u"Check4"_s, u"Command2"_s, u"Image1"_s}));

    m->ABButtonShown = 1;
    main->Check4.setValue(0);
    QCOMPARE(main->Check4.Caption(), u"Show Picture Viewer"_s);
    const QStringList shown = visibleControls();
    for (const QString &hidden : {u"Text1"_s, u"Command2"_s, u"Command3"_s, u"Command4"_s, u"Command5"_s, u"Command8"_s})
        QVERIFY2(!shown.contains(hidden), qPrintable(hidden));
    QVERIFY(shown.contains(u"Command14"_s) && shown.contains(u"MediaPlayer1"_s) && shown.contains(u"List1"_s));
    QCOMPARE(main->Dir1.BackColor(), rgb(250, 150, 150));
}

void TestControlGroups::groupButtonsToggleTheirGroups()
{
    main->Command8_Click();
    QVERIFY(!main->List1.Visible() && !main->Check2.Visible() && !main->Command18.Visible());
    QCOMPARE(m->PlaylistControlsShown, 0);
    main->Command8_Click();
    QVERIFY(main->List1.Visible() && main->Check2.Visible() && main->Command18.Visible());

    main->Command5_Click(); // hidden at start: shows the media control
    QVERIFY(main->MediaPlayer1.Visible() && main->Command10.Visible());
    QCOMPARE(m->MediaPlayerShown, 1);
    main->Command5_Click();
    QVERIFY(!main->MediaPlayer1.Visible() && !main->Command10.Visible());
    QCOMPARE(m->MediaPlayerShown, 0);

    main->Command3_Click();
    main->Command4_Click();
    QVERIFY(!main->Dir1.Visible() && !main->File1.Visible());
    main->Form_Activate(); // theme 0 leaves the groups as the user set them
    QVERIFY(!main->Dir1.Visible());
    main->Dir1.GotFocus();
    QVERIFY(main->File1.Visible());
}

void TestControlGroups::activationAppliesTheChosenSkin()
{
    main->Form_Activate(); // no skin chosen yet: the picture stays
    QCOMPARE(main->BackColor(), rgb(0, 64, 0));

    QImage picture(1200, 300, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    QVERIFY(picture.save(rig->appPath(u"wide.png"_s)));
    m->SkinChosen = 1;
    m->SkinPicturePath = rig->appPath(u"wide.png"_s);
    m->SkinFitMode = 2;
    m->SkinDisplayMode = 2;
    m->SkinWindowReshown = 0;
    main->Form_Activate();
    QCOMPARE(main->Image1.picture().image().width(), 1200);
    // Centred, keeping the ratio, within the client area.
    QCOMPARE(main->Image1.Width(), main->ScaleWidth());
    QCOMPARE(qRound(main->Image1.Height()), qRound(main->ScaleWidth() / 4));
    QCOMPARE(main->Image1.Left(), 0.0f);
    const QColor background = toQColor(main->BackColor());
    QVERIFY(background.red() < 155 && background.green() < 155 && background.blue() < 155);
    QCOMPARE(m->SkinWindowReshown, 1);

    // With the automatic change on, no picture is loaded.
    m->AutoSkinChange = 1;
    m->SkinPicturePath = rig->appPath(u"other.png"_s);
    const long before = main->BackColor();
    main->Form_Activate();
    QCOMPARE(main->BackColor(), before);
}

QTEST_MAIN(TestControlGroups)
#include "test_control_groups.moc"
