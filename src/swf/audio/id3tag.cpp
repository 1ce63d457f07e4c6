#include "id3tag.h"

#include <QStringDecoder>

#include <algorithm>

namespace sky::swf::audio {

namespace {

quint32 bigEndian(const uchar *p) { return quint32(p[0]) << 24 | quint32(p[1]) << 16 | quint32(p[2]) << 8 | p[3]; }

// Four bytes of seven bits each.
quint32 syncSafe(const uchar *p)
{
    return quint32(p[0] & 0x7f) << 21 | quint32(p[1] & 0x7f) << 14 | quint32(p[2] & 0x7f) << 7 | (p[3] & 0x7f);
}

// Where the text that starts at `from` ends in `encoding` (0 Latin-1,
// 1 UTF-16 with a byte-order mark, 2 UTF-16 big-endian, 3 UTF-8): at its
// terminator or at the end of the data.
qsizetype textEnd(const QByteArray &data, qsizetype from, int encoding)
{
    const bool wide = encoding == 1 || encoding == 2;
    for (qsizetype i = from; i + (wide ? 1 : 0) < data.size(); i += wide ? 2 : 1)
        if (data[i] == 0 && (!wide || data[i + 1] == 0))
            return i;
    return data.size();
}

QString decodeText(const QByteArray &bytes, int encoding)
{
    switch (encoding) {
    case 1: return QStringDecoder(QStringDecoder::Utf16).decode(bytes); // the mark tells the byte order
    case 2: return QStringDecoder(QStringDecoder::Utf16BE).decode(bytes);
    case 3: return QString::fromUtf8(bytes);
    default: return QString::fromLatin1(bytes);
    }
}

// A text frame: its encoding, then its text.
QString textFrame(const QByteArray &body)
{
    const int encoding = body.isEmpty() ? 0 : quint8(body[0]);
    return decodeText(body.mid(1, textEnd(body, 1, encoding) - 1), encoding);
}

// A comment: its encoding, a language, a short description, then its text.
QString commentFrame(const QByteArray &body)
{
    if (body.size() < 4)
        return {};
    const int encoding = quint8(body[0]);
    const bool wide = encoding == 1 || encoding == 2;
    const qsizetype start = textEnd(body, 4, encoding) + (wide ? 2 : 1);
    if (start >= body.size())
        return {};
    return decodeText(body.mid(start, textEnd(body, start, encoding) - start), encoding);
}

} // namespace

std::vector<Id3Frame> readId3Frames(const QByteArray &tag)
{
    std::vector<Id3Frame> frames;
    if (tag.size() < 10 || !tag.startsWith("ID3"))
        return frames;
    const auto *p = reinterpret_cast<const uchar *>(tag.constData());
    const int version = p[3];
    if (version != 3 && version != 4)
        return frames;
    const qsizetype end = std::min<qsizetype>(tag.size(), 10 + syncSafe(p + 6));
    qsizetype at = 10;
    if ((p[5] & 0x40) && at + 4 <= end) // an extended header comes first
        at += version == 4 ? syncSafe(p + at) : 4 + bigEndian(p + at);
    while (at + 10 <= end && p[at] != 0) {
        const QString id = QString::fromLatin1(tag.mid(at, 4));
        const qsizetype size = version == 4 ? syncSafe(p + at + 4) : bigEndian(p + at + 4);
        if (size > end - at - 10)
            break;
        const QByteArray body = tag.mid(at + 10, size);
        if (id == u"COMM")
            frames.push_back({id, commentFrame(body)});
        else if (id.startsWith(u'T') && id != u"TXXX")
            frames.push_back({id, textFrame(body)});
        at += 10 + size;
    }
    return frames;
}

} // namespace sky::swf::audio
