#pragma once

#include <QString>
#include <atomic>

namespace sky {

// The General MIDI soundfont MIDI files are played with, or "" when none is
// installed.
QString findSoundFont();

// Synthesises a Standard MIDI File into a 16-bit stereo 44.1 kHz WAV file.
// Runs for as long as the synthesis takes, so it belongs on a worker thread;
// it gives up soon after `cancel` becomes true. Returns false (and leaves no
// output) when the file is not MIDI, the soundfont does not load, writing
// fails or the job was cancelled.
bool renderMidiToWav(
    const QString &midiPath, const QString &wavPath, const QString &soundFont, const std::atomic<bool> &cancel);

} // namespace sky
