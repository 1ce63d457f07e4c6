#include "mp3file.h"

namespace sky::swf::audio {

namespace {

struct FrameHeader {
    int bytes = 0;
    int samples = 0; // a channel
    int rate = 0;
    int channels = 0;
};

// The MPEG audio Layer III frame header at `p`, if there is one.
std::optional<FrameHeader> frameAt(const uchar *p)
{
    if (p[0] != 0xff || (p[1] & 0xe0) != 0xe0)
        return std::nullopt;
    const int version = (p[1] >> 3) & 3; // 0: 2.5, 2: 2, 3: 1
    const int layer = (p[1] >> 1) & 3;   // 1: Layer III
    const int bitrateIndex = p[2] >> 4;
    const int rateIndex = (p[2] >> 2) & 3;
    if (version == 1 || layer != 1 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3)
        return std::nullopt;
    static constexpr int bitratesV1[] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
    static constexpr int bitratesV2[] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
    static constexpr int ratesV1[] = {44100, 48000, 32000};
    const bool one = version == 3;
    FrameHeader h;
    h.rate = ratesV1[rateIndex] / (one ? 1 : version == 2 ? 2 : 4);
    h.samples = one ? 1152 : 576;
    const int kbps = (one ? bitratesV1 : bitratesV2)[bitrateIndex];
    h.bytes = h.samples / 8 * kbps * 1000 / h.rate + ((p[2] >> 1) & 1);
    h.channels = (p[3] >> 6) == 3 ? 1 : 2;
    return h;
}

} // namespace

Mp3Run scanMp3Frames(const QByteArray &data, qsizetype from)
{
    Mp3Run run;
    const auto *p = reinterpret_cast<const uchar *>(data.constData());
    qsizetype at = from;
    while (at + 4 <= data.size()) {
        const auto frame = frameAt(p + at);
        if (!frame || at + frame->bytes > data.size())
            break;
        if (run.rate == 0) {
            run.rate = frame->rate;
            run.channels = frame->channels;
        }
        run.samples += quint32(frame->samples);
        at += frame->bytes;
    }
    run.end = at;
    return run;
}

std::optional<Mp3File> readMp3File(const QByteArray &file)
{
    Mp3File out;
    qsizetype at = 0;
    const auto *data = reinterpret_cast<const uchar *>(file.constData());
    // An ID3v2 tag: "ID3", version, flags, then its size in 7-bit bytes.
    if (file.size() >= 10 && file.startsWith("ID3")) {
        const qsizetype size = (qsizetype(data[6] & 0x7f) << 21) | ((data[7] & 0x7f) << 14) | ((data[8] & 0x7f) << 7)
                               | (data[9] & 0x7f);
        at = 10 + size + ((data[5] & 0x10) ? 10 : 0);
        out.id3 = readId3Frames(file.left(at));
    }
    while (at + 4 <= file.size() && !frameAt(data + at))
        ++at;
    const Mp3Run run = scanMp3Frames(file, at);
    if (run.samples == 0)
        return std::nullopt;
    out.sound.format.codec = SoundCodec::Mp3;
    out.sound.format.rate = run.rate;
    out.sound.format.channels = run.channels;
    out.sound.sampleCount = run.samples;
    out.sound.data = QByteArray(2, 0) + file.mid(at, run.end - at); // no seek samples
    return out;
}

} // namespace sky::swf::audio
