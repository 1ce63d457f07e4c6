#include "resample.h"

#include "libav.h"

#include <algorithm>
#include <climits>

namespace sky::swf::audio {

namespace {

constexpr int kUpsamplingFilter = 16; // taps a phase; libswresample's default is 32

} // namespace

Resampler::Resampler(int channels, int inRate, int outRate)
    : channels_(channels)
    , same_(inRate == outRate)
{
    const LibAv *av = libAv();
    if (same_ || !av || inRate <= 0 || outRate <= 0)
        return;
    AVChannelLayout layout;
    av->av_channel_layout_default(&layout, channels);
    if (av->swr_alloc_set_opts2(&swr_, &layout, AV_SAMPLE_FMT_FLT, outRate, &layout, AV_SAMPLE_FMT_S16, inRate, 0,
                                nullptr)
            < 0
        || !swr_) {
        av->swr_free(&swr_);
        return;
    }
    // Going up in rate (SWF sounds are at 44.1 kHz or below, devices often
    // at 48), half the default filter costs a third less and still keeps
    // what it makes 60 dB clean to 15 kHz; its images lie above 20 kHz.
    if (outRate > inRate)
        av->av_opt_set_int(swr_, "filter_size", kUpsamplingFilter, 0);
    if (av->swr_init(swr_) < 0)
        av->swr_free(&swr_);
}

Resampler::~Resampler()
{
    if (swr_)
        libAv()->swr_free(&swr_);
}

void Resampler::push(const qint16 *in, qsizetype frames, std::vector<float> &out)
{
    if (frames <= 0)
        return;
    const size_t at = out.size();
    if (same_) {
        out.resize(at + size_t(frames * channels_));
        std::transform(in, in + frames * channels_, out.begin() + qsizetype(at),
                       [](qint16 s) { return float(s) / 32768.0f; });
        return;
    }
    if (!swr_)
        return;
    const LibAv *av = libAv();
    // Pieces small enough for libswresample's int counts.
    for (qsizetype done = 0; done < frames;) {
        const int n = int(std::min<qsizetype>(frames - done, INT_MAX / 4));
        const int capacity = av->swr_get_out_samples(swr_, n) + 64;
        const size_t start = out.size();
        out.resize(start + size_t(capacity) * size_t(channels_));
        auto *outData = reinterpret_cast<uint8_t *>(out.data() + start);
        const auto *inData = reinterpret_cast<const uint8_t *>(in + done * channels_);
        const int made = av->swr_convert(swr_, &outData, capacity, &inData, n);
        out.resize(start + size_t(std::max(made, 0)) * size_t(channels_));
        done += n;
    }
}

void Resampler::finish(std::vector<float> &out)
{
    if (!swr_)
        return;
    const LibAv *av = libAv();
    const int capacity = av->swr_get_out_samples(swr_, 0) + 64;
    const size_t start = out.size();
    out.resize(start + size_t(capacity) * size_t(channels_));
    auto *outData = reinterpret_cast<uint8_t *>(out.data() + start);
    const int made = av->swr_convert(swr_, &outData, capacity, nullptr, 0);
    out.resize(start + size_t(std::max(made, 0)) * size_t(channels_));
}

StereoBuffer toStereo(const Pcm &pcm, int rate)
{
    if (pcm.frames() == 0 || pcm.rate <= 0 || rate <= 0 || pcm.channels < 1 || pcm.channels > 2)
        return {};
    std::vector<float> samples;
    Resampler resampler(pcm.channels, pcm.rate, rate);
    resampler.push(pcm.samples.data(), pcm.frames(), samples);
    resampler.finish(samples);
    if (pcm.channels == 2)
        return samples;
    // A mono sound is as loud on each side as it was alone.
    StereoBuffer out(samples.size() * 2);
    for (size_t i = 0; i < samples.size(); ++i)
        out[2 * i] = out[2 * i + 1] = samples[i];
    return out;
}

} // namespace sky::swf::audio
