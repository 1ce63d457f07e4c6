#pragma once

// An MP3 file that a movie's script loads: its frames as the data of a
// sound, with the length its frame headers give.

#include "soundtags.h"

#include <QByteArray>

#include <optional>

namespace sky::swf::audio {

struct Mp3File {
    SoundDefinition sound; // MP3 data with no seek samples, sampleCount from the frames
    bool hasId3 = false;   // an ID3v2 tag came before the frames
};

// Nothing when no MPEG audio frame is found.
std::optional<Mp3File> readMp3File(const QByteArray &file);

} // namespace sky::swf::audio
