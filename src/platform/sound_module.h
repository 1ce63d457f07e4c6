#pragma once

#include "platform/paced_sound.h"
#include "platform/services.h"

#include <QString>

#include <memory>

namespace sky {

// The desktop's sound output, from the module beside the program
// (kSoundModule): Qt Multimedia and the sound server's libraries that it
// brings are loaded when a movie first has sound, not at every start of the
// player. Without the module the sources are pulled at the pace of the
// clock and their sound is dropped, as with no sound device.
class ModuleSoundOutput : public SoundOutput
{
public:
    explicit ModuleSoundOutput(QString folder);
    ~ModuleSoundOutput() override;

    int rate() override;
    void start(Source source) override;
    void stop() override;
    qsizetype queuedFrames() override;

private:
    // Opens the module once; false when it cannot be used.
    bool load();

    const QString m_folder;
    bool m_tried = false;
    std::unique_ptr<SoundOutput> m_output;
    PacedSound m_silent; // without the module
};

// The module's file name, and the function in it that makes the output.
inline constexpr char kSoundModule[] = "skyvantrix-sound.so";
inline constexpr char kSoundModuleEntry[] = "skyvantrixSoundOutput";

} // namespace sky
