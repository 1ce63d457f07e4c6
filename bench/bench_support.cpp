#include "bench_support.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <spawn.h>
#include <unistd.h>

extern char **environ;

namespace bench {

pid_t spawn(const QStringList &argv, const Environment &changes, int outputFd)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (auto it = changes.cbegin(); it != changes.cend(); ++it) {
        if (it.value().isEmpty())
            env.remove(it.key());
        else
            env.insert(it.key(), it.value());
    }
    std::vector<QByteArray> envText;
    for (const QString &entry : env.toStringList())
        envText.push_back(entry.toLocal8Bit());
    std::vector<char *> envp;
    for (QByteArray &entry : envText)
        envp.push_back(entry.data());
    envp.push_back(nullptr);

    std::vector<QByteArray> argText;
    for (const QString &arg : argv)
        argText.push_back(arg.toLocal8Bit());
    std::vector<char *> args;
    for (QByteArray &arg : argText)
        args.push_back(arg.data());
    args.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (outputFd >= 0) {
        posix_spawn_file_actions_adddup2(&actions, outputFd, STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, outputFd, STDERR_FILENO);
        posix_spawn_file_actions_addclose(&actions, outputFd);
    }
    pid_t pid = 0;
    const int failed = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (failed) {
        std::fprintf(stderr, "cannot start %s\n", args[0]);
        return 0;
    }
    return pid;
}

double processCpuSeconds(qint64 pid, bool withChildren)
{
    if (pid <= 0)
        return 0;
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray text = stat.readAll();
    // Fields 14 and 15 are utime and stime, 16 and 17 those of the waited-for
    // children; the name in parentheses before them may hold spaces.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 15)
        return 0;
    qint64 ticks = fields[11].toLongLong() + fields[12].toLongLong();
    if (withChildren)
        ticks += fields[13].toLongLong() + fields[14].toLongLong();
    return double(ticks) / double(sysconf(_SC_CLK_TCK));
}

namespace {

// The first field of a schedstat file is the time spent running, in
// nanoseconds.
double runningSeconds(const QString &schedstatPath)
{
    QFile stat(schedstatPath);
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    return stat.readAll().split(' ').first().toDouble() / 1e9;
}

} // namespace

double mainThreadCpuSeconds(qint64 pid)
{
    return pid <= 0 ? 0 : runningSeconds(QStringLiteral("/proc/%1/schedstat").arg(pid));
}

double threadsCpuSeconds(qint64 pid)
{
    if (pid <= 0)
        return 0;
    const QString tasks = QStringLiteral("/proc/%1/task").arg(pid);
    double seconds = 0;
    for (const QString &task : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        seconds += runningSeconds(tasks + QLatin1Char('/') + task + QStringLiteral("/schedstat"));
    return seconds;
}

double residentMiB(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (pid <= 0 || !status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return 0;
}

QString startXvfb(QProcess &xvfb, int first, const QString &size)
{
    for (int display = first; display < 100; ++display) {
        if (QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(display)))
            continue;
        const QString name = QStringLiteral(":%1").arg(display);
        xvfb.start(QStringLiteral("Xvfb"),
            { name, QStringLiteral("-screen"), QStringLiteral("0"), size + QStringLiteral("x24"),
                QStringLiteral("-nolisten"), QStringLiteral("tcp"), QStringLiteral("-noreset") });
        if (!xvfb.waitForStarted())
            return {};
        const QString socket = QStringLiteral("/tmp/.X11-unix/X%1").arg(display);
        for (int i = 0; i < 100 && xvfb.state() == QProcess::Running && !QFile::exists(socket); ++i)
            QThread::msleep(100);
        if (xvfb.state() == QProcess::Running && QFile::exists(socket))
            return name;
        xvfb.kill();
        xvfb.waitForFinished();
    }
    return {};
}

void stopXvfb(QProcess &xvfb)
{
    if (xvfb.state() == QProcess::NotRunning)
        return;
    xvfb.terminate();
    xvfb.waitForFinished(10000);
}

double minimum(std::vector<double> values)
{
    return *std::min_element(values.begin(), values.end());
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double medianOfRatios(const std::vector<double> &measured, const std::vector<double> &baseline)
{
    std::vector<double> ratios;
    for (std::size_t i = 0; i < measured.size() && i < baseline.size(); ++i)
        ratios.push_back(measured[i] / baseline[i]);
    return median(ratios);
}

namespace {

// Three significant figures, without an exponent.
QByteArray figure(double value)
{
    return value >= 100 ? QByteArray::number(value, 'f', 0) : QByteArray::number(value, 'g', 3);
}

} // namespace

void tableRow(const QString &figureName, const QString &baseline, double measured, double base, const char *unit,
    double ratio)
{
    if (ratio <= 0 && base > 0)
        ratio = measured / base;
    // Nothing to compare with a baseline of nothing.
    const QByteArray ratioText = base > 0 && ratio > 0 ? figure(ratio) : QByteArrayLiteral("-");
    std::printf("@row|%s|%s %s|%s: %s %s|%s\n", qPrintable(figureName), figure(measured).constData(), unit,
        qPrintable(baseline), figure(base).constData(), unit, ratioText.constData());
    std::fflush(stdout);
}

} // namespace bench
