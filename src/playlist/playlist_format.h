#pragma once

#include "platform/paths.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

namespace sky {

// Playlist files hold one entry address per line. ".pla" files take every
// non-empty line; ".m3u" files also skip lines that begin with "#". They are
// written in UTF-8; a line that is not UTF-8 is read as Windows-1252, and a
// file that begins with a UTF-16 byte order mark is read as UTF-16.
enum class PlaylistRules { Pla, M3u };

struct PlaylistEntry
{
    QString address; // the line exactly as read
    QString name;    // the text the playlist shows
};

struct ParsedPlaylist
{
    std::vector<PlaylistEntry> entries;
    // More entries than the limit were found; only the first ones are kept.
    bool overLimit = false;
};

// The name shown for an entry: the bare name of source, but never more than
// its last lineLength + 1 characters.
QString shownName(const QString &source, qsizetype lineLength, const PathRules &paths);

// A line that begins with a separator names a file on the drive of the
// playlist itself: drivePrefix goes in front of it when its name is derived.
// Lines whose name comes out empty (a line ending in a separator) are
// skipped, so list lines and entries stay aligned.
ParsedPlaylist parsePlaylist(const QByteArray &content, PlaylistRules rules, const QString &drivePrefix,
                             const PathRules &paths, int limit);

// One address a line, each ended by CR LF, in UTF-8.
QByteArray playlistFileContent(const QStringList &addresses);

} // namespace sky
