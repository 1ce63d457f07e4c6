// Starts the program and a bare Qt Widgets window (bare_window), turn about,
// for several rounds on an Xvfb display the bench starts for itself, and
// times each from exec to its main window drawn on screen: the X server
// reports the window's mapping, and its damage extension the first drawing
// into the window after that. Also taken: the processor time its main
// thread had used by then (what other threads do meanwhile, such as
// starting the media player, is off the way to the screen; on a busy
// machine the wall-clock times are mostly waiting for a processor), and,
// once the window has been up for a second, its resident memory and the
// share of a core it takes while it sits idle (the program's main window
// animates itself all the time).
//
// The program is the real one, run from a copy in a folder of its own over
// an empty settings file, so that it starts with its start values and shows
// no message.
//
// usage: bench_startup [rounds] [path of skyvantrix] [path of bare_window]

#include "bench_support.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRect>
#include <QSize>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/damage.h>
#include <xcb/xcb.h>

namespace {

constexpr int kTimeoutMs = 30000;
constexpr int kSettleMs = 1000; // after the first drawing, before idling is measured
constexpr int kIdleMs = 2000;

struct Run
{
    double shownMs = 0; // exec to the first drawing into the mapped window
    double mappedMs = 0;
    double cpuMs = 0; // processor time of the main thread by the first drawing
    double idleMiB = 0;
    double idleCpuPercent = 0;
    QSize size;
};

// A client of the bench's X server that sees every top-level window mapped
// and every drawing on the screen.
class ScreenWatch
{
public:
    bool open(const QString &display)
    {
        m_x.reset(xcb_connect(qPrintable(display), nullptr));
        if (xcb_connection_has_error(m_x.get()))
            return false;
        const xcb_query_extension_reply_t *damage = xcb_get_extension_data(m_x.get(), &xcb_damage_id);
        if (!damage || !damage->present)
            return false;
        free(xcb_damage_query_version_reply(m_x.get(), xcb_damage_query_version(m_x.get(), 1, 1), nullptr));
        m_damageEvent = damage->first_event + XCB_DAMAGE_NOTIFY;
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_x.get())).data->root;
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(m_x.get(), m_root, XCB_CW_EVENT_MASK, &mask);
        // Drawing into any window shows as damage to the root window.
        xcb_damage_create(m_x.get(), xcb_generate_id(m_x.get()), m_root, XCB_DAMAGE_REPORT_LEVEL_RAW_RECTANGLES);
        xcb_flush(m_x.get());
        return true;
    }

    // Runs `argv` until its first top-level window is mapped and drawn into,
    // then lets it idle and ends it.
    std::optional<Run> run(const QStringList &argv, const bench::Environment &env)
    {
        drain();
        const int devNull = ::open("/dev/null", O_WRONLY);
        QElapsedTimer clock;
        clock.start();
        const pid_t pid = bench::spawn(argv, env, devNull);
        ::close(devNull);
        if (!pid)
            return std::nullopt;
        const std::optional<Run> shown = awaitDrawing(clock, pid);
        std::optional<Run> result;
        if (shown) {
            result = shown;
            QThread::msleep(kSettleMs);
            const double before = bench::processCpuSeconds(pid);
            QThread::msleep(kIdleMs);
            result->idleCpuPercent = (bench::processCpuSeconds(pid) - before) * 100e3 / kIdleMs;
            result->idleMiB = bench::residentMiB(pid);
        } else {
            std::fprintf(stderr, "%s: no window drawn\n", qPrintable(argv.first()));
        }
        kill(pid, SIGTERM);
        int status = 0;
        waitpid(pid, &status, 0);
        return result;
    }

private:
    struct Disconnect
    {
        void operator()(xcb_connection_t *x) const { xcb_disconnect(x); }
    };

    void drain()
    {
        while (xcb_generic_event_t *event = xcb_poll_for_event(m_x.get()))
            free(event);
    }

    std::optional<Run> awaitDrawing(const QElapsedTimer &clock, pid_t pid)
    {
        Run run;
        xcb_window_t window = XCB_NONE;
        int x = 0, y = 0;
        for (;;) {
            xcb_generic_event_t *event = xcb_poll_for_event(m_x.get());
            if (!event) {
                int status = 0;
                if (clock.elapsed() > kTimeoutMs || waitpid(pid, &status, WNOHANG) == pid
                    || xcb_connection_has_error(m_x.get()))
                    return std::nullopt;
                pollfd fd { xcb_get_file_descriptor(m_x.get()), POLLIN, 0 };
                poll(&fd, 1, 50);
                continue;
            }
            const double ms = double(clock.nsecsElapsed()) / 1e6;
            const std::unique_ptr<xcb_generic_event_t, decltype(&free)> owned(event, &free);
            const int type = event->response_type & 0x7f;
            if (type == XCB_MAP_NOTIFY && window == XCB_NONE) {
                const auto *map = reinterpret_cast<xcb_map_notify_event_t *>(event);
                if (map->event != m_root || map->override_redirect)
                    continue;
                window = map->window;
                run.mappedMs = ms;
                xcb_get_geometry_reply_t *g
                    = xcb_get_geometry_reply(m_x.get(), xcb_get_geometry(m_x.get(), window), nullptr);
                if (!g)
                    return std::nullopt;
                x = g->x;
                y = g->y;
                run.size = QSize(g->width, g->height);
                free(g);
            } else if (type == m_damageEvent && window != XCB_NONE) {
                const auto *damage = reinterpret_cast<xcb_damage_notify_event_t *>(event);
                const QRect area(damage->area.x, damage->area.y, damage->area.width, damage->area.height);
                if (!area.intersects(QRect(QPoint(x, y), run.size)))
                    continue;
                run.shownMs = ms;
                run.cpuMs = bench::mainThreadCpuSeconds(pid) * 1e3;
                return run;
            }
        }
    }

    std::unique_ptr<xcb_connection_t, Disconnect> m_x;
    xcb_window_t m_root = XCB_NONE;
    int m_damageEvent = -1;
};

