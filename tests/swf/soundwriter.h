#pragma once

// Sound data and sound tags for the engine's tests: sine waves, G.711
// encoded here, the other codecs encoded by the ffmpeg command.

#include <QByteArray>
#include <QString>

#include <optional>
#include <utility>
#include <vector>

namespace swftest {

// `frames` samples of a mono sine wave at `amplitude` (of 32767).
std::vector<qint16> sine(int rate, int frames, double hz, double amplitude = 16000);
QByteArray littleEndian16(const std::vector<qint16> &samples);
QByteArray alaw(const std::vector<qint16> &samples);
QByteArray mulaw(const std::vector<qint16> &samples);

// The packets ffmpeg's `encoder` makes of mono samples at `rate`, as held
// in an FLV file (the first byte of each, the FLV sound format, left out).
// Nothing when the ffmpeg command or the encoder is missing.
std::optional<std::vector<QByteArray>> ffmpegPackets(const std::vector<qint16> &samples, int rate,
                                                     const QString &encoder);

// The delay (0 to maxLag samples) at which `decoded` best matches `wave`,
// and the root-mean-square difference there, on a full scale of 1, leaving
// out the first and last tenth where codecs fade in and out.
std::pair<int, double> bestMatch(const std::vector<qint16> &wave, const std::vector<qint16> &decoded, int maxLag);

// The format byte of a sound tag.
int soundFormat(int codec, int rateCode, bool sixteenBit, bool stereo);

// Tag bodies.
QByteArray defineSound(int id, int format, quint32 sampleCount, const QByteArray &data);
struct Envelope {
    quint32 position44;
    quint16 left, right;
};
struct SoundInfoFields {
    bool stop = false, noMultiple = false;
    std::optional<quint32> in, out;
    std::optional<int> loops;
    std::vector<Envelope> envelope;
};
QByteArray startSound(int id, const SoundInfoFields &info = {});
QByteArray streamHead(int format, int samplesPerBlock, int latency = 0);

// Something like music, `seconds` of it at `rate`: a chord whose root
// climbs a semitone every half second, from 220 Hz round an octave.
std::vector<qint16> chordMusic(int rate, int seconds);
// The root of the chord chordMusic() plays at `seconds`.
double chordRoot(double seconds);

class Movie;
// MP3 frames of 1152 samples at `rate` as the movie's stream, from its
// next frame on: a SoundStreamHead2, then a block and a ShowFrame a frame,
// each block holding the MP3 frames that start within its frame's time.
void addMp3Stream(Movie &movie, const std::vector<QByteArray> &packets, int rate, double fps);
// Mono 16-bit PCM samples at `rate` as the movie's stream, from its next
// frame on: a SoundStreamHead, then a block with the frame's samples and a
// ShowFrame a frame.
void addPcmStream(Movie &movie, const std::vector<qint16> &samples, int rate, int fps);

} // namespace swftest
