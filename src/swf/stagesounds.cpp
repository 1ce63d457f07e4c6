#include "stagesounds.h"

#include "clipstage.h"

namespace sky::swf {

namespace {

// The sprites inside `parent` at the frames they show, each with the clips
// it lies in; `owners` holds `parent` and those it lies in, innermost first.
void collectSprites(const StageClip &parent, std::vector<int> &owners, std::vector<MovieSound::SpriteFrame> &out)
{
    for (const auto &[depth, clip] : parent.children) {
        // A movie loaded into a clip has sounds of its own.
        if (!clip->timeline || clip->placement.characterId == 0 || clip->loaded)
            continue;
        owners.insert(owners.begin(), clip->handle);
        out.push_back({clip->handle, clip->placement.characterId, clip->frame, owners});
        collectSprites(*clip, owners, out);
        owners.erase(owners.begin());
    }
}

// Where the timelines of the movie `holder` shows stand now.
void followMovie(MovieSound &sound, const StageClip &holder)
{
    std::vector<MovieSound::SpriteFrame> sprites;
    if (sound.spritesHaveSound()) {
        std::vector<int> owners;
        for (const StageClip *c = &holder; c; c = c->parent)
            owners.push_back(c->handle);
        collectSprites(holder, owners, sprites);
    }
    sound.follow(holder.frame, holder.playing, holder.handle, sprites);
}

} // namespace

StageSounds::StageSounds(const Movie &movie, const ClipStage &stage, int outputRate, const QString &folder,
                         qsizetype latency)
    : stage_(stage)
    , rate_(outputRate)
    , folder_(folder)
    , latency_(latency)
    , main_(movie, outputRate, folder)
{
    main_.mixer().setOutputLatency(latency);
}

MovieSound *StageSounds::library(int library)
{
    if (library == 0)
        return &main_;
    const StageClip *holder = stage_.find(library);
    if (!holder || !holder->loaded)
        return nullptr;
    auto found = loaded_.find(library);
    if (found == loaded_.end() || found->second.movie != holder->loaded) {
        auto sound = std::make_unique<MovieSound>(*holder->loaded, rate_, folder_);
        sound->mixer().joinGroupOf(main_.mixer());
        sound->mixer().setOutputLatency(latency_);
        found = loaded_.insert_or_assign(library, Loaded{holder->loaded, std::move(sound)}).first;
    }
    return found->second.sound.get();
}

MovieSound *StageSounds::root() { return library(soundLibrary(stage_.root().handle)); }

MovieSound *StageSounds::of(const StageClip &clip)
{
    // A clip holding a loaded movie was placed by the movie around it.
    return library(soundLibrary(clip.parent ? clip.parent->handle : clip.handle));
}

void StageSounds::follow()
{
    const StageClip &root = stage_.root();
    if (root.loaded)
        main_.mixer().stopAll(); // the main movie was replaced: its sounds are over
    else
        followMovie(main_, root);
    std::map<int, Loaded> following;
    for (const StageClip *holder : stage_.movieHolders()) {
        followMovie(*library(holder->handle), *holder);
        following.insert(loaded_.extract(holder->handle));
    }
    // The movies unloaded or replaced since take their sounds with them.
    loaded_ = std::move(following);
}

void StageSounds::mix(float *stereo, qsizetype frames)
{
    eachMixer([&](audio::SoundMixer &mixer) { mixer.mix(stereo, frames); });
}

void StageSounds::setLatency(qsizetype frames)
{
    latency_ = frames;
    eachMixer([frames](audio::SoundMixer &mixer) { mixer.setOutputLatency(frames); });
}

int StageSounds::soundLibrary(int clip)
{
    for (const StageClip *c = stage_.find(clip); c; c = c->parent)
        if (c->loaded)
            return c->handle;
    return 0;
}

quint16 StageSounds::exportedSound(int library, const QString &name)
{
    MovieSound *sound = this->library(library);
    return sound ? sound->scripts().exportedSound(name) : 0;
}

quint16 StageSounds::loadSoundFile(int library, const QString &url, std::optional<std::vector<audio::Id3Frame>> *id3)
{
    MovieSound *sound = this->library(library);
    return sound ? sound->scripts().loadSoundFile(url, id3) : 0;
}

double StageSounds::soundDuration(int library, quint16 id)
{
    MovieSound *sound = this->library(library);
    return sound ? sound->scripts().soundDuration(id) : -1;
}

quint64 StageSounds::startSound(int library, quint16 id, double offset, int loops, const std::vector<int> &owners)
{
    MovieSound *sound = this->library(library);
    return sound ? sound->scripts().startSound(id, offset, loops, owners) : 0;
}

void StageSounds::stopSounds(int library, int owner, quint16 id)
{
    if (id != 0) {
        if (MovieSound *sound = this->library(library))
            sound->mixer().stopSounds(owner, id);
        return;
    }
    eachMixer([owner](audio::SoundMixer &mixer) { mixer.stopSounds(owner); });
}

double StageSounds::soundPosition(quint64 voice)
{
    double at = main_.scripts().soundPosition(voice);
    for (auto it = loaded_.begin(); at < 0 && it != loaded_.end(); ++it)
        at = it->second.sound->scripts().soundPosition(voice);
    return at;
}

std::vector<quint64> StageSounds::finishedSounds()
{
    std::vector<quint64> finished;
    eachMixer([&finished](audio::SoundMixer &mixer) {
        const std::vector<quint64> more = mixer.takeFinished();
        finished.insert(finished.end(), more.begin(), more.end());
    });
    return finished;
}

audio::SoundTransform StageSounds::soundTransform(int owner) { return main_.mixer().transform(owner); }

void StageSounds::setSoundTransform(int owner, const audio::SoundTransform &transform)
{
    main_.mixer().setTransform(owner, transform);
}

} // namespace sky::swf
