#pragma once

#include "sounddecoder.h"

#include <vector>

struct SwrContext;

namespace sky::swf::audio {

// Interleaved stereo samples at the mixer's rate, on a full scale of 1.
using StereoBuffer = std::vector<float>;

// Converts 16-bit samples of one rate to float samples of another through
// libswresample, a piece at a time, keeping the channels as they are.
// Equal rates pass through sample for sample. Output sample n stands for
// the time of input sample n × inRate / outRate.
class Resampler {
public:
    Resampler(int channels, int inRate, int outRate);
    ~Resampler();
    Resampler(const Resampler &) = delete;
    Resampler &operator=(const Resampler &) = delete;

    // Appends what `frames` sample frames of `in` give to `out`; some are
    // held back until more input comes.
    void push(const qint16 *in, qsizetype frames, std::vector<float> &out);
    // Appends what is held back, the input having ended.
    void finish(std::vector<float> &out);

private:
    int channels_;
    bool same_;
    SwrContext *swr_ = nullptr;
};

// Converts decoded samples to stereo at `rate`; a mono sound goes to both
// sides at full level.
StereoBuffer toStereo(const Pcm &pcm, int rate);

} // namespace sky::swf::audio
