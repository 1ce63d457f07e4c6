// Plays one 20-second 640 x 480 video with the program and with the mpv
// command-line player, turn about, for several rounds: first both decoding
// to null outputs, then both drawing through OpenGL (Mesa's software
// renderer; mpv's "gpu" output is the drawing path libmpv's render API
// takes) on an Xvfb display the bench starts for itself, mpv's window as
// large as the program's video area. For each it prints
// CPU time (the process's own plus the X server's), peak memory and the time
// from start to the first frame on screen, min and median over the rounds,
// and the program's figures as ratios against mpv's, also the median of
// the ratios within each round.
//
// The program is the real one, run from a copy in a folder of its own so
// that it starts over an empty settings file and plays the file named on
// its command line. It reports its milestones when asked through
// QT_LOGGING_RULES; mpv reports the same moments in its verbose log.
//
// usage: bench_playback [rounds] [path of skyvantrix]

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

constexpr int kVideoSeconds = 20;
constexpr int kRunTimeoutMs = 90000;

struct Command
{
    QStringList argv;
    QMap<QString, QString> environment; // set, or removed when empty
    QByteArray firstFrameLine; // what the player prints at its first frame
    QByteArray endLine; // printed at the end of the item; empty: the process ends there
};

struct Measure
{
    double cpuSeconds = 0;
    double peakMiB = 0;
    double firstFrameMs = 0;
    QByteArray firstFrameReport; // the player's line
};

// User plus system time the process `pid` has used so far, 0 without one.
double processCpuSeconds(qint64 pid)
{
    if (pid <= 0)
        return 0;
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray text = stat.readAll();
    // Fields 14 and 15 are utime and stime; the name in parentheses before
    // them may hold spaces.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return 0;
    return double(fields[11].toLongLong() + fields[12].toLongLong()) / double(sysconf(_SC_CLK_TCK));
}

std::vector<QByteArray> environmentFor(const Command &command)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (auto it = command.environment.cbegin(); it != command.environment.cend(); ++it) {
        if (it.value().isEmpty())
            env.remove(it.key());
        else
            env.insert(it.key(), it.value());
    }
    std::vector<QByteArray> out;
    for (const QString &entry : env.toStringList())
        out.push_back(entry.toLocal8Bit());
    return out;
}

