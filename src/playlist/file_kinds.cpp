#include "playlist/file_kinds.h"

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

} // namespace sky
