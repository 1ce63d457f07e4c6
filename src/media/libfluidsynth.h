#pragma once

#include <fluidsynth.h>

namespace sky {

// The functions of FluidSynth the MIDI renderer calls, found in the library
// the first time a MIDI file is played. Linked at start, the library and the
// forty it brings along (sound servers, sound file codecs, SDL) were looked
// up and relocated on every start of the player, played or not.
struct LibFluidSynth
{
    decltype(&::fluid_set_log_function) set_log_function;
    decltype(&::fluid_is_midifile) is_midifile;
    decltype(&::new_fluid_settings) new_settings;
    decltype(&::delete_fluid_settings) delete_settings;
    decltype(&::fluid_settings_setnum) settings_setnum;
    decltype(&::fluid_settings_setstr) settings_setstr;
    decltype(&::fluid_settings_setint) settings_setint;
    decltype(&::new_fluid_synth) new_synth;
    decltype(&::delete_fluid_synth) delete_synth;
    decltype(&::fluid_synth_sfload) synth_sfload;
    decltype(&::fluid_synth_write_s16) synth_write_s16;
    decltype(&::new_fluid_player) new_player;
    decltype(&::delete_fluid_player) delete_player;
    decltype(&::fluid_player_add) player_add;
    decltype(&::fluid_player_play) player_play;
    decltype(&::fluid_player_get_status) player_get_status;
    decltype(&::fluid_player_get_total_ticks) player_get_total_ticks;
    decltype(&::fluid_player_get_current_tick) player_get_current_tick;
};

// The library's functions, or nullptr when no usable FluidSynth is
// installed. Safe to call from any thread.
const LibFluidSynth *libFluidSynth();

} // namespace sky
