#include "streamsound.h"

#include "sounddecoder.h"

#include <algorithm>
#include <cmath>

namespace sky::swf::audio {

StreamSound::StreamSound(const TimelineSounds &timeline, double frameRate, int outputRate)
{
    if (!timeline.streamHead || timeline.streamBlocks.empty())
        return;
    // A frame without a block between blocks holds a frame's time of
    // silence.
    const StreamHead &head = *timeline.streamHead;
    StreamDecoder decoder(head);
    Pcm pcm;
    const int first = timeline.streamBlocks.begin()->first;
    const int last = timeline.streamBlocks.rbegin()->first;
    const qsizetype silentFrame = qsizetype(std::lround(head.stream.rate / frameRate));
    std::map<int, qsizetype> sourceStart;
    for (int frame = first; frame <= last && pcm.frames() < maxSoundFrames; ++frame) {
        sourceStart[frame] = pcm.frames();
        const auto block = timeline.streamBlocks.find(frame);
        if (block != timeline.streamBlocks.end())
            decoder.decodeBlock(block->second, pcm);
        else
            pcm.samples.resize(pcm.samples.size() + size_t(silentFrame * pcm.channels));
    }
    sourceStart[last + 1] = pcm.frames();
    // An MP3 stream starts with the encoder's delay, which the head tells.
    const qsizetype latency = std::clamp<qsizetype>(head.stream.codec == SoundCodec::Mp3 ? head.latencySeek : 0, 0,
                                                    pcm.frames());
    pcm.samples.erase(pcm.samples.begin(), pcm.samples.begin() + latency * pcm.channels);
    for (auto &[frame, at] : sourceStart)
        at = std::max<qsizetype>(0, at - latency);
    samples_ = toStereo(pcm, outputRate);
    const qsizetype length = qsizetype(samples_.size()) / 2;
    for (const auto &[frame, at] : sourceStart)
        starts_[frame] = std::min(length, qsizetype(std::llround(double(at) * outputRate / std::max(pcm.rate, 1))));
}

void StreamSound::startAt(int frame)
{
    const auto at = starts_.find(frame);
    playing_ = at != starts_.end() && std::next(at) != starts_.end();
    pos_ = playing_ ? at->second : 0;
}

int StreamSound::frame() const
{
    if (!playing_)
        return 0;
    // The last frame whose block starts at or before the position.
    const auto after = std::find_if(starts_.begin(), starts_.end(),
                                    [this](const auto &entry) { return entry.second > pos_; });
    return after == starts_.begin() ? 0 : std::prev(after)->first;
}

void StreamSound::mixInto(float *stereo, qsizetype frames)
{
    if (!playing_)
        return;
    const qsizetype end = starts_.rbegin()->second;
    const qsizetype n = std::clamp<qsizetype>(end - pos_, 0, frames);
    for (qsizetype i = 0; i < n * 2; ++i)
        stereo[i] += samples_[size_t(pos_ * 2 + i)];
    pos_ += frames;
    if (pos_ >= end)
        playing_ = false;
}

} // namespace sky::swf::audio
