#include "core/module1.h"
#include "keyboard.h"
#include "main_window_test.h"

#include <QtTest>

using namespace sky;
using namespace Qt::StringLiterals;

namespace {

const QString kFull = u"Maximun files possible is 50"_s;

QStringList entries(int count)
{
    QStringList list;
    for (int i = 0; i < count; ++i)
        list.append(u"/m/%1.mp3"_s.arg(i));
    return list;
}

} // namespace

// Adding, clearing and editing the playlist.
class TestPlaylistEditing : public test::MainWindowTest
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void addingStopsAtFifty();
    void clearThenAdd();
    void addingNothingChangesNothing();
    void namesWithLineBreaksAreRefused();
    void shuffleSwitchResumesInOrder();
    void doubleClickAndEnterPlay();
    void escapeRemovesTheSelectedEntry();
    void keysActOnlyOnTheLinePicked();

private:
    QTemporaryDir media;
};

void TestPlaylistEditing::init()
{
    MainWindowTest::init();
    test::TestRig::createFiles(media.path(), {u"a.mp3"_s, u"b.wav"_s, u"Track07.cda"_s});
    main->File1.setPath(media.path());
}

void TestPlaylistEditing::addingStopsAtFifty()
{
    main->Command6_Click(); // nothing selected: nothing happens
    QCOMPARE(m->PlaylistCount, 0);
    QVERIFY(rig->messageBox.shown.isEmpty());

    rig->loadPlaylist(entries(49));
    main->Command9_Click();
    QCOMPARE(m->PlaylistCount, 50);
    QCOMPARE(m->PlaylistPath[49], media.filePath(u"a.mp3"_s));
    QCOMPARE(rig->messageBox.shown, QStringList({kFull}));
    QCOMPARE(main->File1.ListIndex(), 1); // the second file is selected
    main->Command6_Click();
    QCOMPARE(rig->messageBox.shown.size(), 2);
    QCOMPARE(main->List1.ListCount(), 50);
}

void TestPlaylistEditing::clearThenAdd()
{
    rig->loadPlaylist(entries(5));
    m->PlaylistIndex = 3;
    main->Command7_Click();
    QCOMPARE(m->PlaylistCount, 0);
    QCOMPARE(m->PlaylistIndex, short(0));
    QCOMPARE(m->LastShufflePick, -1.0);
    QCOMPARE(main->List1.ListCount(), 0);
    main->File1.setListIndex(2);
    main->Command6_Click();
    QCOMPARE(m->PlaylistCount, 1);
    QCOMPARE(m->PlaylistPath[0], u"wmpcd://0/07"_s);
    QCOMPARE(m->PlaylistPath[1], QString());
    QCOMPARE(rig->playlistLines(), QStringList({u"Track07.cda"_s}));
    main->Command9_Click();
    QCOMPARE(rig->playlistLines(), QStringList({u"Track07.cda"_s, u"a.mp3"_s, u"b.wav"_s, u"Track07.cda"_s}));
}

void TestPlaylistEditing::addingNothingChangesNothing()
{
    // Cleared, the list keeps the names of its former entries until new ones
    // take their slots; "Add to Play&List" in an empty folder adds nothing
    // and writes nothing.
    rig->loadPlaylist(entries(3));
    main->Command7_Click();
    QTemporaryDir empty;
    main->File1.setPath(empty.path());
    QCOMPARE(main->File1.FileName(), QString());
    main->Command6_Click();
    QCOMPARE(m->PlaylistCount, 0);
    QCOMPARE(main->List1.ListCount(), 0);
    QCOMPARE(m->PlaylistName[0], u"0.mp3"_s);
    QVERIFY(rig->messageBox.shown.isEmpty());
}

void TestPlaylistEditing::namesWithLineBreaksAreRefused()
{
    // One entry a line: a name that holds a line break would come back from
    // the playlist file as two broken entries.
    QTemporaryDir folder;
    test::TestRig::createFiles(folder.path(), {u"a.wav"_s, u"two\nlines.wav"_s, u"b\r.wav"_s, u"c.wav"_s});
    main->File1.setPath(folder.path());
    QCOMPARE(main->File1.ListCount(), 4);
    const QString refused = u"File names with a line break in them cannot be put in the playlist"_s;
    main->Command9_Click();
    QCOMPARE(rig->playlistLines(), QStringList({u"a.wav"_s, u"c.wav"_s}));
    QCOMPARE(rig->messageBox.shown, QStringList({refused}));
    main->File1.setListIndex(main->File1.ListCount() - 1);
    QVERIFY(main->File1.FileName().contains(u'\n'));
    main->Command6_Click();
    QCOMPARE(m->PlaylistCount, 2);
    QCOMPARE(rig->messageBox.shown, QStringList(2, refused));

    rig->fileDialog.answers.push_back(rig->appPath(u"saved.m3u"_s));
    main->Command17_Click();
    QCOMPARE(rig->readAppFile(u"saved.m3u"_s),
             (folder.filePath(u"a.wav"_s) + u"\r\n"_s + folder.filePath(u"c.wav"_s) + u"\r\n"_s).toUtf8());
}

