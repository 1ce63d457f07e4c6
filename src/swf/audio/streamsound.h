#pragma once

// The stream sound of one timeline: where each frame's block starts, known
// from the blocks' headers and sizes, and its samples decoded and resampled
// a block at a time as the mixer comes to them.

#include "resample.h"
#include "soundtags.h"

#include <memory>
#include <vector>

namespace sky::swf::audio {

// How a clip's sounds reach the speakers, in percent: ll and rl of the
// left input go to the left and right speakers, lr and rr of the right
// input, and the volume scales both.
struct SoundTransform {
    double ll = 100, lr = 0, rr = 100, rl = 0;
    double volume = 100;
};

class StreamSound {
public:
    StreamSound(const TimelineSounds &timeline, double frameRate, int outputRate);
    ~StreamSound();
    StreamSound(StreamSound &&) noexcept;
    StreamSound &operator=(StreamSound &&) noexcept;

    bool isEmpty() const { return blocks_.empty(); }
    // Plays from the start of `frame`'s block; silent when the frame has
    // none or lies past the stream's end.
    void startAt(int frame);
    // Plays from the first block on.
    void restart();
    void silence() { playing_ = false; }
    bool isPlaying() const { return playing_; }

    // The frame whose block is playing, or 0 when silent.
    int frame() const { return playing_ ? frameAt(pos_) : 0; }
    // The frame whose block holds `position`; 0 before the first block.
    int frameAt(qsizetype position) const;
    // Sample frames at the output rate from the stream's start, or -1 when
    // silent.
    qsizetype position() const { return playing_ ? pos_ : -1; }

    // Adds the next `frames` sample frames to `stereo` through `gains` (a
    // transform on a full scale of 1, its volume left out) and moves on.
    void mixInto(float *stereo, qsizetype frames, const SoundTransform &gains);

private:
    struct Block {
        int frame = 0;
        QByteArray data;              // empty for a frame without a block: silence
        qsizetype sourceFrames = 0;   // sample frames it holds
        qsizetype start = 0;          // where it starts at the output rate
    };
    struct Decoding;

    // Decodes on from block `index`, the output then standing at its start.
    void decodeFrom(size_t index);
    // Decodes until the output holds everything up to `until`.
    void decodeUntil(qsizetype until);

    StreamHead head_;
    int sourceRate_ = 0;
    int channels_ = 1;
    int outputRate_ = 0;
    qsizetype latency_ = 0; // MP3 encoder delay at the start, in source samples
    std::vector<Block> blocks_;
    qsizetype end_ = 0; // where the last block ends at the output rate
    std::unique_ptr<Decoding> decoding_;
    bool playing_ = false;
    qsizetype pos_ = 0;
};

} // namespace sky::swf::audio
