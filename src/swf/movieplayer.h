#pragma once

#include "clipstage.h"
#include "movie.h"
#include "stagesounds.h"
#include "objectstore.h"
#include "renderer.h"
#include "scriptruntime.h"

#include <QString>

#include <map>
#include <memory>

class QPainter;

namespace sky::swf {

// Plays a movie: the main timeline's playhead, its display list and the
// tick count that drives the sprites placed on it. Frames count from 1:
// currentFrame() is 1 on the first frame, and gotoFrame(n) takes the same
// numbers.
//
// A tick is one frame period (movie()->frameRate() per second): the
// playhead moves on when playing, the frame's scripts run, and every
// sprite advances. Sprites keep running on ticks while the
// main timeline is stopped, as in the original player; a caller that wants
// a still picture does not tick.
//
// The movie's sound moves with the playhead: a frame's event sounds start
// as it is entered, and the main timeline's stream sound plays while the
// movie plays on. The stream leads: when the sound output has pulled the
// stream further than the frames shown, a tick passes over the frames in
// between (their scripts still run), and while the sound lags a frame
// behind, a tick shows the same frame again.
//
// gotoFrame() and the steps built on it rebuild the display list from the
// nearest stored snapshot of the timeline, so they cost the same wherever
// they land and show what playing from frame 1 would show there.
//
// Nothing here needs a window: draw() paints onto any QPainter.
// The largest picture renderFrame() makes: 256 MiB, and no side over 16384
// pixels.
inline constexpr qint64 maxFramePixels = 8192LL * 8192;
inline constexpr int maxFrameSide = 16384;

// `stage` scaled down, keeping its shape, to fit those limits.
QSize boundedFrameSize(const QSize &stage);

// Where text copied from a movie's text fields goes and pasted text comes
// from; either may be left unset.
struct TextClipboard {
    std::function<QString()> text;
    std::function<void(const QString &)> setText;
};

class MoviePlayer {
public:
    // Loads a movie file; on failure the previous movie is kept and
    // errorString() tells why. After loading, frame 1 is shown (its
    // actions have run) and the movie is playing.
    bool load(const QString &path);
    bool loadData(const QByteArray &data);
    void setMovie(std::shared_ptr<const Movie> movie);

    const Movie *movie() const { return movie_.get(); }
    std::shared_ptr<const Movie> sharedMovie() const { return movie_; }
    bool isLoaded() const { return movie_ != nullptr; }
    QString errorString() const { return error_; }

    int totalFrames() const;
    // Frames a second: the rate of the movie playing as level 0, which
    // may have replaced the one loaded.
    double frameRate() const;
    int currentFrame() const { return stage_ ? stage_->root().frame : 0; }
    bool isPlaying() const { return stage_ && stage_->root().playing; }

    // Ticks run since the movie was loaded.
    qint64 elapsedTicks() const { return stage_ ? stage_->tick : 0; }
    // The movie's scripts; null when no movie is loaded.
    ScriptRuntime *scripts() const { return scripts_.get(); }

    // Bounds on the scripts of movies loaded from now on.
    void setScriptLimits(const avm1::Limits &limits) { scriptLimits_ = limits; }
    const avm1::Limits &scriptLimits() const { return scriptLimits_; }
    // The date at which movies loaded from now on start (milliseconds since
    // 1970 UTC): scripts' dates run on from it with the movie's clock.
    void setStartDate(double msecsSinceEpoch) { startDate_ = msecsSinceEpoch; }
    double startDate() const { return startDate_; }
    // The size of the window showing the movie, in pixels; the movie's
    // scripts are told when it changes.
    void setViewSize(const QSize &size);
    QSize viewSize() const { return viewSize_; }
    // Where the data movies keep between runs is stored, for movies loaded
    // from now on; none by default. The store outlives the player.
    void setObjectStore(ObjectStore *store) { objectStore_ = store; }
    ObjectStore *objectStore() const { return objectStore_; }
    // The movie's file, empty when it was not read from one; the files its
    // scripts load are read beside it.
    QString moviePath() const { return path_; }
    // Writes what the movie keeps between runs that changed since it was
    // last written; the movie does so itself as it ends.
    void writeKeptData()
    {
        if (scripts_)
            scripts_->writeKeptData();
    }
    QString movieFolder() const { return folder_; }
    // Where trace() output goes; set before setMovie() to see frame 1's.
    void setTraceSink(std::function<void(const QString &)> sink) { traceSink_ = std::move(sink); }

