#include "media/libmpv.h"

#include <QtDebug>
#include <dlfcn.h>

namespace sky {

namespace {

// Sonames of the client API versions this code is written for, newest first.
constexpr const char *kLibraryNames[] = { "libmpv.so.2", "libmpv.so.1" };

template<typename Function>
bool resolve(void *library, const char *name, Function &function)
{
    function = reinterpret_cast<Function>(dlsym(library, name));
    return function != nullptr;
}

bool load(LibMpv &mpv)
{
    void *library = nullptr;
    for (const char *name : kLibraryNames) {
        if ((library = dlopen(name, RTLD_NOW | RTLD_LOCAL)))
            break;
    }
    if (!library) {
        qWarning("media: libmpv not found (%s)", dlerror());
        return false;
    }
    const auto version = reinterpret_cast<unsigned long (*)()>(dlsym(library, "mpv_client_api_version"));
    if (!version || (version() >> 16) != (MPV_CLIENT_API_VERSION >> 16)) {
        qWarning("media: the installed libmpv speaks another version of its interface");
        return false;
    }
    // The library stays loaded for the rest of the run.
    return resolve(library, "mpv_create", mpv.create)
        && resolve(library, "mpv_set_option_string", mpv.set_option_string)
        && resolve(library, "mpv_initialize", mpv.initialize)
        && resolve(library, "mpv_terminate_destroy", mpv.terminate_destroy)
        && resolve(library, "mpv_set_wakeup_callback", mpv.set_wakeup_callback)
        && resolve(library, "mpv_command_async", mpv.command_async)
        && resolve(library, "mpv_set_property_async", mpv.set_property_async)
        && resolve(library, "mpv_observe_property", mpv.observe_property)
        && resolve(library, "mpv_wait_event", mpv.wait_event)
        && resolve(library, "mpv_render_context_create", mpv.render_context_create)
        && resolve(library, "mpv_render_context_set_update_callback", mpv.render_context_set_update_callback)
        && resolve(library, "mpv_render_context_update", mpv.render_context_update)
        && resolve(library, "mpv_render_context_render", mpv.render_context_render)
        && resolve(library, "mpv_render_context_report_swap", mpv.render_context_report_swap)
        && resolve(library, "mpv_render_context_free", mpv.render_context_free);
}

} // namespace

const LibMpv *libMpv()
{
    static LibMpv mpv {};
    static const bool loaded = load(mpv);
    return loaded ? &mpv : nullptr;
}

} // namespace sky
