// What one tick of the main window's timer costs while an item plays: the
// tick itself and the repainting of what it changed (the PLAY button's and
// the Repeat box's colours, the bar of squares, the title colours). The
// baseline, measured in the same run, is one repaint of the whole window.
// Both are timed as processor time of this process. Painting goes to the
// offscreen platform's backing store unless QT_QPA_PLATFORM names another
// (xcb on an X server adds the copy to the display).

#include "bench_support.h"
#include "best_of.h"
#include "test_rig.h"

#include <QApplication>
#include <QFont>
#include <QStyleFactory>
#include <QWidget>

#include <cstdio>

using namespace sky;

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The program's style and font, which decide what painting costs.
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setFont(QFont(QStringLiteral("DejaVu Sans Condensed"), 8));
    test::TestRig rig;
    Form1 &main = rig.startMainWindow();
    main.Show();
    rig.loadPlaylist({ rig.appPath(QStringLiteral("Neon Drive.mp3")) });
    main.Check2.setValue(1);
    main.Timer1_Timer(); // starts the entry
    QApplication::processEvents();

    const auto tick = [&] {
        main.Timer1_Timer();
        QApplication::processEvents();
    };
    const auto repaintAll = [&] { main.window()->repaint(); };
    tick();
    repaintAll();
    const auto repeated = [](int times, const auto &work) {
        return [times, &work] {
            for (int i = 0; i < times; ++i)
                work();
        };
    };
    const double tickUs = bestOfCpu(5, repeated(200, tick)) / 1e3 / 200;
    const double fullUs = bestOfCpu(5, repeated(50, repaintAll)) / 1e3 / 50;
    std::printf("main-timer tick with its repainting: %.1f us; whole-window repaint: %.1f us; ratio %.3f\n", tickUs,
        fullUs, tickUs / fullUs);
    std::printf("at 10 ticks a second: %.2f%% of one core\n", tickUs * 10 / 1e4);
    bench::tableRow(QStringLiteral("main-timer tick with its repainting"), QStringLiteral("whole-window repaint"),
        tickUs, fullUs, "us");
    return 0;
}