    // The clipboard the movie's text fields copy to and paste from.
    void setClipboard(TextClipboard clipboard) { clipboard_ = std::move(clipboard); }
    const TextClipboard &clipboard() const { return clipboard_; }

    // Mouse or keyboard input for the movie's buttons and scripts:
    // `deliver` calls one of ScriptRuntime's input functions.
    template <class Deliver> void input(Deliver deliver)
    {
        if (scripts_) {
            deliver(*scripts_);
            followSound();
        }
    }

    // A point of `target` (where draw() shows the movie) in stage pixels.
    QPointF stagePoint(const QRectF &target, const QPointF &point) const;

    void play() { setPlaying(true); }
    void stop() { setPlaying(false); }
    void tick();

    // Mixers of the movies loaded from now on mix at this rate.
    void setSoundRate(int rate) { soundRate_ = rate; }
    // The sound of the movie; null when none is loaded.
    MovieSound *sound() const { return sounds_ ? &sounds_->main() : nullptr; }
    // The sound of the movie whose character `clip` shows: the main
    // movie's, or that of a movie loaded into a clip or a level, which
    // plays through a mixer of its own beside the main one's until it is
    // unloaded or replaced. Null when it has none yet.
    MovieSound *soundOf(const StageClip &clip) const;
    // The sounds of every movie on the stage, as scripts reach them.
    StageSounds *stageSounds() const { return sounds_.get(); }
    // What the sound output calls for the next `frames` sample frames,
    // added to `stereo`.
    void mixSound(float *stereo, qsizetype frames);
    // Sample frames the sound output holds that are not heard yet: the
    // picture waits for them.
    void setSoundLatency(qsizetype frames);

    // Shows frame n (clamped to 1..totalFrames) as playing from the start
    // would, without running any actions; the play state is unchanged.
    void gotoFrame(int n);
    // The player's transport: the main timeline goes to frame n (clamped)
    // as the movie's own goto takes it, keeping what scripts made, and the
    // actions of the frame reached run; the play state is unchanged.
    void seek(int n);
    void rewind() { seek(1); }
    // One frame back or forward, stopping the movie.
    void back();
    void forward();

    // Draws the frame shown, scaled into `target` keeping the aspect ratio
    // ("show all"), centred, the rest of `target` in the background colour.
    void draw(QPainter &painter, const QRectF &target, const RenderOptions &options = {}) const;
    // Over a frame draw() drew into `target`: the frame around a button or
    // clip with the keyboard's focus (ScriptRuntime::focusRectangle()), or
    // the selection of the text field with it, and its caret when
    // `caretShown` and it takes typing.
    void drawEditing(QPainter &painter, const QRectF &target, bool caretShown) const;
    // The frame shown at the stage's size in pixels, or scaled down, keeping
    // its shape, to fit maxFramePixels and maxFrameSide when the stage
    // (as the file states it) is larger, with the frame around what the
    // keyboard focused, as the player shows it; a text field's selection
    // and caret are left out.
    QImage renderFrame(const RenderOptions &options = {}) const;
    // The objects of the frame shown, by depth, with the ticks their own
    // timelines have run.
    std::vector<StageObject> stageObjects() const;
    // The main movie's clip, holding what scripts drew on it; null without
    // a movie.
    const StageClip *stageRoot() const { return stage_ ? &stage_->root() : nullptr; }

private:
    void drawFocusFrame(QPainter &painter, const QRectF &target) const;
    void setPlaying(bool playing);
    void followSound();

    std::shared_ptr<const Movie> movie_;
    QString error_;
    std::unique_ptr<ClipStage> stage_;
    std::unique_ptr<StageSounds> sounds_; // plays the stage's movies
    std::unique_ptr<ScriptRuntime> scripts_;
    std::function<void(const QString &)> traceSink_;
    avm1::Limits scriptLimits_;
    double startDate_ = 0;
    QSize viewSize_;
    int soundRate_ = 44100;
    qsizetype soundLatency_ = 0;
    TextClipboard clipboard_;
    QString path_;
    QString folder_; // of the movie's file, for the files its scripts load
    ObjectStore *objectStore_ = nullptr;
};

} // namespace sky::swf
