#pragma once

// The Flash window opened from the main window, with a movie file chosen in
// its open dialog, and the pointer moves and pictures its tests look at.

#include "flash/form3.h"
#include "main_window_test.h"

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QRect>

namespace sky::test {

// A movie of `frames` empty frames at 12 frames a second.
QByteArray emptyMovie(int frames);

// The points of `image` in colour `c`, as a rectangle.
QRect areaOf(const QImage &image, const QColor &c);

// The pointer moved over `view`, with no button held unless `held` says.
// (QTest moves the system's cursor for that, which an offscreen window
// never hears of.)
void hover(QWidget *view, const QPoint &pos, Qt::MouseButtons held = Qt::NoButton);

// `window` shown and made the active one, as a person's click on it does.
void activate(QWidget *window);

// Each test function starts with the Flash window open and nothing loaded.
class FlashWindowTest : public MainWindowTest
{
    Q_OBJECT
protected Q_SLOTS:
    void init();

protected:
    // Opens `data` as the movie file `name` chosen in the open dialog.
    ShockwaveFlash &openMovie(const QString &name, const QByteArray &data);

    Form3 *flash = nullptr;
};

} // namespace sky::test
