#include "media/mediaaddress.h"
#include "media/mpvcore.h"
#include "media/mpvengine.h"
#include "media/mpvvideowindow.h"

// The item an engine opens ahead, before it is assigned.

namespace sky {

void MpvEngine::prepare(const QString &address)
{
    m_core->startWhenNeeded();
    if (m_phase != Phase::Closed || m_preload || address.isEmpty() || !m_core->isValid())
        return;
    // Only sound is opened ahead, with its cover picture, if any, left out:
    // a paused video would show its first frame.
    const MediaSource source = resolve(address);
    if (source.kind != MediaSource::Kind::Player || !source.soundOnly())
        return;
    m_core->setProperty("vid", QStringLiteral("no"));
    setPaused(true);
    m_preload = Preload {};
    m_preload->address = address;
    m_preload->request = ++m_requests;
    m_core->command(loadCommand(source), m_preload->request);
}

void MpvEngine::startPreloaded(const Preload &preload)
{
    m_preloadStart = PreloadStart {};
    m_preloadStart->unpauseRequest = ++m_requests;
    m_preloadStart->ready = preload.ready;
    setPaused(false, m_preloadStart->unpauseRequest);
    m_duration = preload.duration;
    m_entryId = kNoEntry;
    m_loadRequest = preload.request;
    setPhase(Phase::Loading);
    // Carried on as if libmpv had only now answered the load.
    if (preload.entryId)
        onCommandReplied(preload.request, true, *preload.entryId);
}

void MpvEngine::dropPreload()
{
    m_preload.reset();
    m_core->command({ QStringLiteral("stop") });
    selectVideo();
}

void MpvEngine::selectVideo()
{
    m_core->setProperty("vid", !m_video || m_renderContext ? QStringLiteral("auto") : QStringLiteral("no"));
}

void MpvEngine::playbackRestarted()
{
    // Only a restart reported after libmpv took the seek is the seek's own:
    // the one that starts a file can come after a seek sent as it loaded.
    if (m_seek == Seek::Taken)
        m_seek = Seek::None;
    if (m_preload) {
        m_preload->ready = true;
        qCInfo(lcMedia, "item opened ahead, paused");
    } else if (m_preloadStart) {
        m_preloadStart->ready = true;
        reportStartOfPreloaded();
    } else {
        qCInfo(lcMedia, "playback started");
    }
}

void MpvEngine::reportStartOfPreloaded()
{
    if (m_preloadStart->ready && m_preloadStart->unpaused) {
        qCInfo(lcMedia, "playback started");
        m_preloadStart.reset();
    }
}

} // namespace sky
