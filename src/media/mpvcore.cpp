#include "media/mpvcore.h"

#include "media/libmpv.h"
#include "media/library_pages.h"
#include "platform/application_setup.h"

#include <QCoreApplication>
#include <QEvent>
#include <QMetaObject>
#include <QtDebug>
#include <clocale>
#include <utility>
#include <mpv/client.h>
#include <vector>

namespace sky {

Q_LOGGING_CATEGORY(lcMedia, "sky.media", QtWarningMsg)

namespace {

// Options every player of this program needs: no terminal, no user config,
// no key bindings or on-screen controller of mpv's own (the control bar and
// the window handle input), and the end of an item keeps the file open so
// that "ended" can be told apart from "closed".
const char *const kDefaults[][2] = {
    { "terminal", "no" },
    { "config", "no" },
    { "input-default-bindings", "no" },
    { "input-vo-keyboard", "no" },
    { "input-cursor", "no" },
    { "osc", "no" },
    { "load-scripts", "no" },
    { "ytdl", "no" },
    // mpv's own statistics page, console and profile switching cannot be
    // reached without its key bindings; each would cost a Lua interpreter
    // and a thread, and time at start-up.
    { "load-stats-overlay", "no" },
    { "load-osd-console", "no" },
    { "load-auto-profiles", "no" },
    { "force-window", "no" },
    { "idle", "yes" },
    { "keep-open", "always" },
    // The player never pauses by itself at the end of an item: the engine
    // does, so that every change of "pause" is one the engine asked for, in
    // order. mpv's own pause came once the sound had drained, which could
    // fall between the engine's "pause=no" and its "loadfile" of the next
    // item, and the next item then sat paused at 0:00 while the engine took
    // it for playing.
    { "keep-open-pause", "no" },
    // "End of file" means the last of the sound has been played out, not
    // merely decoded; otherwise the next item cut off up to a buffer's worth
    // of the one before (all of a very short one).
    { "gapless-audio", "no" },
    // Without a usable sound device an item still plays, silently and with
    // a running clock, instead of failing at once.
    { "ao", "pipewire,pulse,alsa,null" },
    // MPEG program streams land where asked only with this.
    { "hr-seek-demuxer-offset", "1" },
    // A network address that does not answer fails in seconds, not a minute.
    { "network-timeout", "10" },
    { "audio-client-name", "skyvantrix" },
    // Video is decoded in software, so the video view need not probe the
    // hardware decoders' OpenGL interop (CUDA, VA-API, VDPAU) when it starts.
    { "gpu-hwdec-interop", "no" },
};

QVariant nodeValue(const mpv_node &node)
{
    switch (node.format) {
    case MPV_FORMAT_FLAG:
        return bool(node.u.flag);
    case MPV_FORMAT_INT64:
        return qint64(node.u.int64);
    case MPV_FORMAT_DOUBLE:
        return node.u.double_;
    case MPV_FORMAT_STRING:
        return QString::fromUtf8(node.u.string);
    default:
        return {};
    }
}

QVariant propertyValue(const mpv_event_property &p)
{
    if (!p.data)
        return {};
    switch (p.format) {
    case MPV_FORMAT_FLAG:
        return bool(*static_cast<int *>(p.data));
    case MPV_FORMAT_INT64:
        return qint64(*static_cast<int64_t *>(p.data));
    case MPV_FORMAT_DOUBLE:
        return *static_cast<double *>(p.data);
    case MPV_FORMAT_STRING:
        return QString::fromUtf8(*static_cast<char **>(p.data));
    default:
        return {};
    }
}

qint64 replyEntryId(const mpv_event &event)
{
    if (event.event_id != MPV_EVENT_COMMAND_REPLY || event.error < 0)
        return -1;
    const auto *reply = static_cast<mpv_event_command *>(event.data);
    if (reply->result.format != MPV_FORMAT_NODE_MAP)
        return -1;
    const mpv_node_list *map = reply->result.u.list;
    for (int i = 0; i < map->num; ++i) {
        if (qstrcmp(map->keys[i], "playlist_entry_id") == 0)
            return nodeValue(map->values[i]).toLongLong();
    }
    return -1;
}

} // namespace

MpvCore::MpvCore(const QStringList &options, QObject *parent) : QObject(parent), m_options(options)
{
    // libmpv parses numbers with the C library and refuses to start under a
    // locale whose decimal separator is not a dot; the application object
    // has set the user's locale by now. The locale is the whole process's,
    // so it is set here, before any starting thread exists.
    std::setlocale(LC_NUMERIC, "C");
    // Nothing plays before the user has clicked, typed or dropped something;
    // so the first of these starts the player, which is then ready by the
    // time the file has been chosen and PLAY pressed.
    if (QCoreApplication::instance())
        QCoreApplication::instance()->installEventFilter(this);
}

bool MpvCore::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::KeyPress:
    case QEvent::DragEnter:
    case QEvent::TouchBegin:
        startWhenNeeded();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void MpvCore::startWhenNeeded()
{
    if (m_startRequested)
        return;
    m_startRequested = true;
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeEventFilter(this);
    // An item named on the command line is asked for while the windows are
    // still being built: the player then starts alongside, which brings its
    // first frame a tenth of a second sooner than waiting for them. The
    // window's first drawing starts threads, which would wait for the
    // player's libraries to be opened.
    startDrawingThreads();
    m_starter = std::thread([this] { startPlayer(); });
}

void MpvCore::startPlayer()
{
    const LibMpv *mpv = libMpv();
    mpv_handle *handle = mpv ? mpv->create() : nullptr;
    if (mpv && !handle)
        qWarning("media: libmpv could not be created");
    if (handle) {
        for (const auto &option : kDefaults)
            mpv->set_option_string(handle, option[0], option[1]);
        for (const QString &option : m_options) {
            const qsizetype eq = option.indexOf(u'=');
            const QByteArray name = option.left(eq).toUtf8();
            const QByteArray value = eq < 0 ? QByteArray("yes") : option.mid(eq + 1).toUtf8();
            if (mpv->set_option_string(handle, name.constData(), value.constData()) < 0)
                qWarning("media: libmpv rejected the option %s", name.constData());
        }
        if (mpv->initialize(handle) < 0) {
            qWarning("media: libmpv could not be initialised");
            mpv->terminate_destroy(handle);
            handle = nullptr;
        }
    }
    // Started, the player needs little of what opening and starting its
    // libraries read (releaseReadOnlyPages()): without this, those pages
    // made the program's memory while it played a fifth larger than mpv's
    // own, which reads the same libraries' tables but has no toolkit.
    if (handle)
        releaseReadOnlyPages(mpv->libraries);
    m_madeHandle = handle;
    QMetaObject::invokeMethod(this, &MpvCore::adoptPlayer, Qt::QueuedConnection);
}

void MpvCore::adoptPlayer()
{
    m_starter.join();
    m_handle = std::exchange(m_madeHandle, nullptr);
    m_failed = !m_handle;
    if (m_handle) {
        m_mpv = libMpv();
        m_mpv->set_wakeup_callback(m_handle, &MpvCore::wakeUp, this);
        for (const auto &call : m_waiting)
            call();
    }
    m_waiting.clear();
    Q_EMIT started(!m_failed);
}

MpvCore::~MpvCore()
{
    // A player still starting is waited for; one started but not yet taken
    // over goes with it.
    if (m_starter.joinable())
        m_starter.join();
    if (m_madeHandle)
        libMpv()->terminate_destroy(m_madeHandle);
    if (!m_handle)
        return;
    // No wake-up may reach this object once it is gone; the player's
    // threads are joined by m_mpv->terminate_destroy().
    m_mpv->set_wakeup_callback(m_handle, nullptr, nullptr);
    m_mpv->terminate_destroy(m_handle);
}

void MpvCore::whenStarted(std::function<void()> call)
{
    if (m_handle)
        call();
    else if (!m_failed)
        m_waiting.push_back(std::move(call));
}

void MpvCore::command(const QStringList &args, quint64 replyId)
{
    if (!args.isEmpty() && args.first() == QLatin1String("loadfile"))
        startWhenNeeded();
    whenStarted([this, args, replyId] {
        std::vector<QByteArray> utf8;
        utf8.reserve(args.size());
        for (const QString &arg : args)
            utf8.push_back(arg.toUtf8());
        std::vector<const char *> argv;
        argv.reserve(utf8.size() + 1);
        for (const QByteArray &arg : utf8)
            argv.push_back(arg.constData());
        argv.push_back(nullptr);
        m_mpv->command_async(m_handle, replyId, argv.data());
    });
}

void MpvCore::setProperty(const char *name, const QVariant &value, quint64 replyId)
{
    whenStarted([this, name, value, replyId] {
        switch (value.typeId()) {
        case QMetaType::Bool: {
            int flag = value.toBool() ? 1 : 0;
            m_mpv->set_property_async(m_handle, replyId, name, MPV_FORMAT_FLAG, &flag);
            break;
        }
        case QMetaType::Double: {
            double number = value.toDouble();
            m_mpv->set_property_async(m_handle, replyId, name, MPV_FORMAT_DOUBLE, &number);
            break;
        }
        default: {
            const QByteArray text = value.toString().toUtf8();
            const char *data = text.constData();
            m_mpv->set_property_async(m_handle, replyId, name, MPV_FORMAT_STRING, &data);
            break;
        }
        }
    });
}

void MpvCore::observe(const char *name, int format, quint64 watchId)
{
    whenStarted(
        [this, name, format, watchId] { m_mpv->observe_property(m_handle, watchId, name, mpv_format(format)); });
}

void MpvCore::unobserve(quint64 watchId)
{
    whenStarted([this, watchId] { m_mpv->unobserve_property(m_handle, watchId); });
}

std::optional<double> MpvCore::readNumber(const char *name) const
{
    double value = 0;
    if (!m_handle || m_mpv->get_property(m_handle, name, MPV_FORMAT_DOUBLE, &value) < 0)
        return std::nullopt;
    return value;
}

void MpvCore::wakeUp(void *self)
{
    // Called on one of libmpv's threads: only hand over to the event loop,
    // and only once until the queue has been drained.
    auto *core = static_cast<MpvCore *>(self);
    if (!core->m_drainQueued.exchange(true))
        QMetaObject::invokeMethod(core, &MpvCore::drainEvents, Qt::QueuedConnection);
}

void MpvCore::drainEvents()
{
    m_drainQueued = false;
    while (m_handle) {
        const mpv_event *event = m_mpv->wait_event(m_handle, 0);
        if (event->event_id == MPV_EVENT_NONE)
            break;
        dispatch(*event);
    }
}

void MpvCore::dispatch(const mpv_event &event)
{
    switch (event.event_id) {
    case MPV_EVENT_COMMAND_REPLY:
    case MPV_EVENT_SET_PROPERTY_REPLY:
        Q_EMIT commandReplied(event.reply_userdata, event.error >= 0, replyEntryId(event));
        break;
    case MPV_EVENT_START_FILE:
        Q_EMIT fileStarted(static_cast<mpv_event_start_file *>(event.data)->playlist_entry_id);
        break;
    case MPV_EVENT_FILE_LOADED:
        Q_EMIT fileLoaded();
        break;
    case MPV_EVENT_PLAYBACK_RESTART:
        Q_EMIT playbackRestarted();
        break;
    case MPV_EVENT_END_FILE: {
        const auto *end = static_cast<mpv_event_end_file *>(event.data);
        Q_EMIT fileEnded(end->playlist_entry_id, end->reason);
        break;
    }
    case MPV_EVENT_PROPERTY_CHANGE: {
        const auto *p = static_cast<mpv_event_property *>(event.data);
        Q_EMIT propertyChanged(QByteArray(p->name), propertyValue(*p));
        break;
    }
    default:
        break;
    }
}

} // namespace sky
