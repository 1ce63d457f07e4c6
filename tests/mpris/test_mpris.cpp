#include "core/module1.h"
#include "core/remote_control.h"
#include "mainwindow/form1.h"
#include "mpris/mpris_service.h"
#include "main_window_test.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDir>
#include <QUrl>
#include <QtTest>

using namespace sky;
using namespace Qt::StringLiterals;

namespace {

const QString kService = u"org.mpris.MediaPlayer2.skyvantrix"_s;
const QString kPath = u"/org/mpris/MediaPlayer2"_s;
const QString kRoot = u"org.mpris.MediaPlayer2"_s;
const QString kPlayer = u"org.mpris.MediaPlayer2.Player"_s;
const QString kProperties = u"org.freedesktop.DBus.Properties"_s;

// A value as it comes off the bus: maps arrive still marshalled.
QVariant unwrap(const QVariant &value)
{
    if (value.canConvert<QDBusArgument>()) {
        const auto argument = value.value<QDBusArgument>();
        if (argument.currentSignature() == u"a{sv}"_s)
            return qdbus_cast<QVariantMap>(argument);
        if (argument.currentSignature() == u"as"_s)
            return qdbus_cast<QStringList>(argument);
    }
    return value;
}

} // namespace

// Records the PropertiesChanged signals the player sends.
class ChangeRecorder : public QObject
{
    Q_OBJECT
public:
    QList<QVariantMap> changes;
    QList<qlonglong> seeks;
    // The last value sent for a property, invalid when none was.
    QVariant last(const QString &name) const
    {
        for (auto it = changes.crbegin(); it != changes.crend(); ++it)
            if (it->contains(name))
                return unwrap(it->value(name));
        return {};
    }
public Q_SLOTS:
    void changed(const QString &, const QVariantMap &properties, const QStringList &) { changes.append(properties); }
    void seeked(qlonglong position) { seeks.append(position); }
};

// The player on a private session bus: a desktop's media panel drives the
// same handlers as the window's buttons, through the MPRIS interfaces, and
// is told of every change of state, item and volume.
class TestMpris : public test::MainWindowTest
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void rootInterfaceDescribesAndRaisesThePlayer();
    void transportActsLikeTheButtons();
    void changesAreAnnounced();
    void nextAndPreviousFollowThePlaylistInOrder();
    void nextAndPreviousFollowTheShuffle();
    void seekingStaysWithinTheItem();
    void openUriOpensLikeASecondStart();
    void noBusLeavesThePlayerAlone();

private:
    QDBusMessage call(const QString &interface, const QString &method, const QVariantList &arguments = {});
    QVariant property(const QString &interface, const QString &name);
    void setProperty(const QString &interface, const QString &name, const QVariant &value);
    // Loads a playlist of `count` entries and lets the main timer start it.
    void startPlaylist(int count);
    // The fake engine reports the item playing as ended.
    void endItem();

    std::unique_ptr<RemoteControl> remote;
    std::unique_ptr<MprisService> service;
    QDBusConnection client{QString()};
    ChangeRecorder recorder;
    int quits = 0;
    QTemporaryDir media;
};

void TestMpris::init()
{
    QVERIFY2(QDBusConnection::sessionBus().isConnected(), "run under dbus-run-session");
    MainWindowTest::init();
    rig->program->start();
    // The tests tick the main timer themselves: on a busy machine a tick of
    // its own, while a call to the bus waits, moved the playlist on between
    // their steps.
    main->Timer1.setEnabled(false);
    test::TestRig::createFiles(media.path(), {u"a.mp3"_s, u"b.wav"_s});
    main->Dir1.setPath(media.path());
    quits = 0;
    remote = std::make_unique<RemoteControl>(*rig->program, [this] { ++quits; });
    service = std::make_unique<MprisService>(*remote);
    QVERIFY(service->registerOn(QDBusConnection::sessionBus()));
    QCOMPARE(service->busName(), kService);
    client = QDBusConnection::connectToBus(QDBusConnection::SessionBus, u"panel"_s);
    QVERIFY(client.isConnected());
    recorder.changes.clear();
    recorder.seeks.clear();
    QVERIFY(client.connect(kService, kPath, kPlayer, u"Seeked"_s, &recorder, SLOT(seeked(qlonglong))));
    QVERIFY(client.connect(kService, kPath, kProperties, u"PropertiesChanged"_s, &recorder,
                           SLOT(changed(QString, QVariantMap, QStringList))));
}

void TestMpris::cleanup()
{
    QDBusConnection::disconnectFromBus(u"panel"_s);
    service.reset();
    remote.reset();
    rig.reset();
}

