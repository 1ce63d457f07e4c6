#include "mpris/mpris_adaptors.h"

#include "mpris/mpris_desktop.h"
#include "mpris/mpris_service.h"

#include <QUrl>

#include <algorithm>

namespace sky {

MprisRootAdaptor::MprisRootAdaptor(MprisService &service) : QDBusAbstractAdaptor(&service), m_service(service)
{
}

QString MprisRootAdaptor::identity() const
{
    return kDesktopName;
}

QString MprisRootAdaptor::desktopEntry() const
{
    return kDesktopEntry;
}

QStringList MprisRootAdaptor::supportedUriSchemes() const
{
    return {QStringLiteral("file")};
}

QStringList MprisRootAdaptor::supportedMimeTypes() const
{
    return kDesktopMimeTypes.split(QLatin1Char(';'), Qt::SkipEmptyParts);
}

void MprisRootAdaptor::Raise()
{
    m_service.player().raise();
}

void MprisRootAdaptor::Quit()
{
    m_service.player().quit();
}

MprisPlayerAdaptor::MprisPlayerAdaptor(MprisService &service) : QDBusAbstractAdaptor(&service), m_service(service)
{
}

QString MprisPlayerAdaptor::playbackStatus() const
{
    return playbackStatusName(m_service.player().status());
}

QVariantMap MprisPlayerAdaptor::metadata() const
{
    return m_service.metadata();
}

double MprisPlayerAdaptor::volume() const
{
    return m_service.player().volume();
}

void MprisPlayerAdaptor::setVolume(double volume)
{
    m_service.player().setVolume(std::clamp(volume, 0.0, 1.0));
    m_service.refresh();
}

qlonglong MprisPlayerAdaptor::position() const
{
    return qlonglong(m_service.player().position() * kMicrosecondsPerSecond);
}

bool MprisPlayerAdaptor::canGoNext() const
{
    return m_service.player().canGoNext();
}

bool MprisPlayerAdaptor::canGoPrevious() const
{
    return m_service.player().canGoPrevious();
}

bool MprisPlayerAdaptor::canSeek() const
{
    const RemotePlayer &player = m_service.player();
    return player.status() != RemotePlayer::Status::Stopped && player.length() > 0;
}

void MprisPlayerAdaptor::act(void (RemotePlayer::*action)())
{
    (m_service.player().*action)();
    m_service.refresh();
}

void MprisPlayerAdaptor::Next()
{
    act(&RemotePlayer::next);
}

void MprisPlayerAdaptor::Previous()
{
    act(&RemotePlayer::previous);
}

void MprisPlayerAdaptor::Pause()
{
    act(&RemotePlayer::pause);
}

void MprisPlayerAdaptor::PlayPause()
{
    if (m_service.player().status() == RemotePlayer::Status::Playing)
        m_service.player().pause();
    else
        m_service.player().play();
    m_service.refresh();
}

void MprisPlayerAdaptor::Stop()
{
    act(&RemotePlayer::stop);
}

void MprisPlayerAdaptor::Play()
{
    act(&RemotePlayer::play);
}

void MprisPlayerAdaptor::Seek(qlonglong offset)
{
    if (!canSeek())
        return;
    RemotePlayer &player = m_service.player();
    const double target = std::max(0.0, player.position() + double(offset) / kMicrosecondsPerSecond);
    // Past the end is the next item.
    if (target > player.length()) {
        Next();
        return;
    }
    player.seekTo(target);
    m_service.announceSeek(target);
}

void MprisPlayerAdaptor::SetPosition(const QDBusObjectPath &trackId, qlonglong position)
{
    RemotePlayer &player = m_service.player();
    const double target = double(position) / kMicrosecondsPerSecond;
    // A request for an item that has already gone is dropped.
    if (!canSeek() || trackId != m_service.trackId() || target < 0 || target > player.length())
        return;
    player.seekTo(target);
    m_service.announceSeek(target);
}

void MprisPlayerAdaptor::OpenUri(const QString &uri)
{
    const QUrl url(uri);
    if (!url.isLocalFile())
        return;
    m_service.player().open(url.toLocalFile());
    m_service.refresh();
}

} // namespace sky
