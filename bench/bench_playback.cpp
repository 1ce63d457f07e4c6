// Plays media with the program and with the mpv command-line player, turn
// about, for several rounds, on Xvfb displays the bench starts for itself:
//  - a 20-second 640 x 480 video, both decoding to null outputs;
//  - the same video drawn through OpenGL (Mesa's software renderer; mpv's
//    "gpu" output is the drawing path libmpv's render API takes), mpv's
//    window as large as the program's video area;
//  - a 1080p H.264 video (in AVI, a container the program lists) at full
//    screen on a 1280 x 900 screen, the program told to play its videos full screen by its settings file;
//  - a playlist of three MP3 files, sound only, the program's main window
//    animating itself all the while.
// For each it prints CPU time (the process's own plus the X server's), peak
// memory and the time from start to the first frame on screen (to playback
// under way, for sound), min and median over the rounds, and the program's
// figures as ratios against mpv's, also the median of the ratios within each
// round. For the sound-only playlist, whose 15 seconds a window's start-up
// weighs on, it also prints the CPU time per second from the first sound to
// the end, the cost of playing on. Its round's ratio moves by a tenth from
// one round to the next on a busy machine, so it plays 2 x rounds + 1
// rounds. At full screen, where the software renderer may not keep up with
// every frame, it also counts the frames each put on screen, since a player
// that draws fewer frames spends less time drawing: the program tells them
// at the end of its item, and a small script run inside mpv reads mpv's
// counters of frames decoded and dropped.
//
// The program is the real one, run from a copy in a folder of its own so
// that it starts over a settings file of start values and plays the file
// named on its command line. It reports its milestones when asked through
// QT_LOGGING_RULES; mpv reports the same moments in its verbose log.
//
// usage: bench_playback [rounds] [path of skyvantrix]

#include "bench_support.h"
#include "core/module1.h"
#include "core/settings_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kVideoSeconds = 20;
constexpr int kFullScreenSeconds = 8;
constexpr int kSongSeconds = 5;
constexpr int kSongs = 3;
constexpr int kRunTimeoutMs = 90000;

struct Command
{
    QStringList argv;
    bench::Environment environment;
    QByteArray firstFrameLine; // what the player prints at its first frame
    QByteArray endLine; // printed at the end of each item; empty: the process ends there
    int items = 1; // how many items end before the process is closed
    QString framesFile {}; // where mpv's frame-counting script writes, when it runs
    bool countsFrames = false;
    bool playingCost = false; // CPU per second after the first frame is reported
};

struct Measure
{
    double cpuSeconds = 0;
    double peakMiB = 0;
    double firstFrameMs = 0;
    double framesShown = 0;
    double cpuMsPerSecondAfter = 0; // from the first frame to the end
    QByteArray firstFrameReport; // the player's line
};

// Run inside mpv, it writes how many frames of each item were put on screen
// as the item ended: "shown N", the frames decoded less those the decoder
// and the video output dropped (the counters are gone at the end, so they
// are read as the item plays).
const QByteArray kFrameCounter = R"(local shown = 0
mp.add_periodic_timer(0.1, function()
  local decoded = mp.get_property_number("estimated-frame-number")
  if decoded then
    shown = decoded + 1 - (mp.get_property_number("decoder-frame-drop-count") or 0)
      - (mp.get_property_number("frame-drop-count") or 0)
  end
end)
mp.register_event("end-file", function()
  local out = io.open(os.getenv("SKY_BENCH_FRAMES"), "a")
  out:write("shown " .. shown .. "\n")
  out:close()
end)
)";

// Frames shown over the run, from what the counting script wrote.
double framesShownByMpv(const QString &framesFile)
{
    QFile file(framesFile);
    double shown = 0;
    if (file.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : file.readAll().split('\n'))
            if (line.startsWith("shown "))
                shown += line.mid(6).toDouble();
    }
    return shown;
}

// The program's count, from its line at the end of an item: "item ended,
// N video frames shown so far".
std::optional<double> framesShownByProgram(const QByteArray &line)
{
    const qsizetype at = line.indexOf(" video frames shown");
    if (at < 0)
        return std::nullopt;
    const qsizetype from = line.lastIndexOf(' ', at - 1) + 1;
    return line.mid(from, at - from).toDouble();
}

