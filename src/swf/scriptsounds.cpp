#include "scriptsounds.h"

#include "audio/mp3file.h"
#include "moviefiles.h"

#include <cmath>

namespace sky::swf {

namespace {

// No sound file larger than this is read.
constexpr qint64 maxSoundFileBytes = 64 * 1024 * 1024;

} // namespace

ScriptSounds::ScriptSounds(const audio::MovieSounds &sounds, audio::SoundMixer &mixer, const QString &folder)
    : sounds_(sounds)
    , mixer_(mixer)
    , folder_(folder)
{
}

quint16 ScriptSounds::exportedSound(const QString &name) const
{
    // Linkage names are matched in any case, as the authoring tool did.
    for (const auto &[exported, id] : sounds_.exports)
        if (exported.compare(name, Qt::CaseInsensitive) == 0 && sounds_.sounds.contains(id))
            return id;
    return 0;
}

quint16 ScriptSounds::loadSoundFile(const QString &url, std::optional<std::vector<audio::Id3Frame>> *id3)
{
    const std::optional<QByteArray> data = readMovieFile(folder_, url, maxSoundFileBytes);
    if (!data)
        return 0;
    const auto mp3 = audio::readMp3File(*data);
    if (!mp3)
        return 0;
    *id3 = mp3->id3;
    return mixer_.addSound(mp3->sound);
}

double ScriptSounds::soundDuration(quint16 id) const
{
    // The length the sound's tag or frames give, as the original player
    // reported it.
    const audio::SoundDefinition *sound = mixer_.definition(id);
    if (!sound || sound->format.rate <= 0)
        return -1;
    return double(sound->sampleCount) * 1000.0 / sound->format.rate;
}

quint64 ScriptSounds::startSound(quint16 id, double offset, int loops, const std::vector<int> &owners)
{
    return mixer_.playSound(id, qsizetype(std::llround(offset * mixer_.outputRate())), loops, owners);
}

double ScriptSounds::soundPosition(quint64 voice) const
{
    const qsizetype at = mixer_.voicePosition(voice);
    return at < 0 ? -1 : double(at) * 1000.0 / mixer_.outputRate();
}

} // namespace sky::swf
