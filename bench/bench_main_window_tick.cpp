// What one tick of the main window's timer costs while an item plays: the
// tick itself and the drawing of what it changed (the PLAY button's and the
// Repeat box's colours, the bar of squares, the title colours), as the
// window system has it drawn after the tick. The baseline, measured in the
// same run, is the same tick followed by a drawing of the whole window, as
// if every tick redrew it all: their ratio is the share of that drawing the
// tick's own repaints cost. Also counted, without the clock: the pixels
// each paints a tick, against the window's. Both are timed as processor
// time of this process. Painting goes to the offscreen platform's backing
// store unless QT_QPA_PLATFORM names another (xcb on an X server adds the
// copy to the display).

#include "bench_support.h"
#include "best_of.h"
#include "platform/caption_text.h"
#include "test_rig.h"

#include <QApplication>
#include <QPaintEvent>
#include <QStyleFactory>
#include <QWidget>

#include <cstdio>
#include <utility>

using namespace sky;

namespace {

// Adds up the pixels of every paint event of the widgets in a window.
class PaintedPixels : public QObject
{
public:
    explicit PaintedPixels(QWidget *window)
    {
        window->installEventFilter(this);
        for (QWidget *child : window->findChildren<QWidget *>())
            child->installEventFilter(this);
    }

    qint64 take() { return std::exchange(m_pixels, 0); }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            for (const QRect &r : static_cast<QPaintEvent *>(event)->region())
                m_pixels += qint64(r.width()) * r.height();
        }
        return false;
    }

private:
    qint64 m_pixels = 0;
};

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The program's style and font, which decide what painting costs.
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setFont(programFont());
    test::TestRig rig;
    Form1 &main = rig.startMainWindow();
    main.Show();
    rig.loadPlaylist({ rig.appPath(QStringLiteral("Neon Drive.mp3")) });
    main.Check2.setValue(1);
    main.Timer1_Timer(); // starts the entry
    QWidget *window = main.window();

    // The window system's call to draw what changed since the last one.
    const auto draw = [window] {
        QApplication::processEvents();
        QEvent drawNow(QEvent::UpdateRequest);
        QApplication::sendEvent(window, &drawNow);
    };
    const auto tick = [&] {
        main.Timer1_Timer();
        draw();
    };
    // An update of a widget leaves out the opaque children that cover it
    // (the skin picture covers the whole window): each widget is updated.
    const QList<QWidget *> widgets = window->findChildren<QWidget *>();
    const auto tickDrawingAll = [&] {
        main.Timer1_Timer();
        window->update();
        for (QWidget *widget : widgets)
            widget->update();
        draw();
    };
    draw();
    PaintedPixels painted(window);

    // Whole cycles of the bar of squares (ten squares, then a pass empty,
    // in three alignments).
    constexpr int kTicks = 330;
    const auto repeated = [](int times, const auto &work) {
        return [times, &work] {
            for (int i = 0; i < times; ++i)
                work();
        };
    };
    repeated(kTicks, tick)();
    const double tickPixels = double(painted.take()) / kTicks;
    repeated(kTicks, tickDrawingAll)();
    const double allPixels = double(painted.take()) / kTicks;
    const double tickUs = bestOfCpu(5, repeated(kTicks, tick)) / 1e3 / kTicks;
    const double allUs = bestOfCpu(5, repeated(kTicks, tickDrawingAll)) / 1e3 / kTicks;

    std::printf("main-timer tick with its repainting: %.1f us, %.0f pixels painted; the same tick drawing the whole "
                "window: %.1f us, %.0f pixels; ratio %.3f\n",
        tickUs, tickPixels, allUs, allPixels, tickUs / allUs);
    std::printf("at 10 ticks a second: %.2f%% of one core (%.2f%% drawing the whole window)\n", tickUs * 10 / 1e4,
        allUs * 10 / 1e4);
    bench::tableRow(QStringLiteral("main-timer tick with its repainting"),
        QStringLiteral("the same tick drawing the whole window"), tickUs, allUs, "us");
    bench::tableRow(QStringLiteral("main-timer tick: pixels painted"),
        QStringLiteral("the same tick drawing the whole window"), tickPixels, allPixels, "px");
    return 0;
}
