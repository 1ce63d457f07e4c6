#include "core/module1.h"
#include "flash/form3.h"
#include "mainwindow/form1.h"
#include "test_rig.h"

#include <QDir>
#include <QtTest>

using namespace sky;
using namespace Qt::StringLiterals;

// A later start of the player hands its argument to the running one (a
// double-click on a file in the file manager): what the running player does
// with each kind of file, and what the start-up does with the same files.
class TestHandOver : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void mediaFilePlaysAtOnce();
    void playlistReplacesTheListAndStartsIt();
    void unreadablePlaylistChangesNothing();
    void flashMovieOpensInTheFlashWindow();
    void closedMainWindowStaysClosed();
    void startUpOpensTheSameKinds();

private:
    // Plays the second of three entries of a playlist.
    void startPlayingAList();

    std::unique_ptr<test::TestRig> rig;
    QTemporaryDir media;
};

void TestHandOver::init()
{
    rig = std::make_unique<test::TestRig>();
    test::TestRig::createFiles(media.path(), { u"a.mp3"_s, u"b.wav"_s, u"notes.txt"_s });
}

void TestHandOver::startPlayingAList()
{
    Form1 &main = rig->startMainWindow();
    rig->program->start();
    main.Check2.setValue(1);
    rig->loadPlaylist({ u"/music/old1.mp3"_s, u"/music/old2.mp3"_s, u"/music/old3.mp3"_s });
    main.Timer1_Timer();
    main.Timer1_Timer();
    rig->media->state = test::FakeMediaEngine::Stopped;
    main.Timer1_Timer();
}

void TestHandOver::mediaFilePlaysAtOnce()
{
    Form1 &main = rig->startMainWindow();
    rig->program->start();
    main.window()->showMinimized();
    const QString song = QDir(media.path()).filePath(u"b.wav"_s);
    rig->program->handOver({ song });
    QCOMPARE(rig->media->assigned.last(), song);
    QCOMPARE(rig->media->state, long(test::FakeMediaEngine::Playing));
    // The file list shows where it came from, as if it had been chosen there.
    QCOMPARE(main.File1.Path(), media.path());
    QCOMPARE(main.File1.FileName(), u"b.wav"_s);
    QVERIFY(main.MediaPlayer1.Visible() && main.Command10.Visible());
    QCOMPARE(rig->program->module().PlayerStopped, kFalse);
    QVERIFY(main.Visible() && !main.isMinimized());

    // A file that is not media only brings the window forward.
    const int played = static_cast<int>(rig->media->assigned.size());
    rig->program->handOver({ QDir(media.path()).filePath(u"notes.txt"_s) });
    rig->program->handOver({});
    QCOMPARE(rig->media->assigned.size(), played);
    QVERIFY(rig->messageBox.shown.isEmpty());
}

void TestHandOver::playlistReplacesTheListAndStartsIt()
{
    startPlayingAList();
    Form1 &main = rig->program->form1();
    QCOMPARE(rig->media->fileName(), u"/music/old2.mp3"_s);
    rig->writeAppFile(u"new.pla"_s, "/music/new1.mp3\r\n\r\n/music/new2.mp3\r\n");
    rig->program->handOver({ rig->appPath(u"new.pla"_s) });

    const Module1 &m = rig->program->module();
    QCOMPARE(rig->playlistLines(), QStringList({ u"new1.mp3"_s, u"new2.mp3"_s }));
    QCOMPARE(m.PlaylistCount, 2);
    QCOMPARE(m.PlaylistPath[2], QString());
    QCOMPARE(main.Check2.Value(), 1);
    // The old item is stopped and the new list plays from its first entry
    // on the next tick, then goes on in order.
    QCOMPARE(rig->media->prepared.last(), u"/music/new1.mp3"_s);
    main.Timer1_Timer();
    QCOMPARE(rig->media->fileName(), u"/music/new1.mp3"_s);
    rig->media->state = test::FakeMediaEngine::Stopped;
    main.Timer1_Timer();
    QCOMPARE(rig->media->fileName(), u"/music/new2.mp3"_s);
    QVERIFY(rig->messageBox.shown.isEmpty());

    // Shuffled, the entry is picked only on the tick.
    main.Check3.setValue(1);
    rig->program->handOver({ rig->appPath(u"new.pla"_s) });
    QCOMPARE(rig->media->prepared.last(), QString());
}

void TestHandOver::unreadablePlaylistChangesNothing()
{
    startPlayingAList();
    Form1 &main = rig->program->form1();
    QCOMPARE(rig->media->fileName(), u"/music/old2.mp3"_s);
    const long state = rig->media->state;
    rig->program->handOver({ rig->appPath(u"missing.pla"_s) });
    QCOMPARE(rig->playlistLines(), QStringList({ u"old1.mp3"_s, u"old2.mp3"_s, u"old3.mp3"_s }));
    QCOMPARE(rig->program->module().PlaylistCount, 3);
    QCOMPARE(rig->media->state, state);
    QCOMPARE(main.Check2.Value(), 1);
    QVERIFY(rig->messageBox.shown.isEmpty());
}

void TestHandOver::flashMovieOpensInTheFlashWindow()
{
    rig->startMainWindow();
    rig->program->start();
    const QString movie = QString::fromUtf8(SKY_SHARED_DIR) + u"/swf-corpus/other/shumway__morph.swf"_s;
    QVERIFY(QFile::exists(movie));
    rig->program->handOver({ movie });
    QCOMPARE(rig->modal.shown, QStringList({ u"Form3"_s }));
    QCOMPARE(rig->program->form3().ShockwaveFlash1.Movie(), movie);
}

void TestHandOver::closedMainWindowStaysClosed()
{
    Form1 &main = rig->startMainWindow();
    rig->program->start();
    rig->program->closeMainWindow();
    rig->program->handOver({ QDir(media.path()).filePath(u"a.mp3"_s) });
    QVERIFY(!main.isLoaded() && !main.Visible());
    QVERIFY(rig->media->assigned.isEmpty());
}

void TestHandOver::startUpOpensTheSameKinds()
{
    // An ".m3u" and an upper-case ".PLA" on the command line load as
    // playlists, with the reading rules of the Load button.
    for (const QString &name : { u"radio.m3u"_s, u"LIST.PLA"_s }) {
        init();
        rig->writeAppFile(u"radio.m3u"_s, "#EXTM3U\r\n/music/one.mp3\r\n");
        rig->writeAppFile(u"LIST.PLA"_s, "#skipped\r\n/music/two.mp3\r\n");
        rig->environment.args = { rig->appPath(name) };
        rig->startMainWindow();
        QCOMPARE(rig->playlistLines().size(), 1);
        QCOMPARE(rig->program->module().PlaylistCount, 1);
        QCOMPARE(rig->program->form1().Check2.Value(), 1);
    }
    // A Flash movie opens in the Flash window.
    init();
    const QString movie = QString::fromUtf8(SKY_SHARED_DIR) + u"/swf-corpus/other/shumway__morph.swf"_s;
    rig->environment.args = { movie };
    rig->startMainWindow();
    QCOMPARE(rig->modal.shown, QStringList({ u"Form3"_s }));
    QCOMPARE(rig->program->form3().ShockwaveFlash1.Movie(), movie);
    QVERIFY(rig->media->assigned.isEmpty());
}

QTEST_MAIN(TestHandOver)
#include "test_hand_over.moc"
