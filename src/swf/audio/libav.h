#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

namespace sky::swf::audio {

// The functions of FFmpeg's libraries that sound decoding calls, found when
// a movie's first compressed or resampled sound needs them. Linked, the
// hundred libraries libavcodec brings (every codec's, down to image and
// font libraries) were loaded and relocated at every start of every
// program built on the engine, the media player's included.
struct LibAv
{
    decltype(&::avcodec_find_decoder) avcodec_find_decoder;
    decltype(&::avcodec_alloc_context3) avcodec_alloc_context3;
    decltype(&::avcodec_open2) avcodec_open2;
    decltype(&::avcodec_free_context) avcodec_free_context;
    decltype(&::avcodec_send_packet) avcodec_send_packet;
    decltype(&::avcodec_receive_frame) avcodec_receive_frame;
    decltype(&::av_parser_init) av_parser_init;
    decltype(&::av_parser_parse2) av_parser_parse2;
    decltype(&::av_parser_close) av_parser_close;
    decltype(&::av_packet_alloc) av_packet_alloc;
    decltype(&::av_packet_free) av_packet_free;
    decltype(&::av_frame_alloc) av_frame_alloc;
    decltype(&::av_frame_unref) av_frame_unref;
    decltype(&::av_frame_free) av_frame_free;
    decltype(&::av_channel_layout_default) av_channel_layout_default;
    decltype(&::av_sample_fmt_is_planar) av_sample_fmt_is_planar;
    decltype(&::av_get_packed_sample_fmt) av_get_packed_sample_fmt;
    decltype(&::av_opt_set_int) av_opt_set_int;
    decltype(&::swr_alloc_set_opts2) swr_alloc_set_opts2;
    decltype(&::swr_init) swr_init;
    decltype(&::swr_get_out_samples) swr_get_out_samples;
    decltype(&::swr_convert) swr_convert;
    decltype(&::swr_free) swr_free;
};

// The libraries' functions, or nullptr when they are not installed (every
// compressed sound is then silent).
const LibAv *libAv();

} // namespace sky::swf::audio
