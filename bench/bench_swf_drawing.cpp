// How long the SWF engine takes to draw one frame of a busy movie at
// 800 x 600, and to go to the last frame of a 1000-frame movie, each against
// a baseline measured in the same run: QPainter filling the same area with
// as many plain rectangles as the movie has objects, and playing the movie
// from its first frame to its last. Times are the processor time of the
// whole process (every thread), which the load of a shared machine changes
// far less than the time on the clock.

#include "bench_support.h"
#include "swf/framecanvas.h"
#include "swfwriter.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <ctime>
#include <cstdio>
#include <vector>

using sky::swf::MoviePlayer;

namespace {

constexpr int kObjects = 400;
constexpr int kFrames = 1000;

// Many overlapping gradient and solid shapes, moving a little each frame.
QByteArray busyMovie(int frames)
{
    swftest::Movie movie(8, 800, 600, 30);
    movie.background(QColor(20, 20, 40));
    const std::vector<std::pair<int, QColor>> stops = {{0, QColor(255, 80, 0)}, {255, QColor(0, 80, 255)}};
    for (int id = 1; id <= 4; ++id) {
        const QRect bounds(0, 0, 1200 + id * 300, 900 + id * 200);
        const QByteArray fill = id % 2 ? swftest::gradientFill(id == 1 ? 0x10 : 0x12, 0.06, 600, 450, stops)
                                       : swftest::solidFill(QColor(60 * id, 200, 120), false);
        movie.shape(id, 2, bounds, {fill}, {swftest::lineStyle(40, QColor(255, 255, 255), false)},
                    swftest::Edges().rect(bounds, 1, 1).end());
    }
    for (int depth = 1; depth <= kObjects; ++depth)
        movie.place(depth, 1 + depth % 4, (depth * 397) % 14000, (depth * 211) % 10000);
    for (int frame = 0; frame < frames; ++frame) {
        movie.showFrame();
        const int depth = 1 + frame % kObjects;
        movie.move(depth, (depth * 397 + frame * 40) % 14000, (depth * 211 + frame * 30) % 10000);
    }
    return movie.fws();
}

double processorMs()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

template<typename Work>
std::vector<double> timings(int rounds, Work &&work)
{
    std::vector<double> ms;
    for (int i = 0; i < rounds; ++i) {
        const double start = processorMs();
        work();
        ms.push_back(processorMs() - start);
    }
    std::sort(ms.begin(), ms.end());
    return ms;
}

void report(const char *what, const char *baselineName, const std::vector<double> &baseline,
    const std::vector<double> &measured)
{
    const double base = baseline[baseline.size() / 2];
    const double value = measured[measured.size() / 2];
    std::printf("%-36s baseline %8.2f ms  measured %8.2f ms (min %8.2f)  ratio %.2f\n", what, base, value,
                measured.front(), value / base);
    bench::tableRow(QStringLiteral("SWF: ") + QString::fromLatin1(what), QString::fromLatin1(baselineName), value,
        base, "ms");
}

} // namespace

