#include "core/module1.h"
#include "main_window_test.h"

#include <QDir>
#include <QtTest>

using namespace sky;
using namespace Qt::StringLiterals;

class TestTransport : public test::MainWindowTest
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void playTakesTheSelectedFile();
    void aToBLoopsBackToPointA();

private:
    QTemporaryDir media;
};

void TestTransport::init()
{
    MainWindowTest::init();
    test::TestRig::createFiles(media.path(), {u"Track05.cda"_s, u"song.mp3"_s});
    main->File1.setPath(media.path());
}

void TestTransport::playTakesTheSelectedFile()
{
    m->VideoDisplaySize = 3;
    QVERIFY(!main->MediaPlayer1.Visible());
    main->Command1_Click(); // nothing selected: the folder and a separator
    QCOMPARE(rig->media->assigned, QStringList({media.path() + u"/"_s}));
    QCOMPARE(rig->media->displaySize(), 3L);
    QCOMPARE(m->PlayerStopped, kFalse);
    QCOMPARE(m->MediaPlayerShown, 1);
    QVERIFY(main->MediaPlayer1.Visible() && main->Command5.Visible() && main->Command10.Visible());
    main->File1.setListIndex(1); // names sort without regard to case
    main->Command1_Click();
    QCOMPARE(rig->media->assigned.constLast(), u"wmpcd://0/05"_s);
    // A visible media control leaves the group button as the user left it.
    main->Command5.setVisible(false);
    main->Command1_Click();
    QVERIFY(!main->Command5.Visible());
}

void TestTransport::aToBLoopsBackToPointA()
{
    main->File1.setListIndex(0);
    main->Command1_Click();
    main->Timer1_Timer();
    QVERIFY(main->Check5.Visible()); // offered while the media control shows
    main->Check5.setValue(1);
    QVERIFY(main->Command14.Visible());
    QCOMPARE(main->Command14.Caption(), u"&A"_s);
    rig->media->position = 30;
    main->Command14_Click();
    QCOMPARE(main->Command14.Caption(), u"&B"_s);
    // Point B before point A: every tick jumps back to A.
    rig->media->position = 12;
    main->Command14_Click();
    QVERIFY(m->ABActive);
    QVERIFY(!main->Command14.Visible());
    QCOMPARE(m->ABButtonShown, 0);
    rig->media->position = 13;
    main->Timer1_Timer();
    main->Timer1_Timer();
    QCOMPARE(rig->media->seeks, std::vector<double>({30, 30}));
    // Unticking ends the loop; ticking again asks for new points.
    main->Check5.setValue(0);
    QVERIFY(!m->ABActive);
    main->Timer1_Timer();
    QCOMPARE(rig->media->seeks.size(), std::size_t(2));
    main->Check5.setValue(1);
    QCOMPARE(main->Command14.Caption(), u"&A"_s);
    QCOMPARE(m->ABButtonShown, 1);
}

QTEST_MAIN(TestTransport)
#include "test_transport.moc"
