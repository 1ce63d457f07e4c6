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

// The player, sent a logout's SIGTERM or a Ctrl+C, shuts down as when its
// main window is closed: the settings file is written or emptied.
class TestShutdownSignal : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void signalsCloseThePlayerCleanly_data();
    void signalsCloseThePlayerCleanly();
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
    QTemporaryDir folder;
    const QString player = QDir(folder.path()).filePath(u"skyvantrix"_s);
    QVERIFY(QFile::copy(QString::fromUtf8(SKY_PLAYER_EXECUTABLE), player));

    Module1 settings;
    settings.SaveSettings = saveSettings;
    settings.SkinPath[0] = u"/pictures/kept.jpg"_s;
    // The skin manager sets the display mode from the fitting mode at
    // start-up; a file that agrees with it is written back unchanged.
    settings.SkinDisplayMode = settings.SkinFitMode;
    const QString savePath = QDir(folder.path()).filePath(u"save.ata"_s);
    QVERIFY(!replaceFileContent(savePath, settingsFileContent(settings)));

    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(folder.path());
    process.start(player, {});
    QVERIFY(process.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(sky::test::catchesSignal(process.processId(), signal), 20000);
    ::kill(static_cast<pid_t>(process.processId()), signal);
    QVERIFY(process.waitForFinished(20000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);

    QFile saved(savePath);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), saveSettings == 1 ? settingsFileContent(settings) : QByteArray());
}

QTEST_GUILESS_MAIN(TestShutdownSignal)
#include "test_shutdown_signal.moc"
