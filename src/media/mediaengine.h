#pragma once

#include <QString>

class QWidget;

namespace sky {

// The playback engine behind the main window's MediaPlayer1 control.
// Assigning a file name opens the item and starts playing it; there is no
// separate play call. The engine is only polled: callers read playState()
// on every tick of the main timer.
class MediaEngine
{
public:
    // Values of playState().
    enum State : long { Stopped = 0, Paused = 1, Playing = 2, Closed = 6 };

    virtual ~MediaEngine() = default;

    // Opens the address (a full path, or "wmpcd://0/NN" for an audio-CD
    // track) and starts playing it. An address that opens nothing (".mp3")
    // leaves the engine idle, in state Closed or Stopped, without an error.
    virtual void setFileName(const QString &address) = 0;
    virtual QString fileName() const = 0;

    // Position in seconds; writing seeks, also while playing.
    virtual double currentPosition() const = 0;
    virtual void setCurrentPosition(double seconds) = 0;

    // 3 = full screen, 4 = fit to the control's area.
    virtual void setDisplaySize(long size) = 0;
    virtual long displaySize() const = 0;

    // 2 playing, 1 paused, 0 stopped or ended, 6 closed. Reaches 0 or 6 once
    // an item has ended and stays there until the next setFileName().
    virtual long playState() const = 0;

    virtual void stop() = 0;

    // Length of the open item in seconds, 0 while unknown.
    virtual double duration() const = 0;
    // Pauses a playing item, or plays on a paused one, as the play button
    // of the engine's own control bar does.
    virtual void togglePause() = 0;
    // Loudness in percent, 0 to 100, as the control bar's slider sets it.
    virtual double volume() const = 0;
    virtual void setVolume(double percent) = 0;

    // Opens an address as at start-up; must neither fail nor block when the
    // address names nothing (no CD drive, no disc).
    virtual void open(const QString &address) = 0;

    // Something will be played in a moment (a playlist named on the command
    // line, whose first item the main timer starts): an engine that takes
    // long to start gets under way now. `address` is what will most likely
    // be assigned ("" when that cannot be told): the engine may open it
    // ahead, paused, so that the assignment need only start it. Nothing of
    // it is heard or seen before, and what the getters return does not
    // change until the assignment.
    virtual void prepare(const QString &address) = 0;

    // The engine's area inside the window (video and its own control bar),
    // or nullptr for an engine that shows nothing.
    virtual QWidget *view() = 0;
};

} // namespace sky
