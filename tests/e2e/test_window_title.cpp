// A window's title on an X server of the test's own, changed as the main
// window's scrolling title changes at every tick: what the server shows,
// and what the program still hears of its window from the server.

#include "platform/buttons.h"
#include "platform/form.h"
#include "test_rig.h"
#include "xsession.h"

#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QHash>
#include <QtTest>

#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

using namespace sky;
using namespace Qt::StringLiterals;

namespace {

// A window whose one button covers it: a click anywhere presses it.
class Scroller : public Form
{
public:
    explicit Scroller(Services &services) : Form(u"Scroller"_s, services) { }

    CommandButton button { *this, u"button"_s };
    int clicks = 0;

protected:
    void design() override
    {
        setClientSize(3000, 1500);
        button.Move(0, 0, 3000, 1500);
        button.setCaption(u"&Press"_s);
        button.Click = [this] { ++clicks; };
    }
};

// The property changes the server reports to the program, by property.
class PropertyEvents : public QAbstractNativeEventFilter
{
public:
    bool nativeEventFilter(const QByteArray &, void *message, qintptr *) override
    {
        const auto *event = static_cast<const xcb_generic_event_t *>(message);
        if ((event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY)
            ++heard[reinterpret_cast<const xcb_property_notify_event_t *>(event)->atom];
        return false;
    }

    QHash<xcb_atom_t, int> heard;
};

// Another program on the same server, as a window manager is.
class OtherClient
{
public:
    explicit OtherClient(const QString &display) : m_connection(xcb_connect(qPrintable(display), nullptr)) { }
    ~OtherClient() { xcb_disconnect(m_connection); }

    bool connected() const { return !xcb_connection_has_error(m_connection); }

    xcb_atom_t atom(const char *name) const
    {
        xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
            m_connection, xcb_intern_atom(m_connection, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
        const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(reply);
        return atom;
    }

    QByteArray property(xcb_window_t window, xcb_atom_t property) const
    {
        xcb_get_property_reply_t *reply = xcb_get_property_reply(m_connection,
            xcb_get_property(m_connection, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 1024), nullptr);
        QByteArray value;
        if (reply)
            value = QByteArray(static_cast<const char *>(xcb_get_property_value(reply)),
                xcb_get_property_value_length(reply));
        std::free(reply);
        return value;
    }

    void setProperty(xcb_window_t window, xcb_atom_t property, const QByteArray &value) const
    {
        xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, window, property, XCB_ATOM_STRING, 8,
            static_cast<uint32_t>(value.size()), value.constData());
        xcb_flush(m_connection);
    }

private:
    xcb_connection_t *m_connection;
};

e2e::XSession *g_x = nullptr;

// Until the server has carried out everything the program sent.
void roundTrip()
{
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t *connection = x11->connection();
    std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
}

// Until the program has also taken in every event the server sent it so
// far. The toolkit reads events on a thread of its own and hands them on
// later, so a round trip alone leaves some still on their way: another
// client marks the window, and the server tells the program of that mark
// after everything before it.
void settle(const OtherClient &other, xcb_window_t window, PropertyEvents &events)
{
    roundTrip();
    const xcb_atom_t mark = other.atom("SKY_TEST_MARK");
    const int seen = events.heard.value(mark);
    other.setProperty(window, mark, QByteArray::number(seen));
    QTRY_COMPARE(events.heard.value(mark), seen + 1);
}

} // namespace

class TestWindowTitle : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void aScrollingTitleIsShownAndTheWindowStillHearsOthers();
};

void TestWindowTitle::aScrollingTitleIsShownAndTheWindowStillHearsOthers()
{
    test::TestRig rig;
    Scroller form(rig.services);
    form.Show();
    QVERIFY(QTest::qWaitForWindowExposed(form.window()));
    PropertyEvents events;
    qApp->installNativeEventFilter(&events);
    OtherClient other(g_x->display());
    QVERIFY(other.connected());
    const auto id = static_cast<xcb_window_t>(form.window()->winId());
    const xcb_atom_t netName = other.atom("_NET_WM_NAME");

    // A title a tick, as the main window scrolls its own: the first few
    // find out what the server needs, the later ones go out unreported.
    QString title;
    const auto tick = [&](int n) {
        title = u"12:00:00"_s + QString(40 - n, u' ') + u"SKYVANTRIX"_s;
        form.setCaption(title);
        QCoreApplication::processEvents();
    };
    for (int n = 0; n < 4; ++n)
        tick(n);
    settle(other, id, events);
    QVERIFY(!QTest::currentTestFailed());
    events.heard.clear();
    for (int n = 4; n < 20; ++n)
        tick(n);
    settle(other, id, events);
    QVERIFY(!QTest::currentTestFailed());
    QCOMPARE(other.property(id, XCB_ATOM_WM_NAME), title.toLatin1());
    QCOMPARE(other.property(id, netName), title.toUtf8());
    QCOMPARE(g_x->refreshed({ QString::number(id), {}, {} }).name, title);
    QCOMPARE(events.heard.value(XCB_ATOM_WM_NAME), 0);
    QCOMPARE(events.heard.value(netName), 0);

    // What others change on the window is still heard, and a click still
    // presses the button.
    const xcb_atom_t state = other.atom("SKY_TEST_STATE");
    other.setProperty(id, state, "changed");
    QTRY_COMPARE(events.heard.value(state), 1);
    tick(20);
    other.setProperty(id, state, "changed again");
    QTRY_COMPARE(events.heard.value(state), 2);
    const QRect area(form.window()->mapToGlobal(QPoint(0, 0)), form.window()->size());
    g_x->click(area.center());
    QTRY_COMPARE(form.clicks, 1);
    qApp->removeNativeEventFilter(&events);
}

// The program talks to the test's own X server, which runs before the
// toolkit starts.
int main(int argc, char *argv[])
{
    e2e::XSession x;
    if (!x.error().isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(x.error()));
        return 1;
    }
    g_x = &x;
    qputenv("DISPLAY", x.display().toLocal8Bit());
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    TestWindowTitle test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_window_title.moc"
