#pragma once

// Mixes the sounds of one movie: its event sounds together with its stream
// sound, at the output's rate. The output pulls samples with mix(); with no
// sound device the caller pulls them at the pace of its own clock, so the
// movie keeps its timing in silence.

#include "resample.h"
#include "soundtags.h"
#include "streamsound.h"

#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace sky::swf::audio {

// No more event sound is decoded once a movie's sounds hold this many
// sample frames (half an hour at 44.1 kHz, some 600 MB); the sound that
// crosses the line is the last one kept. Streams are decoded a block at a
// time as they play and hold little.
inline constexpr qsizetype maxMixedFrames = qsizetype(44100) * 60 * 30;

// What the mixers of one stage share: the transforms of its clips, whose
// handles are the stage's, and the numbering of voices, so that a voice's
// handle names one voice of them all.
struct MixerGroup {
    std::map<int, SoundTransform> transforms;
    quint64 nextHandle = 1;
};

class SoundMixer {
public:
    SoundMixer(std::shared_ptr<const MovieSounds> sounds, int outputRate, qsizetype budgetFrames = maxMixedFrames);

    // Timelines are named by their sprite's character id; the main one is
    // 0 (mainTimeline).
    static constexpr quint16 mainTimeline = 0;

    int outputRate() const { return rate_; }
    bool hasStream(quint16 timeline = mainTimeline) const { return streams_.contains(timeline); }

    // The timeline played on to `frame` (from 1), or passed over it: its
    // event sounds start, and its stream starts there when none plays.
    // `owners` are the clip that shows the timeline and the clips it lies
    // in, innermost first: their transforms apply to its sounds.
    void frameEntered(int frame, quint16 timeline = mainTimeline, const std::vector<int> &owners = {});
    // The frame to show after `shown` on this tick of the drawing clock:
    // the next one, or as far on as the stream's sound has got when drawing
    // fell behind, or `shown` again while the sound is still a frame behind
    // it. Only the main timeline's stream leads the drawing. The sound is
    // where the output has got, the samples it holds not yet heard.
    int frameDue(int shown) const;
    // Sample frames the output has taken but not yet played.
    void setOutputLatency(qsizetype frames) { latency_ = std::max<qsizetype>(0, frames); }
    // The timeline jumped to `frame` (a go-to, a step back or forward):
    // its event sounds start and the stream starts again there when the
    // movie plays on, or falls silent when it stays put.
    void jumpedTo(int frame, bool playing, quint16 timeline = mainTimeline, const std::vector<int> &owners = {});
    // The timeline's stream plays again from its first block, wherever the
    // timeline stands.
    void restartStream(quint16 timeline);
    // Paused, stopped, rewound or playing backwards: the stream falls
    // silent; event sounds play out.
    void silenceStream(quint16 timeline = mainTimeline);
    // Every sound stops at once.
    void stopAll();

    // Starts or stops one event sound as a StartSound tag of the timeline
    // of `owners` asks.
    void startSound(const StartSound &start, const std::vector<int> &owners = {});

    // A button of the movie changed state: the sound it has for the change
    // starts, under the transforms of `owners` (the button and the clips
    // it lies in).
    void buttonChanged(quint16 button, ButtonTransition transition, const std::vector<int> &owners = {});

    // Sounds that scripts start: `offset` sample frames into the sound, as
    // many times as `loops`, for the first clip of `owners`; the clips it
    // lies in follow, outermost last, and the volume of each applies.
    // Returns the voice's handle, 0 when the sound cannot be played.
    quint64 playSound(quint16 id, qsizetype offset, int loops, const std::vector<int> &owners);
    // Stops the sounds of `owner` (all sounds for 0), only those of sound
    // `id` when one is given.
    void stopSounds(int owner, std::optional<quint16> id = {});
    // Sample frames of the sound at the output rate, -1 when it has none.
    qsizetype soundLength(quint16 id);
    // Adds a sound from outside the movie (a file its script loads) under
    // an id the movie does not use; 0 when every id is taken.
    quint16 addSound(SoundDefinition sound);
    // A sound of the movie or one added; null when there is none.
    const SoundDefinition *definition(quint16 id) const;
    // Where a voice is in its sound, in sample frames at the output rate;
    // -1 once it has stopped.
    qsizetype voicePosition(quint64 handle) const;
    // The voices started with playSound() that have played to their end
    // since the last call, in the order they ended.
    std::vector<quint64> takeFinished();

    // The transform of a clip's sounds; 0 names the one over every sound.
    void setTransform(int owner, const SoundTransform &transform) { group_->transforms[owner] = transform; }
    SoundTransform transform(int owner) const;

    // Adds the next `frames` sample frames of the mix to `stereo`
    // (interleaved left and right, full scale 1) and moves on.
    void mix(float *stereo, qsizetype frames);

    // The frame whose stream block is playing, or 0 with no stream playing.
    int streamFrame(quint16 timeline = mainTimeline) const;
    // Sample frames from the stream's start, or -1 with no stream playing.
    qsizetype streamPosition(quint16 timeline = mainTimeline) const;
    int activeSounds() const { return int(voices_.size()); }
    // Plays beside `other` from now on, in its group.
    void joinGroupOf(const SoundMixer &other) { group_ = other.group_; }

private:
    struct Voice {
        quint16 id = 0;
        quint64 handle = 0; // playSound()'s, or 0
        std::vector<int> owners; // its clip, then the clips that clip lies in
        std::shared_ptr<const StereoBuffer> samples;
        qsizetype begin = 0, end = 0; // sample frames of one loop
        qsizetype pos = 0;            // within [begin, end)
        int loopsLeft = 1;
        qsizetype played = 0; // sample frames since the start, for the envelope
        std::vector<EnvelopePoint> envelope; // positions at the output rate
    };

    std::shared_ptr<const StereoBuffer> sound(quint16 id);
    void startFrameSounds(int frame, quint16 timeline, const std::vector<int> &owners);
    qsizetype toOutput(quint32 position44) const;
    bool startVoice(Voice v, const SoundInfo &info);
    SoundTransform gainsOf(const std::vector<int> &owners) const;
    void mixVoice(Voice &v, float *stereo, qsizetype frames) const;

    std::shared_ptr<const MovieSounds> movie_;
    int rate_;
    qsizetype budget_; // sample frames that may still be decoded
    std::map<quint16, std::shared_ptr<const StereoBuffer>> decoded_;
    std::map<quint16, SoundDefinition> added_;
    std::vector<Voice> voices_;
    std::shared_ptr<MixerGroup> group_ = std::make_shared<MixerGroup>();
    std::vector<quint64> finished_;
    std::map<quint16, StreamSound> streams_; // the timelines that have one
    std::map<quint16, std::vector<int>> streamOwners_; // whose clip's stream plays
    qsizetype latency_ = 0;
};

} // namespace sky::swf::audio