QDBusMessage TestMpris::call(const QString &interface, const QString &method, const QVariantList &arguments)
{
    QDBusMessage message = QDBusMessage::createMethodCall(kService, kPath, interface, method);
    message.setArguments(arguments);
    // The player answers from this thread's event loop, which runs meanwhile.
    return client.call(message, QDBus::BlockWithGui);
}

QVariant TestMpris::property(const QString &interface, const QString &name)
{
    const QDBusMessage reply = call(kProperties, u"Get"_s, {interface, name});
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    return unwrap(reply.arguments().constFirst().value<QDBusVariant>().variant());
}

void TestMpris::setProperty(const QString &interface, const QString &name, const QVariant &value)
{
    call(kProperties, u"Set"_s, {interface, name, QVariant::fromValue(QDBusVariant(value))});
}

void TestMpris::startPlaylist(int count)
{
    QStringList entries;
    for (int i = 0; i < count; ++i)
        entries.append(u"/music/%1.mp3"_s.arg(i));
    main->Check2.setValue(1);
    rig->loadPlaylist(entries);
    main->Timer1_Timer();
}

void TestMpris::endItem()
{
    rig->media->state = test::FakeMediaEngine::Stopped;
}

void TestMpris::rootInterfaceDescribesAndRaisesThePlayer()
{
    QCOMPARE(property(kRoot, u"Identity"_s).toString(), u"SKYVANTRIX Media Player"_s);
    QCOMPARE(property(kRoot, u"DesktopEntry"_s).toString(), u"org.skyvantrix.MediaPlayer"_s);
    const QStringList types = property(kRoot, u"SupportedMimeTypes"_s).toStringList();
    QVERIFY(types.contains(u"application/x-skyvantrix-playlist"_s) && types.contains(u"audio/mpeg"_s));
    QCOMPARE(property(kRoot, u"SupportedUriSchemes"_s).toStringList(), QStringList({u"file"_s}));
    QVERIFY(property(kRoot, u"CanRaise"_s).toBool() && property(kRoot, u"CanQuit"_s).toBool());

    main->window()->showMinimized();
    QCOMPARE(call(kRoot, u"Raise"_s).type(), QDBusMessage::ReplyMessage);
    QVERIFY(main->Visible() && !main->isMinimized());
    call(kRoot, u"Quit"_s);
    QCOMPARE(quits, 1);
}

void TestMpris::transportActsLikeTheButtons()
{
    const QString first = QDir(media.path()).filePath(u"a.mp3"_s);
    QCOMPARE(property(kPlayer, u"PlaybackStatus"_s).toString(), u"Stopped"_s);

    // Play is PLAY: the file selected in the file list.
    call(kPlayer, u"Play"_s);
    QCOMPARE(rig->media->assigned, QStringList({first}));
    QVERIFY(main->MediaPlayer1.Visible() && main->Command10.Visible());
    QCOMPARE(property(kPlayer, u"PlaybackStatus"_s).toString(), u"Playing"_s);

    // Pausing is the media control's own pause; Play goes on where it was.
    call(kPlayer, u"PlayPause"_s);
    QCOMPARE(property(kPlayer, u"PlaybackStatus"_s).toString(), u"Paused"_s);
    call(kPlayer, u"Pause"_s);
    QCOMPARE(rig->media->state, long(test::FakeMediaEngine::Paused));
    call(kPlayer, u"Play"_s);
    QCOMPARE(rig->media->state, long(test::FakeMediaEngine::Playing));
    QCOMPARE(rig->media->assigned.size(), 1);

    // Stop is STOP, which also switches the playlist off.
    main->Check2.setValue(1);
    call(kPlayer, u"Stop"_s);
    QCOMPARE(rig->media->assigned.last(), u".mp3"_s);
    QCOMPARE(rig->program->module().PlayerStopped, kTrue);
    QCOMPARE(main->Check2.Value(), 0);
    QCOMPARE(property(kPlayer, u"PlaybackStatus"_s).toString(), u"Stopped"_s);

    // While the playlist plays, PLAY cannot be clicked, and Play does
    // nothing either.
    startPlaylist(2);
    endItem();
    main->Command1.setEnabled(false);
    const int assigned = static_cast<int>(rig->media->assigned.size());
    call(kPlayer, u"Play"_s);
    QCOMPARE(rig->media->assigned.size(), assigned);
}

