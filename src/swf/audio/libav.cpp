#include "libav.h"

#include "media/shared_library.h"

#include <QtDebug>

namespace sky::swf::audio {

namespace {

// The sonames of the versions the engine is built against.
constexpr const char *kLibraries[] = {
    "libavutil.so." AV_STRINGIFY(LIBAVUTIL_VERSION_MAJOR),
    "libavcodec.so." AV_STRINGIFY(LIBAVCODEC_VERSION_MAJOR),
    "libswresample.so." AV_STRINGIFY(LIBSWRESAMPLE_VERSION_MAJOR),
};

bool load(LibAv &av)
{
    void *library[std::size(kLibraries)] = {};
    for (std::size_t i = 0; i < std::size(kLibraries); ++i) {
        // They stay loaded for the rest of the run.
        if (!(library[i] = dlopen(kLibraries[i], RTLD_NOW | RTLD_LOCAL))) {
            qWarning("swf: %s not found (%s): compressed sounds stay silent", kLibraries[i], dlerror());
            return false;
        }
    }
    void *const util = library[0];
    void *const codec = library[1];
    void *const resample = library[2];
#define SKY_RESOLVE(from, name) resolveSymbol(from, #name, av.name)
    const bool resolved = SKY_RESOLVE(codec, avcodec_find_decoder) && SKY_RESOLVE(codec, avcodec_alloc_context3)
        && SKY_RESOLVE(codec, avcodec_open2) && SKY_RESOLVE(codec, avcodec_free_context)
        && SKY_RESOLVE(codec, avcodec_send_packet) && SKY_RESOLVE(codec, avcodec_receive_frame)
        && SKY_RESOLVE(codec, av_parser_init) && SKY_RESOLVE(codec, av_parser_parse2)
        && SKY_RESOLVE(codec, av_parser_close) && SKY_RESOLVE(codec, av_packet_alloc)
        && SKY_RESOLVE(codec, av_packet_free) && SKY_RESOLVE(util, av_frame_alloc)
        && SKY_RESOLVE(util, av_frame_unref) && SKY_RESOLVE(util, av_frame_free)
        && SKY_RESOLVE(util, av_channel_layout_default) && SKY_RESOLVE(util, av_sample_fmt_is_planar)
        && SKY_RESOLVE(util, av_get_packed_sample_fmt) && SKY_RESOLVE(util, av_opt_set_int)
        && SKY_RESOLVE(resample, swr_alloc_set_opts2)
        && SKY_RESOLVE(resample, swr_init) && SKY_RESOLVE(resample, swr_get_out_samples)
        && SKY_RESOLVE(resample, swr_convert) && SKY_RESOLVE(resample, swr_free);
#undef SKY_RESOLVE
    if (!resolved)
        qWarning("swf: the installed FFmpeg libraries lack a function sound decoding needs");
    return resolved;
}

} // namespace

const LibAv *libAv()
{
    // Made once; other threads wait for it.
    static LibAv av {};
    static const bool loaded = load(av);
    return loaded ? &av : nullptr;
}

} // namespace sky::swf::audio
