#include "streamsound.h"

#include "mp3file.h"
#include "sounddecoder.h"

#include <algorithm>
#include <cmath>

namespace sky::swf::audio {

namespace {

// The sample frames a block holds, from its header and size alone.
qsizetype blockFrames(const StreamHead &head, const QByteArray &block)
{
    const SoundFormat &f = head.stream;
    const qsizetype bytes = block.size();
    switch (f.codec) {
    case SoundCodec::NativePcm:
    case SoundCodec::LittlePcm: return bytes / ((f.sixteenBit ? 2 : 1) * f.channels);
    case SoundCodec::Mp3: return scanMp3Frames(block, 4).samples; // after its sample count and seek samples
    case SoundCodec::Alaw:
    case SoundCodec::Mulaw: return bytes / f.channels;
    case SoundCodec::Nellymoser16k:
    case SoundCodec::Nellymoser8k:
    case SoundCodec::Nellymoser: return bytes / 64 * 256;
    case SoundCodec::Adpcm: {
        // The code size in two bits, then packets of 4096 samples a channel:
        // a 16-bit first sample and a 6-bit step index each, then 4095
        // codes.
        if (bytes < 1)
            return 0;
        const qsizetype codeBits = (quint8(block[0]) >> 6) + 2;
        const qsizetype bits = bytes * 8 - 2, header = 22 * f.channels, code = codeBits * f.channels;
        const qsizetype packet = header + 4095 * code;
        const qsizetype rest = bits % packet;
        return bits / packet * 4096 + (rest >= header ? 1 + (rest - header) / code : 0);
    }
    case SoundCodec::Speex: break;
    }
    return head.samplesPerBlock;
}

} // namespace

// The decoder and resampler of the part being played, and what they gave
// that is not played yet.
struct StreamSound::Decoding {
    Decoding(const StreamHead &head, int channels, int sourceRate, int outputRate)
        : decoder(head)
        , resampler(channels, sourceRate, outputRate)
    {
    }

    StreamDecoder decoder;
    Resampler resampler;
    size_t next = 0;          // the block to decode next
    qsizetype skip = 0;       // source sample frames still to drop
    bool finished = false;    // the resampler has given all it held
    std::vector<float> ready; // interleaved, from `readyStart` on
    qsizetype readyStart = 0;
    Pcm block;

