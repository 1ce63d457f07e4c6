#pragma once

#include <mpv/client.h>
#include <mpv/render_gl.h>
#include <string>
#include <vector>

namespace sky {

// The functions of libmpv the player calls, found in the library when it is
// first needed. The library is opened with a symbol scope of its own: the
// two hundred libraries it brings along (codecs, audio and video outputs)
// then stay out of every later symbol lookup in the process, the OpenGL
// driver's above all, which makes the video view come up much faster.
struct LibMpv
{
    decltype(&::mpv_create) create;
    decltype(&::mpv_set_option_string) set_option_string;
    decltype(&::mpv_initialize) initialize;
    decltype(&::mpv_terminate_destroy) terminate_destroy;
    decltype(&::mpv_set_wakeup_callback) set_wakeup_callback;
    decltype(&::mpv_command_async) command_async;
    decltype(&::mpv_set_property_async) set_property_async;
    decltype(&::mpv_observe_property) observe_property;
    decltype(&::mpv_unobserve_property) unobserve_property;
    decltype(&::mpv_get_property) get_property;
    decltype(&::mpv_wait_event) wait_event;
    decltype(&::mpv_render_context_create) render_context_create;
    decltype(&::mpv_render_context_set_update_callback) render_context_set_update_callback;
    decltype(&::mpv_render_context_update) render_context_update;
    decltype(&::mpv_render_context_render) render_context_render;
    decltype(&::mpv_render_context_report_swap) render_context_report_swap;
    decltype(&::mpv_render_context_free) render_context_free;
    // The libraries that came with it, libmpv's own included.
    std::vector<std::string> libraries;
};

// The library's functions, or nullptr when no usable libmpv is installed.
const LibMpv *libMpv();

} // namespace sky
