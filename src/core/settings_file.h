#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class QIODevice;

namespace sky {

struct Module1;
class Environment;

// The settings file "save.ata": 179 lines of text ended by CR LF, in a fixed
// order (options, skin settings, 80 skin paths, 80 skin names, the tip flag).
inline constexpr int kSettingsLineCount = 179;

enum class SettingsRead {
    Loaded,    // all 179 lines read
    Empty,     // a file of zero bytes: every start value stays
    Missing,   // the file cannot be opened
    Truncated, // the file ends early: the values read so far stay
};

// Reads the settings into module over its current values.
SettingsRead parseSettings(const QByteArray &content, Module1 &module);
SettingsRead readSettingsFile(const QString &path, Module1 &module);

QByteArray settingsFileContent(const Module1 &module);

// Lines ended by CR LF, a lone LF or a lone CR; a last line without an end
// counts too.
QList<QByteArray> splitLines(const QByteArray &content);

// False for text with a line break in it, which a line of the settings file
// or of a playlist cannot hold: it would come back as two.
bool fitsOnTextLine(const QString &text);

// The line without the byte order marks it begins with: a file's own, or
// one left where two files were joined together. A mark there is no text
// of the line's: a line read after one was written would lose it.
QByteArray withoutByteOrderMarks(const QByteArray &line);

// The same lines, read as UTF-8, each without the byte order marks it
// begins with.
QStringList splitTextLines(const QByteArray &content);

// The player's own text files (settings, playlists, tips) hold a few
// hundred kilobytes at most; more than this is never read.
inline constexpr qint64 kMaxTextFileBytes = 4 << 20;

// No address, path or tip is longer than this: a line is kept up to it.
inline constexpr qsizetype kMaxTextLineBytes = 8 << 10;

// The bytes of the first `count` such lines of the device (the LF of the
// last one's CR LF may be left out), each cut to kMaxTextLineBytes; the
// device is read at most one block of 4 KiB past them, never to its end. At
// most `maxBytes` are read: the lines that end within them.
QByteArray readLeadingLines(QIODevice &device, int count, qint64 maxBytes);

// The lines of a playlist or tip file that end within the limit.
QByteArray readTextFileLines(QIODevice &device);

// Where "save.ata" lives: beside the executable, or in the per-user data
// folder when the executable's folder is not writable.
QString settingsFilePath(Environment &environment);

} // namespace sky
