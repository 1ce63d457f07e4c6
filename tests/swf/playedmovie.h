#pragma once

// A movie played as a person points, presses and types at it, and the
// button movie most of the input tests start from.

#include "swf/movieplayer.h"
#include "swfwriter.h"

#include <QImage>
#include <QStringList>
#include <utility>

namespace swftest {

// A 200 x 200 pixel stage of the given SWF version with the writer's
// square button at (50, 50),
// whose actions trace its state changes and Enter.
Movie buttonMovie(bool trackAsMenu = false, int version = 6);

// What a movie traces over its first tick while a recording of input in
// the test suites' JSON form is played into it.
QStringList tracedWithRecording(const Movie &movie, const QByteArray &recording);

// What a movie traces as it is played.
struct Played {
    sky::swf::MoviePlayer player;
    QStringList traced;

    explicit Played(const Movie &movie);
    QStringList take() { return std::exchange(traced, {}); }
    void move(double x, double y) { player.input([&](sky::swf::ScriptRuntime &s) { s.mouseMove({x, y}); }); }
    void press(double x, double y) { player.input([&](sky::swf::ScriptRuntime &s) { s.mouseDown({x, y}); }); }
    void lift(double x, double y) { player.input([&](sky::swf::ScriptRuntime &s) { s.mouseUp({x, y}); }); }
    bool hand() { return player.scripts()->handCursor(); }
    QRgb pixel(int x, int y) { return player.renderFrame().pixel(x, y); }
    void key(int code, int character = 0)
    {
        player.input([&](sky::swf::ScriptRuntime &s) { s.keyDown(code, character); });
        player.input([&](sky::swf::ScriptRuntime &s) { s.keyUp(code, character); });
    }
    // A key pressed while `held` (Shift 16, Control 17) is down.
    void chord(int held, int code)
    {
        player.input([&](sky::swf::ScriptRuntime &s) { s.keyDown(held, 0); });
        key(code);
        player.input([&](sky::swf::ScriptRuntime &s) { s.keyUp(held, 0); });
    }
    void click(double x, double y)
    {
        press(x, y);
        lift(x, y);
    }
    std::pair<int, int> selection() { return player.scripts()->fieldSelection(); }
    // The target path of what has the keyboard's focus.
    QString focused()
    {
        const int handle = player.scripts()->focusedObject();
        return handle ? player.scripts()->clipTarget(handle) : QString();
    }
    // Tab, or Shift+Tab, pressed `times` times: where the focus went each time.
    QStringList tabbed(int times, bool backward = false)
    {
        QStringList visited;
        for (int i = 0; i < times; ++i) {
            backward ? chord(16, 9) : key(9, 9);
            visited << focused();
        }
        return visited;
    }
    void useClipboard(QString &held)
    {
        player.setClipboard({[&held] { return held; }, [&held](const QString &text) { held = text; }});
    }
    // The frame with the focused field's editing drawn over it.
    QImage editing(bool caretShown);
};

} // namespace swftest
