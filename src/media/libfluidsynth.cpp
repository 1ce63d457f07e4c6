#include "media/libfluidsynth.h"

#include "media/shared_library.h"

#include <QtDebug>

namespace sky {

namespace {

bool load(LibFluidSynth &fs)
{
    // The soname of the interface this code is written for; lazily bound
    // as libmpv is (libmpv.cpp).
    void *library = dlopen("libfluidsynth.so.3", RTLD_LAZY | RTLD_LOCAL);
    if (!library) {
        qWarning("media: FluidSynth not found (%s)", dlerror());
        return false;
    }
    // The library stays loaded for the rest of the run.
    const bool resolved = resolveSymbol(library, "fluid_set_log_function", fs.set_log_function)
        && resolveSymbol(library, "fluid_is_midifile", fs.is_midifile)
        && resolveSymbol(library, "new_fluid_settings", fs.new_settings)
        && resolveSymbol(library, "delete_fluid_settings", fs.delete_settings)
        && resolveSymbol(library, "fluid_settings_setnum", fs.settings_setnum)
        && resolveSymbol(library, "fluid_settings_setstr", fs.settings_setstr)
        && resolveSymbol(library, "fluid_settings_setint", fs.settings_setint)
        && resolveSymbol(library, "new_fluid_synth", fs.new_synth)
        && resolveSymbol(library, "delete_fluid_synth", fs.delete_synth)
        && resolveSymbol(library, "fluid_synth_sfload", fs.synth_sfload)
        && resolveSymbol(library, "fluid_synth_write_s16", fs.synth_write_s16)
        && resolveSymbol(library, "new_fluid_player", fs.new_player)
        && resolveSymbol(library, "delete_fluid_player", fs.delete_player)
        && resolveSymbol(library, "fluid_player_add", fs.player_add)
        && resolveSymbol(library, "fluid_player_play", fs.player_play)
        && resolveSymbol(library, "fluid_player_get_status", fs.player_get_status)
        && resolveSymbol(library, "fluid_player_get_total_ticks", fs.player_get_total_ticks)
        && resolveSymbol(library, "fluid_player_get_current_tick", fs.player_get_current_tick);
    if (!resolved)
        qWarning("media: the installed FluidSynth lacks a function the player needs");
    return resolved;
}

} // namespace

const LibFluidSynth *libFluidSynth()
{
    // A function-local static is made once, and other threads wait for it.
    static LibFluidSynth fs {};
    static const bool loaded = load(fs);
    return loaded ? &fs : nullptr;
}

} // namespace sky
