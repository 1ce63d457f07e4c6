#include "sounddecoder.h"

#include "libav.h"
#include "swf/bitreader.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace sky::swf::audio {

namespace {

AVCodecID codecId(SoundCodec codec)
{
    switch (codec) {
    case SoundCodec::Adpcm:
        return AV_CODEC_ID_ADPCM_SWF;
    case SoundCodec::Mp3:
        return AV_CODEC_ID_MP3;
    case SoundCodec::Nellymoser16k:
    case SoundCodec::Nellymoser8k:
    case SoundCodec::Nellymoser:
        return AV_CODEC_ID_NELLYMOSER;
    case SoundCodec::Alaw:
        return AV_CODEC_ID_PCM_ALAW;
    case SoundCodec::Mulaw:
        return AV_CODEC_ID_PCM_MULAW;
    case SoundCodec::NativePcm:
    case SoundCodec::LittlePcm:
    case SoundCodec::Speex:
        break;
    }
    return AV_CODEC_ID_NONE;
}

bool isPcm(SoundCodec codec)
{
    return codec == SoundCodec::NativePcm || codec == SoundCodec::LittlePcm;
}

// Uncompressed samples: 8-bit ones are unsigned, 16-bit ones little-endian
// (the byte order of every machine the authoring tool ran on).
void convertPcm(const SoundFormat &format, const QByteArray &data, Pcm &out)
{
    const auto *p = reinterpret_cast<const uchar *>(data.constData());
    const qsizetype bytes = format.sixteenBit ? 2 : 1;
    qsizetype count = data.size() / bytes / format.channels * format.channels;
    count = std::min(count, (maxSoundFrames - out.frames()) * format.channels);
    out.samples.reserve(out.samples.size() + size_t(std::max<qsizetype>(count, 0)));
    for (qsizetype i = 0; i < count; ++i)
        out.samples.push_back(format.sixteenBit ? qint16(p[2 * i] | (p[2 * i + 1] << 8))
                                                : qint16((int(p[i]) - 128) << 8));
}

// Damaged data can decode to NaN, which no sample holds: it is silence.
qint16 fromReal(double value)
{
    return std::isnan(value) ? 0 : qint16(std::clamp(value * 32767.0, -32768.0, 32767.0));
}

// One channel of a decoded frame: `count` samples from `plane`, every
// `step`th, converted once for the whole run.
template<typename Sample, typename Convert>
void appendChannel(const uint8_t *plane, int step, int count, qint16 *out, int outStep, Convert convert)
{
    const auto *in = reinterpret_cast<const Sample *>(plane);
    for (int i = 0; i < count; ++i)
        out[i * outStep] = convert(in[i * step]);
}

// Appends the first `count` samples of each channel of `frame` to `out`.
void appendFrame(const LibAv &av, const AVFrame *frame, int count, Pcm &out)
{
    const auto fmt = AVSampleFormat(frame->format);
    const bool planar = av.av_sample_fmt_is_planar(fmt);
    const AVSampleFormat packed = av.av_get_packed_sample_fmt(fmt);
    const int channels = frame->ch_layout.nb_channels;
    const size_t at = out.samples.size();
    out.samples.resize(at + size_t(count) * size_t(channels));
    for (int c = 0; c < channels; ++c) {
        const uint8_t *plane = frame->extended_data[planar ? c : 0];
        const int step = planar ? 1 : channels;
        const int first = planar ? 0 : c;
        qint16 *dest = out.samples.data() + at + size_t(c);
        switch (packed) {
        case AV_SAMPLE_FMT_S16:
            appendChannel<qint16>(plane + first * 2, step, count, dest, channels, [](qint16 v) { return v; });
            break;
        case AV_SAMPLE_FMT_S32:
            appendChannel<qint32>(plane + first * 4, step, count, dest, channels,
                                  [](qint32 v) { return qint16(v >> 16); });
            break;
        case AV_SAMPLE_FMT_FLT:
            appendChannel<float>(plane + first * 4, step, count, dest, channels,
                                 [](float v) { return std::isnan(v) ? 0 : qint16(std::clamp(v * 32767.0f, -32768.0f, 32767.0f)); });
            break;
        case AV_SAMPLE_FMT_DBL:
            appendChannel<double>(plane + first * 8, step, count, dest, channels, fromReal);
            break;
        case AV_SAMPLE_FMT_U8:
            appendChannel<uint8_t>(plane + first, step, count, dest, channels,
                                   [](uint8_t v) { return qint16((int(v) - 128) << 8); });
            break;
        default: // left silent
            break;
        }
    }
}

} // namespace

// One open libavcodec decoder, with the MP3 frame parser when needed.
class CodecDecoder {
public:
    explicit CodecDecoder(const SoundFormat &format)
    {
        if (!av)
            return;
        const AVCodec *codec = av->avcodec_find_decoder(codecId(format.codec));
        if (!codec)
            return;
        context = av->avcodec_alloc_context3(codec);
        packet = av->av_packet_alloc();
        frame = av->av_frame_alloc();
        if (!context || !packet || !frame) {
            release();
            return;
        }
        context->sample_rate = format.rate;
        av->av_channel_layout_default(&context->ch_layout, format.channels);
        if (av->avcodec_open2(context, codec, nullptr) < 0) {
            release();
            return;
        }
        if (format.codec == SoundCodec::Mp3)
            parser = av->av_parser_init(AV_CODEC_ID_MP3);
    }
    ~CodecDecoder() { release(); }
    CodecDecoder(const CodecDecoder &) = delete;
    CodecDecoder &operator=(const CodecDecoder &) = delete;

