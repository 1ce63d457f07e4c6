#pragma once

#include <QByteArray>
#include <QRectF>

#include <vector>

namespace sky::swf {

// One tag of a tag stream: its code and where its body lies in the buffer.
struct Tag {
    int code = 0;
    qsizetype offset = 0;
    qsizetype length = 0;
};

// The uncompressed movie and the fields of its header.
struct SwfData {
    QByteArray body; // the whole movie after decompression, header included
    int version = 0;
    QRectF stage; // twips
    double frameRate = 0;
    int frameCount = 0;
    qsizetype tagsStart = 0;
};

// Largest uncompressed movie accepted; larger claims are cut here.
inline constexpr qsizetype maxMovieBytes = 64 * 1024 * 1024;

// Checks the signature, decompresses CWS (zlib) or ZWS (LZMA) bodies and
// reads the header. A truncated compressed stream yields what it held.
// Throws ParseError with a readable message when nothing usable is there.
SwfData decodeSwf(const QByteArray &file);

// Splits [start, end) of `buffer` into tags, up to the End tag or the end
// of the data. A tag claiming more bytes than remain is cut short.
// `ended`, when given, tells whether the End tag was there.
std::vector<Tag> readTags(const QByteArray &buffer, qsizetype start, qsizetype end, bool *ended = nullptr);

} // namespace sky::swf
