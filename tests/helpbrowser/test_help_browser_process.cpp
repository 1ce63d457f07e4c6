#include "platform/help_browser_process.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

using namespace sky;
using namespace Qt::StringLiterals;

namespace {

constexpr int kStartTimeoutMs = 30000;

QByteArray readProcFile(qint64 pid, const char *name)
{
    QFile file(u"/proc/%1/%2"_s.arg(pid).arg(QLatin1StringView(name)));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The help browsers running on a folder: processes whose command line is
// the program and that folder, leaving out those one of them has just
// forked to start the web engine's own processes.
QList<qint64> helpBrowsersOn(const QString &folder)
{
    const QByteArray wanted = QByteArray(SKY_HELP_BROWSER) + '\0' + QFile::encodeName(folder) + '\0';
    QList<qint64> found;
    QList<qint64> parents;
    const QStringList entries = QDir(u"/proc"_s).entryList(QDir::Dirs);
    for (const QString &entry : entries) {
        bool number = false;
        const qint64 pid = entry.toLongLong(&number);
        if (!number || readProcFile(pid, "cmdline") != wanted)
            continue;
        // "pid (name) state ppid ..."
        const QByteArray stat = readProcFile(pid, "stat");
        found.append(pid);
        parents.append(stat.mid(stat.lastIndexOf(')') + 2).split(' ').value(1).toLongLong());
    }
    QList<qint64> browsers;
    for (qsizetype i = 0; i < found.size(); ++i) {
        if (!found.contains(parents.at(i)))
            browsers.append(found.at(i));
    }
    return browsers;
}

} // namespace

// The player's way of starting the help browser, on the real program.
class TestHelpBrowserProcess : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cleanup();
    void missingProgramCannotStart();
    void startsOnceThenComesToTheFront();

private:
    QTemporaryDir folder;
};

// A help browser left running would hold the test's output open.
void TestHelpBrowserProcess::cleanup()
{
    for (const qint64 pid : helpBrowsersOn(folder.path()))
        ::kill(static_cast<pid_t>(pid), SIGTERM);
}

void TestHelpBrowserProcess::missingProgramCannotStart()
{
    HelpBrowserProcess launcher(folder.filePath(u"skyvantrix-help"_s));
    QVERIFY(!launcher.bringToFront(folder.path()));
    QVERIFY(!launcher.start(folder.path()));
}

void TestHelpBrowserProcess::startsOnceThenComesToTheFront()
{
    QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    QFile help(folder.filePath(u"MediaPlayer.htm"_s));
    QVERIFY(help.open(QIODevice::WriteOnly));
    help.write("<html><head><title>Help</title></head></html>");
    help.close();

    HelpBrowserProcess launcher(QString::fromUtf8(SKY_HELP_BROWSER));
    QVERIFY(!launcher.bringToFront(folder.path()));
    QVERIFY(launcher.start(folder.path()));
    QTRY_VERIFY_WITH_TIMEOUT(launcher.bringToFront(folder.path()), kStartTimeoutMs);
    QCOMPARE(helpBrowsersOn(folder.path()).size(), 1);

    // Started once more, it finds the first, asks it to the front and ends.
    QVERIFY(launcher.start(folder.path()));
    QTRY_COMPARE_WITH_TIMEOUT(helpBrowsersOn(folder.path()).size(), 1, kStartTimeoutMs);

    cleanup();
    QTRY_VERIFY_WITH_TIMEOUT(helpBrowsersOn(folder.path()).isEmpty(), kStartTimeoutMs);
    // What it left behind does not count as a running help browser.
    QTRY_VERIFY_WITH_TIMEOUT(!launcher.bringToFront(folder.path()), kStartTimeoutMs);
}

QTEST_GUILESS_MAIN(TestHelpBrowserProcess)
#include "test_help_browser_process.moc"