void report(const char *figure, const char *unit, const std::vector<Run> &program, const std::vector<Run> &bare,
    double Run::*field)
{
    std::vector<double> p, b;
    for (const Run &r : program)
        p.push_back(r.*field);
    for (const Run &r : bare)
        b.push_back(r.*field);
    std::printf("  %-34s median %8.1f vs %8.1f  min %8.1f vs %8.1f  median of rounds' ratios %.2f\n", figure,
        bench::median(p), bench::median(b), bench::minimum(p), bench::minimum(b), bench::medianOfRatios(p, b));
    bench::tableRow(QString::fromLatin1(figure), QStringLiteral("bare Qt window"), bench::median(p), bench::median(b),
        unit, bench::medianOfRatios(p, b));
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString binFolder = QCoreApplication::applicationDirPath();
    const int rounds = args.size() > 1 ? std::max(1, args.at(1).toInt()) : 7;
    const QString programPath = args.size() > 2 ? args.at(2) : binFolder + QStringLiteral("/../bin/skyvantrix");
    const QString barePath = args.size() > 3 ? args.at(3) : binFolder + QStringLiteral("/bare_window");

    QTemporaryDir dir;
    const QString appFolder = dir.filePath(QStringLiteral("app"));
    const QString program = appFolder + QStringLiteral("/skyvantrix");
    QDir().mkpath(appFolder);
    if (!QFile::copy(programPath, program) || !QFile(appFolder + QStringLiteral("/save.ata")).open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "cannot copy the program from %s\n", qPrintable(programPath));
        return 1;
    }

    QProcess xvfb;
    const QString display = bench::startXvfb(xvfb, 81, QStringLiteral("1280x1024"));
    ScreenWatch screen;
    if (display.isEmpty() || !screen.open(display)) {
        std::fprintf(stderr, "no X server with the damage extension\n");
        return 1;
    }
    const bench::Environment env { { QStringLiteral("DISPLAY"), display },
        { QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb") },
        { QStringLiteral("WAYLAND_DISPLAY"), QString() },
        { QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")) },
        { QStringLiteral("XDG_DATA_HOME"), dir.filePath(QStringLiteral("data")) } };

    // A first run, not counted, warms the caches and tells the size of the
    // main window, which the bare window then takes.
    const std::optional<Run> probe = screen.run({ program }, env);
    if (!probe) {
        bench::stopXvfb(xvfb);
        return 1;
    }
    const QString size = QStringLiteral("%1x%2").arg(probe->size.width()).arg(probe->size.height());
    std::vector<Run> programRuns, bareRuns;
    for (int round = 0; round < rounds; ++round) {
        // Each goes first in every other round.
        for (int turn = 0; turn < 2; ++turn) {
            const bool programTurn = (turn == 0) == (round % 2 == 0);
            const std::optional<Run> r
                = programTurn ? screen.run({ program }, env) : screen.run({ barePath, size }, env);
            if (!r) {
                bench::stopXvfb(xvfb);
                return 1;
            }
            (programTurn ? programRuns : bareRuns).push_back(*r);
            std::fprintf(stderr, "  %s round %d: mapped %.0f ms, drawn %.0f ms, %.0f ms CPU, %.1f MiB, idle %.2f %%\n",
                programTurn ? "program" : "bare   ", round + 1, r->mappedMs, r->shownMs, r->cpuMs, r->idleMiB,
                r->idleCpuPercent);
        }
    }
    bench::stopXvfb(xvfb);

    std::printf("Start-up, %d rounds, main window of %s pixels (program vs bare Qt window)\n", rounds, qPrintable(size));
    report("start-up: exec to window drawn", "ms", programRuns, bareRuns, &Run::shownMs);
    report("start-up: exec to window mapped", "ms", programRuns, bareRuns, &Run::mappedMs);
    report("start-up: main thread's CPU to window drawn", "ms", programRuns, bareRuns, &Run::cpuMs);
    report("idle: resident memory", "MiB", programRuns, bareRuns, &Run::idleMiB);
    report("idle: CPU, % of a core", "%", programRuns, bareRuns, &Run::idleCpuPercent);
    return 0;
}
