#include "soundwriter.h"

#include "swfwriter.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cmath>
#include <numbers>

namespace swftest {

std::vector<qint16> sine(int rate, int frames, double hz, double amplitude)
{
    std::vector<qint16> out(static_cast<size_t>(frames));
    for (int i = 0; i < frames; ++i)
        out[size_t(i)] = qint16(std::lround(amplitude * std::sin(2 * std::numbers::pi * hz * i / rate)));
    return out;
}

QByteArray littleEndian16(const std::vector<qint16> &samples)
{
    Bits b;
    for (qint16 s : samples)
        b.u16(quint16(s));
    return b.data();
}

// G.711 as the ITU describes it: a sign bit, a 3-bit segment and 4 bits of
// mantissa, A-law with every other bit inverted, mu-law with all of them.
QByteArray alaw(const std::vector<qint16> &samples)
{
    QByteArray out;
    for (qint16 s : samples) {
        int v = s >> 3; // 13 bits
        const int sign = v >= 0 ? 0x80 : 0;
        if (v < 0)
            v = -v - 1;
        int segment = 0;
        while (segment < 7 && v >= (32 << segment))
            ++segment;
        const int mantissa = segment == 0 ? (v >> 1) & 15 : (v >> segment) & 15;
        out.append(char((sign | (segment << 4) | mantissa) ^ 0x55));
    }
    return out;
}

QByteArray mulaw(const std::vector<qint16> &samples)
{
    QByteArray out;
    for (qint16 s : samples) {
        int v = s >> 2; // 14 bits
        const int sign = v < 0 ? 0x80 : 0;
        v = std::min(std::abs(v), 8158) + 33;
        int segment = 0;
        while (segment < 7 && v >= (64 << segment))
            ++segment;
        const int mantissa = (v >> (segment + 1)) & 15;
        out.append(char(~(sign | (segment << 4) | mantissa)));
    }
    return out;
}

std::optional<std::vector<QByteArray>> ffmpegPackets(const std::vector<qint16> &samples, int rate,
                                                     const QString &encoder)
{
    QTemporaryDir dir;
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-f"), QStringLiteral("s16le"),
                  QStringLiteral("-ar"), QString::number(rate), QStringLiteral("-ac"), QStringLiteral("1"),
                  QStringLiteral("-i"), QStringLiteral("-"), QStringLiteral("-c:a"), encoder,
                  QStringLiteral("-f"), QStringLiteral("flv"), dir.filePath(QStringLiteral("out.flv"))});
    if (!ffmpeg.waitForStarted())
        return std::nullopt;
    ffmpeg.write(littleEndian16(samples));
    ffmpeg.closeWriteChannel();
    ffmpeg.waitForFinished(60000);
    if (ffmpeg.exitStatus() != QProcess::NormalExit || ffmpeg.exitCode() != 0)
        return std::nullopt;
    QFile file(dir.filePath(QStringLiteral("out.flv")));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray flv = file.readAll();
    const auto byte = [&](qsizetype i) { return int(quint8(flv[i])); };
    std::vector<QByteArray> packets;
    // The FLV header, then tags with a type, a 24-bit size, a timestamp and a
    // stream id, each followed by the size of the tag before.
    for (qsizetype at = 9 + 4; at + 11 <= flv.size();) {
        const int type = byte(at);
        const qsizetype size = (byte(at + 1) << 16) | (byte(at + 2) << 8) | byte(at + 3);
        if (at + 11 + size > flv.size())
            break;
        if (type == 8 && size > 1)
            packets.push_back(flv.mid(at + 12, size - 1));
        at += 11 + size + 4;
    }
    return packets;
}

std::pair<int, double> bestMatch(const std::vector<qint16> &wave, const std::vector<qint16> &decoded, int maxLag)
{
    const auto rmsAt = [&](int lag) {
        const qsizetype from = qsizetype(wave.size()) / 10;
        const qsizetype to = qsizetype(wave.size()) * 9 / 10;
        double sum = 0;
        qsizetype n = 0;
        for (qsizetype i = from; i < to && i + lag < qsizetype(decoded.size()); ++i, ++n) {
            const double d = (decoded[size_t(i + lag)] - wave[size_t(i)]) / 32768.0;
            sum += d * d;
        }
        return n > 0 ? std::sqrt(sum / double(n)) : 1.0;
    };
    std::pair<int, double> best{0, rmsAt(0)};
    for (int lag = 1; lag <= maxLag; ++lag)
        if (const double e = rmsAt(lag); e < best.second)
            best = {lag, e};
    return best;
}

