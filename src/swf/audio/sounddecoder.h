#pragma once

// Decodes the sound data of a movie to 16-bit samples. PCM is converted
// here; every compressed format goes through libavcodec.

#include "soundtags.h"

#include <QByteArray>

#include <memory>
#include <vector>

namespace sky::swf::audio {

// Interleaved 16-bit samples.
struct Pcm {
    int rate = 44100;
    int channels = 1;
    std::vector<qint16> samples;

    qsizetype frames() const { return channels > 0 ? qsizetype(samples.size()) / channels : 0; }
};

// No sound is decoded past this many sample frames (about 20 minutes at
// 44.1 kHz), whatever the data claims.
inline constexpr qsizetype maxSoundFrames = qsizetype(44100) * 60 * 20;

// Whether the codec can be decoded (all but Speex).
bool canDecode(SoundCodec codec);

// A DefineSound's data, cut to the sample count it claims; MP3 data starts
// with its seek samples, which are skipped. Empty samples when the codec is
// missing or the data does not decode.
Pcm decodeSound(const SoundDefinition &sound);

class CodecDecoder;

// Decodes the blocks of a stream one after the other, keeping the state the
// codec carries from block to block (MP3's bit reservoir).
class StreamDecoder {
public:
    explicit StreamDecoder(const StreamHead &head);
    ~StreamDecoder();
    StreamDecoder(const StreamDecoder &) = delete;
    StreamDecoder &operator=(const StreamDecoder &) = delete;

    // Appends the samples of one SoundStreamBlock body to `out`.
    void decodeBlock(const QByteArray &block, Pcm &out);

private:
    StreamHead head_;
    std::unique_ptr<CodecDecoder> codec_;
};

} // namespace sky::swf::audio
