#include "core/module1.h"
#include "mainwindow/form1.h"
#include "main_window_test.h"

#include <QAbstractScrollArea>
#include <QDir>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QtTest>

using namespace sky;
using namespace Qt::StringLiterals;

namespace {

// Where a drag from a file manager lands on a control: the scrolled area of
// a list, else the control itself.
QWidget *dropSite(const Control &control)
{
    if (auto *area = qobject_cast<QAbstractScrollArea *>(control.widget()))
        return area->viewport();
    return control.widget();
}

} // namespace

// Files dragged from a file manager and dropped on the main window, sent as
// the window system's drag events to the widgets they land on.
class TestFileDrops : public test::MainWindowTest
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void mediaDroppedOnThePlaylistIsAdded();
    void mediaDroppedElsewherePlaysTheFirst();
    void playlistFileLoadsAsTheLoadButtonLoadsIt();
    void folderOpensInTheFolderList();
    void anythingElseIsRefused();

private:
    // Drags the files onto the widget; true when it would take them. With
    // drop, they are dropped there.
    bool drag(QWidget *site, const QStringList &paths, bool drop = true);
    QString mediaFile(const QString &name) const { return QDir(media.path()).filePath(name); }

    QTemporaryDir media;
};

void TestFileDrops::init()
{
    MainWindowTest::init();
    rig->program->start();
    test::TestRig::createFiles(media.path(), {u"a.mp3"_s, u"b.wav"_s, u"notes.txt"_s});
}

bool TestFileDrops::drag(QWidget *site, const QStringList &paths, bool drop)
{
    QMimeData data;
    QList<QUrl> urls;
    for (const QString &path : paths)
        urls.append(path.contains(u"://"_s) ? QUrl(path) : QUrl::fromLocalFile(path));
    data.setUrls(urls);
    const QPoint inside(site->width() / 2, site->height() / 2);
    const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
    QDragEnterEvent enter(inside, actions, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(site, &enter);
    if (!enter.isAccepted())
        return false;
    if (enter.dropAction() != Qt::CopyAction)
        return false;
    if (drop) {
        QDropEvent dropped(QPointF(inside), actions, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(site, &dropped);
        if (!dropped.isAccepted())
            return false;
    }
    return true;
}

void TestFileDrops::mediaDroppedOnThePlaylistIsAdded()
{
    main->Check2.setValue(1);
    rig->loadPlaylist({u"/music/kept.mp3"_s});
    QVERIFY(drag(dropSite(main->List1), {mediaFile(u"b.wav"_s), mediaFile(u"notes.txt"_s), mediaFile(u"a.mp3"_s)}));
    QCOMPARE(rig->playlistLines(), QStringList({u"kept.mp3"_s, u"b.wav"_s, u"a.mp3"_s}));
    QCOMPARE(m->PlaylistCount, 3);
    QCOMPARE(m->PlaylistPath[1], mediaFile(u"b.wav"_s));
    QCOMPARE(m->PlaylistPath[3], QString());
    QCOMPARE(m->PlaylistName[3], QString());
    // Nothing plays until the main timer starts the list.
    QVERIFY(rig->media->assigned.isEmpty());
}

void TestFileDrops::mediaDroppedElsewherePlaysTheFirst()
{
    // The playlist is off: its list is hidden, and a drop there lands on
    // the window.
    QCOMPARE(main->Check2.Value(), 0);
    QVERIFY(drag(dropSite(main->File1), {mediaFile(u"notes.txt"_s), mediaFile(u"b.wav"_s), mediaFile(u"a.mp3"_s)}));
    QCOMPARE(rig->media->assigned.last(), mediaFile(u"b.wav"_s));
    QCOMPARE(main->File1.Path(), media.path());
    QCOMPARE(main->File1.FileName(), u"b.wav"_s);
    QVERIFY(main->MediaPlayer1.Visible() && main->Command10.Visible());
    QVERIFY(rig->playlistLines().isEmpty());

    QVERIFY(drag(main->window(), {mediaFile(u"a.mp3"_s)}));
    QCOMPARE(rig->media->assigned.last(), mediaFile(u"a.mp3"_s));

    // With the playlist on, a double-click adds, and so does a drop.
    main->Check2.setValue(1);
    const auto played = rig->media->assigned.size();
    QVERIFY(drag(dropSite(main->File1), {mediaFile(u"b.wav"_s)}));
    QCOMPARE(rig->playlistLines(), QStringList({u"b.wav"_s}));
    QCOMPARE(rig->media->assigned.size(), played);
}

void TestFileDrops::playlistFileLoadsAsTheLoadButtonLoadsIt()
{
    main->Check2.setValue(1);
    rig->loadPlaylist({u"/music/old.mp3"_s});
    // Upper case: read with the ".m3u" rules, as the Load button reads it.
    rig->writeAppFile(u"LIST.PLA"_s, "#EXTM3U\r\n/music/one.mp3\r\n\r\n/music/two.mp3\r\n");
    QVERIFY(drag(dropSite(main->List1), {rig->appPath(u"LIST.PLA"_s), mediaFile(u"a.mp3"_s)}));
    QCOMPARE(rig->playlistLines(), QStringList({u"one.mp3"_s, u"two.mp3"_s}));
    QCOMPARE(rig->program->module().PlaylistCount, 2);
    QCOMPARE(main->Check2.Value(), 1);

    rig->writeAppFile(u"radio.m3u"_s, "/music/three.mp3\r\n");
    main->Check2.setValue(0);
    QVERIFY(drag(main->window(), {rig->appPath(u"radio.m3u"_s)}));
    QCOMPARE(rig->playlistLines(), QStringList({u"three.mp3"_s}));
    QVERIFY(rig->media->assigned.isEmpty());
}

void TestFileDrops::folderOpensInTheFolderList()
{
    QVERIFY(drag(dropSite(main->File1), {media.path(), mediaFile(u"a.mp3"_s)}));
    QCOMPARE(main->Dir1.Path(), media.path());
    QCOMPARE(main->File1.Path(), media.path());
    QCOMPARE(main->File1.ListCount(), 2); // a.mp3 and b.wav
    QVERIFY(rig->media->assigned.isEmpty());
}

void TestFileDrops::anythingElseIsRefused()
{
    main->Check2.setValue(1);
    for (QWidget *site : {dropSite(main->List1), dropSite(main->File1), main->window()}) {
        QVERIFY(!drag(site, {mediaFile(u"notes.txt"_s)}));
        QVERIFY(!drag(site, {u"https://example.invalid/a.mp3"_s}));
        QVERIFY(!drag(site, {mediaFile(u"gone.mp3"_s)}));
    }
    // Text, not files.
    QMimeData text;
    text.setText(mediaFile(u"a.mp3"_s));
    QDragEnterEvent enter(QPoint(1, 1), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(dropSite(main->List1), &enter);
    QVERIFY(!enter.isAccepted());
    QVERIFY(rig->playlistLines().isEmpty());
    QVERIFY(rig->media->assigned.isEmpty());
    QVERIFY(rig->messageBox.shown.isEmpty());
}

QTEST_MAIN(TestFileDrops)
#include "test_file_drops.moc"
