#pragma once

#include <QPointF>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace sky::swf {

class MoviePlayer;

// One recorded mouse or keyboard event; Wait lets one tick pass; FocusLost
// and FocusGained tell the player's window losing and taking back the
// keyboard; TextCommand is an editing command of the system's own (select
// all, copy, cut, paste) and Clipboard puts text on the clipboard.
struct InputEvent {
    enum class Type {
        MouseMove, MouseDown, MouseUp, MouseWheel, KeyDown, KeyUp, TextInput, TextCommand, Clipboard,
        FocusLost, FocusGained, Wait
    };
    Type type = Type::Wait;
    QPointF pos; // stage pixels
    QString button = QStringLiteral("Left"); // of a press or release: "Left", "Middle" or "Right"
    QString key;
    QString text; // the command's name, the clipboard's text
    int lines = 0; // of the wheel, up positive
};

// Reads a list of events: [{"type": "MouseMove", "pos": [x, y]}, ...].
// Returns false and says why when the text is not such a list.
bool readInputEvents(const QByteArray &json, std::vector<InputEvent> &out, QString *error);
// The same from a file.
bool readInputFile(const QString &path, std::vector<InputEvent> &out, QString *error);

// Recorded events played into a movie between its ticks, those before the
// next Wait at a time. A press or release of a button other than the left
// one belongs to the player, not the movie's buttons: it brings the pointer
// there, and scripts see it only through Key.isDown.
class InputReplay {
public:
    explicit InputReplay(std::vector<InputEvent> events) : events_(std::move(events)) {}
    // Delivers the events up to the next Wait and steps past it; false when
    // no Wait is left or `stop` says so before an event.
    bool toNextWait(MoviePlayer &player, const std::function<bool()> &stop = {});

private:
    void deliver(MoviePlayer &player, const InputEvent &event);

    std::vector<InputEvent> events_;
    std::size_t next_ = 0;
    std::optional<QPointF> pointer_; // where the mouse was last seen
    std::shared_ptr<QString> clipboard_ = std::make_shared<QString>();
};

struct TraceResult {
    bool loaded = false;
    QString error;
    QStringList lines;    // each trace, carriage returns splitting lines
    int abandoned = 0;    // scripts abandoned on their budget
    int ticksRun = 0;
    // The loudest sample of the movie's sound in each tick's time, on a
    // full scale of 1.
    std::vector<float> peaks;
};

// Loads a movie and runs it for `ticks` ticks (the first shows frame 1),
// collecting what its scripts trace. Its sound is mixed to no device on a
// simulated clock: each tick takes one frame period of sound. Events are delivered after the first
// tick; each Wait runs the next tick. fscommand("quit") ends the run at the
// end of that tick.
TraceResult traceMovie(const QString &path, int ticks, const std::vector<InputEvent> &events = {});

} // namespace sky::swf
