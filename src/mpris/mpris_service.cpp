#include "mpris/mpris_service.h"

#include "mpris/mpris_adaptors.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QUrl>

namespace sky {

namespace {

const QString kObjectPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString kBusName = QStringLiteral("org.mpris.MediaPlayer2.skyvantrix");
const QString kNoTrack = QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack");
// The address as a URL: local files as file URLs, anything else (a CD
// track) as it is.
QString addressUrl(const QString &address)
{
    if (address.startsWith(QLatin1Char('/')))
        return QUrl::fromLocalFile(address).toString(QUrl::FullyEncoded);
    return address;
}

} // namespace

QString playbackStatusName(RemotePlayer::Status status)
{
    switch (status) {
    case RemotePlayer::Status::Playing:
        return QStringLiteral("Playing");
    case RemotePlayer::Status::Paused:
        return QStringLiteral("Paused");
    case RemotePlayer::Status::Stopped:
        break;
    }
    return QStringLiteral("Stopped");
}

MprisService::MprisService(RemotePlayer &player)
    : m_player(player), m_playerAdaptor(new MprisPlayerAdaptor(*this))
{
    new MprisRootAdaptor(*this);
}

MprisService::~MprisService()
{
    if (m_busName.isEmpty())
        return;
    m_connection.unregisterService(m_busName);
    m_connection.unregisterObject(kObjectPath);
}

bool MprisService::registerOn(const QDBusConnection &connection)
{
    if (!connection.isConnected())
        return false;
    m_connection = connection;
    if (!m_connection.registerObject(kObjectPath, this, QDBusConnection::ExportAdaptors))
        return false;
    m_busName = kBusName;
    if (!m_connection.registerService(m_busName)) {
        m_busName = kBusName + QStringLiteral(".instance") + QString::number(QCoreApplication::applicationPid());
        if (!m_connection.registerService(m_busName)) {
            m_connection.unregisterObject(kObjectPath);
            m_busName.clear();
            return false;
        }
    }
    m_shown = current();
    m_announced = true;
    return true;
}

void MprisService::notePlayingItem()
{
    // A new address, or the same one started again after it ended (the
    // address is "" in between).
    const QString address = m_player.address();
    if (!address.isEmpty() && address != m_itemAddress)
        ++m_itemNumber;
    m_itemAddress = address;
}

QDBusObjectPath MprisService::trackId()
{
    notePlayingItem();
    if (m_itemAddress.isEmpty())
        return QDBusObjectPath(kNoTrack);
    return QDBusObjectPath(QStringLiteral("/org/skyvantrix/MediaPlayer/Item/%1").arg(m_itemNumber));
}

QVariantMap MprisService::metadata()
{
    const QDBusObjectPath id = trackId();
    QVariantMap data{{QStringLiteral("mpris:trackid"), QVariant::fromValue(id)}};
    if (m_itemAddress.isEmpty())
        return data;
    data.insert(QStringLiteral("xesam:url"), addressUrl(m_itemAddress));
    data.insert(QStringLiteral("xesam:title"), m_player.title());
    const double length = m_player.length();
    if (length > 0)
        data.insert(QStringLiteral("mpris:length"), qlonglong(length * kMicrosecondsPerSecond));
    return data;
}

MprisService::Shown MprisService::current()
{
    Shown shown;
    shown.metadata = metadata();
    shown.status = playbackStatusName(m_player.status());
    shown.volume = m_player.volume();
    shown.canGoNext = m_playerAdaptor->canGoNext();
    shown.canGoPrevious = m_playerAdaptor->canGoPrevious();
    shown.canSeek = m_playerAdaptor->canSeek();
    return shown;
}

MprisService::Inputs MprisService::inputs() const
{
    return {m_player.status(), m_player.address(), m_player.title(), m_player.length(), m_player.volume(),
            m_player.canGoNext(), m_player.canGoPrevious()};
}

void MprisService::refresh()
{
    if (!m_announced)
        return;
    const Inputs from = inputs();
    if (from == m_shownFrom)
        return;
    m_shownFrom = from;
    const Shown now = current();
    QVariantMap changed;
    const auto compare = [&changed](const QString &name, const auto &value, const auto &before) {
        if (value != before)
            changed.insert(name, value);
    };
    compare(QStringLiteral("PlaybackStatus"), now.status, m_shown.status);
    compare(QStringLiteral("Metadata"), now.metadata, m_shown.metadata);
    compare(QStringLiteral("Volume"), now.volume, m_shown.volume);
    compare(QStringLiteral("CanGoNext"), now.canGoNext, m_shown.canGoNext);
    compare(QStringLiteral("CanGoPrevious"), now.canGoPrevious, m_shown.canGoPrevious);
    compare(QStringLiteral("CanSeek"), now.canSeek, m_shown.canSeek);
    m_shown = now;
    if (changed.isEmpty())
        return;
    QDBusMessage signal = QDBusMessage::createSignal(
        kObjectPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("PropertiesChanged"));
    signal << QStringLiteral("org.mpris.MediaPlayer2.Player") << changed << QStringList();
    m_connection.send(signal);
}

void MprisService::announceSeek(double seconds)
{
    Q_EMIT m_playerAdaptor->Seeked(qlonglong(seconds * kMicrosecondsPerSecond));
}

} // namespace sky
