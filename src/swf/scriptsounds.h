#pragma once

#include "audio/soundmixer.h"
#include "avm1/soundhost.h"

namespace sky::swf {

// The movie's sounds as the Sound objects of its scripts see them: the
// sounds it exports, played through its mixer.
class ScriptSounds : public avm1::SoundHost {
public:
    // Files the scripts load are looked for in `folder`.
    ScriptSounds(const audio::MovieSounds &sounds, audio::SoundMixer &mixer, const QString &folder);

    const audio::MovieSounds &movieSounds() const { return sounds_; }

    quint16 exportedSound(const QString &name) override;
    quint16 loadSoundFile(const QString &url, std::optional<std::vector<audio::Id3Frame>> *id3) override;
    double soundDuration(quint16 id) override;
    quint64 startSound(quint16 id, double offset, int loops, const std::vector<int> &owners) override;
    void stopSounds(int owner, quint16 id) override;
    double soundPosition(quint64 voice) override;
    std::vector<quint64> finishedSounds() override;
    audio::SoundTransform soundTransform(int owner) override;
    void setSoundTransform(int owner, const audio::SoundTransform &transform) override;

private:
    const audio::MovieSounds &sounds_;
    audio::SoundMixer &mixer_;
    QString folder_;
};

} // namespace sky::swf
