#include "media/mpvengine.h"

#include "media/controlbar.h"
#include "media/fullscreenswitcher.h"
#include "media/mediaaddress.h"
#include "media/midirenderer.h"
#include "media/mpvcore.h"
#include "media/mpvvideowindow.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPalette>
#include <QVBoxLayout>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <mpv/client.h>

namespace sky {

namespace {

constexpr long kFullScreen = 3;
// The watch of the position, which changes between whole seconds and exact
// values.
constexpr quint64 kPositionWatch = 1;

bool displayAvailable()
{
    const QString platform = QGuiApplication::platformName();
    return !platform.isEmpty() && platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

} // namespace

MpvEngine::MpvEngine(QWidget *viewParent, const MpvEngineOptions &options)
    : m_midi(std::make_unique<MidiRenderer>()), m_cdDevice(options.cdDevice)
{
    const bool withVideo = displayAvailable();
    // With a view, video stays off until its render context exists.
    QStringList mpvOptions { withVideo ? QStringLiteral("vo=libmpv") : QStringLiteral("vo=null") };
    if (withVideo)
        mpvOptions << QStringLiteral("vid=no");
    mpvOptions += options.mpvOptions;
    m_core = std::make_unique<MpvCore>(mpvOptions);

    connect(m_core.get(), &MpvCore::commandReplied, this, &MpvEngine::onCommandReplied);
    connect(m_core.get(), &MpvCore::fileStarted, this, &MpvEngine::onFileStarted);
    connect(m_core.get(), &MpvCore::fileLoaded, this, &MpvEngine::onFileLoaded);
    connect(m_core.get(), &MpvCore::playbackRestarted, this, &MpvEngine::playbackRestarted);
    connect(m_core.get(), &MpvCore::fileEnded, this, &MpvEngine::onFileEnded);
    connect(m_core.get(), &MpvCore::propertyChanged, this, &MpvEngine::onPropertyChanged);
    connect(m_midi.get(), &MidiRenderer::finished, this, &MpvEngine::onMidiRendered);
    // An item asked for while the player was starting closes when it
    // cannot start.
    connect(m_core.get(), &MpvCore::started, this, [this](bool ok) {
        if (ok)
            return;
        m_preload.reset();
        if (m_phase == Phase::Loading)
            closeItem();
    });
    observeProperties();
    buildView(viewParent, withVideo);
}

MpvEngine::~MpvEngine()
{
    m_midi.reset();
    if (m_fullScreen)
        m_fullScreen->leave();
    // The video view holds libmpv's render context, which has to go before
    // the player; the owner of the window may have deleted the view already.
    delete m_view;
    m_core.reset();
}

void MpvEngine::buildView(QWidget *parent, bool withVideo)
{
    m_view = new QWidget(parent);
    m_view->setObjectName(QStringLiteral("MediaPlayerView"));
    // No key of the player's is the view's own (Escape leaves full screen
    // wherever the focus is), so neither Tab nor a click on the video or
    // the control bar takes the keyboard focus from the window's controls.
    m_view->setFocusPolicy(Qt::NoFocus);

    if (withVideo) {
        auto *video = new MpvVideoWindow(*m_core);
        m_video = video;
        // libmpv fails an item whose video it cannot show, so video is only
        // selected while there is a render context. Taking the track off and
        // on again also brings back the video of an item that is playing.
        connect(video, &MpvVideoWindow::renderContextChanged, this, [this](bool available) {
            m_renderContext = available;
            m_core->setProperty("vid", QStringLiteral("no"));
            // An item opened ahead shows nothing until it is started.
            if (available && !m_preload)
                m_core->setProperty("vid", QStringLiteral("auto"));
        });
        // The holder gets the window's mouse input.
        m_videoArea = QWidget::createWindowContainer(video, m_view);
    } else {
        m_videoArea = new QWidget(m_view);
    }
    // Black wherever no video is drawn.
    QPalette black = m_videoArea->palette();
    black.setColor(QPalette::Window, Qt::black);
    m_videoArea->setPalette(black);
    m_videoArea->setAutoFillBackground(true);
    m_videoArea->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    m_videoArea->installEventFilter(this);
    m_view->installEventFilter(this);

    m_bar = new ControlBar(m_view);
    connect(m_bar, &ControlBar::playPauseClicked, this, &MpvEngine::togglePause);
    connect(m_bar, &ControlBar::stopClicked, this, &MpvEngine::stop);
    connect(m_bar, &ControlBar::seekRequested, this, &MpvEngine::setCurrentPosition);
    connect(m_bar, &ControlBar::volumeRequested, this, [this](int percent) { setVolume(percent); });
    connect(m_bar, &ControlBar::muteRequested, this, [this](bool muted) { m_core->setProperty("mute", muted); });

    auto *layout = new QVBoxLayout(m_view);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_videoArea, 1);
    layout->addWidget(m_bar);

