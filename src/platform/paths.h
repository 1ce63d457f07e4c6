#pragma once

#include <QString>

namespace sky {

// The path rules of the player, written once for both conventions: the
// Windows one ("C:\Music", roots of three characters such as "C:\") and the
// native one ("/home/me/Music", the root "/").
class PathRules
{
public:
    enum class Convention { Windows, Native };

    static const PathRules &windows();
    static const PathRules &native();

    Convention convention() const { return m_convention; }
    QChar separator() const { return m_separator; }

    // A folder that already ends in its separator: "C:\" or "/".
    bool isRoot(const QString &folder) const;

    // Folder, separator and name; no separator is added after a root.
    QString join(const QString &folder, const QString &name) const;

    // The address that plays a browsed file: a name whose last three
    // characters are exactly "cda" is an audio-CD track, "wmpcd://0/" and
    // the first two of the name's last six characters; any other file is
    // the joined path.
    QString entryAddress(const QString &folder, const QString &name) const;

    // The characters after the last separator, collected from the end
    // (the whole text when there is no separator). A CD-track address names
    // no folder: its name is the whole address.
    QString bareName(const QString &path) const;

    // What stands in front of a path that starts at the root of the drive
    // of `path`: its drive letter and colon ("D:") on Windows, nothing on
    // Linux, where a path that starts with "/" is already complete.
    QString drivePrefix(const QString &path) const;

private:
    PathRules(Convention convention, QChar separator);

    Convention m_convention;
    QChar m_separator;
};

// The last n characters of text, or all of it when shorter.
QString rightChars(const QString &text, qsizetype n);

// True when name's last three characters are exactly "cda".
bool isCdTrackName(const QString &name);

// "wmpcd://0/" and the first two of the last six characters of name.
QString cdTrackAddress(const QString &name);

// True for an address that plays a track of an audio CD ("wmpcd://0/05").
bool isCdTrackAddress(const QString &address);

} // namespace sky