// Runs `command` to the end of its item; the time to the first frame counts
// from just before the process is started.
std::optional<Measure> runOnce(const Command &command, qint64 xServerPid)
{
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return std::nullopt;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDERR_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    posix_spawn_file_actions_addclose(&actions, pipeFds[1]);

    std::vector<QByteArray> args;
    for (const QString &arg : command.argv)
        args.push_back(arg.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    std::vector<QByteArray> env = environmentFor(command);
    std::vector<char *> envp;
    for (QByteArray &entry : env)
        envp.push_back(entry.data());
    envp.push_back(nullptr);

    const double xBefore = processCpuSeconds(xServerPid);
    QElapsedTimer clock;
    clock.start();
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    if (spawned != 0) {
        close(pipeFds[0]);
        std::fprintf(stderr, "cannot start %s\n", argv[0]);
        return std::nullopt;
    }

    Measure m;
    std::optional<double> firstFrameMs;
    bool ended = command.endLine.isEmpty();
    QByteArray pending;
    QByteArray transcript;
    for (;;) {
        pollfd fd { pipeFds[0], POLLIN, 0 };
        const int remaining = int(std::max<qint64>(0, kRunTimeoutMs - clock.elapsed()));
        if (remaining == 0 || poll(&fd, 1, remaining) <= 0) {
            kill(pid, SIGKILL);
            break;
        }
        char buffer[4096];
        const ssize_t got = read(pipeFds[0], buffer, sizeof buffer);
        if (got <= 0)
            break;
        pending.append(buffer, got);
        qsizetype newline;
        while ((newline = pending.indexOf('\n')) >= 0) {
            const QByteArray line = pending.left(newline);
            pending.remove(0, newline + 1);
            transcript += line + '\n';
            if (!firstFrameMs && line.contains(command.firstFrameLine)) {
                firstFrameMs = double(clock.nsecsElapsed()) / 1e6;
                m.firstFrameReport = line;
            }
            // The program stays open after its item; it is closed as a user
            // would end it, by a termination signal.
            if (!ended && line.contains(command.endLine)) {
                ended = true;
                kill(pid, SIGTERM);
            }
        }
    }
    close(pipeFds[0]);
    int status = 0;
    rusage usage {};
    wait4(pid, &status, 0, &usage);
    const double xCpu = processCpuSeconds(xServerPid) - xBefore;

    if (!firstFrameMs || !ended) {
        std::fprintf(stderr, "%s: no %s\n%s\n", argv[0], firstFrameMs ? "end of the item" : "first frame",
            transcript.constData());
        return std::nullopt;
    }
    m.cpuSeconds = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6 + xCpu;
    m.peakMiB = double(usage.ru_maxrss) / 1024.0;
    m.firstFrameMs = *firstFrameMs;
    return m;
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

void reportMetric(const char *what, const std::vector<Measure> &program, const std::vector<Measure> &mpv,
    double Measure::*field)
{
    std::vector<double> p, b;
    for (const Measure &m : program)
        p.push_back(m.*field);
    for (const Measure &m : mpv)
        b.push_back(m.*field);
    // Each round's two runs follow each other, so their ratio is the least
    // touched by a machine that is slower at some times than at others.
    std::vector<double> rounds;
    for (std::size_t i = 0; i < p.size() && i < b.size(); ++i)
        rounds.push_back(p[i] / b[i]);
    std::printf("  %-28s min %8.2f vs %8.2f  ratio %.2f   median %8.2f vs %8.2f  ratio %.2f   median of rounds' "
                "ratios %.2f\n",
        what, minimum(p), minimum(b), minimum(p) / minimum(b), median(p), median(b), median(p) / median(b),
        median(rounds));
}

// Plays with both, turn about, and prints the ratios; false when a run failed.
bool compare(const char *title, int rounds, const Command &program, const Command &mpv, qint64 xServerPid)
{
    std::vector<Measure> programRuns, mpvRuns;
    for (int round = 0; round < rounds; ++round) {
        // Each goes first in every other round, so that neither gains from
        // what the other left in the caches.
        for (int turn = 0; turn < 2; ++turn) {
            const bool programTurn = (turn == 0) == (round % 2 == 0);
            const std::optional<Measure> m = runOnce(programTurn ? program : mpv, xServerPid);
            if (!m)
                return false;
            (programTurn ? programRuns : mpvRuns).push_back(*m);
            std::fprintf(stderr, "  %s round %d: %.2f s CPU, %.1f MiB, first frame %.0f ms\n",
                programTurn ? "program" : "mpv    ", round + 1, m->cpuSeconds, m->peakMiB, m->firstFrameMs);
        }
    }
    std::printf("%s, %d rounds (program vs mpv)\n", title, rounds);
    reportMetric("CPU s (process + X server)", programRuns, mpvRuns, &Measure::cpuSeconds);
    reportMetric("peak memory MiB", programRuns, mpvRuns, &Measure::peakMiB);
    reportMetric("start to first frame ms", programRuns, mpvRuns, &Measure::firstFrameMs);
    std::fflush(stdout);
    return true;
}

bool makeVideo(const QString &path)
{
    const QString length = QString::number(kVideoSeconds);
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"),
        { QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y"), QStringLiteral("-f"),
            QStringLiteral("lavfi"), QStringLiteral("-i"), QStringLiteral("testsrc=size=640x480:rate=25:duration=") + length,
            QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
            QStringLiteral("sine=frequency=440:sample_rate=44100:duration=") + length, QStringLiteral("-c:v"),
            QStringLiteral("mpeg4"), QStringLiteral("-q:v"), QStringLiteral("3"), QStringLiteral("-c:a"),
            QStringLiteral("mp2"), path });
    return ffmpeg.waitForFinished(120000) && ffmpeg.exitStatus() == QProcess::NormalExit && ffmpeg.exitCode() == 0;
}

// An X server of the bench's own on the first free display from :91 on;
// its display name, or "" when none came up.
QString startXvfb(QProcess &xvfb)
{
    for (int display = 91; display < 100; ++display) {
        if (QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(display)))
            continue;
        const QString name = QStringLiteral(":%1").arg(display);
        xvfb.start(QStringLiteral("Xvfb"),
            { name, QStringLiteral("-screen"), QStringLiteral("0"), QStringLiteral("1280x1024x24"),
                QStringLiteral("-nolisten"), QStringLiteral("tcp") });
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

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int rounds = args.size() > 1 ? std::max(1, args.at(1).toInt()) : 3;
    const QString programPath
        = args.size() > 2 ? args.at(2) : QCoreApplication::applicationDirPath() + QStringLiteral("/../bin/skyvantrix");

    QTemporaryDir dir;
    const QString appFolder = dir.filePath(QStringLiteral("app"));
    const QString mediaFolder = dir.filePath(QStringLiteral("media"));
    const QString program = appFolder + QStringLiteral("/skyvantrix");
    const QString video = mediaFolder + QStringLiteral("/clip.avi");
    QDir().mkpath(appFolder);
    QDir().mkpath(mediaFolder);
    // An empty settings file: start values, no first-start message.
    if (!QFile::copy(programPath, program) || !QFile(appFolder + QStringLiteral("/save.ata")).open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "cannot copy the program from %s\n", qPrintable(programPath));
        return 1;
    }
    if (!makeVideo(video)) {
        std::fprintf(stderr, "ffmpeg could not make the video\n");
        return 1;
    }

    Command ours { { program, video },
        { { QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("sky.media.info=true") },
            { QStringLiteral("SKYVANTRIX_MPV_OPTIONS"), QStringLiteral("ao=null") },
            { QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")) },
            { QStringLiteral("XDG_DATA_HOME"), dir.filePath(QStringLiteral("data")) },
            { QStringLiteral("WAYLAND_DISPLAY"), QString() } },
        "sky.media: playback started", "sky.media: item ended" };
    Command theirs { { QStringLiteral("mpv"), QStringLiteral("--no-config"), QStringLiteral("--ao=null"),
                         QStringLiteral("--msg-level=all=warn,cplayer=v"), QStringLiteral("--vo=null"), video },
        { { QStringLiteral("WAYLAND_DISPLAY"), QString() } }, "first video frame after restart shown", {} };

    // Null outputs: the program's engine decodes to mpv's null video output
    // on the offscreen platform.
    ours.environment[QStringLiteral("QT_QPA_PLATFORM")] = QStringLiteral("offscreen");
    bool ok = compare("Null outputs", rounds, ours, theirs, 0);

    QProcess xvfb;
    const QString display = ok ? startXvfb(xvfb) : QString();
    if (ok && display.isEmpty()) {
        std::fprintf(stderr, "Xvfb did not start\n");
        ok = false;
    }
    if (ok) {
        ours.environment[QStringLiteral("QT_QPA_PLATFORM")] = QStringLiteral("xcb");
        ours.environment[QStringLiteral("DISPLAY")] = display;
        ours.firstFrameLine = "sky.media: first frame shown";
        theirs.environment[QStringLiteral("DISPLAY")] = display;
        theirs.argv.replace(theirs.argv.indexOf(QStringLiteral("--vo=null")), QStringLiteral("--vo=gpu"));
        theirs.argv.insert(theirs.argv.size() - 1, QStringLiteral("--gpu-sw=yes"));
        // Drawing costs go with the number of pixels drawn, so mpv's window
        // gets the size of the program's video area, which a first run of
        // the program reports with its first frame.
        const std::optional<Measure> probe = runOnce(ours, xvfb.processId());
        const QByteArray size = probe ? probe->firstFrameReport.mid(probe->firstFrameReport.lastIndexOf(' ') + 1) : "";
        if (size.contains('x')) {
            theirs.argv.insert(theirs.argv.size() - 1, QStringLiteral("--geometry=") + QString::fromLatin1(size));
            std::printf("Video area of %s pixels in both\n", size.constData());
            ok = compare("OpenGL on Xvfb", rounds, ours, theirs, xvfb.processId());
        } else {
            std::fprintf(stderr, "the program did not report the size of its video\n");
            ok = false;
        }
    }
    if (xvfb.state() != QProcess::NotRunning) {
        xvfb.terminate();
        xvfb.waitForFinished(10000);
    }
    return ok ? 0 : 1;
}
