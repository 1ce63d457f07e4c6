#pragma once

// The sound tags of a movie: DefineSound, StartSound/StartSound2 with their
// SOUNDINFO, and the stream sound of the main timeline
// (SoundStreamHead/SoundStreamHead2 + SoundStreamBlock).

#include "swf/swffile.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <map>
#include <optional>
#include <vector>

namespace sky::swf::audio {

enum SoundTagCode {
    tagDefineSound = 14,
    tagStartSound = 15,
    tagSoundStreamHead = 18,
    tagSoundStreamBlock = 19,
    tagSoundStreamHead2 = 45,
    tagStartSound2 = 89,
};

enum class SoundCodec {
    NativePcm = 0,
    Adpcm = 1,
    Mp3 = 2,
    LittlePcm = 3,
    Nellymoser16k = 4,
    Nellymoser8k = 5,
    Nellymoser = 6,
    Alaw = 7,
    Mulaw = 8,
    Speex = 11,
};

// The format byte of a sound: codec, rate, sample size and channels.
struct SoundFormat {
    SoundCodec codec = SoundCodec::NativePcm;
    int rate = 5512; // samples a second
    bool sixteenBit = true;
    int channels = 1;
};

struct SoundDefinition {
    SoundFormat format;
    quint32 sampleCount = 0; // a channel, as the tag claims
    QByteArray data;
};

struct EnvelopePoint {
    quint32 position44 = 0; // in samples at 44.1 kHz from the start of the sound
    quint16 left = 32768, right = 32768; // 32768 is full volume
};

struct SoundInfo {
    bool stop = false;
    bool noMultiple = false;
    std::optional<quint32> inPoint, outPoint; // in samples at 44.1 kHz
    int loops = 1;
    std::vector<EnvelopePoint> envelope;
};

struct StartSound {
    quint16 soundId = 0;
    QString className; // StartSound2 names the sound by its class
    SoundInfo info;
};

struct StreamHead {
    SoundFormat playback;
    SoundFormat stream;
    quint16 samplesPerBlock = 0;
    qint16 latencySeek = 0; // MP3 only
};

// The sounds of a button's state changes (DefineButtonSound), in the
// order of ButtonTransition.
enum class ButtonTransition { OverToUp, UpToOver, OverToDown, DownToOver };
using ButtonSounds = std::array<std::optional<StartSound>, 4>;

// The sound tags of one timeline, by frame from 1.
struct TimelineSounds {
    std::map<int, std::vector<StartSound>> starts;
    std::optional<StreamHead> streamHead; // only when blocks follow it
    std::map<int, QByteArray> streamBlocks;
};

// The sounds of a movie, read straight from its tags.
struct MovieSounds {
    std::map<quint16, SoundDefinition> sounds;
    TimelineSounds root;
    std::map<quint16, TimelineSounds> sprites; // by the sprite's character id
    std::map<QString, quint16> exports;        // ExportAssets: character ids by linkage name
    std::map<quint16, ButtonSounds> buttons;   // by the button's character id
    double frameRate = 12;
};

// Tags that do not parse are skipped.
MovieSounds readMovieSounds(const SwfData &swf);

// Parsers of single tag bodies; throw ParseError on malformed data.
SoundFormat readSoundFormat(quint8 bits);
std::pair<quint16, SoundDefinition> readDefineSound(const QByteArray &body);
StartSound readStartSound(const QByteArray &body, bool byClassName);
StreamHead readStreamHead(const QByteArray &body);
std::pair<quint16, ButtonSounds> readDefineButtonSound(const QByteArray &body);

} // namespace sky::swf::audio