void TestMpris::changesAreAnnounced()
{
    rig->media->length = 90;
    call(kPlayer, u"Play"_s);
    QTRY_COMPARE(recorder.last(u"PlaybackStatus"_s).toString(), u"Playing"_s);
    const QVariantMap metadata = recorder.last(u"Metadata"_s).toMap();
    const QString first = QDir(media.path()).filePath(u"a.mp3"_s);
    QCOMPARE(metadata.value(u"xesam:url"_s).toString(), QUrl::fromLocalFile(first).toString());
    QCOMPARE(metadata.value(u"xesam:title"_s).toString(), u"a.mp3"_s);
    QCOMPARE(metadata.value(u"mpris:length"_s).toLongLong(), 90LL * 1000000);
    const auto firstId = metadata.value(u"mpris:trackid"_s).value<QDBusObjectPath>();
    QVERIFY(firstId.path().startsWith(u"/org/skyvantrix/"_s));
    QCOMPARE(property(kPlayer, u"Metadata"_s).toMap(), metadata);

    // The item ends: stopped, and no item.
    endItem();
    service->refresh();
    QTRY_COMPARE(recorder.last(u"PlaybackStatus"_s).toString(), u"Stopped"_s);
    QCOMPARE(recorder.last(u"Metadata"_s).toMap().value(u"mpris:trackid"_s).value<QDBusObjectPath>().path(),
             u"/org/mpris/MediaPlayer2/TrackList/NoTrack"_s);

    // The same file started again is another item.
    main->Command1_Click();
    service->refresh();
    QTRY_COMPARE(recorder.last(u"PlaybackStatus"_s).toString(), u"Playing"_s);
    QVERIFY(recorder.last(u"Metadata"_s).toMap().value(u"mpris:trackid"_s).value<QDBusObjectPath>() != firstId);

    // The volume, set on the bus or in the player's own control bar.
    setProperty(kPlayer, u"Volume"_s, 0.5);
    QCOMPARE(rig->media->loudness, 50.0);
    QTRY_COMPARE(recorder.last(u"Volume"_s).toDouble(), 0.5);
    rig->media->loudness = 80;
    service->refresh();
    QTRY_COMPARE(recorder.last(u"Volume"_s).toDouble(), 0.8);
    setProperty(kPlayer, u"Volume"_s, 3.0);
    QCOMPARE(rig->media->loudness, 100.0);

    // Nothing changed, nothing sent.
    call(kPlayer, u"Pause"_s);
    QTRY_COMPARE(recorder.last(u"PlaybackStatus"_s).toString(), u"Paused"_s);
    const auto sent = recorder.changes.size();
    service->refresh();
    QCOMPARE(property(kPlayer, u"PlaybackStatus"_s).toString(), u"Paused"_s); // a round trip
    QCOMPARE(recorder.changes.size(), sent);
}

void TestMpris::nextAndPreviousFollowThePlaylistInOrder()
{
    QVERIFY(!property(kPlayer, u"CanGoNext"_s).toBool()); // the playlist is off
    startPlaylist(3);
    QCOMPARE(rig->media->fileName(), u"/music/0.mp3"_s);
    QVERIFY(property(kPlayer, u"CanGoNext"_s).toBool());
    QVERIFY(!property(kPlayer, u"CanGoPrevious"_s).toBool());

    call(kPlayer, u"Next"_s);
    QCOMPARE(rig->media->fileName(), u"/music/1.mp3"_s);
    QCOMPARE(main->List1.ListIndex(), 1);
    QTRY_VERIFY(recorder.last(u"CanGoPrevious"_s).toBool());
    call(kPlayer, u"Previous"_s);
    QCOMPARE(rig->media->fileName(), u"/music/0.mp3"_s);
    call(kPlayer, u"Next"_s);
    call(kPlayer, u"Next"_s);
    QCOMPARE(rig->media->fileName(), u"/music/2.mp3"_s);
    QTRY_VERIFY(!recorder.last(u"CanGoNext"_s).toBool());
    call(kPlayer, u"Next"_s); // past the end, without Repeat: nothing
    QCOMPARE(rig->media->fileName(), u"/music/2.mp3"_s);

    // With Repeat the list starts over; the main timer goes on from there.
    main->Check1.setValue(1);
    QVERIFY(property(kPlayer, u"CanGoNext"_s).toBool());
    call(kPlayer, u"Next"_s);
    QCOMPARE(rig->media->fileName(), u"/music/0.mp3"_s);
    main->Check1.setValue(0);
    endItem();
    main->Timer1_Timer();
    QCOMPARE(rig->media->fileName(), u"/music/1.mp3"_s);
}

