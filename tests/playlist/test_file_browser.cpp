#include "core/module1.h"
#include "main_window_test.h"

#include <QDir>
#include <QtTest>

using namespace sky;
using namespace Qt::StringLiterals;

// Browsing drives, folders and files, and playing or adding from the list.
class TestFileBrowser : public test::MainWindowTest
{
    Q_OBJECT
private Q_SLOTS:
    void unreadableDriveFallsBackToTheRoot();
    void folderChangeSelectsTheFirstFile();
    void doubleClickPlaysOrAdds();

private:
    QTemporaryDir media;
};

void TestFileBrowser::unreadableDriveFallsBackToTheRoot()
{
    rig->environment.mounted = {u"/"_s, rig->appPath(u"no-medium"_s)};
    main->Drive1.Refresh();
    main->Drive1.setDrive(rig->appPath(u"no-medium"_s));
    QCOMPARE(rig->messageBox.shown, QStringList({u"The program is unable to access the drive"_s}));
    QCOMPARE(main->Drive1.Drive(), u"/"_s);
    QCOMPARE(main->Dir1.Path(), u"/"_s);
    QVERIFY(main->Dir1.Visible());
}

void TestFileBrowser::folderChangeSelectsTheFirstFile()
{
    const QDir dir(media.path());
    QVERIFY(dir.mkdir(u"empty"_s));
    QVERIFY(dir.mkdir(u"songs"_s));
    test::TestRig::createFiles(dir.filePath(u"songs"_s), {u"b.mp3"_s, u"A.wav"_s, u"c.txt"_s});
    main->Dir1.setPath(dir.filePath(u"empty"_s));
    QCOMPARE(main->File1.ListCount(), 0);
    QCOMPARE(main->File1.FileName(), QString());
    main->Dir1.setPath(dir.filePath(u"songs"_s));
    QCOMPARE(main->File1.Path(), dir.filePath(u"songs"_s));
    QCOMPARE(main->File1.FileName(), u"A.wav"_s);
    // Enter opens the highlighted folder: here, the one above.
    main->Dir1.setListIndex(-2);
    int enter = 13;
    main->Dir1_KeyPress(enter);
    QCOMPARE(main->Dir1.Path(), media.path());
}

void TestFileBrowser::doubleClickPlaysOrAdds()
{
    test::TestRig::createFiles(media.path(), {u"song.mp3"_s, u"Track03.cda"_s});
    main->File1.setPath(media.path());
    main->File1.setListIndex(0);
    main->File1_DblClick();
    // In a folder that is no root the file opens twice, the second time by
    // its plain path.
    QCOMPARE(rig->media->assigned, QStringList(2, media.filePath(u"song.mp3"_s)));
    QCOMPARE(m->PlayerStopped, kFalse);
    QVERIFY(main->MediaPlayer1.Visible() && main->Command10.Visible());
    main->File1.setListIndex(1);
    int enter = 13;
    main->File1_KeyPress(enter);
    QCOMPARE(rig->media->assigned.mid(2),
             QStringList({u"wmpcd://0/03"_s, media.filePath(u"Track03.cda"_s)}));

    // With the playlist on, the file is added instead.
    rig->media->assigned.clear();
    main->File1.setPath(media.path());
    main->File1.setListIndex(1);
    main->Check2.setValue(1);
    main->File1_DblClick();
    main->File1_KeyPress(enter);
    QVERIFY(rig->media->assigned.isEmpty());
    QCOMPARE(rig->playlistLines(), QStringList({u"Track03.cda"_s, u"Track03.cda"_s}));
    QCOMPARE(m->PlaylistPath[0], u"wmpcd://0/03"_s);
}

QTEST_MAIN(TestFileBrowser)
#include "test_file_browser.moc"
