#include "mediafixtures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>
#include <cmath>

namespace fixtures {

namespace {

void append32(QByteArray &out, quint32 v)
{
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}

void append16(QByteArray &out, quint16 v)
{
    char b[2];
    qToLittleEndian(v, b);
    out.append(b, 2);
}

void appendBig32(QByteArray &out, quint32 v)
{
    char b[4];
    qToBigEndian(v, b);
    out.append(b, 4);
}

void appendVarLen(QByteArray &out, quint32 v)
{
    QByteArray bytes(1, char(v & 0x7f));
    while ((v >>= 7) != 0)
        bytes.prepend(char((v & 0x7f) | 0x80));
    out.append(bytes);
}

} // namespace

QByteArray wavBytes(double seconds)
{
    const quint32 rate = 8000;
    const auto frames = quint32(seconds * rate);
    QByteArray out("RIFF");
    append32(out, 36 + frames * 2);
    out.append("WAVEfmt ");
    append32(out, 16);
    append16(out, 1);
    append16(out, 1);
    append32(out, rate);
    append32(out, rate * 2);
    append16(out, 2);
    append16(out, 16);
    out.append("data");
    append32(out, frames * 2);
    for (quint32 i = 0; i < frames; ++i)
        append16(out, quint16(qint16(8000 * std::sin(2 * M_PI * 440 * i / rate))));
    return out;
}

QByteArray midiBytes(int notes, double noteSeconds)
{
    const int division = 480; // ticks per quarter note; 120 bpm = 960 ticks/s
    const auto noteTicks = quint32(noteSeconds * 2 * division);
    QByteArray track;
    for (int i = 0; i < notes; ++i) {
        appendVarLen(track, 0);
        track.append("\x90", 1).append(char(60 + i % 12)).append(char(100));
        appendVarLen(track, noteTicks);
        track.append("\x80", 1).append(char(60 + i % 12)).append(char(0));
    }
    appendVarLen(track, 0);
    track.append("\xff\x2f\x00", 3);

    QByteArray out("MThd");
    appendBig32(out, 6);
    out.append("\x00\x00\x00\x01", 4);
    out.append(char(division >> 8)).append(char(division & 0xff));
    out.append("MTrk");
    appendBig32(out, quint32(track.size()));
    return out + track;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QString make(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = dir.filePath(name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (!writeFile(path, bytes))
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

sky::MpvEngineOptions silentOptions(bool untimed)
{
    sky::MpvEngineOptions options;
    options.mpvOptions << QStringLiteral("ao=null");
    if (untimed)
        options.mpvOptions << QStringLiteral("untimed=yes") << QStringLiteral("ao-null-untimed=yes");
    return options;
}

bool ffmpegMake(const QString &outPath, double seconds, bool withVideo, const QStringList &args)
{
    const QString length = QString::number(seconds);
    QStringList all { QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y"), QStringLiteral("-f"),
        QStringLiteral("lavfi"), QStringLiteral("-i"),
        QStringLiteral("sine=frequency=440:sample_rate=44100:duration=") + length };
    if (withVideo) {
        all << QStringLiteral("-f") << QStringLiteral("lavfi") << QStringLiteral("-i")
            << QStringLiteral("testsrc=size=160x120:rate=25:duration=") + length;
    }
    all << args << outPath;
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"), all);
    return ffmpeg.waitForFinished(60000) && ffmpeg.exitStatus() == QProcess::NormalExit && ffmpeg.exitCode() == 0;
}

} // namespace fixtures
