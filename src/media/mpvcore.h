#pragma once

#include <QLoggingCategory>
#include <QObject>
#include <QStringList>
#include <QVariant>
#include <atomic>
#include <functional>
#include <optional>
#include <thread>
#include <vector>

struct mpv_handle;
struct mpv_event;

namespace sky {

struct LibMpv;

// Milestones of playback ("playback started" by the engine, "first frame
// shown" by the video view with its size in pixels, "item ended"), silent unless switched on with
// QT_LOGGING_RULES="sky.media.info=true"; measurements of the player take
// their times from them.
Q_DECLARE_LOGGING_CATEGORY(lcMedia)

// Owns one libmpv player. Every call into the player is asynchronous, so no
// method here waits for the player's thread; what the player reports comes
// back as signals on the thread that created this object.
//
// libmpv and the two hundred libraries it brings take a tenth of a second
// or more to open and start, and some 44 MB of memory, so that happens only
// at the user's first click, key press or drop anywhere in the program, or
// when the first item is loaded (named on the command line, say), and on a
// thread of its own while the program goes on. Calls made until then wait,
// in order, and are carried out the moment the player has started.
class MpvCore : public QObject
{
    Q_OBJECT

public:
    // `options` are "name=value" pairs applied before the player starts,
    // after this class's own defaults, so they can override them.
    explicit MpvCore(const QStringList &options, QObject *parent = nullptr);
    ~MpvCore() override;

    // False once libmpv could not be started; every call is then ignored.
    // True until then, while it is starting or not yet asked to.
    bool isValid() const { return !m_failed; }
    // The player, null until it has started.
    mpv_handle *handle() const { return m_handle; }

    // Sends a command; `replyId` comes back in commandReplied(). The first
    // "loadfile" starts the player.
    void command(const QStringList &args, quint64 replyId = 0);
    // `name` is a literal: it is read again when the call has to wait.
    // `replyId` comes back in commandReplied() once the value is set.
    void setProperty(const char *name, const QVariant &value, quint64 replyId = 0);

    // Starts the player on a thread of its own, once; the first "loadfile"
    // does too.
    void startWhenNeeded();

    // Watches a property; changes arrive through propertyChanged(). `format`
    // is an mpv_format (flag, int64, double or string). A watch given a
    // `watchId` other than 0 can be ended with unobserve().
    void observe(const char *name, int format, quint64 watchId = 0);
    void unobserve(quint64 watchId);
    // Reads a number property at once; nothing when libmpv is not running
    // or has no value for it.
    std::optional<double> readNumber(const char *name) const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

Q_SIGNALS:
    // The player has started, and every call made before has been carried
    // out; or (`ok` false) it could not be started.
    void started(bool ok);
    // Also for a property set; `playlistEntryId` is -1 where none is named.
    void commandReplied(quint64 replyId, bool ok, qint64 playlistEntryId);
    void fileStarted(qint64 playlistEntryId);
    void fileLoaded();
    // Playback goes on after a load or a seek: the first frame after it has
    // been drawn (for sound alone, the sound is under way), or would have
    // been, were the player not paused.
    void playbackRestarted();
    // `reason` is an mpv_end_file_reason.
    void fileEnded(qint64 playlistEntryId, int reason);
    // An invalid value means the property is currently unavailable.
    void propertyChanged(const QByteArray &name, const QVariant &value);

private:
    // On the starting thread: opens libmpv and makes the player.
    void startPlayer();
    // Back on the object's thread: takes the player over.
    void adoptPlayer();
    // Runs `call` now, or once the player has started.
    void whenStarted(std::function<void()> call);
    static void wakeUp(void *self);
    void drainEvents();
    void dispatch(const mpv_event &event);

    const QStringList m_options;
    bool m_startRequested = false;
    const LibMpv *m_mpv = nullptr; // none until started
    mpv_handle *m_handle = nullptr;
    bool m_failed = false;
    std::vector<std::function<void()>> m_waiting; // calls made before the start
    mpv_handle *m_madeHandle = nullptr; // written by the starting thread
    std::thread m_starter;
    std::atomic<bool> m_drainQueued { false };
};

} // namespace sky
