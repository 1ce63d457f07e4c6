#pragma once

#include "audio/soundmixer.h"
#include "scriptsounds.h"

#include <QString>

#include <map>
#include <memory>
#include <vector>

namespace sky::swf {

class Movie;

// The sound of a playing movie: its mixer, what its scripts reach of it,
// and the frames its timelines were last seen at, so that each frame
// reached starts its sounds once.
class MovieSound {
public:
    // Files the scripts load are looked for in `folder`.
    MovieSound(const Movie &movie, int outputRate, const QString &folder);

    audio::SoundMixer &mixer() { return mixer_; }
    ScriptSounds &scripts() { return scripts_; }

    // A sprite on the stage and the frame it shows; `instance` tells two
    // of the same sprite apart. Its sounds take the transforms of `owners`:
    // the instance, then the clips it lies in.
    struct SpriteFrame {
        int instance = 0;
        quint16 sprite = 0;
        int frame = 0;
        std::vector<int> owners;
    };
    // Where the timelines are now; the main one is shown by clip `root`. The main timeline played on into the
    // next frame keeps its stream going; any other move starts it again
    // there, or silences it when the movie stands still. When the main
    // timeline plays on from its last frame to its first, the streams of
    // the sprites on the stage start again from their beginning, wherever
    // those sprites stand. A sprite that left the stage takes its stream
    // with it.
    void follow(int mainFrame, bool playing, int root, const std::vector<SpriteFrame> &sprites);
    // Whether any sprite of the movie has sounds of its own.
    bool spritesHaveSound() const;

private:
    audio::SoundMixer mixer_;
    ScriptSounds scripts_;
    int mainFrames_ = 0;
    int mainFrame_ = 0;
    std::map<int, SpriteFrame> sprites_; // by instance
};

} // namespace sky::swf
