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

SoundMixer::SoundMixer(std::shared_ptr<const MovieSounds> sounds, int outputRate, qsizetype budgetFrames)
    : movie_(std::move(sounds))
    , rate_(outputRate)
    , budget_(budgetFrames)
{
    const auto addStream = [this](quint16 timeline, const TimelineSounds &tags) {
        if (budget_ <= 0)
            return;
        StreamSound stream(tags, movie_->frameRate, rate_);
        budget_ -= stream.length();
        if (!stream.isEmpty())
            streams_.emplace(timeline, std::move(stream));
    };
    addStream(mainTimeline, movie_->root);
    for (const auto &[id, sprite] : movie_->sprites)
        addStream(id, sprite);
}

std::shared_ptr<const StereoBuffer> SoundMixer::sound(quint16 id)
{
    if (const auto found = decoded_.find(id); found != decoded_.end())
        return found->second;
    const auto def = movie_->sounds.find(id);
    if (def == movie_->sounds.end() || budget_ <= 0)
        return nullptr;
    auto samples = std::make_shared<const StereoBuffer>(toStereo(decodeSound(def->second), rate_));
    budget_ -= qsizetype(samples->size()) / 2;
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

void SoundMixer::startFrameSounds(int frame, quint16 timeline)
{
    const TimelineSounds *tags = &movie_->root;
    if (timeline != mainTimeline) {
        const auto sprite = movie_->sprites.find(timeline);
        if (sprite == movie_->sprites.end())
            return;
        tags = &sprite->second;
    }
    const auto starts = tags->starts.find(frame);
    if (starts == tags->starts.end())
        return;
    for (const StartSound &start : starts->second)
        startSound(start);
}

void SoundMixer::frameEntered(int frame, quint16 timeline)
{
    startFrameSounds(frame, timeline);
    const auto stream = streams_.find(timeline);
    if (stream != streams_.end() && !stream->second.isPlaying())
        stream->second.startAt(frame);
}

int SoundMixer::frameDue(int shown) const
{
    const int heard = streamFrame(mainTimeline);
    return heard == 0 ? shown + 1 : std::max(shown, heard);
}

void SoundMixer::jumpedTo(int frame, bool playing, quint16 timeline)
{
    startFrameSounds(frame, timeline);
    const auto stream = streams_.find(timeline);
    if (stream == streams_.end())
        return;
    if (playing)
        stream->second.startAt(frame);
    else
        stream->second.silence();
}

void SoundMixer::silenceStream(quint16 timeline)
{
    if (const auto stream = streams_.find(timeline); stream != streams_.end())
        stream->second.silence();
}

void SoundMixer::stopAll()
{
    voices_.clear();
    for (auto &[timeline, stream] : streams_)
        stream.silence();
}

int SoundMixer::streamFrame(quint16 timeline) const
{
    const auto stream = streams_.find(timeline);
    return stream == streams_.end() ? 0 : stream->second.frame();
}

qsizetype SoundMixer::streamPosition(quint16 timeline) const
{
    const auto stream = streams_.find(timeline);
    return stream == streams_.end() ? -1 : stream->second.position();
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
    for (auto &[timeline, stream] : streams_)
        stream.mixInto(stereo, frames);
}

} // namespace sky::swf::audio
