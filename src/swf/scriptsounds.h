#pragma once

#include "audio/id3tag.h"
#include "audio/soundmixer.h"

#include <QString>

#include <optional>
#include <vector>

namespace sky::swf {

// One movie's sounds as the Sound objects of scripts see them: the sounds
// it exports and those its scripts load, played through its mixer.
class ScriptSounds {
public:
    // Files the scripts load are looked for in `folder`.
    ScriptSounds(const audio::MovieSounds &sounds, audio::SoundMixer &mixer, const QString &folder);

    const audio::MovieSounds &movieSounds() const { return sounds_; }

    // The sound exported under `name`, 0 when there is none.
    quint16 exportedSound(const QString &name) const;
    // Reads an MP3 file by the address a script gives; 0 when it cannot.
    quint16 loadSoundFile(const QString &url, std::optional<std::vector<audio::Id3Frame>> *id3);
    // Milliseconds; -1 when it has no length.
    double soundDuration(quint16 id) const;
    quint64 startSound(quint16 id, double offset, int loops, const std::vector<int> &owners);
    // Milliseconds into the voice's sound; -1 when it is not playing here.
    double soundPosition(quint64 voice) const;

private:
    const audio::MovieSounds &sounds_;
    audio::SoundMixer &mixer_;
    QString folder_;
};

} // namespace sky::swf
