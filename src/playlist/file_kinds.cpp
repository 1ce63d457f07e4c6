#include "playlist/file_kinds.h"

#include <QDir>
#include <QFileInfo>

namespace sky {

namespace {

bool hasExtension(const QString &path, QLatin1StringView extension)
{
    return path.endsWith(QLatin1Char('.') + extension, Qt::CaseInsensitive);
}

} // namespace

bool isPlaylistFile(const QString &path)
{
    return hasExtension(path, QLatin1StringView("pla")) || hasExtension(path, QLatin1StringView("m3u"));
}

PlaylistRules playlistRulesFor(const QString &path)
{
    return path.endsWith(QStringLiteral("pla")) ? PlaylistRules::Pla : PlaylistRules::M3u;
}

bool isFlashMovie(const QString &path)
{
    return hasExtension(path, QLatin1StringView("swf"));
}

FileDrop classifyDrop(const QStringList &files, const QStringList &mediaPatterns)
{
    if (files.isEmpty())
        return {};
    const QFileInfo first(files.constFirst());
    if (first.isDir())
        return {DropKind::Folder, {first.absoluteFilePath()}};
    if (first.isFile() && isPlaylistFile(first.fileName()))
        return {DropKind::Playlist, {first.absoluteFilePath()}};
    FileDrop media{DropKind::Media, {}};
    for (const QString &file : files) {
        const QFileInfo info(file);
        if (info.isFile() && QDir::match(mediaPatterns, info.fileName()))
            media.paths.append(info.absoluteFilePath());
    }
    return media.paths.isEmpty() ? FileDrop{} : media;
}

} // namespace sky
