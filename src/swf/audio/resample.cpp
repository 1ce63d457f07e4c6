#include "resample.h"

#include "libav.h"

namespace sky::swf::audio {

namespace {

// Interleaved float samples of `channels` (1 or 2) at `rate`.
std::vector<float> resampled(const Pcm &pcm, int rate)
{
    std::vector<float> out;
    const qsizetype inFrames = pcm.frames();
    if (pcm.rate == rate) {
        out.reserve(pcm.samples.size());
        for (qint16 s : pcm.samples)
            out.push_back(s / 32768.0f);
        return out;
    }
    const LibAv *av = libAv();
    if (!av)
        return out;
    AVChannelLayout layout;
    av->av_channel_layout_default(&layout, pcm.channels);
    SwrContext *swr = nullptr;
    if (av->swr_alloc_set_opts2(&swr, &layout, AV_SAMPLE_FMT_FLT, rate, &layout, AV_SAMPLE_FMT_S16, pcm.rate, 0, nullptr)
            < 0
        || !swr)
        return out;
    if (av->swr_init(swr) >= 0) {
        const int capacity = av->swr_get_out_samples(swr, int(inFrames)) + 64;
        out.resize(size_t(capacity) * size_t(pcm.channels));
        auto *outData = reinterpret_cast<uint8_t *>(out.data());
        const auto *inData = reinterpret_cast<const uint8_t *>(pcm.samples.data());
        int made = av->swr_convert(swr, &outData, capacity, &inData, int(inFrames));
        if (made >= 0) {
            auto *rest = reinterpret_cast<uint8_t *>(out.data() + size_t(made) * size_t(pcm.channels));
            made += std::max(av->swr_convert(swr, &rest, capacity - made, nullptr, 0), 0);
        }
        out.resize(size_t(std::max(made, 0)) * size_t(pcm.channels));
    }
    av->swr_free(&swr);
    return out;
}

} // namespace

StereoBuffer toStereo(const Pcm &pcm, int rate)
{
    if (pcm.frames() == 0 || pcm.rate <= 0 || rate <= 0 || pcm.channels < 1 || pcm.channels > 2)
        return {};
    std::vector<float> samples = resampled(pcm, rate);
    if (pcm.channels == 2)
        return samples;
    // A mono sound is as loud on each side as it was alone.
    StereoBuffer out(samples.size() * 2);
    for (size_t i = 0; i < samples.size(); ++i)
        out[2 * i] = out[2 * i + 1] = samples[i];
    return out;
}

} // namespace sky::swf::audio
