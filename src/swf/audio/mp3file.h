#pragma once

// An MP3 file that a movie's script loads: its frames as the data of a
// sound, with the length its frame headers give.

#include "id3tag.h"
#include "soundtags.h"

#include <QByteArray>

#include <optional>
#include <vector>

namespace sky::swf::audio {

struct Mp3File {
    SoundDefinition sound; // MP3 data with no seek samples, sampleCount from the frames
    std::optional<std::vector<Id3Frame>> id3; // the text of the ID3v2 tag before the frames
};

// Nothing when no MPEG audio frame is found.
std::optional<Mp3File> readMp3File(const QByteArray &file);

} // namespace sky::swf::audio
