#include "media/midisynth.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <array>
#include <cstring>
#include <fluidsynth.h>
#include <memory>
#include <mutex>

namespace sky {

namespace {

constexpr int kSampleRate = 44100;
constexpr int kChannels = 2;
constexpr int kBlockFrames = 4096;
// Notes still sounding when the last event has played fade out in this.
constexpr qint64 kTailFrames = kSampleRate;
// A file that would play longer than this is cut off rather than fill the disk.
constexpr qint64 kMaxFrames = qint64(kSampleRate) * 60 * 60;
constexpr int kHeaderBytes = 44;

const QString kSoundFontDir = QStringLiteral("/usr/share/sounds/sf2");
const QString kPreferredSoundFont = QStringLiteral("TimGM6mb.sf2");

void quietFluidSynth()
{
    static std::once_flag once;
    std::call_once(once, [] {
        for (int level : { FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG })
            fluid_set_log_function(level, nullptr, nullptr);
    });
}

struct SettingsDeleter
{
    void operator()(fluid_settings_t *p) const { delete_fluid_settings(p); }
};
struct SynthDeleter
{
    void operator()(fluid_synth_t *p) const { delete_fluid_synth(p); }
};
struct PlayerDeleter
{
    void operator()(fluid_player_t *p) const { delete_fluid_player(p); }
};

QByteArray wavHeader(quint32 dataBytes)
{
    QByteArray header(kHeaderBytes, '\0');
    auto put32 = [&](int at, quint32 v) { qToLittleEndian(v, header.data() + at); };
    auto put16 = [&](int at, quint16 v) { qToLittleEndian(v, header.data() + at); };
    auto putTag = [&](int at, const char *tag) { std::memcpy(header.data() + at, tag, std::strlen(tag)); };
    putTag(0, "RIFF");
    put32(4, 36 + dataBytes);
    putTag(8, "WAVEfmt ");
    put32(16, 16);
    put16(20, 1); // PCM
    put16(22, kChannels);
    put32(24, kSampleRate);
    put32(28, kSampleRate * kChannels * 2);
    put16(32, kChannels * 2);
    put16(34, 16);
    putTag(36, "data");
    put32(40, dataBytes);
    return header;
}

// The player itself reports the end some seconds after the last event; the
// tick count tells it at once (a file without events has no ticks).
bool playerDone(fluid_player_t *player)
{
    const int total = fluid_player_get_total_ticks(player);
    return fluid_player_get_status(player) != FLUID_PLAYER_PLAYING
        || (total > 0 && fluid_player_get_current_tick(player) >= total);
}

// Runs the player to its end, writing blocks of samples after the header.
bool synthesise(fluid_synth_t *synth, fluid_player_t *player, QFile &out, const std::atomic<bool> &cancel)
{
    std::array<qint16, std::size_t(kBlockFrames) * kChannels> block {};
    qint64 frames = 0;
    // fluid_is_midifile() looks at the first bytes only; a file the player
    // cannot parse ends before it has any ticks.
    bool parsed = false;
    qint64 tailLeft = kTailFrames;
    while (tailLeft > 0 && frames < kMaxFrames) {
        if (cancel.load(std::memory_order_relaxed))
            return false;
        if (fluid_synth_write_s16(synth, kBlockFrames, block.data(), 0, kChannels, block.data(), 1, kChannels)
            != FLUID_OK)
            return false;
        const auto bytes = qint64(sizeof(block));
        if (out.write(reinterpret_cast<const char *>(block.data()), bytes) != bytes)
            return false;
        frames += kBlockFrames;
        if (playerDone(player))
            tailLeft -= kBlockFrames;
        else
            parsed = true;
    }
    const auto dataBytes = quint32(frames * kChannels * 2);
    return parsed && out.seek(0) && out.write(wavHeader(dataBytes)) == kHeaderBytes;
}

} // namespace

QString findSoundFont()
{
    const QDir dir(kSoundFontDir);
    if (dir.exists(kPreferredSoundFont))
        return dir.filePath(kPreferredSoundFont);
    const QFileInfoList others = dir.entryInfoList({ QStringLiteral("*.sf2") }, QDir::Files, QDir::Name);
    return others.isEmpty() ? QString() : others.first().absoluteFilePath();
}

bool renderMidiToWav(
    const QString &midiPath, const QString &wavPath, const QString &soundFont, const std::atomic<bool> &cancel)
{
    quietFluidSynth();
    const QByteArray midi = QFile::encodeName(midiPath);
    if (soundFont.isEmpty() || !fluid_is_midifile(midi.constData()))
        return false;

    std::unique_ptr<fluid_settings_t, SettingsDeleter> settings(new_fluid_settings());
    if (!settings)
        return false;
    fluid_settings_setnum(settings.get(), "synth.sample-rate", kSampleRate);
    // Events are timed by the samples written, not by the clock, so the
    // whole file renders as fast as the processor allows.
    fluid_settings_setstr(settings.get(), "player.timing-source", "sample");
    fluid_settings_setint(settings.get(), "synth.lock-memory", 0);

    std::unique_ptr<fluid_synth_t, SynthDeleter> synth(new_fluid_synth(settings.get()));
    if (!synth || fluid_synth_sfload(synth.get(), QFile::encodeName(soundFont).constData(), 1) == FLUID_FAILED)
        return false;
    std::unique_ptr<fluid_player_t, PlayerDeleter> player(new_fluid_player(synth.get()));
    if (!player || fluid_player_add(player.get(), midi.constData()) != FLUID_OK
        || fluid_player_play(player.get()) != FLUID_OK)
        return false;

    QFile out(wavPath);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const bool ok = out.write(wavHeader(0)) == kHeaderBytes && synthesise(synth.get(), player.get(), out, cancel);
    out.close();
    if (!ok)
        out.remove();
    return ok;
}

} // namespace sky