    void release()
    {
        if (!av)
            return;
        av->av_parser_close(parser);
        parser = nullptr;
        av->avcodec_free_context(&context);
        av->av_packet_free(&packet);
        av->av_frame_free(&frame);
    }

    void send(const uint8_t *data, int size, Pcm &out)
    {
        packet->data = const_cast<uint8_t *>(data);
        packet->size = size;
        if (av->avcodec_send_packet(context, packet) < 0)
            return;
        while (av->avcodec_receive_frame(context, frame) == 0) {
            const int channels = frame->ch_layout.nb_channels;
            if (out.samples.empty()) {
                out.rate = frame->sample_rate;
                out.channels = channels;
            }
            if (channels == out.channels && frame->sample_rate == out.rate) {
                const int n = int(std::min<qsizetype>(frame->nb_samples, maxSoundFrames - out.frames()));
                appendFrame(*av, frame, std::max(n, 0), out);
            }
            av->av_frame_unref(frame);
        }
    }

    // Feeds `data` whole: MP3 frame by frame, other codecs in packets of
    // whole codec blocks.
    void decode(const QByteArray &data, int packetBytes, Pcm &out)
    {
        if (!context)
            return;
        const auto *p = reinterpret_cast<const uint8_t *>(data.constData());
        int left = int(data.size());
        if (parser) {
            // An empty call at the end hands over the last frame of the data.
            for (bool flushed = false; !flushed;) {
                uint8_t *frameData = nullptr;
                int frameSize = 0;
                flushed = left == 0;
                const int used = av->av_parser_parse2(parser, context, &frameData, &frameSize, p, left,
                                                  AV_NOPTS_VALUE, AV_NOPTS_VALUE, 0);
                if (used < 0)
                    return;
                p += used;
                left -= used;
                if (frameSize > 0)
                    send(frameData, frameSize, out);
            }
            return;
        }
        while (left > 0 && out.frames() < maxSoundFrames) {
            const int n = std::min(left, packetBytes);
            send(p, n, out);
            p += n;
            left -= n;
        }
    }

private:
    const LibAv *av = libAv();
    AVCodecContext *context = nullptr;
    AVCodecParserContext *parser = nullptr;
    AVPacket *packet = nullptr;
    AVFrame *frame = nullptr;
};

namespace {

// Bytes handed to the decoder at a time: ADPCM's blocks run across byte
// boundaries, so it gets all of its data at once.
int packetBytes(SoundCodec codec, qsizetype size)
{
    if (codec == SoundCodec::Adpcm)
        return int(std::min<qsizetype>(size, std::numeric_limits<int>::max()));
    return 64 * 64; // whole 64-byte Nellymoser blocks; any size for G.711
}

} // namespace

bool canDecode(SoundCodec codec)
{
    // libavcodec's Speex decoder takes one Speex frame a packet, and a
    // movie's Speex data does not say where its frames end.
    if (codec == SoundCodec::Speex)
        return false;
    const LibAv *av = libAv();
    return isPcm(codec) || (av && av->avcodec_find_decoder(codecId(codec)) != nullptr);
}

Pcm decodeSound(const SoundDefinition &sound)
{
    Pcm out;
    out.rate = sound.format.rate;
    out.channels = sound.format.channels;
    if (isPcm(sound.format.codec)) {
        convertPcm(sound.format, sound.data, out);
    } else {
        QByteArray data = sound.data;
        int skip = 0;
        if (sound.format.codec == SoundCodec::Mp3) {
            if (data.size() < 2)
                return out;
            skip = std::max(0, int(qint16(quint8(data[0]) | (quint8(data[1]) << 8))));
            data = data.mid(2);
        }
        CodecDecoder codec(sound.format);
        codec.decode(data, packetBytes(sound.format.codec, data.size()), out);
        const qsizetype drop = std::min<qsizetype>(skip, out.frames()) * out.channels;
        out.samples.erase(out.samples.begin(), out.samples.begin() + drop);
    }
    const qsizetype claimed = qsizetype(sound.sampleCount) * out.channels;
    if (sound.sampleCount > 0 && qsizetype(out.samples.size()) > claimed)
        out.samples.resize(size_t(claimed));
    return out;
}

StreamDecoder::StreamDecoder(const StreamHead &head)
    : head_(head)
    , codec_(isPcm(head.stream.codec) ? nullptr : std::make_unique<CodecDecoder>(head.stream))
{
}

StreamDecoder::~StreamDecoder() = default;

void StreamDecoder::decodeBlock(const QByteArray &block, Pcm &out)
{
    if (out.samples.empty()) {
        out.rate = head_.stream.rate;
        out.channels = head_.stream.channels;
    }
    if (!codec_) {
        convertPcm(head_.stream, block, out);
        return;
    }
    // MP3 blocks start with their sample count and seek samples.
    const QByteArray data = head_.stream.codec == SoundCodec::Mp3 ? block.mid(4) : block;
    codec_->decode(data, packetBytes(head_.stream.codec, data.size()), out);
}

} // namespace sky::swf::audio
