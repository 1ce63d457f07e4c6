#include "core/module1.h"
#include "core/settings_file.h"
#include "platform/file_saving.h"
#include "player_process.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

using namespace sky;
using namespace Qt::StringLiterals;

namespace {

// The most memory the process has used so far, in KiB; 0 once it is gone.
quint64 peakMemoryKiB(qint64 pid)
{
    QFile status(u"/proc/%1/status"_s.arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toULongLong();
    return 0;
}

// The player in an application folder of its own, sent a signal as soon as
// it handles it.
class SignalledPlayer
{
public:
    SignalledPlayer()
    {
        QVERIFY(QFile::copy(QString::fromUtf8(SKY_PLAYER_EXECUTABLE), path(u"skyvantrix"_s)));
    }

    QString path(const QString &name) const { return QDir(m_folder.path()).filePath(name); }

    // Starts the player, signals it and waits for it to end; the highest
    // memory it used (KiB) is kept.
    void run(int signal)
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(m_folder.path());
        process.start(path(u"skyvantrix"_s), {});
        QVERIFY(process.waitForStarted());
        const qint64 pid = process.processId();
        QTRY_VERIFY_WITH_TIMEOUT(test::catchesSignal(pid, signal), 20000);
        // The memory's high mark so far, as a player at rest may be gone
        // before the first look after the signal.
        peakKiB = peakMemoryKiB(pid);
        ::kill(static_cast<pid_t>(pid), signal);
        QElapsedTimer waited;
        waited.start();
        while (!process.waitForFinished(5) && waited.elapsed() < 20000)
            peakKiB = std::max(peakKiB, peakMemoryKiB(pid));
        QVERIFY2(process.state() == QProcess::NotRunning, "the player went on after the signal");
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
    }

    quint64 peakKiB = 0;

private:
    QTemporaryDir m_folder;
};

} // namespace

// The player, sent a logout's SIGTERM or a Ctrl+C, shuts down as when its
// main window is closed: the settings file is written or emptied.
class TestShutdownSignal : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void signalsCloseThePlayerCleanly_data();
    void signalsCloseThePlayerCleanly();
    void hugeSettingsFileIsReadToItsLastLineOnly();
};

void TestShutdownSignal::signalsCloseThePlayerCleanly_data()
{
    QTest::addColumn<int>("signal");
    QTest::addColumn<int>("saveSettings");
    QTest::newRow("SIGTERM, settings saved") << int(SIGTERM) << 1;
    QTest::newRow("SIGINT, settings not saved") << int(SIGINT) << 0;
}

void TestShutdownSignal::signalsCloseThePlayerCleanly()
{
    QFETCH(int, signal);
    QFETCH(int, saveSettings);
    SignalledPlayer player;
    Module1 settings;
    settings.SaveSettings = saveSettings;
    settings.SkinPath[0] = u"/pictures/kept.jpg"_s;
    // The skin manager sets the display mode from the fitting mode at
    // start-up; a file that agrees with it is written back unchanged.
    settings.SkinDisplayMode = settings.SkinFitMode;
    const QString savePath = player.path(u"save.ata"_s);
    QVERIFY(!replaceFileContent(savePath, settingsFileContent(settings)));

    player.run(signal);
    if (QTest::currentTestFailed())
        return;

    QFile saved(savePath);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), saveSettings == 1 ? settingsFileContent(settings) : QByteArray());
}

void TestShutdownSignal::hugeSettingsFileIsReadToItsLastLineOnly()
{
    Module1 settings;
    settings.SaveSettings = 1;
    settings.SkinDisplayMode = settings.SkinFitMode;
    const QByteArray content = settingsFileContent(settings);

    SignalledPlayer usual;
    QVERIFY(!replaceFileContent(usual.path(u"save.ata"_s), content));
    usual.run(SIGTERM);
    if (QTest::currentTestFailed())
        return;

    // The same settings followed by 100 MB of further lines.
    SignalledPlayer huge;
    QFile file(huge.path(u"save.ata"_s));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(file.write(content) == content.size());
    const QByteArray block = QByteArray("not a setting\r\n").repeated(1 << 16);
    for (int i = 0; i < 100; ++i)
        QVERIFY(file.write(block) == block.size());
    file.close();
    huge.run(SIGTERM);
    if (QTest::currentTestFailed())
        return;

    // It costs no more memory than the usual file, and is written back as
    // the settings it holds.
    QVERIFY2(huge.peakKiB < usual.peakKiB + 32 * 1024,
        qPrintable(u"%1 KiB against %2 KiB"_s.arg(huge.peakKiB).arg(usual.peakKiB)));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), content);
}

QTEST_GUILESS_MAIN(TestShutdownSignal)
#include "test_shutdown_signal.moc"