    qsizetype readyEnd(int channels) const { return readyStart + qsizetype(ready.size()) / channels; }
};

StreamSound::StreamSound(const TimelineSounds &timeline, double frameRate, int outputRate)
    : outputRate_(outputRate)
{
    if (!timeline.streamHead || timeline.streamBlocks.empty() || outputRate <= 0)
        return;
    head_ = *timeline.streamHead;
    sourceRate_ = head_.stream.rate;
    channels_ = head_.stream.channels;
    const int first = timeline.streamBlocks.begin()->first;
    const int last = timeline.streamBlocks.rbegin()->first;
    if (head_.stream.codec == SoundCodec::Mp3) {
        // The frames tell the rate and channels; the head may not.
        const Mp3Run run = scanMp3Frames(timeline.streamBlocks.begin()->second, 4);
        if (run.rate > 0) {
            sourceRate_ = run.rate;
            channels_ = run.channels;
        }
    }
    if (sourceRate_ <= 0 || channels_ < 1 || channels_ > 2)
        return;
    // A frame without a block between blocks holds a frame's time of
    // silence.
    const qsizetype silentFrame = qsizetype(std::lround(sourceRate_ / frameRate));
    std::vector<qsizetype> sourceStarts;
    qsizetype source = 0;
    for (int frame = first; frame <= last && source < maxSoundFrames; ++frame) {
        Block b;
        b.frame = frame;
        const auto block = timeline.streamBlocks.find(frame);
        if (block != timeline.streamBlocks.end())
            b.data = block->second;
        b.sourceFrames = b.data.isEmpty() ? silentFrame : std::min(blockFrames(head_, b.data), maxSoundFrames);
        sourceStarts.push_back(source);
        source += b.sourceFrames;
        blocks_.push_back(std::move(b));
    }
    // An MP3 stream starts with the encoder's delay, which the head tells.
    latency_ = std::clamp<qsizetype>(head_.stream.codec == SoundCodec::Mp3 ? head_.latencySeek : 0, 0, source);
    const auto toOutput = [&](qsizetype at) {
        return qsizetype(std::llround(double(std::max<qsizetype>(0, at - latency_)) * outputRate / sourceRate_));
    };
    for (size_t i = 0; i < blocks_.size(); ++i)
        blocks_[i].start = toOutput(sourceStarts[i]);
    end_ = toOutput(source);
}

StreamSound::~StreamSound() = default;
StreamSound::StreamSound(StreamSound &&) noexcept = default;
StreamSound &StreamSound::operator=(StreamSound &&) noexcept = default;

void StreamSound::startAt(int frame)
{
    const qsizetype index = blocks_.empty() ? -1 : qsizetype(frame) - blocks_.front().frame;
    playing_ = index >= 0 && index < qsizetype(blocks_.size()) && blocks_[size_t(index)].start < end_;
    if (!playing_)
        return;
    pos_ = blocks_[size_t(index)].start;
    // Going on from where the sound stands keeps what is decoded.
    if (!decoding_ || pos_ < decoding_->readyStart || pos_ > decoding_->readyEnd(channels_))
        decodeFrom(size_t(index));
}

void StreamSound::restart()
{
    if (!blocks_.empty())
        startAt(blocks_.front().frame);
}

int StreamSound::frameAt(qsizetype position) const
{
    // The last block that starts at or before the position.
    const auto after = std::upper_bound(blocks_.begin(), blocks_.end(), position,
                                        [](qsizetype at, const Block &b) { return at < b.start; });
    return after == blocks_.begin() ? 0 : std::prev(after)->frame;
}

void StreamSound::decodeFrom(size_t index)
{
    decoding_ = std::make_unique<Decoding>(head_, channels_, sourceRate_, outputRate_);
    decoding_->next = index;
    decoding_->readyStart = blocks_[index].start;
    decoding_->skip = index == 0 ? latency_ : 0;
}

void StreamSound::decodeUntil(qsizetype until)
{
    Decoding &d = *decoding_;
    while (d.readyEnd(channels_) < until && !d.finished) {
        if (d.next >= blocks_.size()) {
            d.resampler.finish(d.ready);
            d.finished = true;
            break;
        }
        const Block &b = blocks_[d.next++];
        Pcm &pcm = d.block;
        pcm.samples.clear();
        if (!b.data.isEmpty())
            d.decoder.decodeBlock(b.data, pcm);
        // What the data holds is what its header and size promised: damaged
        // data is cut or filled with silence to that length.
        if (pcm.channels != channels_ || pcm.rate != sourceRate_)
            pcm.samples.clear();
        pcm.samples.resize(size_t(b.sourceFrames * channels_));
        const qsizetype drop = std::min(d.skip, b.sourceFrames);
        d.skip -= drop;
        d.resampler.push(pcm.samples.data() + drop * channels_, b.sourceFrames - drop, d.ready);
    }
}

void StreamSound::mixInto(float *stereo, qsizetype frames, const SoundTransform &gains)
{
    if (!playing_)
        return;
    const qsizetype n = std::clamp<qsizetype>(end_ - pos_, 0, frames);
    decodeUntil(pos_ + n);
    Decoding &d = *decoding_;
    const qsizetype from = pos_ - d.readyStart;
    const qsizetype count = std::clamp<qsizetype>(d.readyEnd(channels_) - pos_, 0, n);
    const float *in = d.ready.data() + from * channels_;
    const auto ll = float(gains.ll), lr = float(gains.lr), rr = float(gains.rr), rl = float(gains.rl);
    if (channels_ == 1) {
        for (qsizetype i = 0; i < count; ++i) {
            stereo[2 * i] += (ll + lr) * in[i];
            stereo[2 * i + 1] += (rl + rr) * in[i];
        }
    } else {
        for (qsizetype i = 0; i < count; ++i) {
            stereo[2 * i] += ll * in[2 * i] + lr * in[2 * i + 1];
            stereo[2 * i + 1] += rl * in[2 * i] + rr * in[2 * i + 1];
        }
    }
    pos_ += frames;
    // What is played goes.
    const qsizetype played = std::clamp<qsizetype>(pos_ - d.readyStart, 0, qsizetype(d.ready.size()) / channels_);
    d.ready.erase(d.ready.begin(), d.ready.begin() + played * channels_);
    d.readyStart += played;
    if (pos_ >= end_)
        playing_ = false;
}

} // namespace sky::swf::audio
