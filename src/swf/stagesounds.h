#pragma once

#include "avm1/soundhost.h"
#include "moviesound.h"

#include <QString>

#include <map>
#include <memory>

namespace sky::swf {

class ClipStage;
class Movie;
struct StageClip;

// The sounds of every movie on a stage: the main movie's, and those of the
// movies loaded into clips and levels, each through a mixer of its own
// that is made as the movie first sounds and dropped as it is unloaded or
// replaced. The mixers share the clips' transforms; the output hears them
// all. This is also what the Sound objects of scripts reach.
class StageSounds : public avm1::SoundHost {
public:
    // Files the scripts load are looked for in `folder`; `latency` is the
    // output's, in sample frames.
    StageSounds(const Movie &movie, const ClipStage &stage, int outputRate, const QString &folder, qsizetype latency);

    MovieSound &main() { return main_; }
    // The sound of the movie playing as level 0: the main one, or the one
    // loaded in its place. Null when that has none yet.
    MovieSound *root();
    // The sound of the movie whose character `clip` shows; null when it
    // has none yet.
    MovieSound *of(const StageClip &clip);

    // Follows where each movie's timelines now stand (see MovieSound::follow).
    void follow();
    // What the output calls for the next `frames` sample frames, added to
    // `stereo`.
    void mix(float *stereo, qsizetype frames);
    void setLatency(qsizetype frames);

    int soundLibrary(int clip) override;
    quint16 exportedSound(int library, const QString &name) override;
    quint16 loadSoundFile(int library, const QString &url, std::optional<std::vector<audio::Id3Frame>> *id3) override;
    double soundDuration(int library, quint16 id) override;
    quint64 startSound(int library, quint16 id, double offset, int loops, const std::vector<int> &owners) override;
    void stopSounds(int library, int owner, quint16 id) override;
    double soundPosition(quint64 voice) override;
    std::vector<quint64> finishedSounds() override;
    audio::SoundTransform soundTransform(int owner) override;
    void setSoundTransform(int owner, const audio::SoundTransform &transform) override;

private:
    // The sound of the movie held by clip `library` (0: the main movie),
    // made when it has none; null when the clip holds no movie.
    MovieSound *library(int library);
    // Calls `visit` with the main movie's mixer, then each loaded movie's.
    template <typename Visit>
    void eachMixer(Visit visit)
    {
        visit(main_.mixer());
        for (const auto &[holder, loaded] : loaded_)
            visit(loaded.sound->mixer());
    }

    const ClipStage &stage_;
    int rate_;
    QString folder_;
    qsizetype latency_;
    MovieSound main_;
    struct Loaded {
        std::shared_ptr<const Movie> movie;
        std::unique_ptr<MovieSound> sound;
    };
    std::map<int, Loaded> loaded_; // by the handle of the clip that holds the movie
};

} // namespace sky::swf
