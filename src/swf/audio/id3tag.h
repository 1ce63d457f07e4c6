#pragma once

// The text of an MP3 file's ID3v2 tag (versions 2.3 and 2.4): its text
// frames and comments, in the order the tag holds them.

#include <QByteArray>
#include <QString>

#include <vector>

namespace sky::swf::audio {

struct Id3Frame {
    QString id; // "TIT2", "COMM", ...
    QString text;
};

// `tag` is the whole tag from its "ID3" on; frames that are not text or
// comments, and a tag of another version, give nothing.
std::vector<Id3Frame> readId3Frames(const QByteArray &tag);

} // namespace sky::swf::audio