int main(int argc, char *argv[])
{
    // Everything is drawn into images; no display is needed.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    MoviePlayer player;
    if (!player.loadData(busyMovie(kFrames))) {
        std::fprintf(stderr, "movie: %s\n", qPrintable(player.errorString()));
        return 1;
    }
    QImage canvas(800, 600, QImage::Format_ARGB32_Premultiplied);
    if (argc > 1) {
        // Saves the frame the benchmark draws, to look at.
        QPainter painter(&canvas);
        player.draw(painter, QRectF(0, 0, 800, 600));
        painter.end();
        canvas.save(QString::fromLocal8Bit(argv[1]));
    }

    const auto rectangles = timings(20, [&] {
        QPainter painter(&canvas);
        for (int i = 0; i < kObjects; ++i)
            painter.fillRect(QRect((i * 37) % 700, (i * 23) % 500, 100 + i % 50, 80 + i % 40),
                             QColor::fromRgb(i * 2654435761u));
    });
    // As the Flash window draws: edges smoothed by the painter.
    sky::swf::RenderOptions windowQuality;
    windowQuality.supersample = false;
    const auto drawing = timings(20, [&] {
        QPainter painter(&canvas);
        player.draw(painter, QRectF(0, 0, 800, 600), windowQuality);
    });
    report("one frame, 400 objects, 800 x 600", "as many QPainter rectangles", rectangles, drawing);
    // The window's first frame, or one after a jump: the whole frame.
    const auto whole = timings(20, [&] {
        sky::swf::FrameCanvas fresh;
        fresh.paint(player, QSize(800, 600), 1, windowQuality);
    });
    report("the same, drawn whole by the window", "as many QPainter rectangles", rectangles, whole);
    // Pixel-exact, as the reference pictures are drawn at low quality.
    const auto exact = timings(20, [&] {
        QPainter painter(&canvas);
        player.draw(painter, QRectF(0, 0, 800, 600), sky::swf::RenderOptions{false});
    });
    report("the same, pixel-exact", "as many QPainter rectangles", rectangles, exact);
    const auto reference = timings(5, [&] {
        QPainter painter(&canvas);
        player.draw(painter, QRectF(0, 0, 800, 600));
    });
    report("the same, four-times supersampled", "as many QPainter rectangles", rectangles, reference);

    const auto replay = timings(3, [&] {
        player.gotoFrame(1);
        player.play();
        while (player.currentFrame() < kFrames)
            player.tick();
    });
    const auto jump = timings(20, [&] {
        player.gotoFrame(1);
        player.gotoFrame(kFrames);
    });
    report("goto frame 1000 of 1000", "playing frames 1 to 1000", replay, jump);

    // Playing as the Flash window does: a tick, then the frame repainted
    // where it changed since the one before.
    player.gotoFrame(1);
    player.play();
    sky::swf::FrameCanvas canvasFrames;
    const QSize size(800, 600);
    canvasFrames.paint(player, size, 1, windowQuality);
    const auto frames = timings(60, [&] {
        player.tick();
        canvasFrames.paint(player, size, 1, windowQuality);
    });
    report("playing: a tick and a repaint", "as many QPainter rectangles", rectangles, frames);
    const double perFrame = frames[frames.size() / 2];
    const double fps = player.movie()->frameRate();
    std::printf("busy movie at %.0f frames a second: %.2f ms a frame, %.1f %% of one core (goal under 25 %%)\n", fps,
                perFrame, perFrame * fps / 10);

    // A real movie at its own size and frame rate, as the Flash window plays it.
    MoviePlayer real;
    if (real.load(QString::fromUtf8(SKY_SWF_REAL_MOVIE))) {
        const QSize stageSize = real.movie()->stageSize();
        sky::swf::FrameCanvas realCanvas;
        realCanvas.paint(real, stageSize, 1, windowQuality);
        const auto realFrames = timings(qMax(real.totalFrames(), 30), [&] {
            real.tick();
            realCanvas.paint(real, stageSize, 1, windowQuality);
        });
        const double ms = realFrames[realFrames.size() / 2];
        const double realFps = real.movie()->frameRate();
        std::printf("%s (%dx%d, %d frames at %.0f a second): %.2f ms a frame, %.1f %% of one core\n",
                    SKY_SWF_REAL_MOVIE_NAME, stageSize.width(), stageSize.height(), real.totalFrames(), realFps, ms,
                    ms * realFps / 10);
        // Against the time between its frames: the share of a core it takes.
        bench::tableRow(
            QStringLiteral("SWF: a frame of %1 as the window plays it").arg(QLatin1String(SKY_SWF_REAL_MOVIE_NAME)),
            QStringLiteral("the time between its frames"), ms, 1000 / realFps, "ms");
    }
    return 0;
}
