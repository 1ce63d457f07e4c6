#include "soundmixer.h"

#include "sounddecoder.h"

#include <algorithm>
#include <cmath>
#include <utility>

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
        StreamSound stream(tags, movie_->frameRate, rate_);
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
    const SoundDefinition *def = definition(id);
    if (!def || budget_ <= 0)
        return nullptr;
    auto samples = std::make_shared<const StereoBuffer>(toStereo(decodeSound(*def), rate_));
    budget_ -= qsizetype(samples->size()) / 2;
    decoded_.emplace(id, samples);
    return samples;
}

qsizetype SoundMixer::toOutput(quint32 position44) const
{
    return qsizetype(std::llround(double(position44) * rate_ / 44100.0));
}

bool SoundMixer::startVoice(Voice v, const SoundInfo &info)
{
    v.samples = sound(v.id);
    if (!v.samples || v.samples->empty())
        return false;
    const qsizetype length = qsizetype(v.samples->size()) / 2;
    v.begin = std::min(length, info.inPoint ? toOutput(*info.inPoint) : 0);
    v.end = std::clamp(info.outPoint ? toOutput(*info.outPoint) : length, v.begin, length);
    if (v.begin == v.end)
        return false;
    v.pos = v.begin;
    v.loopsLeft = std::max(1, info.loops);
    v.envelope = info.envelope;
    for (EnvelopePoint &p : v.envelope)
        p.position44 = quint32(std::min<qsizetype>(toOutput(p.position44), 0xffffffffLL));
    voices_.push_back(std::move(v));
    return true;
}

void SoundMixer::startSound(const StartSound &start, const std::vector<int> &owners)
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
    v.owners = owners;
    startVoice(std::move(v), start.info);
}

void SoundMixer::buttonChanged(quint16 button, ButtonTransition transition, const std::vector<int> &owners)
{
    const auto sounds = movie_->buttons.find(button);
    if (sounds == movie_->buttons.end())
        return;
    if (const std::optional<StartSound> &start = sounds->second[size_t(transition)])
        startSound(*start, owners);
}

quint64 SoundMixer::playSound(quint16 id, qsizetype offset, int loops, const std::vector<int> &owners)
{
    const qsizetype length = soundLength(id);
    if (length <= 0 || offset >= length)
        return 0;
    SoundInfo info;
    info.loops = loops;
    // Each loop starts again from the offset.
    info.inPoint = quint32(std::min<qsizetype>(std::llround(double(std::max<qsizetype>(0, offset)) * 44100 / rate_),
                                               0xffffffffLL));
    Voice v;
    v.id = id;
    v.owners = owners;
    v.handle = group_->nextHandle;
    if (!startVoice(std::move(v), info))
        return 0;
    // Exactly the offset asked for, whatever the 44.1 kHz in point rounds to.
    voices_.back().begin = voices_.back().pos = std::max<qsizetype>(0, offset);
    return group_->nextHandle++;
}

void SoundMixer::stopSounds(int owner, std::optional<quint16> id)
{
    std::erase_if(voices_, [&](const Voice &v) {
        return (owner == 0 || (!v.owners.empty() && v.owners.front() == owner)) && (!id || v.id == *id);
    });
}

qsizetype SoundMixer::soundLength(quint16 id)
{
    const auto samples = sound(id);
    return samples ? qsizetype(samples->size()) / 2 : -1;
}

quint16 SoundMixer::addSound(SoundDefinition sound)
{
    for (quint16 id = 0xffff; id > 0; --id)
        if (!definition(id)) {
            added_.emplace(id, std::move(sound));
            return id;
        }
    return 0;
}

const SoundDefinition *SoundMixer::definition(quint16 id) const
{
    if (const auto found = movie_->sounds.find(id); found != movie_->sounds.end())
        return &found->second;
    const auto added = added_.find(id);
    return added == added_.end() ? nullptr : &added->second;
}

qsizetype SoundMixer::voicePosition(quint64 handle) const
{
    for (const Voice &v : voices_)
        if (v.handle == handle && handle != 0)
            return v.pos;
    return -1;
}

