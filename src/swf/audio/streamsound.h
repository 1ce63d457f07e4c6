#pragma once

// The stream sound of one timeline, decoded whole and resampled, with the
// place each frame's block starts.

#include "resample.h"
#include "soundtags.h"

#include <map>

namespace sky::swf::audio {

class StreamSound {
public:
    StreamSound(const TimelineSounds &timeline, double frameRate, int outputRate);

    bool isEmpty() const { return starts_.empty(); }
    qsizetype length() const { return qsizetype(samples_.size()) / 2; } // sample frames
    // Plays from the start of `frame`'s block; silent when the frame has
    // none or lies past the stream's end.
    void startAt(int frame);
    // Plays from the first block on.
    void restart() { startAt(starts_.empty() ? 0 : starts_.begin()->first); }
    void silence() { playing_ = false; }
    bool isPlaying() const { return playing_; }

    // The frame whose block is playing, or 0 when silent.
    int frame() const;
    // Sample frames from the stream's start, or -1 when silent.
    qsizetype position() const { return playing_ ? pos_ : -1; }

    // Adds the next `frames` sample frames to `stereo` and moves on.
    void mixInto(float *stereo, qsizetype frames);

private:
    StereoBuffer samples_;
    std::map<int, qsizetype> starts_; // the sample frame each block starts at
    bool playing_ = false;
    qsizetype pos_ = 0;
};

} // namespace sky::swf::audio