// Runs `command` to the end of its items; the time to the first frame counts
// from just before the process is started.
std::optional<Measure> runOnce(const Command &command, qint64 xServerPid)
{
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return std::nullopt;
    if (!command.framesFile.isEmpty())
        QFile::remove(command.framesFile);
    const double xBefore = bench::threadsCpuSeconds(xServerPid);
    QElapsedTimer clock;
    clock.start();
    const pid_t pid = bench::spawn(command.argv, command.environment, pipeFds[1]);
    close(pipeFds[1]);
    if (!pid) {
        close(pipeFds[0]);
        return std::nullopt;
    }

    Measure m;
    std::optional<double> firstFrameMs;
    double cpuAtFirstFrame = 0;
    int ended = command.endLine.isEmpty() ? command.items : 0;
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
            if (const std::optional<double> shown = framesShownByProgram(line))
                m.framesShown = *shown;
            if (!firstFrameMs && line.contains(command.firstFrameLine)) {
                firstFrameMs = double(clock.nsecsElapsed()) / 1e6;
                m.firstFrameReport = line;
                // Counted as the whole run is, children the process has
                // waited for included.
                cpuAtFirstFrame = bench::processCpuSeconds(pid, true) + bench::threadsCpuSeconds(xServerPid) - xBefore;
            }
            // The program stays open after its items; it is closed as a user
            // would end it, by a termination signal.
            if (ended < command.items && line.contains(command.endLine) && ++ended == command.items)
                kill(pid, SIGTERM);
        }
    }
    close(pipeFds[0]);
    int status = 0;
    rusage usage {};
    wait4(pid, &status, 0, &usage);
    const double xCpu = bench::threadsCpuSeconds(xServerPid) - xBefore;
    const double endMs = double(clock.nsecsElapsed()) / 1e6;

    if (!firstFrameMs || ended < command.items) {
        std::fprintf(stderr, "%s: no %s\n%s\n", qPrintable(command.argv.first()),
            firstFrameMs ? "end of the items" : "first frame", transcript.constData());
        return std::nullopt;
    }
    m.cpuSeconds = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6 + xCpu;
    m.peakMiB = double(usage.ru_maxrss) / 1024.0;
    m.firstFrameMs = *firstFrameMs;
    if (endMs > m.firstFrameMs)
        m.cpuMsPerSecondAfter = (m.cpuSeconds - cpuAtFirstFrame) * 1e6 / (endMs - m.firstFrameMs);
    if (!command.framesFile.isEmpty())
        m.framesShown = framesShownByMpv(command.framesFile);
    return m;
}

void reportMetric(const QString &title, const char *what, const char *unit, const std::vector<Measure> &program,
    const std::vector<Measure> &mpv, double Measure::*field)
{
    std::vector<double> p, b;
    for (const Measure &m : program)
        p.push_back(m.*field);
    for (const Measure &m : mpv)
        b.push_back(m.*field);
    const double roundsRatio = bench::medianOfRatios(p, b);
    std::printf("  %-28s min %8.2f vs %8.2f  ratio %.2f   median %8.2f vs %8.2f  ratio %.2f   median of rounds' "
                "ratios %.2f\n",
        what, bench::minimum(p), bench::minimum(b), bench::minimum(p) / bench::minimum(b), bench::median(p),
        bench::median(b), bench::median(p) / bench::median(b), roundsRatio);
    bench::tableRow(title + QStringLiteral(": ") + QString::fromLatin1(what), QStringLiteral("mpv"), bench::median(p),
        bench::median(b), unit, roundsRatio);
}

// Plays with both, turn about, and prints the ratios; false when a run failed.
bool compare(const QString &title, int rounds, const Command &program, const Command &mpv, qint64 xServerPid)
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
            std::fprintf(stderr,
                "  %s round %d: %.2f s CPU, %.1f MiB, first frame %.0f ms, %.0f frames shown, %.1f ms CPU a second "
                "after it\n",
                programTurn ? "program" : "mpv    ", round + 1, m->cpuSeconds, m->peakMiB, m->firstFrameMs,
                m->framesShown, m->cpuMsPerSecondAfter);
        }
    }
    std::printf("%s, %d rounds (program vs mpv)\n", qPrintable(title), rounds);
    reportMetric(title, "CPU s (process + X server)", "s", programRuns, mpvRuns, &Measure::cpuSeconds);
    reportMetric(title, "peak memory MiB", "MiB", programRuns, mpvRuns, &Measure::peakMiB);
    reportMetric(title, "start to first frame ms", "ms", programRuns, mpvRuns, &Measure::firstFrameMs);
    if (program.countsFrames)
        reportMetric(title, "video frames shown", "frames", programRuns, mpvRuns, &Measure::framesShown);
    if (program.playingCost)
        reportMetric(title, "CPU ms a second after first frame", "ms", programRuns, mpvRuns,
            &Measure::cpuMsPerSecondAfter);
    std::fflush(stdout);
    return true;
}