int soundFormat(int codec, int rateCode, bool sixteenBit, bool stereo)
{
    return (codec << 4) | (rateCode << 2) | (sixteenBit ? 2 : 0) | (stereo ? 1 : 0);
}

QByteArray defineSound(int id, int format, quint32 sampleCount, const QByteArray &data)
{
    return Bits().u16(id).u8(format).u32(sampleCount).bytes(data).data();
}

QByteArray startSound(int id, const SoundInfoFields &info)
{
    Bits b;
    b.u16(id).ub(2, 0).ub(1, info.stop).ub(1, info.noMultiple).ub(1, !info.envelope.empty());
    b.ub(1, info.loops.has_value()).ub(1, info.out.has_value()).ub(1, info.in.has_value());
    if (info.in)
        b.u32(*info.in);
    if (info.out)
        b.u32(*info.out);
    if (info.loops)
        b.u16(*info.loops);
    if (!info.envelope.empty()) {
        b.u8(int(info.envelope.size()));
        for (const Envelope &e : info.envelope)
            b.u32(e.position44).u16(e.left).u16(e.right);
    }
    return b.data();
}

QByteArray streamHead(int format, int samplesPerBlock, int latency)
{
    Bits b;
    b.u8(format & 0x0f).u8(format).u16(samplesPerBlock);
    if ((format >> 4) == 2)
        b.u16(quint16(qint16(latency)));
    return b.data();
}

double chordRoot(double seconds)
{
    return 220.0 * std::pow(2.0, double(int(seconds * 2) % 12) / 12.0);
}

std::vector<qint16> chordMusic(int rate, int seconds)
{
    std::vector<qint16> samples(size_t(rate) * size_t(seconds));
    for (size_t i = 0; i < samples.size(); ++i) {
        const double t = double(i) / rate;
        const double root = chordRoot(t);
        const double w = 2 * std::numbers::pi * root * t;
        const double v = std::sin(w) + 0.6 * std::sin(1.25 * w) + 0.4 * std::sin(1.5 * w);
        samples[i] = qint16(v * 9000);
    }
    return samples;
}

void addMp3Stream(Movie &movie, const std::vector<QByteArray> &packets, int rate, double fps)
{
    constexpr int mp3Samples = 1152;
    const int rateCode = rate >= 44100 ? 3 : rate >= 22050 ? 2 : 1;
    movie.tag(45, streamHead(soundFormat(2, rateCode, true, false), int(rate / fps))); // SoundStreamHead2
    size_t next = 0;
    for (int frame = 0; next < packets.size(); ++frame) {
        const double end = (frame + 1) * rate / fps;
        QByteArray data;
        int samples = 0;
        for (; next < packets.size() && double(next * mp3Samples) < end; ++next) {
            data += packets[next];
            samples += mp3Samples;
        }
        movie.tag(19, Bits().u16(samples).u16(0).data() + data).showFrame(); // SoundStreamBlock
    }
}

void addPcmStream(Movie &movie, const std::vector<qint16> &samples, int rate, int fps)
{
    const int rateCode = rate >= 44100 ? 3 : rate >= 22050 ? 2 : 1;
    movie.tag(18, streamHead(soundFormat(3, rateCode, true, false), rate / fps)); // SoundStreamHead
    const qsizetype frames = qsizetype(samples.size()) * fps / rate;
    qsizetype at = 0;
    for (qsizetype f = 0; f < frames; ++f) {
        const qsizetype next = (f + 1) * rate / fps;
        const std::vector<qint16> block(samples.begin() + at, samples.begin() + next);
        movie.tag(19, littleEndian16(block)).showFrame(); // SoundStreamBlock
        at = next;
    }
}

} // namespace swftest
