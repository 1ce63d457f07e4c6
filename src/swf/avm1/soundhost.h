#pragma once

#include "swf/audio/id3tag.h"
#include "swf/audio/soundmixer.h"

#include <QString>

#include <optional>
#include <vector>

namespace sky::swf::avm1 {

// What the Sound object asks of the player: the movies' sounds, their
// mixers and the sound transforms of the clips. Clips are the Host's
// handles; owner 0 stands for every sound. Each movie on the stage, the
// main one and those loaded into clips and levels, has a library of sounds
// of its own, named by the clip that holds the movie (0 for the main
// movie); a voice's handle names it among the voices of every library.
class SoundHost {
public:
    virtual ~SoundHost() = default;
    // The library whose sounds the clip's scripts and Sound objects use:
    // that of the movie loaded into it or into the nearest clip it lies in.
    virtual int soundLibrary(int clip) = 0;
    // The sound exported under `name`, 0 when there is none.
    virtual quint16 exportedSound(int library, const QString &name) = 0;
    // Reads an MP3 file the script names, next to the movie; 0 when it is
    // a network address, missing or no MP3. `id3` gets the text of the
    // file's ID3 tag when it has one.
    virtual quint16 loadSoundFile(int library, const QString &url, std::optional<std::vector<audio::Id3Frame>> *id3) = 0;
    // Its length in milliseconds; -1 when it has none.
    virtual double soundDuration(int library, quint16 id) = 0;
    // Plays a sound `offset` seconds in, `loops` times, for the first clip
    // of `owners` (the clips it lies in follow); returns the voice, 0 when
    // nothing plays.
    virtual quint64 startSound(int library, quint16 id, double offset, int loops, const std::vector<int> &owners) = 0;
    // Stops the sounds of `owner` in every library, or only sound `id` of
    // the library when it is not 0.
    virtual void stopSounds(int library, int owner, quint16 id) = 0;
    // Milliseconds into the voice's sound; -1 once it has stopped.
    virtual double soundPosition(quint64 voice) = 0;
    // The voices that played to their end since the last call.
    virtual std::vector<quint64> finishedSounds() = 0;
    virtual audio::SoundTransform soundTransform(int owner) = 0;
    virtual void setSoundTransform(int owner, const audio::SoundTransform &transform) = 0;
};

} // namespace sky::swf::avm1
