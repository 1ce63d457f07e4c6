#include "moviesound.h"

#include "movie.h"

namespace sky::swf {

MovieSound::MovieSound(const Movie &movie, int outputRate, const QString &folder)
    : mixer_(movie.sounds(), outputRate)
    , scripts_(*movie.sounds(), mixer_, folder)
    , mainFrames_(movie.timeline().frameCount())
{
}

bool MovieSound::spritesHaveSound() const { return !scripts_.movieSounds().sprites.empty(); }

void MovieSound::follow(int mainFrame, bool playing, int root, const std::vector<SpriteFrame> &sprites)
{
    const bool looped = playing && mainFrame == 1 && mainFrame_ == mainFrames_ && mainFrames_ > 1;
    if (mainFrame != mainFrame_) {
        if (mainFrame == mainFrame_ + 1 && playing)
            mixer_.frameEntered(mainFrame, audio::SoundMixer::mainTimeline, {root});
        else
            mixer_.jumpedTo(mainFrame, playing, audio::SoundMixer::mainTimeline, {root});
        mainFrame_ = mainFrame;
    }
    if (!playing)
        mixer_.silenceStream();
    std::map<int, SpriteFrame> seen;
    for (const SpriteFrame &s : sprites) {
        if (looped)
            mixer_.restartStream(s.sprite);
        const auto before = sprites_.find(s.instance);
        if (before == sprites_.end() || before->second.sprite != s.sprite || before->second.frame != s.frame)
            mixer_.frameEntered(s.frame, s.sprite, s.owners);
        seen[s.instance] = s;
    }
    for (const auto &[instance, was] : sprites_)
        if (!seen.contains(instance))
            mixer_.silenceStream(was.sprite);
    sprites_ = std::move(seen);
}

} // namespace sky::swf
