#pragma once

#include <QString>

#include <cstdint>
#include <optional>

class QWidget;
struct xcb_connection_t;

namespace sky {

// The title of a top-level window. On an X server the toolkit sends a new
// title at once, apart from everything else and in two writes (one of them
// through Xlib's own buffer), and each of its two properties comes back as
// an event; the main window's title changes at every tick of its timer,
// which also repaints its buttons. A title of Latin-1 letters is written
// here into the requests of the window's next drawing instead, which go to
// the server in one write, and the server does not report it back. Other
// titles, titles of windows not yet on the server and titles elsewhere go
// through the toolkit.
class WindowTitle
{
public:
    // Shows `title` on `window`: with its next drawing, or now.
    void show(QWidget &window, const QString &title);
    // Called as `window` handles an update request, around its drawing: the
    // title waiting goes out with what is drawn, or alone when nothing is.
    void beforeDrawing(QWidget &window);
    void afterDrawing();
    // The window's native window was made again (entering or leaving full
    // screen), under the toolkit's copy of the title.
    void windowRemade(QWidget &window);

private:
    // The events the program asked the server to report about `window`,
    // asked for as the title is first sent to it and read at the next, as
    // the title's atoms are; asked again for a window made anew.
    std::optional<uint32_t> selectedEvents(xcb_connection_t *connection, uint32_t window);
    void sendWithDrawing(QWidget &window, const QString &title);

    QString m_shown;
    std::optional<QString> m_waiting;
    uint32_t m_eventsWindow = 0;
    std::optional<unsigned> m_eventsAsked;
    std::optional<uint32_t> m_events;
    bool m_sent = false;
    // The toolkit's copy of the title is not the one on the server.
    bool m_toolkitBehind = false;
};

} // namespace sky
