#pragma once

#include "core/module1.h"
#include "xsession.h"

#include <QProcess>
#include <QTemporaryDir>

namespace sky {
class Control;
} // namespace sky

namespace e2e {

// The real player, run as a person runs it under the test's X server: from
// an application folder of its own (a copy of the executable and its
// resources, where it keeps "save.ata"), started in a folder of media, with
// a home folder of its own.
class PlayerRun
{
public:
    explicit PlayerRun(XSession &x);
    ~PlayerRun();
    PlayerRun(const PlayerRun &) = delete;
    PlayerRun &operator=(const PlayerRun &) = delete;

    QString appPath(const QString &name) const;
    // The folder the player is started in.
    QString mediaPath(const QString &name) const;
    // The settings file the player reads at start; with the start values
    // the player starts as on any run after its first.
    bool writeSettings(const sky::Module1 &settings = {}) const;

    // False when the application folder could not be made or the program
    // not started; describe() tells why.
    bool start(const QStringList &arguments = {});
    // Starts the player and waits for its main window; an empty id when it
    // does not show.
    XWindow startToMainWindow(const QStringList &arguments = {});
    bool isRunning() const;
    // Sends SIGTERM, as a logout does, and waits a bounded time for the end;
    // true when the player ended by itself with status 0.
    bool endsOnSigterm();

    QList<XWindow> windows() const;
    // The first visible window whose whole name matches the regular
    // expression; an empty id when there is none.
    XWindow window(const QString &pattern) const;
    // The main window, whose title begins with the time of day.
    XWindow mainWindow() const;
    // The same, waited for a bounded time.
    XWindow waitForWindow(const QString &pattern) const;
    XWindow waitForMainWindow() const;
    // True when no window of that name is shown, waited for a bounded time.
    bool waitUntilGone(const QString &pattern) const;

    // The player's state and windows, for the message of a failed check.
    QString describe() const;

    // Where a control of a window's design lies on the screen: its twips
    // at 15 to the pixel, from the window's top-left corner.
    static QRect areaOf(const XWindow &window, const sky::Control &control);
    void click(const XWindow &window, const sky::Control &control, int count = 1) const;

private:
    XSession &m_x;
    QTemporaryDir m_root;
    QProcess m_process;
    QString m_error;
};

} // namespace e2e
