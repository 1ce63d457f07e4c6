// An MP3 file that a movie's script loads: its tag and frames are read, and
// the sound, if any, is decoded and mixed as a script would play it. The
// length its frames give bounds what the mixer gives out.

#include "fuzz_input.h"
#include "swf/audio/mp3file.h"
#include "swf/audio/soundmixer.h"

#include <vector>

void runFuzzInput(const uint8_t *data, size_t size)
{
    const auto mp3 = sky::swf::audio::readMp3File(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (!mp3)
        return;
    requireFuzz(mp3->sound.data.size() <= qsizetype(size) + 2, "the sound is made of the file");
    sky::swf::audio::SoundMixer mixer(std::make_shared<const sky::swf::audio::MovieSounds>(), 22050);
    const quint16 id = mixer.addSound(mp3->sound);
    mixer.playSound(id, 0, 2, {});
    std::vector<float> stereo(2 * 4096);
    for (int block = 0; block < 4; ++block)
        mixer.mix(stereo.data(), qsizetype(stereo.size() / 2));
}
