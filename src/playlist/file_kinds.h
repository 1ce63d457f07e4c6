#pragma once

#include "playlist/playlist_format.h"

#include <QString>
#include <QStringList>

namespace sky {

// What the player does with a file it is handed by name (on the command
// line, from another start, dropped on it), told by the end of the name.

// ".pla" and ".m3u" files, in any case, are loaded as playlists.
bool isPlaylistFile(const QString &path);
// The reading rules of a playlist: ".pla" ones only for names ending in
// exactly "pla", so "LIST.PLA" is read as an ".m3u" file.
PlaylistRules playlistRulesFor(const QString &path);
// ".swf" files, in any case, open in the Flash window.
bool isFlashMovie(const QString &path);

// What files dragged onto the player are taken as. The first one decides:
// a folder, a playlist, or else media files, which are those of the files
// that match the file list's patterns. Nothing else is taken.
enum class DropKind { Refused, Media, Playlist, Folder };
struct FileDrop
{
    DropKind kind = DropKind::Refused;
    QStringList paths; // the folder, the playlist, or the media files in order
};
FileDrop classifyDrop(const QStringList &files, const QStringList &mediaPatterns);

} // namespace sky
