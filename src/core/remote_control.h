#pragma once

#include "mpris/remote_player.h"

#include <functional>

namespace sky {

class Form1;
class Program;

// The desktop's media controls, wired to the handlers of the main window's
// own buttons: PLAY, STOP, the media control's pause, the playlist.
class RemoteControl : public RemotePlayer
{
public:
    // quit ends the program as closing its main window does.
    RemoteControl(Program &program, std::function<void()> quit);

    Status status() const override;
    QString address() const override;
    QString title() const override;
    double length() const override;
    double position() const override;
    double volume() const override;
    bool canGoNext() const override;
    bool canGoPrevious() const override;

    void raise() override;
    void quit() override;
    void play() override;
    void pause() override;
    void stop() override;
    void next() override;
    void previous() override;
    void seekTo(double seconds) override;
    void setVolume(double volume) override;
    void open(const QString &path) override;

private:
    Form1 &main() const;

    Program &m_program;
    std::function<void()> m_quit;
};

} // namespace sky
