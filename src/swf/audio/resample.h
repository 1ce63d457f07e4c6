#pragma once

#include "sounddecoder.h"

#include <vector>

namespace sky::swf::audio {

// Interleaved stereo samples at the mixer's rate, on a full scale of 1.
using StereoBuffer = std::vector<float>;

// Converts decoded samples to stereo at `rate` through libswresample; a
// mono sound goes to both sides at full level. Equal rates pass through
// sample for sample.
StereoBuffer toStereo(const Pcm &pcm, int rate);

} // namespace sky::swf::audio
