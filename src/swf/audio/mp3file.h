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

// MPEG audio frames that follow one another: the sample frames they hold,
// where the last one ends, and the rate and channels of the first.
struct Mp3Run {
    quint32 samples = 0;
    qsizetype end = 0;
    int rate = 0;
    int channels = 0;
};

// The frames from `from` on, up to the first thing that is no whole frame.
Mp3Run scanMp3Frames(const QByteArray &data, qsizetype from);

// Nothing when no MPEG audio frame is found.
std::optional<Mp3File> readMp3File(const QByteArray &file);

} // namespace sky::swf::audio
