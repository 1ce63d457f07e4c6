#include "dead_socket.h"
#include "mediafixtures.h"
#include "platform/single_instance.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDBusArgument>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

const QString kService = u"org.mpris.MediaPlayer2.skyvantrix"_s;
const QString kPath = u"/org/mpris/MediaPlayer2"_s;
const QString kPlayer = u"org.mpris.MediaPlayer2.Player"_s;

} // namespace

// A second start of the real player with the same settings file hands its
// file to the first and ends; the first plays it, as its media panel
// interface on the bus shows.
class TestSingleInstance : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void mediaFilePlaysInTheRunningPlayer();
    void staleSocketDoesNotBlockTheStart();

private:
    QString appFile(const QString &name) const { return QDir(m_folder->path()).filePath(name); }
    void startFirst();
    // Runs a second start from `workingFolder` and returns its exit code.
    int startSecond(const QStringList &arguments, const QString &workingFolder);
    QVariant playerProperty(const QString &name);
    QString playingUrl();

    std::unique_ptr<QTemporaryDir> m_folder;
    QProcessEnvironment m_environment;
    QProcess m_first;
};

void TestSingleInstance::init()
{
    QVERIFY2(QDBusConnection::sessionBus().isConnected(), "run under dbus-run-session");
    m_folder = std::make_unique<QTemporaryDir>();
    QVERIFY(QFile::copy(QString::fromUtf8(SKY_PLAYER_EXECUTABLE), appFile(u"skyvantrix"_s)));
    QFile settings(appFile(u"save.ata"_s));
    QVERIFY(settings.open(QIODevice::WriteOnly));
    settings.close();
    QVERIFY(QDir().mkpath(appFile(u"runtime"_s)));
    QVERIFY(QFile::setPermissions(appFile(u"runtime"_s), QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                                              | QFileDevice::ExeOwner));
    QVERIFY(fixtures::writeFile(appFile(u"clip.wav"_s), fixtures::wavBytes(10)));
    QVERIFY(QFile::copy(appFile(u"clip.wav"_s), appFile(u"second.wav"_s)));

    // The player and this test agree on where the socket lives.
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(appFile(u"runtime"_s)));
    m_environment = QProcessEnvironment::systemEnvironment();
    m_environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    m_environment.insert(u"SKYVANTRIX_MPV_OPTIONS"_s, u"ao=null"_s);
}

void TestSingleInstance::cleanup()
{
    if (m_first.state() != QProcess::NotRunning) {
        QDBusConnection::sessionBus().call(
            QDBusMessage::createMethodCall(kService, kPath, u"org.mpris.MediaPlayer2"_s, u"Quit"_s));
        if (!m_first.waitForFinished(20000))
            m_first.kill();
        m_first.waitForFinished();
    }
    m_folder.reset();
}

void TestSingleInstance::startFirst()
{
    m_first.setProcessEnvironment(m_environment);
    m_first.setWorkingDirectory(m_folder->path());
    m_first.start(appFile(u"skyvantrix"_s), {});
    QVERIFY(m_first.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(QDBusConnection::sessionBus().interface()->isServiceRegistered(kService), 30000);
}

int TestSingleInstance::startSecond(const QStringList &arguments, const QString &workingFolder)
{
    QProcess second;
    second.setProcessEnvironment(m_environment);
    second.setWorkingDirectory(workingFolder);
    second.start(appFile(u"skyvantrix"_s), arguments);
    if (!second.waitForFinished(30000)) {
        second.kill();
        second.waitForFinished();
        return -1;
    }
    return second.exitStatus() == QProcess::NormalExit ? second.exitCode() : -1;
}

QVariant TestSingleInstance::playerProperty(const QString &name)
{
    QDBusMessage get = QDBusMessage::createMethodCall(kService, kPath, u"org.freedesktop.DBus.Properties"_s, u"Get"_s);
    get.setArguments({kPlayer, name});
    const QDBusMessage reply = QDBusConnection::sessionBus().call(get);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    return reply.arguments().constFirst().value<QDBusVariant>().variant();
}

QString TestSingleInstance::playingUrl()
{
    const QVariant metadata = playerProperty(u"Metadata"_s);
    if (!metadata.canConvert<QDBusArgument>())
        return {};
    return qdbus_cast<QVariantMap>(metadata.value<QDBusArgument>()).value(u"xesam:url"_s).toString();
}

void TestSingleInstance::mediaFilePlaysInTheRunningPlayer()
{
    startFirst();
    QCOMPARE(playerProperty(u"PlaybackStatus"_s).toString(), u"Stopped"_s);
    // The second start never touches the settings file.
    const QDateTime longAgo(QDate(2000, 1, 1), QTime(0, 0));
    {
        QFile settings(appFile(u"save.ata"_s));
        QVERIFY(settings.open(QIODevice::ReadWrite));
        QVERIFY(settings.setFileTime(longAgo, QFileDevice::FileModificationTime));
    }

    // A name relative to the second start's own folder.
    QCOMPARE(startSecond({u"clip.wav"_s}, m_folder->path()), 0);
    QTRY_COMPARE_WITH_TIMEOUT(playingUrl(), QUrl::fromLocalFile(appFile(u"clip.wav"_s)).toString(), 20000);
    QTRY_COMPARE_WITH_TIMEOUT(playerProperty(u"PlaybackStatus"_s).toString(), u"Playing"_s, 20000);
    QCOMPARE(m_first.state(), QProcess::Running);
    QCOMPARE(QFileInfo(appFile(u"save.ata"_s)).lastModified(), longAgo);

    // And again, from anywhere: the next file replaces it.
    QCOMPARE(startSecond({appFile(u"second.wav"_s)}, QDir::rootPath()), 0);
    QTRY_COMPARE_WITH_TIMEOUT(playingUrl(), QUrl::fromLocalFile(appFile(u"second.wav"_s)).toString(), 20000);
}

void TestSingleInstance::staleSocketDoesNotBlockTheStart()
{
    const QString socket = sky::instanceSocketPath(QDir(QFileInfo(m_folder->path()).canonicalFilePath())
                                                       .filePath(u"save.ata"_s));
    QVERIFY(test::leaveDeadSocket(socket));
    startFirst();
    QCOMPARE(m_first.state(), QProcess::Running);
    QCOMPARE(startSecond({appFile(u"clip.wav"_s)}, m_folder->path()), 0);
    QTRY_COMPARE_WITH_TIMEOUT(playingUrl(), QUrl::fromLocalFile(appFile(u"clip.wav"_s)).toString(), 20000);
}

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "test_single_instance.moc"