void TestPlaylistEditing::shuffleSwitchResumesInOrder()
{
    rig->loadPlaylist(entries(8));
    main->Check2.setValue(1);
    main->Check3.setValue(1);
    m->LastShufflePick = 4;
    main->List1.setList(4, u" #  4.mp3"_s);
    main->Check3.setValue(0);
    QCOMPARE(m->PlaylistIndex, short(5));
    QCOMPARE(m->PlaylistRestart, 1);
    QCOMPARE(main->List1.List(4), u"4.mp3"_s);
    QCOMPARE(m->ShuffleOrder[0], kFreeShuffleSlot);
    // Turning the playlist off in the one-button theme leaves its controls
    // shown but the list disabled.
    m->ThemeOption = 1;
    main->Check2.setValue(0);
    QVERIFY(main->Command6.Visible() && main->List1.Visible());
    QVERIFY(!main->List1.Enabled());
    m->ThemeOption = 0;
    main->Check2.setValue(1);
    main->Check2.setValue(0);
    QVERIFY(!main->Command6.Visible() && !main->List1.Visible() && !main->Label5.Visible());
}

void TestPlaylistEditing::doubleClickAndEnterPlay()
{
    rig->loadPlaylist(entries(5));
    int enter = 13;
    main->List1_DblClick(); // nothing selected: nothing happens
    QVERIFY(rig->media->assigned.isEmpty());

    main->List1.setList(2, u" #  2.mp3"_s);
    m->ShuffleOrder[0] = 2;
    m->PlaylistIndex = 1;
    main->List1.setListIndex(3);
    main->List1_KeyPress(enter);
    QCOMPARE(rig->media->assigned, QStringList({u"/m/3.mp3"_s}));
    QCOMPARE(m->PlaylistIndex, short(1)); // the order does not move
    QCOMPARE(main->List1.List(2), u"2.mp3"_s);
    QCOMPARE(m->ShuffleOrder[0], kFreeShuffleSlot);

    main->List1_DblClick();
    QCOMPARE(m->PlaylistIndex, short(4));
    QCOMPARE(m->LastShufflePick, 3.0);
    // When it ends, the main timer goes on with the entry after it.
    main->Check2.setValue(1);
    rig->media->state = MediaEngine::Stopped;
    main->Timer1_Timer();
    QCOMPARE(rig->media->assigned.constLast(), u"/m/4.mp3"_s);
}

void TestPlaylistEditing::escapeRemovesTheSelectedEntry()
{
    rig->loadPlaylist(entries(6));
    m->PlaylistIndex = 4;
    int escape = 27;
    main->List1.setList(0, u" #  0.mp3"_s);
    main->List1.setListIndex(1);
    main->List1_KeyPress(escape);
    QCOMPARE(m->PlaylistCount, 5);
    QCOMPARE(rig->playlistLines(), QStringList({u"0.mp3"_s, u"2.mp3"_s, u"3.mp3"_s, u"4.mp3"_s, u"5.mp3"_s}));
    QCOMPARE(main->List1.ListIndex(), 1);
    QCOMPARE(m->PlaylistPath[3], u"/m/4.mp3"_s);
    QCOMPARE(m->PlaylistPath[5], QString());
    // The index is not adjusted: the next entry in order is the former 5.
    QCOMPARE(m->PlaylistPath[m->PlaylistIndex], u"/m/5.mp3"_s);

    main->List1.setListIndex(4);
    main->List1_KeyPress(escape);
    QCOMPARE(m->PlaylistCount, 4);
    QCOMPARE(main->List1.ListIndex(), -1);
}

// A person who tabs into the playlist finds the focus frame on its first
// line, not chosen: Enter and Escape change nothing until an arrow key
// picks a line.
void TestPlaylistEditing::keysActOnlyOnTheLinePicked()
{
    rig->loadPlaylist(entries(3));
    main->Show();
    test::activate(*main);
    main->Label2_DblClick(); // the bar of squares goes, and the name colours
    QVERIFY(test::tabTo(main->List1));
    test::press(Qt::Key_Return);
    test::press(Qt::Key_Escape);
    QCOMPARE(m->PlaylistCount, 3);
    QVERIFY(rig->media->assigned.isEmpty());
    QVERIFY(!m->RandomNameColour && !main->Label2.Visible());

    test::press(Qt::Key_Down);
    QCOMPARE(main->List1.ListIndex(), 1);
    QVERIFY(m->RandomNameColour && main->Label2.Visible());
    test::press(Qt::Key_Return);
    QCOMPARE(rig->media->assigned, QStringList({u"/m/1.mp3"_s}));
    test::press(Qt::Key_Escape);
    QCOMPARE(rig->playlistLines(), QStringList({u"0.mp3"_s, u"2.mp3"_s}));
    QCOMPARE(main->List1.ListIndex(), 1);
}

QTEST_MAIN(TestPlaylistEditing)
#include "test_playlist_editing.moc"
