#include "platform/window_title.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QWidget>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <optional>
#include <utility>

namespace sky {

namespace {

// The application's connection to the X server, none on other platforms.
// It is looked up once: the toolkit's lookup (a cast across its classes and
// name comparisons) cost more at every tick than the rest of the title's
// change.
xcb_connection_t *xConnection()
{
    static std::optional<xcb_connection_t *> connection;
    if (!connection && qGuiApp) {
        auto *application = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
        connection = application ? application->connection() : nullptr;
    }
    return connection.value_or(nullptr);
}

// The names of the title's property and of its text type, asked for as the
// first title is shown and read at the next: the answer has come by then,
// and no title waits for the server.
class TitleAtoms
{
public:
    bool known(xcb_connection_t *connection)
    {
        if (m_read)
            return m_name && m_utf8;
        if (!m_asked) {
            m_asked = true;
            m_nameCookie = intern(connection, "_NET_WM_NAME");
            m_utf8Cookie = intern(connection, "UTF8_STRING");
            return false;
        }
        m_read = true;
        m_name = answer(connection, m_nameCookie);
        m_utf8 = answer(connection, m_utf8Cookie);
        return m_name && m_utf8;
    }

    xcb_atom_t name() const { return m_name; }
    xcb_atom_t utf8() const { return m_utf8; }

private:
    static xcb_intern_atom_cookie_t intern(xcb_connection_t *connection, const char *name)
    {
        return xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name);
    }

    static xcb_atom_t answer(xcb_connection_t *connection, xcb_intern_atom_cookie_t cookie)
    {
        xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(connection, cookie, nullptr);
        const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(reply);
        return atom;
    }

    bool m_asked = false;
    bool m_read = false;
    xcb_intern_atom_cookie_t m_nameCookie {};
    xcb_intern_atom_cookie_t m_utf8Cookie {};
    xcb_atom_t m_name = XCB_ATOM_NONE;
    xcb_atom_t m_utf8 = XCB_ATOM_NONE;
};

TitleAtoms &atoms()
{
    static TitleAtoms known;
    return known;
}

// What the toolkit would send as it is: an empty title becomes the
// program's name there, and "[*]" marks a modified document.
bool plainLatin1(const QString &title)
{
    if (title.isEmpty() || title.contains(QLatin1String("[*]")))
        return false;
    for (const QChar c : title) {
        if (c.unicode() > 0xff)
            return false;
    }
    return true;
}

} // namespace

void WindowTitle::show(QWidget &window, const QString &title)
{
    m_shown = title;
    xcb_connection_t *connection = xConnection();
    if (connection && window.isWindow() && window.testAttribute(Qt::WA_WState_Created) && plainLatin1(title)
        && atoms().known(connection)) {
        sendWithDrawing(window, title);
        return;
    }
    m_waiting.reset();
    // The toolkit would take a title it last set as one still shown.
    if (m_toolkitBehind && window.windowTitle() == title)
        window.setWindowTitle(QString());
    m_toolkitBehind = false;
    window.setWindowTitle(title);
}

std::optional<uint32_t> WindowTitle::selectedEvents(xcb_connection_t *connection, uint32_t window)
{
    if (window != m_eventsWindow) {
        if (m_eventsAsked)
            xcb_discard_reply(connection, *m_eventsAsked);
        m_eventsWindow = window;
        m_eventsAsked = xcb_get_window_attributes(connection, window).sequence;
        m_events.reset();
    } else if (m_eventsAsked) {
        xcb_get_window_attributes_reply_t *reply
            = xcb_get_window_attributes_reply(connection, { *std::exchange(m_eventsAsked, std::nullopt) }, nullptr);
        if (reply)
            m_events = reply->your_event_mask;
        std::free(reply);
    }
    return m_events;
}

void WindowTitle::windowRemade(QWidget &window)
{
    if (m_toolkitBehind)
        sendWithDrawing(window, m_shown);
}

void WindowTitle::sendWithDrawing(QWidget &window, const QString &title)
{
    // Posted as the toolkit posts its own, after the repaints of the tick:
    // one of them draws and sends, the other finds nothing to do.
    if (!m_waiting)
        QCoreApplication::postEvent(&window, new QEvent(QEvent::UpdateRequest), Qt::LowEventPriority);
    m_waiting = title;
}

void WindowTitle::beforeDrawing(QWidget &window)
{
    xcb_connection_t *connection = xConnection();
    if (!m_waiting || !connection)
        return;
    const QByteArray utf8 = m_waiting->toUtf8();
    const QByteArray latin1 = m_waiting->toLatin1();
    m_waiting.reset();
    const auto id = static_cast<xcb_window_t>(window.winId());
    // The server would tell the program of both changes, in two events that
    // wake it again after every tick's drawing: it stops listening to the
    // window's properties for them and listens again at once, in the same
    // write, which the server reads and carries out at one go. What others
    // change on the window is still heard.
    const std::optional<uint32_t> selected = selectedEvents(connection, id);
    const bool unheard = selected && (*selected & XCB_EVENT_MASK_PROPERTY_CHANGE);
    if (unheard) {
        const uint32_t without = *selected & ~uint32_t(XCB_EVENT_MASK_PROPERTY_CHANGE);
        xcb_change_window_attributes(connection, id, XCB_CW_EVENT_MASK, &without);
    }
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, atoms().name(), atoms().utf8(), 8,
        static_cast<uint32_t>(utf8.size()), utf8.constData());
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
        static_cast<uint32_t>(latin1.size()), latin1.constData());
    if (unheard)
        xcb_change_window_attributes(connection, id, XCB_CW_EVENT_MASK, &*selected);
    m_sent = true;
    m_toolkitBehind = true;
}

void WindowTitle::afterDrawing()
{
    if (!m_sent)
        return;
    m_sent = false;
    // Nothing, when the drawing has sent it already.
    if (xcb_connection_t *connection = xConnection())
        xcb_flush(connection);
}

} // namespace sky