void TestMpris::nextAndPreviousFollowTheShuffle()
{
    main->Check3.setValue(1);
    // Picks: entry 2 first, then entry 0 (the draws are direction, then entry).
    rig->random.values = {0.0, 0.5, 0.0, 0.1};
    startPlaylist(4);
    QCOMPARE(rig->media->fileName(), u"/music/2.mp3"_s);
    QVERIFY(!property(kPlayer, u"CanGoPrevious"_s).toBool());
    call(kPlayer, u"Next"_s);
    QCOMPARE(rig->media->fileName(), u"/music/0.mp3"_s);
    QCOMPARE(rig->playlistLines().at(0), u" #  0.mp3"_s);

    // Back to entry 2; entry 0 counts as unplayed again.
    QVERIFY(property(kPlayer, u"CanGoPrevious"_s).toBool());
    call(kPlayer, u"Previous"_s);
    QCOMPARE(rig->media->fileName(), u"/music/2.mp3"_s);
    QCOMPARE(rig->playlistLines(), QStringList({u"0.mp3"_s, u"1.mp3"_s, u" #  2.mp3"_s, u"3.mp3"_s}));
    QCOMPARE(main->List1.ListIndex(), 2);
    // The rest of the cycle plays every other entry once.
    QStringList played;
    for (int i = 0; i < 3; ++i) {
        call(kPlayer, u"Next"_s);
        played.append(rig->media->fileName());
    }
    played.sort();
    QCOMPARE(played, QStringList({u"/music/0.mp3"_s, u"/music/1.mp3"_s, u"/music/3.mp3"_s}));
    QVERIFY(!property(kPlayer, u"CanGoNext"_s).toBool());
}

void TestMpris::seekingStaysWithinTheItem()
{
    rig->media->length = 100;
    call(kPlayer, u"Play"_s);
    rig->media->position = 10;
    QVERIFY(property(kPlayer, u"CanSeek"_s).toBool());
    QCOMPARE(property(kPlayer, u"Position"_s).toLongLong(), 10LL * 1000000);
    call(kPlayer, u"Seek"_s, {QVariant::fromValue(qlonglong(5) * 1000000)});
    QCOMPARE(rig->media->seeks, std::vector<double>({15.0}));
    rig->media->position = 15;
    call(kPlayer, u"Seek"_s, {QVariant::fromValue(qlonglong(-60) * 1000000)});
    QCOMPARE(rig->media->seeks.back(), 0.0);

    const QVariant id = QVariant::fromValue(property(kPlayer, u"Metadata"_s).toMap().value(u"mpris:trackid"_s));
    call(kPlayer, u"SetPosition"_s, {id, QVariant::fromValue(qlonglong(42) * 1000000)});
    QCOMPARE(rig->media->seeks.back(), 42.0);
    // Another item's id, or beyond the end: nothing.
    const QVariant other = QVariant::fromValue(QDBusObjectPath(u"/org/skyvantrix/MediaPlayer/Item/999"_s));
    call(kPlayer, u"SetPosition"_s, {other, QVariant::fromValue(qlonglong(7) * 1000000)});
    call(kPlayer, u"SetPosition"_s, {id, QVariant::fromValue(qlonglong(101) * 1000000)});
    QCOMPARE(rig->media->seeks.size(), std::size_t(3));
    // Each jump is told, at the position it went to.
    QTRY_COMPARE(recorder.seeks, QList<qlonglong>({15LL * 1000000, 0, 42LL * 1000000}));
}

void TestMpris::openUriOpensLikeASecondStart()
{
    const QString song = QDir(media.path()).filePath(u"b.wav"_s);
    call(kPlayer, u"OpenUri"_s, {QUrl::fromLocalFile(song).toString()});
    QCOMPARE(rig->media->assigned.last(), song);
    rig->writeAppFile(u"list.pla"_s, "/music/x.mp3\r\n");
    call(kPlayer, u"OpenUri"_s, {QUrl::fromLocalFile(rig->appPath(u"list.pla"_s)).toString()});
    QCOMPARE(rig->playlistLines(), QStringList({u"x.mp3"_s}));
    // Only local files.
    call(kPlayer, u"OpenUri"_s, {u"http://example.invalid/a.mp3"_s});
    QCOMPARE(rig->media->assigned.last(), song);
}

void TestMpris::noBusLeavesThePlayerAlone()
{
    MprisService offline(*remote);
    QVERIFY(!offline.registerOn(QDBusConnection(u"not connected"_s)));
    QVERIFY(offline.busName().isEmpty());
    offline.refresh();
}

QTEST_MAIN(TestMpris)
#include "test_mpris.moc"
