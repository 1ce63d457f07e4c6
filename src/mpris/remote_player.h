#pragma once

#include <QString>

namespace sky {

// The player as the desktop's media controls see it (media keys, the sound
// menu's player panel): what plays, and the buttons that act on it.
class RemotePlayer
{
public:
    enum class Status { Stopped, Playing, Paused };

    virtual ~RemotePlayer() = default;

    virtual Status status() const = 0;
    // The item open now, "" when none is (stopped, ended, closed).
    virtual QString address() const = 0;
    // The name the window shows for it.
    virtual QString title() const = 0;
    // Seconds; a length of 0 is unknown.
    virtual double length() const = 0;
    virtual double position() const = 0;
    // 0 to 1.
    virtual double volume() const = 0;
    virtual bool canGoNext() const = 0;
    virtual bool canGoPrevious() const = 0;

    virtual void raise() = 0;
    virtual void quit() = 0;
    virtual void play() = 0;
    virtual void pause() = 0;
    virtual void stop() = 0;
    virtual void next() = 0;
    virtual void previous() = 0;
    virtual void seekTo(double seconds) = 0;
    virtual void setVolume(double volume) = 0;
    // A local file to open, as if a second start had been given it.
    virtual void open(const QString &path) = 0;
};

} // namespace sky
