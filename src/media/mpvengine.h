#pragma once

#include "media/mediaengine.h"

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <memory>
#include <optional>

namespace sky {

class ControlBar;
class FullScreenSwitcher;
class MidiRenderer;
class MpvCore;
class MpvVideoWindow;
struct MediaSource;

struct MpvEngineOptions
{
    // Extra libmpv options, "name=value", applied after the engine's own:
    // "ao=null" for silent tests, "untimed=yes" with "ao-null-untimed=yes"
    // to run items to their end as fast as they decode. Video is drawn in an
    // OpenGL view except on the "offscreen" and "minimal" platforms, which
    // cannot show one; there it is decoded to mpv's null output.
    QStringList mpvOptions;
    // What CD addresses and ".cda" files read from: a drive, or the CUE
    // sheet of a disc image. Empty for the machine's own drive.
    QString cdDevice;
};

// The media engine on libmpv: plays files, CD tracks, synthesised MIDI and
// the first entry of metafiles, in a view made of the video and a control
// bar. All work with the player is asynchronous; what the getters return is
// what the player last reported.
class MpvEngine : public QObject, public MediaEngine
{
    Q_OBJECT

public:
    explicit MpvEngine(QWidget *viewParent = nullptr, const MpvEngineOptions &options = {});
    ~MpvEngine() override;

    void setFileName(const QString &address) override;
    QString fileName() const override { return m_fileName; }
    double currentPosition() const override;
    void setCurrentPosition(double seconds) override;
    void setDisplaySize(long size) override;
    long displaySize() const override { return m_displaySize; }
    long playState() const override;
    void stop() override;
    void open(const QString &address) override;
    void prepare(const QString &address) override;
    QWidget *view() override { return m_view; }

    // False once libmpv could not be started; nothing will play. True while
    // it is starting.
    bool isValid() const;
    double duration() const override { return m_duration; }
    bool isFullScreen() const;
    void togglePause() override;
    double volume() const override { return m_volume; }
    void setVolume(double percent) override;

Q_SIGNALS:
    // Emitted whenever playState() changes.
    void playStateChanged(long state);

private:
    enum class Phase { Closed, Rendering, Loading, Open };
    // Entry id meaning "whatever libmpv starts next is ours" (after a
    // playlist redirect, or when libmpv did not say which entry a load
    // created), and none.
    static constexpr qint64 kNextStartedEntry = -2;
    static constexpr qint64 kNoEntry = -1;
    // A seek sent and not yet answered, or answered and not yet carried out:
    // positions reported meanwhile are stale.
    enum class Seek { None, Sent, Taken };
    // An item opened ahead by prepare(), paused and without video, until the
    // same address is assigned (and it starts where it stands) or anything
    // else is. Nothing it reports shows in the getters meanwhile.
    struct Preload
    {
        QString address; // as it will be assigned
        quint64 request = 0; // the reply id of its "loadfile"
        std::optional<qint64> entryId; // once libmpv has answered
        bool ready = false; // libmpv has it ready to play
        double duration = 0;
    };
    // A preloaded item started: its sound is under way once libmpv has
    // reported it both ready and no longer paused.
    struct PreloadStart
    {
        quint64 unpauseRequest = 0; // the reply id of "pause=no"
        bool ready = false;
        bool unpaused = false;
    };

    void buildView(QWidget *parent, bool withVideo);
    void observeProperties();
    void watchPosition(bool exactly) const;
    // The position as last reported, without asking for exact reports.
    double knownPosition() const;
    MediaSource resolve(const QString &address) const;
    static QStringList loadCommand(const MediaSource &source);
    void load(const MediaSource &source);
    // Starts the preloaded item as the assignment of its address would
    // have loaded it.
    void startPreloaded(const Preload &preload);
    // Forgets the item opened ahead and closes it.
    void dropPreload();
    // Video as the view allows it: always without a view, else once its
    // render context exists.
    void selectVideo();
    void playbackRestarted();
    void reportStartOfPreloaded();
    void openItem();
    void closeItem();
    void setPhase(Phase phase);
    void setPaused(bool paused, quint64 replyId = 0);
    void seekTo(double seconds);
    void itemFinished();
    void enterFullScreenIfWanted();
    void toggleFullScreen();
    void notifyState();
    void updateBar();
    bool eventFilter(QObject *watched, QEvent *event) override;

    void onCommandReplied(quint64 replyId, bool ok, qint64 entryId);
    void onFileStarted(qint64 entryId);
    void onFileLoaded();
    void onFileEnded(qint64 entryId, int reason);
    void onPropertyChanged(const QByteArray &name, const QVariant &value);
    void onMidiRendered(quint64 job, const QString &wavPath);

    std::unique_ptr<MpvCore> m_core;
    std::unique_ptr<MidiRenderer> m_midi;
    QPointer<QWidget> m_view;
    QPointer<ControlBar> m_bar;
    QPointer<QWidget> m_videoArea;
    QPointer<MpvVideoWindow> m_video; // none without a display
    FullScreenSwitcher *m_fullScreen = nullptr;

    QString m_cdDevice;
    QString m_fileName;
    long m_displaySize = 4;
    Phase m_phase = Phase::Closed;
    quint64 m_requests = 0; // reply ids of the commands sent
    quint64 m_loadRequest = 0;
    quint64 m_seekRequest = 0;
    quint64 m_midiJob = 0;
    qint64 m_entryId = -1; // the item being played, once libmpv named it
    qint64 m_startedEntry = -1; // the item libmpv started last
    qint64 m_loadedEntry = -1; // the item libmpv loaded last
    bool m_paused = false;
    bool m_ended = false;
    bool m_stopped = false;
    bool m_hasVideo = false;
    bool m_videoIsPicture = false;
    bool m_fullScreenWanted = false;
    mutable double m_position = 0;
    // The position is watched in whole seconds until someone looks at it.
    mutable bool m_positionExact = false;
    mutable bool m_positionRead = false; // in this item
    double m_duration = 0;
    double m_volume = 100;
    bool m_renderContext = false;
    std::optional<Preload> m_preload;
    std::optional<PreloadStart> m_preloadStart;
    std::optional<double> m_pendingSeek; // asked for before the item was open
    Seek m_seek = Seek::None;
    long m_lastNotifiedState = Closed;
};

// The engine the program uses; `viewParent` becomes the parent of view().
// The libmpv options in the environment variable SKYVANTRIX_MPV_OPTIONS,
// separated by spaces, come after those of `options`. Without a usable
// libmpv every item closes at once.
std::unique_ptr<MediaEngine> createMpvEngine(QWidget *viewParent = nullptr, const MpvEngineOptions &options = {});

} // namespace sky
