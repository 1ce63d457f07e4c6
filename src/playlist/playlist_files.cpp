#include "core/module1.h"
#include "core/settings_file.h"
#include "mainwindow/form1.h"
#include "platform/file_saving.h"
#include "playlist/file_kinds.h"

#include <QFile>
#include <QFileInfo>

namespace sky {

namespace {

void prepareDialog(CommonDialog &dialog, const QString &filter, const QString &title, const QString &initialDir)
{
    dialog.CancelError = true;
    dialog.Filter = filter;
    dialog.DialogTitle = title;
    dialog.InitDir = initialDir;
}

} // namespace

void Form1::Command17_Click()
{
    prepareDialog(CommonDialog1, QStringLiteral("Playlist Files (*.pla)|*.pla|Playlist Files(*.m3u)|*.m3u"),
                  QStringLiteral(" Save Playlist "), services().environment.applicationFolder() + paths().separator());
    try {
        CommonDialog1.ShowSave();
    } catch (const DialogCancelled &) {
        return;
    }
    QStringList addresses;
    for (int i = 0; i < kMaxPlaylistEntries && !m.PlaylistPath[static_cast<std::size_t>(i)].isEmpty(); ++i)
        addresses.append(m.PlaylistPath[static_cast<std::size_t>(i)]);
    saveUserFile(services().messageBox, CommonDialog1.FileName, playlistFileContent(addresses));
}

void Form1::Command18_Click()
{
    prepareDialog(CommonDialog1, QStringLiteral("Playlist Files (*.pla)|*.pla|Playlist Files (*.m3u)|*.m3u"),
                  QStringLiteral(" Open Playlist "), services().environment.applicationFolder() + paths().separator());
    try {
        CommonDialog1.ShowOpen();
    } catch (const DialogCancelled &) {
        return;
    }
    loadPlaylistFile(CommonDialog1.FileName);
}

void Form1::loadPlaylistFile(const QString &chosen)
{
    // A file that cannot be read leaves the playlist as it was; so does a
    // pipe or a device, which might never end or never answer.
    QFile file(chosen);
    if (!QFileInfo(chosen).isFile() || !file.open(QIODevice::ReadOnly))
        return;
    const QByteArray content = readTextFileLines(file);
    if (file.error() != QFileDevice::NoError)
        return;
    file.close();

    List1.Clear();
    for (int i = 0; i < kMaxPlaylistEntries; ++i)
        m.PlaylistPath[static_cast<std::size_t>(i)] = QString();
    m.PlaylistCount = 0;
    const ParsedPlaylist playlist =
        parsePlaylist(content, playlistRulesFor(chosen), paths().drivePrefix(chosen), paths(), kMaxPlaylistEntries);
    for (const PlaylistEntry &entry : playlist.entries)
        appendPlaylistEntry(entry.address, entry.name);
    m.PlaylistCount = List1.ListCount();
    if (playlist.overLimit)
        services().messageBox.show(QStringLiteral("Maximun files possible is 50"));
}

} // namespace sky