bool ffmpeg(const QStringList &args)
{
    QProcess process;
    process.start(QStringLiteral("ffmpeg"), QStringList { QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y") } + args);
    return process.waitForFinished(300000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

QStringList lavfi(const QString &source)
{
    return { QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"), source };
}

bool makeVideo(const QString &path)
{
    const QString length = QString::number(kVideoSeconds);
    return ffmpeg(lavfi(QStringLiteral("testsrc=size=640x480:rate=25:duration=") + length)
        + lavfi(QStringLiteral("sine=frequency=440:sample_rate=44100:duration=") + length)
        + QStringList { QStringLiteral("-c:v"), QStringLiteral("mpeg4"), QStringLiteral("-q:v"), QStringLiteral("3"),
            QStringLiteral("-c:a"), QStringLiteral("mp2"), path });
}

bool makeHdVideo(const QString &path)
{
    const QString length = QString::number(kFullScreenSeconds);
    return ffmpeg(lavfi(QStringLiteral("testsrc2=size=1920x1080:rate=25:duration=") + length)
        + lavfi(QStringLiteral("sine=frequency=440:sample_rate=48000:duration=") + length)
        + QStringList { QStringLiteral("-c:v"), QStringLiteral("libx264"), QStringLiteral("-preset"),
            QStringLiteral("veryfast"), QStringLiteral("-pix_fmt"), QStringLiteral("yuv420p"), QStringLiteral("-c:a"),
            QStringLiteral("libmp3lame"), path });
}

bool makeSong(const QString &path, int frequency)
{
    return ffmpeg(lavfi(QStringLiteral("sine=frequency=%1:sample_rate=44100:duration=%2").arg(frequency).arg(kSongSeconds))
        + QStringList { QStringLiteral("-c:a"), QStringLiteral("libmp3lame"), QStringLiteral("-b:a"),
            QStringLiteral("128k"), path });
}

// Settings of start values, except that videos play full screen.
bool writeFullScreenSettings(const QString &path)
{
    sky::Module1 settings;
    settings.VideoDisplaySize = 3;
    const QByteArray content = sky::settingsFileContent(settings);
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size() && file.flush();
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
    const QString settings = appFolder + QStringLiteral("/save.ata");
    const QString video = mediaFolder + QStringLiteral("/clip.avi");
    const QString hdVideo = mediaFolder + QStringLiteral("/clip-1080p.avi");
    const QString playlist = mediaFolder + QStringLiteral("/songs.pla");
    QDir().mkpath(appFolder);
    QDir().mkpath(mediaFolder);
    // An empty settings file: start values, no first-start message.
    if (!QFile::copy(programPath, program) || !QFile(settings).open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "cannot copy the program from %s\n", qPrintable(programPath));
        return 1;
    }
    QStringList songs;
    QByteArray playlistText;
    for (int i = 0; i < kSongs; ++i) {
        songs << mediaFolder + QStringLiteral("/song%1.mp3").arg(i + 1);
        playlistText += songs.last().toUtf8() + "\r\n";
    }
    QFile playlistFile(playlist);
    bool made = makeVideo(video) && makeHdVideo(hdVideo) && playlistFile.open(QIODevice::WriteOnly)
        && playlistFile.write(playlistText) == playlistText.size() && playlistFile.flush();
    playlistFile.close();
    for (int i = 0; made && i < kSongs; ++i)
        made = makeSong(songs[i], 330 + 110 * i);
    if (!made) {
        std::fprintf(stderr, "ffmpeg could not make the media\n");
        return 1;
    }

    Command ours { { program, video },
        { { QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("sky.media.info=true") },
            { QStringLiteral("SKYVANTRIX_MPV_OPTIONS"), QStringLiteral("ao=null") },
            { QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")) },
            { QStringLiteral("XDG_DATA_HOME"), dir.filePath(QStringLiteral("data")) },
            { QStringLiteral("WAYLAND_DISPLAY"), QString() } },
        "sky.media: playback started", "sky.media: item ended" };
    const QStringList mpvArgs { QStringLiteral("mpv"), QStringLiteral("--no-config"), QStringLiteral("--ao=null"),
        QStringLiteral("--msg-level=all=warn,cplayer=v") };
    Command theirs { mpvArgs + QStringList { QStringLiteral("--vo=null"), video },
        { { QStringLiteral("WAYLAND_DISPLAY"), QString() } }, "first video frame after restart shown", {} };

    // Null outputs: the program's engine decodes to mpv's null video output
    // on the offscreen platform.
    ours.environment[QStringLiteral("QT_QPA_PLATFORM")] = QStringLiteral("offscreen");
    bool ok = compare(QStringLiteral("Null outputs, 640x480 MPEG-4"), rounds, ours, theirs, 0);

    QProcess xvfb;
    QString display = ok ? bench::startXvfb(xvfb, 91, QStringLiteral("1280x1024")) : QString();
    if (ok && display.isEmpty()) {
        std::fprintf(stderr, "Xvfb did not start\n");
        ok = false;
    }
    const QStringList glArgs { QStringLiteral("--vo=gpu"), QStringLiteral("--gpu-sw=yes") };
    if (ok) {
        ours.environment[QStringLiteral("QT_QPA_PLATFORM")] = QStringLiteral("xcb");
        ours.environment[QStringLiteral("DISPLAY")] = display;
        ours.firstFrameLine = "sky.media: first frame shown";
        theirs.environment[QStringLiteral("DISPLAY")] = display;
        // Drawing costs go with the number of pixels drawn, so mpv's window
        // gets the size of the program's video area, which a first run of
        // the program reports with its first frame.
        const std::optional<Measure> probe = runOnce(ours, xvfb.processId());
        const QByteArray size = probe ? probe->firstFrameReport.mid(probe->firstFrameReport.lastIndexOf(' ') + 1) : "";
        if (size.contains('x')) {
            theirs.argv = mpvArgs + glArgs + QStringList { QStringLiteral("--geometry=") + QString::fromLatin1(size), video };
            std::printf("Video area of %s pixels in both\n", size.constData());
            ok = compare(QStringLiteral("OpenGL in the window, 640x480 MPEG-4"), rounds, ours, theirs, xvfb.processId());
        } else {
            std::fprintf(stderr, "the program did not report the size of its video\n");
            ok = false;
        }
    }
    bench::stopXvfb(xvfb);

    if (ok) {
        display = bench::startXvfb(xvfb, 91, QStringLiteral("1280x900"));
        ok = !display.isEmpty() && writeFullScreenSettings(settings);
    }
    if (ok) {
        ours.environment[QStringLiteral("DISPLAY")] = display;
        theirs.environment[QStringLiteral("DISPLAY")] = display;
        // mpv runs the frame-counting script.
        const QString counter = dir.filePath(QStringLiteral("count_frames.lua"));
        const QString framesFile = dir.filePath(QStringLiteral("frames.txt"));
        QFile script(counter);
        ok = script.open(QIODevice::WriteOnly) && script.write(kFrameCounter) == kFrameCounter.size() && script.flush();
        script.close();
        Command oursCounted = ours;
        Command theirsCounted = theirs;
        oursCounted.argv = QStringList { program, hdVideo };
        oursCounted.countsFrames = true;
        theirsCounted.argv
            = mpvArgs + glArgs + QStringList { QStringLiteral("--fs"), QStringLiteral("--script=") + counter, hdVideo };
        theirsCounted.environment[QStringLiteral("SKY_BENCH_FRAMES")] = framesFile;
        theirsCounted.framesFile = framesFile;
        ok = ok
            && compare(QStringLiteral("Full screen 1280x900, 1080p H.264"), rounds, oursCounted, theirsCounted,
                xvfb.processId());
    }
    if (ok) {
        // Sound alone: the program shows its main window and animates it.
        ours.argv = QStringList { program, playlist };
        ours.firstFrameLine = "sky.media: playback started";
        ours.items = kSongs;
        ours.playingCost = true;
        theirs.argv = mpvArgs + songs;
        theirs.firstFrameLine = "playback restart complete";
        ok = QFile(settings).open(QIODevice::WriteOnly)
            && compare(QStringLiteral("MP3 playlist, sound only"), 2 * rounds + 1, ours, theirs, xvfb.processId());
    }
    bench::stopXvfb(xvfb);
    return ok ? 0 : 1;
}
