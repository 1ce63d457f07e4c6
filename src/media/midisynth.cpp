#include "media/midisynth.h"

#include "media/libfluidsynth.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <array>
#include <cstring>
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

void quietFluidSynth(const LibFluidSynth &fs)
{
    static std::once_flag once;
    std::call_once(once, [&fs] {
        for (int level : { FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG })
            fs.set_log_function(level, nullptr, nullptr);
    });
}

// Owns an object of the library, deleted by the library's own function.
template<typename T>
using Owned = std::unique_ptr<T, void (*)(T *)>;

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
bool playerDone(const LibFluidSynth &fs, fluid_player_t *player)
{
    const int total = fs.player_get_total_ticks(player);
    return fs.player_get_status(player) != FLUID_PLAYER_PLAYING
        || (total > 0 && fs.player_get_current_tick(player) >= total);
}

// Runs the player to its end, writing blocks of samples after the header.
bool synthesise(const LibFluidSynth &fs, fluid_synth_t *synth, fluid_player_t *player, QFile &out,
    const std::atomic<bool> &cancel)
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
        if (fs.synth_write_s16(synth, kBlockFrames, block.data(), 0, kChannels, block.data(), 1, kChannels)
            != FLUID_OK)
            return false;
        const auto bytes = qint64(sizeof(block));
        if (out.write(reinterpret_cast<const char *>(block.data()), bytes) != bytes)
            return false;
        frames += kBlockFrames;
        if (playerDone(fs, player))
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
    const LibFluidSynth *fs = libFluidSynth();
    if (!fs)
        return false;
    quietFluidSynth(*fs);
    const QByteArray midi = QFile::encodeName(midiPath);
    if (soundFont.isEmpty() || !fs->is_midifile(midi.constData()))
        return false;

    const Owned<fluid_settings_t> settings(fs->new_settings(), fs->delete_settings);
    if (!settings)
        return false;
    fs->settings_setnum(settings.get(), "synth.sample-rate", kSampleRate);
    // Events are timed by the samples written, not by the clock, so the
    // whole file renders as fast as the processor allows.
    fs->settings_setstr(settings.get(), "player.timing-source", "sample");
    fs->settings_setint(settings.get(), "synth.lock-memory", 0);

    const Owned<fluid_synth_t> synth(fs->new_synth(settings.get()), fs->delete_synth);
    if (!synth || fs->synth_sfload(synth.get(), QFile::encodeName(soundFont).constData(), 1) == FLUID_FAILED)
        return false;
    const Owned<fluid_player_t> player(fs->new_player(synth.get()), fs->delete_player);
    if (!player || fs->player_add(player.get(), midi.constData()) != FLUID_OK
        || fs->player_play(player.get()) != FLUID_OK)
        return false;

    QFile out(wavPath);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const bool ok = out.write(wavHeader(0)) == kHeaderBytes && synthesise(*fs, synth.get(), player.get(), out, cancel);
    out.close();
    if (!ok)
        out.remove();
    return ok;
}

} // namespace sky