    // Owned by the engine: the window may delete the view before it.
    m_fullScreen = new FullScreenSwitcher(m_view, this);
    // Full screen shows the picture alone.
    connect(
        m_fullScreen, &FullScreenSwitcher::activeChanged, m_bar, [this](bool active) { m_bar->setVisible(!active); });
}

void MpvEngine::observeProperties()
{
    m_core->observe("pause", MPV_FORMAT_FLAG);
    m_core->observe("eof-reached", MPV_FORMAT_FLAG);
    // The position in whole seconds: libmpv reports an exact position with
    // every block of sound or frame it plays (sixteen times a second for MP3
    // sound), and each report wakes the program. It is watched exactly while
    // the view, whose bar shows it, is visible, and once someone has read
    // it during the item.
    m_core->observe("time-pos", MPV_FORMAT_INT64, kPositionWatch);
    m_core->observe("duration", MPV_FORMAT_DOUBLE);
    m_core->observe("volume", MPV_FORMAT_DOUBLE);
    m_core->observe("mute", MPV_FORMAT_FLAG);
    m_core->observe("vid", MPV_FORMAT_INT64);
    m_core->observe("current-tracks/video/image", MPV_FORMAT_FLAG);
}

void MpvEngine::setFileName(const QString &address)
{
    m_fileName = address;
    m_midi->cancelAll();
    m_pendingSeek.reset();
    m_position = 0;
    m_duration = 0;
    m_ended = false;
    m_stopped = false;
    m_fullScreenWanted = m_displaySize == kFullScreen;
    m_positionRead = false;
    watchPosition(m_view && m_view->isVisible());
    // An item opened ahead goes on as this one, or gives way to it.
    const std::optional<Preload> preload = std::exchange(m_preload, std::nullopt);
    m_preloadStart.reset();
    if (preload)
        selectVideo();

    const MediaSource source = resolve(address);
    switch (source.kind) {
    case MediaSource::Kind::None:
        closeItem();
        break;
    case MediaSource::Kind::Midi:
        // The previous item stops at once; the synthesised file plays when
        // it is ready, and until then the item counts as playing.
        m_core->command({ QStringLiteral("stop") });
        m_entryId = kNoEntry;
        m_midiJob = m_midi->start(source.url);
        setPhase(Phase::Rendering);
        break;
    case MediaSource::Kind::Player:
        if (preload && preload->address == address)
            startPreloaded(*preload);
        else
            load(source);
        break;
    }
    updateBar();
}

MediaSource MpvEngine::resolve(const QString &address) const
{
    // A drive may have been plugged in since the last item.
    return resolveMediaAddress(address, m_cdDevice.isEmpty() ? cdromDevice() : m_cdDevice);
}

void MpvEngine::open(const QString &address)
{
    setFileName(address);
}

QStringList MpvEngine::loadCommand(const MediaSource &source)
{
    QStringList args { QStringLiteral("loadfile"), source.url, QStringLiteral("replace") };
    if (!source.options.isEmpty())
        args << source.options.join(u',');
    return args;
}

void MpvEngine::load(const MediaSource &source)
{
    if (!m_core->isValid()) {
        closeItem();
        return;
    }
    // Video can start decoding while the view is still on its way to the
    // screen.
    // No video renderer is made ahead for sound: it would bring the OpenGL
    // driver into memory (some 60 MB) for nothing.
    if (m_video && !source.soundOnly())
        m_video->prepare();
    setPaused(false);
    m_entryId = kNoEntry;
    m_loadRequest = ++m_requests;
    m_core->command(loadCommand(source), m_loadRequest);
    setPhase(Phase::Loading);
}

void MpvEngine::closeItem()
{
    m_core->command({ QStringLiteral("stop") });
    m_entryId = kNoEntry;
    m_hasVideo = false;
    setPhase(Phase::Closed);
}

void MpvEngine::setPhase(Phase phase)
{
    m_phase = phase;
    if (phase != Phase::Open) {
        m_seek = Seek::None;
        m_fullScreen->leave();
        if (phase == Phase::Closed)
            m_fullScreenWanted = false;
    }
    notifyState();
}

void MpvEngine::watchPosition(bool exactly) const
{
    if (exactly == m_positionExact)
        return;
    m_positionExact = exactly;
    m_core->unobserve(kPositionWatch);
    m_core->observe("time-pos", exactly ? MPV_FORMAT_DOUBLE : MPV_FORMAT_INT64, kPositionWatch);
}

double MpvEngine::currentPosition() const
{
    m_positionRead = true;
    // A position reported in whole seconds may be up to a second behind:
    // the first reader gets it exact.
    if (!m_positionExact && m_phase == Phase::Open && !m_pendingSeek && m_seek == Seek::None)
        if (const std::optional<double> exact = m_core->readNumber("time-pos"))
            m_position = *exact;
    watchPosition(true);
    return knownPosition();
}

double MpvEngine::knownPosition() const
{
    if (m_pendingSeek)
        return *m_pendingSeek;
    return m_phase == Phase::Open ? m_position : 0.0;
}

void MpvEngine::setCurrentPosition(double seconds)
{
    if (!std::isfinite(seconds))
        return;
    seconds = std::max(0.0, seconds);
    switch (m_phase) {
    case Phase::Closed:
        break;
    case Phase::Rendering:
    case Phase::Loading:
        m_pendingSeek = seconds;
        break;
    case Phase::Open:
        seekTo(seconds);
        break;
    }
    updateBar();
}

void MpvEngine::seekTo(double seconds)
{
    m_seekRequest = ++m_requests;
    m_core->command({ QStringLiteral("seek"), QString::number(seconds, 'f', 3), QStringLiteral("absolute+exact") },
                    m_seekRequest);
    m_position = seconds;
    m_seek = Seek::Sent;
}

void MpvEngine::setDisplaySize(long size)
{
    if (size == m_displaySize)
        return;
    m_displaySize = size;
    m_fullScreenWanted = size == kFullScreen;
    if (m_fullScreenWanted)
        enterFullScreenIfWanted();
    else
        m_fullScreen->leave();
}

long MpvEngine::playState() const
{
    switch (m_phase) {
    case Phase::Closed:
        return Closed;
    case Phase::Rendering:
    case Phase::Loading:
        return Playing;
    case Phase::Open:
        break;
    }
    if (m_ended || m_stopped)
        return Stopped;
    return m_paused ? Paused : Playing;
}

void MpvEngine::stop()
{
    if (m_phase != Phase::Open) {
        if (m_phase != Phase::Closed)
            closeItem();
        return;
    }
    setPaused(true);
    seekTo(0);
    m_stopped = true;
    m_fullScreen->leave();
    notifyState();
    updateBar();
}

void MpvEngine::setVolume(double percent)
{
    m_core->setProperty("volume", percent);
}

void MpvEngine::togglePause()
{
    switch (m_phase) {
    case Phase::Closed:
        if (!m_fileName.isEmpty())
            setFileName(m_fileName);
        return;
    case Phase::Rendering:
    case Phase::Loading:
        return;
    case Phase::Open:
        break;
    }
    if (m_ended || m_stopped) {
        if (m_ended)
            seekTo(0);
        m_ended = false;
        m_stopped = false;
        setPaused(false);
    } else {
        setPaused(!m_paused);
    }
    notifyState();
}

void MpvEngine::setPaused(bool paused, quint64 replyId)
{
    m_paused = paused;
    m_core->setProperty("pause", paused, replyId);
}

bool MpvEngine::isValid() const
{
    return m_core->isValid();
}

bool MpvEngine::isFullScreen() const
{
    return m_fullScreen && m_fullScreen->isActive();
}

void MpvEngine::enterFullScreenIfWanted()
{
    if (m_fullScreenWanted && m_phase == Phase::Open && !m_ended && !m_stopped && m_hasVideo && !m_videoIsPicture
        && m_view && m_view->isVisible()) {
        m_fullScreenWanted = false;
        m_fullScreen->enter();
    }
}

void MpvEngine::toggleFullScreen()
{
    if (m_fullScreen->isActive())
        m_fullScreen->leave();
    else if (m_phase == Phase::Open && m_hasVideo)
        m_fullScreen->enter();
}

bool MpvEngine::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_view && (event->type() == QEvent::Show || event->type() == QEvent::Hide))
        watchPosition(m_positionRead || event->type() == QEvent::Show);
    if (watched == m_videoArea && event->type() == QEvent::MouseButtonDblClick) {
        toggleFullScreen();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void MpvEngine::itemFinished()
{
    // Measurements compare the frames shown with another player's.
    qCInfo(lcMedia, "item ended, %d video frames shown so far", m_video ? m_video->framesShown() : 0);
    m_ended = true;
    // The ended item rests at its end until it is replayed or replaced.
    setPaused(true);
    m_fullScreen->leave();
    notifyState();
}

void MpvEngine::notifyState()
{
    const long state = playState();
    if (m_bar)
        m_bar->setPlaying(state == Playing);
    if (state != m_lastNotifiedState) {
        m_lastNotifiedState = state;
        Q_EMIT playStateChanged(state);
    }
}

void MpvEngine::updateBar()
{
    if (m_bar)
        m_bar->setTimes(knownPosition(), m_phase == Phase::Open ? m_duration : 0.0);
}

void MpvEngine::onCommandReplied(quint64 replyId, bool ok, qint64 entryId)
{
    if (m_preload && replyId == m_preload->request) {
        // Without the entry's id its end could not be told.
        if (ok && entryId >= 0)
            m_preload->entryId = entryId;
        else
            dropPreload();
        return;
    }
    if (m_preloadStart && replyId == m_preloadStart->unpauseRequest) {
        m_preloadStart->unpaused = true;
        reportStartOfPreloaded();
        return;
    }
    if (replyId != 0 && replyId == m_seekRequest && m_seek == Seek::Sent) {
        m_seek = ok ? Seek::Taken : Seek::None;
        return;
    }
    if (replyId == 0 || replyId != m_loadRequest || m_phase != Phase::Loading)
        return;
    if (!ok) {
        closeItem();
        return;
    }
    m_entryId = entryId >= 0 ? entryId : kNextStartedEntry;
    // The item may have started, and even loaded, before this reply was
    // handled.
    if (m_entryId == kNextStartedEntry && m_startedEntry >= 0)
        m_entryId = m_startedEntry;
    if (m_entryId >= 0 && m_loadedEntry == m_entryId)
        openItem();
}

void MpvEngine::onFileStarted(qint64 entryId)
{
    m_startedEntry = entryId;
    m_loadedEntry = kNoEntry;
    if (m_entryId == kNextStartedEntry)
        m_entryId = entryId;
}

void MpvEngine::onFileLoaded()
{
    // libmpv names no entry here: it is the one started last.
    m_loadedEntry = m_startedEntry;
    if (m_phase == Phase::Loading && m_entryId >= 0 && m_loadedEntry == m_entryId)
        openItem();
}

void MpvEngine::openItem()
{
    setPhase(Phase::Open);
    if (m_pendingSeek) {
        seekTo(*m_pendingSeek);
        m_pendingSeek.reset();
    }
    enterFullScreenIfWanted();
    updateBar();
}

void MpvEngine::onFileEnded(qint64 entryId, int reason)
{
    if (m_preload && m_preload->entryId == entryId) {
        dropPreload();
        return;
    }
    if (entryId != m_entryId || m_phase == Phase::Closed)
        return;
    if (reason == MPV_END_FILE_REASON_REDIRECT) {
        // A playlist stood in for the item; its first entry plays next.
        m_entryId = kNextStartedEntry;
        return;
    }
    m_entryId = kNoEntry;
    m_hasVideo = false;
    setPhase(Phase::Closed);
}

void MpvEngine::onPropertyChanged(const QByteArray &name, const QVariant &value)
{
    if (name == "time-pos") {
        // A whole second only tells that the position lies in it.
        const bool wholeSecond = value.typeId() == QMetaType::LongLong;
        if (m_phase == Phase::Open && value.isValid() && m_seek == Seek::None
            && !(wholeSecond && std::floor(m_position) == value.toDouble()))
            m_position = value.toDouble();
        updateBar();
    } else if (name == "duration") {
        (m_preload ? m_preload->duration : m_duration) = value.isValid() ? value.toDouble() : 0.0;
        updateBar();
    } else if (name == "pause") {
        m_paused = value.toBool();
        notifyState();
    } else if (name == "eof-reached") {
        // A seek past the end lands here without playback going on.
        if (value.toBool())
            m_seek = Seek::None;
        if (value.toBool() && m_phase == Phase::Open && !m_ended)
            itemFinished();
    } else if (name == "volume") {
        if (value.isValid())
            m_volume = value.toDouble();
        if (m_bar && value.isValid())
            m_bar->setVolume(int(std::lround(value.toDouble())));
    } else if (name == "mute") {
        if (m_bar)
            m_bar->setMuted(value.toBool());
    } else if (name == "vid") {
        m_hasVideo = value.isValid();
        if (m_video)
            m_video->setShowsVideo(m_hasVideo);
        enterFullScreenIfWanted();
    } else if (name == "current-tracks/video/image") {
        m_videoIsPicture = value.toBool();
    }
}

void MpvEngine::onMidiRendered(quint64 job, const QString &wavPath)
{
    if (job != m_midiJob || m_phase != Phase::Rendering)
        return;
    if (wavPath.isEmpty())
        closeItem();
    else
        load({ MediaSource::Kind::Player, wavPath, {} });
}

std::unique_ptr<MediaEngine> createMpvEngine(QWidget *viewParent, const MpvEngineOptions &options)
{
    // A run of the program can be given more libmpv options, such as
    // SKYVANTRIX_MPV_OPTIONS="ao=null" for a machine that must stay silent.
    MpvEngineOptions withExtra = options;
    withExtra.mpvOptions += qEnvironmentVariable("SKYVANTRIX_MPV_OPTIONS").split(u' ', Qt::SkipEmptyParts);
    return std::make_unique<MpvEngine>(viewParent, withExtra);
}

} // namespace sky
