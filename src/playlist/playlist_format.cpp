#include "playlist/playlist_format.h"

#include "core/settings_file.h"

namespace sky {

QString shownName(const QString &source, qsizetype lineLength, const PathRules &paths)
{
    return rightChars(paths.bareName(source), lineLength + 1);
}

ParsedPlaylist parsePlaylist(const QByteArray &content, PlaylistRules rules, const QString &drivePrefix,
                             const PathRules &paths, int limit)
{
    ParsedPlaylist parsed;
    for (const QString &line : splitTextLines(content)) {
        if (line.isEmpty() || (rules == PlaylistRules::M3u && line.startsWith(QLatin1Char('#'))))
            continue;
        QString source = line;
        if (rules == PlaylistRules::Pla && (line.startsWith(QLatin1Char('\\')) || line.startsWith(QLatin1Char('/'))))
            source = drivePrefix + line;
        QString name = shownName(source, line.size(), paths);
        if (name.isEmpty())
            continue;
        if (static_cast<int>(parsed.entries.size()) == limit) {
            parsed.overLimit = true;
            break;
        }
        parsed.entries.push_back(PlaylistEntry{line, std::move(name)});
    }
    return parsed;
}

QByteArray playlistFileContent(const QStringList &addresses)
{
    QByteArray content;
    for (const QString &address : addresses)
        content += address.toUtf8() + "\r\n";
    return content;
}

} // namespace sky
