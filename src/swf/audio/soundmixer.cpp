#include "soundmixer.h"

#include "sounddecoder.h"

#include <algorithm>
#include <cmath>

namespace sky::swf::audio {

namespace {

constexpr double envelopeFull = 32768.0;

// The level of one side at `at` samples: straight lines between the points,
// level with the first point before it and with the last one after it.
double envelopeLevel(const std::vector<EnvelopePoint> &points, qsizetype at, bool left)
{
    const auto level = [left](const EnvelopePoint &p) { return (left ? p.left : p.right) / envelopeFull; };
    if (points.empty())
        return 1.0;
    if (at <= qsizetype(points.front().position44))
        return level(points.front());
    for (size_t i = 1; i < points.size(); ++i) {
        const EnvelopePoint &a = points[i - 1], &b = points[i];
        if (at < qsizetype(b.position44)) {
            const double t = double(at - qsizetype(a.position44)) / double(b.position44 - a.position44);
            return level(a) + (level(b) - level(a)) * t;
        }
    }
    return level(points.back());
}

} // namespace

SoundMixer::SoundMixer(std::shared_ptr<const MovieSounds> sounds, int outputRate)
    : movie_(std::move(sounds))
    , rate_(outputRate)
{
    if (!movie_->streamHead || movie_->streamBlocks.empty())
        return;
    // The whole stream, decoded once; a frame without a block between
    // blocks holds a frame's time of silence.
    const StreamHead &head = *movie_->streamHead;
    StreamDecoder decoder(head);
    Pcm pcm;
    const int first = movie_->streamBlocks.begin()->first;
    const int last = movie_->streamBlocks.rbegin()->first;
    const qsizetype silentFrame = qsizetype(std::lround(head.stream.rate / movie_->frameRate));
    std::map<int, qsizetype> sourceStart;
    for (int frame = first; frame <= last && pcm.frames() < maxSoundFrames; ++frame) {
        sourceStart[frame] = pcm.frames();
        const auto block = movie_->streamBlocks.find(frame);
        if (block != movie_->streamBlocks.end())
            decoder.decodeBlock(block->second, pcm);
        else
            pcm.samples.resize(pcm.samples.size() + size_t(silentFrame * pcm.channels));
    }
    sourceStart[last + 1] = pcm.frames();
    stream_ = toStereo(pcm, rate_);
    for (const auto &[frame, at] : sourceStart)
        streamStart_[frame] = qsizetype(std::llround(double(at) * rate_ / std::max(pcm.rate, 1)));
}

std::shared_ptr<const StereoBuffer> SoundMixer::sound(quint16 id)
{
    if (const auto found = decoded_.find(id); found != decoded_.end())
        return found->second;
    const auto def = movie_->sounds.find(id);
    if (def == movie_->sounds.end())
        return nullptr;
    auto samples = std::make_shared<const StereoBuffer>(toStereo(decodeSound(def->second), rate_));
    decoded_.emplace(id, samples);
    return samples;
}

qsizetype SoundMixer::toOutput(quint32 position44) const
{
    return qsizetype(std::llround(double(position44) * rate_ / 44100.0));
}

void SoundMixer::startSound(const StartSound &start)
{
    const quint16 id = start.soundId;
    const auto playing = [id](const Voice &v) { return v.id == id; };
    if (start.info.stop) {
        std::erase_if(voices_, playing);
        return;
    }
    if (start.info.noMultiple && std::any_of(voices_.begin(), voices_.end(), playing))
        return;
    Voice v;
    v.id = id;
    v.samples = sound(id);
    if (!v.samples || v.samples->empty())
        return;
    const qsizetype length = qsizetype(v.samples->size()) / 2;
    v.begin = std::min(length, start.info.inPoint ? toOutput(*start.info.inPoint) : 0);
    v.end = std::clamp(start.info.outPoint ? toOutput(*start.info.outPoint) : length, v.begin, length);
    if (v.begin == v.end)
        return;
    v.pos = v.begin;
    v.loopsLeft = std::max(1, start.info.loops);
    v.envelope = start.info.envelope;
    for (EnvelopePoint &p : v.envelope)
        p.position44 = quint32(std::min<qsizetype>(toOutput(p.position44), 0xffffffffLL));
    voices_.push_back(std::move(v));
}

void SoundMixer::startFrameSounds(int frame)
{
    const auto starts = movie_->starts.find(frame);
    if (starts == movie_->starts.end())
        return;
    for (const StartSound &start : starts->second)
        startSound(start);
}

void SoundMixer::startStreamAt(int frame)
{
    const auto at = streamStart_.find(frame);
    streamPlaying_ = at != streamStart_.end() && std::next(at) != streamStart_.end();
    streamPos_ = streamPlaying_ ? at->second : 0;
}

void SoundMixer::frameEntered(int frame)
{
    startFrameSounds(frame);
    if (!streamPlaying_)
        startStreamAt(frame);
}

int SoundMixer::frameDue(int shown) const
{
    const int heard = streamFrame();
    return heard == 0 ? shown + 1 : std::max(shown, heard);
}

void SoundMixer::jumpedTo(int frame, bool playing)
{
    startFrameSounds(frame);
    if (playing)
        startStreamAt(frame);
    else
        silenceStream();
}

void SoundMixer::silenceStream()
{
    streamPlaying_ = false;
}

void SoundMixer::stopAll()
{
    voices_.clear();
    streamPlaying_ = false;
}

int SoundMixer::streamFrame() const
{
    if (!streamPlaying_)
        return 0;
    // The last frame whose block starts at or before the position.
    const auto after = std::find_if(streamStart_.begin(), streamStart_.end(),
                                    [this](const auto &entry) { return entry.second > streamPos_; });
    return after == streamStart_.begin() ? 0 : std::prev(after)->first;
}

void SoundMixer::mixVoice(Voice &v, float *stereo, qsizetype frames) const
{
    const float *data = v.samples->data();
    for (qsizetype i = 0; i < frames && v.loopsLeft > 0; ++i, ++v.played) {
        const double left = envelopeLevel(v.envelope, v.played, true);
        const double right = envelopeLevel(v.envelope, v.played, false);
        stereo[2 * i] += float(data[2 * v.pos] * left);
        stereo[2 * i + 1] += float(data[2 * v.pos + 1] * right);
        if (++v.pos == v.end) {
            v.pos = v.begin;
            --v.loopsLeft;
        }
    }
}

void SoundMixer::mix(float *stereo, qsizetype frames)
{
    for (Voice &v : voices_)
        mixVoice(v, stereo, frames);
    std::erase_if(voices_, [](const Voice &v) { return v.loopsLeft <= 0; });
    if (!streamPlaying_)
        return;
    const qsizetype end = std::min(streamStart_.rbegin()->second, qsizetype(stream_.size()) / 2);
    const qsizetype n = std::min(frames, end - streamPos_);
    for (qsizetype i = 0; i < n * 2; ++i)
        stereo[i] += stream_[size_t(streamPos_ * 2 + i)];
    streamPos_ += frames;
    if (streamPos_ >= end)
        streamPlaying_ = false;
}

} // namespace sky::swf::audio