std::vector<quint64> SoundMixer::takeFinished() { return std::exchange(finished_, {}); }

void SoundMixer::startFrameSounds(int frame, quint16 timeline, const std::vector<int> &owners)
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
        startSound(start, owners);
}

void SoundMixer::frameEntered(int frame, quint16 timeline, const std::vector<int> &owners)
{
    startFrameSounds(frame, timeline, owners);
    const auto stream = streams_.find(timeline);
    if (stream != streams_.end() && !stream->second.isPlaying()) {
        stream->second.startAt(frame);
        streamOwners_[timeline] = owners;
    }
}

int SoundMixer::frameDue(int shown) const
{
    const auto stream = streams_.find(mainTimeline);
    if (stream == streams_.end() || !stream->second.isPlaying())
        return shown + 1;
    const int heard = stream->second.frameAt(stream->second.position() - latency_);
    return heard < shown ? shown : std::max(shown + 1, heard);
}

void SoundMixer::jumpedTo(int frame, bool playing, quint16 timeline, const std::vector<int> &owners)
{
    startFrameSounds(frame, timeline, owners);
    const auto stream = streams_.find(timeline);
    if (stream == streams_.end())
        return;
    if (playing) {
        stream->second.startAt(frame);
        streamOwners_[timeline] = owners;
    } else
        stream->second.silence();
}

void SoundMixer::restartStream(quint16 timeline)
{
    if (const auto stream = streams_.find(timeline); stream != streams_.end())
        stream->second.restart();
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

SoundTransform SoundMixer::transform(int owner) const
{
    const auto found = group_->transforms.find(owner);
    return found == group_->transforms.end() ? SoundTransform() : found->second;
}

SoundTransform SoundMixer::gainsOf(const std::vector<int> &owners) const
{
    // Gains on a full scale of 1, the volume folded in. Scripts may set
    // any number; the sound takes them between silence and full.
    const auto scaled = [this](int owner) {
        const SoundTransform t = transform(owner);
        const auto part = [](double percent) { return std::clamp(percent, 0.0, 100.0) / 100.0; };
        const double v = part(t.volume);
        return SoundTransform{part(t.ll) * v, part(t.lr) * v, part(t.rr) * v, part(t.rl) * v, 1};
    };
    // Each clip's transform applies after those of the clips inside it,
    // the one over every sound last.
    const auto after = [](const SoundTransform &outer, const SoundTransform &inner) {
        return SoundTransform{outer.ll * inner.ll + outer.lr * inner.rl, outer.ll * inner.lr + outer.lr * inner.rr,
                              outer.rl * inner.lr + outer.rr * inner.rr, outer.rl * inner.ll + outer.rr * inner.rl, 1};
    };
    SoundTransform gains{1, 0, 1, 0, 1};
    for (const int owner : owners)
        gains = after(scaled(owner), gains);
    return after(scaled(0), gains);
}

void SoundMixer::mixVoice(Voice &v, float *stereo, qsizetype frames) const
{
    const SoundTransform g = gainsOf(v.owners);
    const float *data = v.samples->data();
    for (qsizetype i = 0; i < frames && v.loopsLeft > 0; ++i, ++v.played) {
        const double left = data[2 * v.pos] * envelopeLevel(v.envelope, v.played, true);
        const double right = data[2 * v.pos + 1] * envelopeLevel(v.envelope, v.played, false);
        stereo[2 * i] += float(g.ll * left + g.lr * right);
        stereo[2 * i + 1] += float(g.rl * left + g.rr * right);
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
    for (const Voice &v : voices_)
        if (v.loopsLeft <= 0 && v.handle != 0)
            finished_.push_back(v.handle);
    std::erase_if(voices_, [](const Voice &v) { return v.loopsLeft <= 0; });
    for (auto &[timeline, stream] : streams_)
        if (stream.isPlaying())
            stream.mixInto(stereo, frames, gainsOf(streamOwners_[timeline]));
}

} // namespace sky::swf::audio
