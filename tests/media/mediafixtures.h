#pragma once

#include "media/mpvengine.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

class QTemporaryDir;

// Media files made by the tests themselves, and the engine that plays them.
namespace fixtures {

constexpr int kLoadTimeoutMs = 15000;
// No sound device; `untimed`: as fast as it decodes.
sky::MpvEngineOptions silentOptions(bool untimed);

// A 16-bit mono 8 kHz sine tone of the given length.
QByteArray wavBytes(double seconds);
// A format-0 Standard MIDI File playing one note after another, each
// `noteSeconds` long, at 120 beats per minute.
QByteArray midiBytes(int notes, double noteSeconds);

bool writeFile(const QString &path, const QByteArray &bytes);
// Writes `name` under `dir` (ending the run if it cannot); returns its path.
QString make(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes = QByteArray("x"));

// Runs the ffmpeg command-line tool with `args` after the input options for
// a test tone (and a test picture when `withVideo`) of `seconds`; returns
// false when ffmpeg is missing or fails.
bool ffmpegMake(const QString &outPath, double seconds, bool withVideo, const QStringList &args);

} // namespace fixtures
