#include "core/remote_control.h"

#include "core/program.h"
#include "mainwindow/form1.h"

namespace sky {

namespace {

constexpr double kFullVolume = 100;

} // namespace

RemoteControl::RemoteControl(Program &program, std::function<void()> quit)
    : m_program(program), m_quit(std::move(quit))
{
}

Form1 &RemoteControl::main() const
{
    return m_program.form1();
}

RemotePlayer::Status RemoteControl::status() const
{
    switch (main().MediaPlayer1.PlayState()) {
    case MediaEngine::Playing:
        return Status::Playing;
    case MediaEngine::Paused:
        return Status::Paused;
    default:
        return Status::Stopped;
    }
}

QString RemoteControl::address() const
{
    return status() == Status::Stopped ? QString() : main().MediaPlayer1.FileName();
}

QString RemoteControl::title() const
{
    return m_program.paths().bareName(address());
}

double RemoteControl::length() const
{
    return main().MediaPlayer1.engine().duration();
}

double RemoteControl::position() const
{
    return main().MediaPlayer1.CurrentPosition();
}

double RemoteControl::volume() const
{
    return main().MediaPlayer1.engine().volume() / kFullVolume;
}

bool RemoteControl::canGoNext() const
{
    return main().canSkipEntry(1);
}

bool RemoteControl::canGoPrevious() const
{
    return main().canSkipEntry(-1);
}

void RemoteControl::raise()
{
    if (main().isLoaded())
        main().bringToFront();
}

void RemoteControl::quit()
{
    m_quit();
}

void RemoteControl::play()
{
    Form1 &form = main();
    if (status() == Status::Paused)
        form.MediaPlayer1.engine().togglePause();
    // What a click on PLAY does, when PLAY can be clicked: the playlist
    // disables it while it plays.
    else if (status() == Status::Stopped && form.Command1.Visible() && form.Command1.Enabled())
        form.Command1_Click();
}

void RemoteControl::pause()
{
    if (status() == Status::Playing)
        main().MediaPlayer1.engine().togglePause();
}

void RemoteControl::stop()
{
    if (main().Command10.Visible())
        main().Command10_Click();
}

void RemoteControl::next()
{
    main().skipEntry(1);
}

void RemoteControl::previous()
{
    main().skipEntry(-1);
}

void RemoteControl::seekTo(double seconds)
{
    main().MediaPlayer1.setCurrentPosition(seconds);
}

void RemoteControl::setVolume(double volume)
{
    main().MediaPlayer1.engine().setVolume(volume * kFullVolume);
}

void RemoteControl::open(const QString &path)
{
    if (main().isLoaded())
        main().actOnHandOver({path});
}

} // namespace sky
