#pragma once

#include "mpris/remote_player.h"

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QObject>
#include <QVariantMap>

#include <optional>

namespace sky {

class MprisPlayerAdaptor;

// The player on the session bus as org.mpris.MediaPlayer2.skyvantrix, the
// interface through which desktops show it in their media panel and send
// it the keyboard's media keys.
class MprisService : public QObject
{
    Q_OBJECT

public:
    explicit MprisService(RemotePlayer &player);
    ~MprisService() override;

    // Takes the bus name and publishes the player; false when there is no
    // bus (the player then runs without it). A second player on the same
    // bus takes the name with ".instance" and its process id.
    bool registerOn(const QDBusConnection &connection);
    const QString &busName() const { return m_busName; }

    RemotePlayer &player() { return m_player; }
    const RemotePlayer &player() const { return m_player; }

    // The item open now, as the bus names it: each item started gets an id
    // of its own, also when the same file starts again.
    QDBusObjectPath trackId();
    QVariantMap metadata();

    // Tells the bus what changed since it was told last (the player's state,
    // its item, its volume, what the buttons can do). Its owner runs it while
    // registered, on ticks of a timer the program has running anyway, and it
    // runs after every call from the bus.
    void refresh();
    // The position jumped to `seconds` at the bus's request.
    void announceSeek(double seconds);

private:
    struct Shown
    {
        QString status;
        QVariantMap metadata;
        double volume = -1;
        bool canGoNext = false;
        bool canGoPrevious = false;
        bool canSeek = false;
    };
    // What the bus is told is made from these: while they stay as they
    // were, nothing is built to be compared (the item's address as a URL,
    // its metadata), every third tick of the main timer.
    struct Inputs
    {
        RemotePlayer::Status status = RemotePlayer::Status::Stopped;
        QString address;
        QString title;
        double length = 0;
        double volume = 0;
        bool canGoNext = false;
        bool canGoPrevious = false;
        bool operator==(const Inputs &) const = default;
    };
    Inputs inputs() const;
    Shown current();
    void notePlayingItem();

    RemotePlayer &m_player;
    QDBusConnection m_connection{QString()};
    MprisPlayerAdaptor *m_playerAdaptor;
    QString m_busName;
    Shown m_shown;
    std::optional<Inputs> m_shownFrom;
    bool m_announced = false;
    QString m_itemAddress; // of the item open when last looked at
    quint64 m_itemNumber = 0;
};

// "Playing", "Paused" or "Stopped".
QString playbackStatusName(RemotePlayer::Status status);

inline constexpr qint64 kMicrosecondsPerSecond = 1000000;

} // namespace sky
