// Going to a frame or one frame back, against replaying the movie from
// frame 1 each time; prints the ratio measured in this run.
//   bench_swf_stepping [MOVIE.swf]

#include "swf/movieplayer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>

#include <cstdio>

using sky::swf::MoviePlayer;

namespace {

// Nanoseconds for `steps` moves done by `move(player, frame)`.
template<typename Move> qint64 timeSteps(MoviePlayer &player, const std::vector<int> &targets, Move move)
{
    QElapsedTimer timer;
    timer.start();
    for (int frame : targets)
        move(player, frame);
    return timer.nsecsElapsed();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const QString path = args.size() > 1 ? args[1] : QStringLiteral(SKY_SWF_BENCH_MOVIE);
    MoviePlayer player;
    if (!player.load(path)) {
        std::fprintf(stderr, "cannot load %s: %s\n", qPrintable(path), qPrintable(player.errorString()));
        return 1;
    }
    const int total = player.totalFrames();
    std::vector<int> targets;
    QRandomGenerator random(3);
    for (int i = 0; i < 200; ++i)
        targets.push_back(random.bounded(1, total + 1));

    const auto replay = [](MoviePlayer &p, int frame) {
        p.gotoFrame(1);
        p.play();
        while (p.currentFrame() < frame)
            p.tick();
    };
    const auto jump = [](MoviePlayer &p, int frame) { p.gotoFrame(frame); };
    const qint64 baseline = timeSteps(player, targets, replay);
    const qint64 direct = timeSteps(player, targets, jump);

    std::vector<int> backwards;
    for (int frame = total; frame >= 1; --frame)
        backwards.push_back(frame);
    const qint64 replayBack = timeSteps(player, backwards, replay);
    player.gotoFrame(total);
    const qint64 stepBack = timeSteps(player, backwards, [](MoviePlayer &p, int) { p.back(); });

    std::printf("movie: %s (%d frames)\n", qPrintable(path), total);
    std::printf("go to a random frame: %.1f times faster than replaying from frame 1\n",
                double(baseline) / double(qMax<qint64>(direct, 1)));
    std::printf("one frame back, end to start: %.1f times faster than replaying from frame 1\n",
                double(replayBack) / double(qMax<qint64>(stepBack, 1)));
    return 0;
}
