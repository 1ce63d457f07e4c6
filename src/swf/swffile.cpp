#include "swffile.h"

#include "bitreader.h"
#include "compression.h"


namespace sky::swf {

SwfData decodeSwf(const QByteArray &file)
{
    if (file.size() < 8)
        throw ParseError("file is too short to be a Flash movie");
    const char kind = file[0];
    if ((kind != 'F' && kind != 'C' && kind != 'Z') || file[1] != 'W' || file[2] != 'S')
        throw ParseError("not a Flash movie (no FWS, CWS or ZWS signature)");

    SwfData swf;
    swf.version = quint8(file[3]);
    const QByteArray prefix = file.left(8);
    if (kind == 'F') {
        swf.body = file.left(maxMovieBytes);
    } else if (kind == 'C') {
        swf.body = prefix + inflateZlib(file.constData() + 8, file.size() - 8, maxMovieBytes);
    } else if (file.size() >= 17) {
        // Bytes 8 to 11 hold the compressed length; the LZMA data follows.
        swf.body = prefix + decodeLzma(file.constData() + 12, file.size() - 12, maxMovieBytes);
    }
    if (swf.body.size() <= 8)
        throw ParseError("the compressed movie data is damaged");

    BitReader r(swf.body.constData() + 8, swf.body.size() - 8);
    try {
        swf.stage = r.rect();
        swf.frameRate = r.u16() / 256.0;
        swf.frameCount = r.u16();
    } catch (const ParseError &) {
        throw ParseError("movie header is cut short");
    }
    swf.tagsStart = 8 + r.pos();
    return swf;
}

std::vector<Tag> readTags(const QByteArray &buffer, qsizetype start, qsizetype end, bool *ended)
{
    std::vector<Tag> tags;
    if (ended)
        *ended = false;
    end = qMin(end, buffer.size());
    qsizetype pos = start;
    while (end - pos >= 2) {
        BitReader r(buffer.constData() + pos, end - pos);
        const quint16 codeAndLength = r.u16();
        Tag tag;
        tag.code = codeAndLength >> 6;
        qsizetype length = codeAndLength & 0x3F;
        if (length == 0x3F) {
            if (r.remaining() < 4)
                break;
            length = qsizetype(r.u32());
        }
        tag.offset = pos + r.pos();
        tag.length = qMin(length, end - tag.offset);
        if (tag.code == 0) {
            if (ended)
                *ended = true;
            break;
        }
        tags.push_back(tag);
        pos = tag.offset + tag.length;
    }
    return tags;
}

} // namespace sky::swf
