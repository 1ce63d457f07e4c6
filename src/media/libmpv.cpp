#include "media/libmpv.h"

#include "media/library_pages.h"
#include "media/shared_library.h"

#include <algorithm>
#include <cstdlib>

#include <QtDebug>

namespace sky {

namespace {

// libmpv's two hundred libraries look up the symbols they import among
// themselves first, and only then among the program's own (by default each
// lookup first went through the program and the forty-odd libraries of the
// toolkit): a sixth fewer instructions to open it, on the way to the first
// sound of a playlist named on the command line. Not when something stands
// in for the C library's allocator: the address sanitizer's runtime refuses
// such libraries, and an allocator preloaded (LD_PRELOAD, also how memory
// checkers and profilers come in) would be bound past, so that memory
// allocated on one side of the toolkit and libmpv was freed on the other.
#if defined(__SANITIZE_ADDRESS__)
#define SKY_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#define SKY_ADDRESS_SANITIZER __has_feature(address_sanitizer)
#else
#define SKY_ADDRESS_SANITIZER 0
#endif
// Read as the program starts, before any thread could change the environment.
#if SKY_ADDRESS_SANITIZER
const int kOwnLookupFirst = 0;
#else
const int kOwnLookupFirst = [] {
    const char *preloaded = std::getenv("LD_PRELOAD");
    return preloaded && *preloaded ? 0 : RTLD_DEEPBIND;
}();
#endif

// Sonames of the client API versions this code is written for, newest first.
constexpr const char *kLibraryNames[] = { "libmpv.so.2", "libmpv.so.1" };

bool load(LibMpv &mpv)
{
    // Lazily bound: of the functions its libraries import, only those
    // called are looked up, which spares a ninth of the work of starting
    // the player (libmpv itself is linked to be bound at once anyway).
    const std::vector<std::string> before = loadedLibraries();
    void *library = nullptr;
    for (const char *name : kLibraryNames) {
        if ((library = dlopen(name, RTLD_LAZY | RTLD_LOCAL | kOwnLookupFirst)))
            break;
    }
    if (!library) {
        qWarning("media: libmpv not found (%s)", dlerror());
        return false;
    }
    for (std::string &path : loadedLibraries()) {
        if (std::find(before.begin(), before.end(), path) == before.end())
            mpv.libraries.push_back(std::move(path));
    }
    const auto version = reinterpret_cast<unsigned long (*)()>(dlsym(library, "mpv_client_api_version"));
    if (!version || (version() >> 16) != (MPV_CLIENT_API_VERSION >> 16)) {
        qWarning("media: the installed libmpv speaks another version of its interface");
        return false;
    }
    // The library stays loaded for the rest of the run. Each member is named
    // after its function, without the "mpv_" prefix.
#define SKY_RESOLVE(member) resolveSymbol(library, "mpv_" #member, mpv.member)
    const bool resolved = SKY_RESOLVE(create) && SKY_RESOLVE(set_option_string) && SKY_RESOLVE(initialize)
        && SKY_RESOLVE(terminate_destroy) && SKY_RESOLVE(set_wakeup_callback) && SKY_RESOLVE(command_async)
        && SKY_RESOLVE(set_property_async) && SKY_RESOLVE(observe_property) && SKY_RESOLVE(unobserve_property)
        && SKY_RESOLVE(get_property)        && SKY_RESOLVE(wait_event)
        && SKY_RESOLVE(render_context_create) && SKY_RESOLVE(render_context_set_update_callback)
        && SKY_RESOLVE(render_context_update) && SKY_RESOLVE(render_context_render)
        && SKY_RESOLVE(render_context_report_swap) && SKY_RESOLVE(render_context_free);
#undef SKY_RESOLVE
    return resolved;
}

} // namespace

const LibMpv *libMpv()
{
    static LibMpv mpv {};
    static const bool loaded = load(mpv);
    return loaded ? &mpv : nullptr;
}

} // namespace sky
