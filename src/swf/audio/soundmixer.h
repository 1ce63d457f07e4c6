#pragma once

// Mixes the sounds of one movie: its event sounds together with its stream
// sound, at the output's rate. The output pulls samples with mix(); with no
// sound device the caller pulls them at the pace of its own clock, so the
// movie keeps its timing in silence.

#include "resample.h"
#include "soundtags.h"

#include <map>
#include <memory>
#include <vector>

namespace sky::swf::audio {

class SoundMixer {
public:
    SoundMixer(std::shared_ptr<const MovieSounds> sounds, int outputRate);

    int outputRate() const { return rate_; }
    bool hasStream() const { return !streamStart_.empty(); }

    // The timeline played on to `frame` (from 1), or passed over it: its
    // event sounds start, and the stream starts there when none plays.
    void frameEntered(int frame);
    // The frame to show after `shown` on this tick of the drawing clock:
    // the next one, or as far on as the stream's sound has got when drawing
    // fell behind, or `shown` again while the sound has not yet reached the
    // next frame.
    int frameDue(int shown) const;
    // The timeline jumped to `frame` (a go-to, a step back or forward):
    // its event sounds start and the stream starts again there when the
    // movie plays on, or falls silent when it stays put.
    void jumpedTo(int frame, bool playing);
    // Paused, stopped, rewound or playing backwards: the stream falls
    // silent; event sounds play out.
    void silenceStream();
    // Every sound stops at once.
    void stopAll();

    // Starts or stops one event sound as a StartSound tag asks.
    void startSound(const StartSound &start);

    // Adds the next `frames` sample frames of the mix to `stereo`
    // (interleaved left and right, full scale 1) and moves on.
    void mix(float *stereo, qsizetype frames);

    // The frame whose stream block is playing, or 0 with no stream playing.
    int streamFrame() const;
    qsizetype streamPosition() const { return streamPlaying_ ? streamPos_ : -1; }
    int activeSounds() const { return int(voices_.size()); }

private:
    struct Voice {
        quint16 id = 0;
        std::shared_ptr<const StereoBuffer> samples;
        qsizetype begin = 0, end = 0; // sample frames of one loop
        qsizetype pos = 0;            // within [begin, end)
        int loopsLeft = 1;
        qsizetype played = 0; // sample frames since the start, for the envelope
        std::vector<EnvelopePoint> envelope; // positions at the output rate
    };

    std::shared_ptr<const StereoBuffer> sound(quint16 id);
    void startFrameSounds(int frame);
    void startStreamAt(int frame);
    qsizetype toOutput(quint32 position44) const;
    void mixVoice(Voice &v, float *stereo, qsizetype frames) const;

    std::shared_ptr<const MovieSounds> movie_;
    int rate_;
    std::map<quint16, std::shared_ptr<const StereoBuffer>> decoded_;
    std::vector<Voice> voices_;
    StereoBuffer stream_;
    std::map<int, qsizetype> streamStart_; // sample frame where each frame's block starts
    bool streamPlaying_ = false;
    qsizetype streamPos_ = 0;
};

} // namespace sky::swf::audio
