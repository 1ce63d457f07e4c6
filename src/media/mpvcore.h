#pragma once

#include <QLoggingCategory>
#include <QObject>
#include <QStringList>
#include <QVariant>
#include <atomic>

struct mpv_handle;
struct mpv_event;

namespace sky {

struct LibMpv;

// Milestones of playback ("playback started", "first frame shown" by the
// video view with its size in pixels, "item ended"), silent unless switched on with
// QT_LOGGING_RULES="sky.media.info=true"; measurements of the player take
// their times from them.
Q_DECLARE_LOGGING_CATEGORY(lcMedia)

// Owns one libmpv player. Every call into the player is asynchronous, so no
// method here waits for the player's thread; what the player reports comes
// back as signals on the thread that created this object.
class MpvCore : public QObject
{
    Q_OBJECT

public:
    // `options` are "name=value" pairs applied before the player starts,
    // after this class's own defaults, so they can override them.
    explicit MpvCore(const QStringList &options, QObject *parent = nullptr);
    ~MpvCore() override;

    // False when libmpv refused to start; every call is then ignored.
    bool isValid() const { return m_handle != nullptr; }
    mpv_handle *handle() const { return m_handle; }

    // Sends a command; `replyId` comes back in commandReplied().
    void command(const QStringList &args, quint64 replyId = 0);
    void setProperty(const char *name, const QVariant &value);

    // Watches a property; changes arrive through propertyChanged(). `format`
    // is an mpv_format (flag, int64, double or string).
    void observe(const char *name, int format);

Q_SIGNALS:
    void commandReplied(quint64 replyId, bool ok, qint64 playlistEntryId);
    void fileStarted(qint64 playlistEntryId);
    void fileLoaded();
    // Playback goes on after a load or a seek.
    void playbackRestarted();
    // `reason` is an mpv_end_file_reason.
    void fileEnded(qint64 playlistEntryId, int reason);
    // An invalid value means the property is currently unavailable.
    void propertyChanged(const QByteArray &name, const QVariant &value);

private:
    static void wakeUp(void *self);
    void drainEvents();
    void dispatch(const mpv_event &event);

    const LibMpv *m_mpv; // none without a usable libmpv
    mpv_handle *m_handle = nullptr;
    std::atomic<bool> m_drainQueued { false };
};

} // namespace sky
