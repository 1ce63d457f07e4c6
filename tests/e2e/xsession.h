#pragma once

#include <QImage>
#include <QList>
#include <QPoint>
#include <QProcess>
#include <QRect>
#include <QString>
#include <QStringList>
#include <functional>

namespace e2e {

// A top-level window as the X server shows it.
struct XWindow
{
    QString id;
    QString name;
    // The window's area on the screen. There is no window manager, so this
    // is the client area the program lays its controls out in.
    QRect geometry;
};

// An X server of the test's own (Xvfb on a free display) and what a
// person does and sees there, through the X tools: xdotool for windows, keys
// and the mouse, ImageMagick's import for screenshots.
class XSession
{
public:
    XSession();
    ~XSession();
    XSession(const XSession &) = delete;
    XSession &operator=(const XSession &) = delete;

    // Empty when the server is up; otherwise what went wrong.
    QString error() const { return m_error; }
    // ":N"
    QString display() const { return m_display; }
    QRect screen() const;
    // Empty while the server runs; otherwise what it said before it ended.
    QString serverEnd();

    // The visible top-level windows of a process, bottom to top.
    QList<XWindow> windowsOf(qint64 pid) const;
    // The window as it is now; an empty id when it is gone.
    XWindow refreshed(const XWindow &window) const;

    // Gives the window the keyboard focus and puts the pointer over it.
    void focus(const XWindow &window) const;
    void click(QPoint at, int count = 1) const;
    // Moves the pointer to `at`, no button held.
    void movePointer(QPoint at) const;
    // One press and release of each key, named as X names them ("q",
    // "Return", "Escape").
    void keys(const QStringList &names) const;
    void type(const QString &text) const;

    QImage screenshot() const;
    // Keeps a screenshot under the folder named by SKY_E2E_SCREENSHOTS, when
    // that is set, so that a person can look at what the test saw.
    static void keep(const QImage &shot, const QString &name);

private:
    // Runs an X tool on this display; true when it ran to a clean end.
    bool run(const QString &program, const QStringList &arguments, QByteArray *out) const;

    QProcess m_server;
    QString m_display;
    QString m_error;
};

// How long a test waits for what a person sees within a second or two (a
// window, a picture, the player's end); a busy machine gets more.
constexpr int kWaitMs = 15000;

// Polls `condition` until it holds, for at most `timeoutMs` of real time.
bool waitFor(const std::function<bool()> &condition, int timeoutMs = kWaitMs);

// The share of the pixels in `area` of `image` within `tolerance` of
// `colour` in each of red, green and blue.
double colourShare(const QImage &image, const QRect &area, QRgb colour, int tolerance = 40);

} // namespace e2e
