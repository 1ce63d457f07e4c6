#include "core/module1.h"
#include "mainwindow/form1.h"
#include "platform/runtime_error.h"
#include "playlist/file_kinds.h"

#include <QDir>
#include <QFileInfo>

namespace sky {

namespace {

QStringList mediaPatterns(const FileListBox &list)
{
    return list.Pattern().split(QLatin1Char(';'));
}

} // namespace

// Files dragged from a file manager: onto the playlist, media files are
// added as "Add to Play&List" adds them; onto the file list or the rest of
// the window they play as a double-click on them would (which adds them
// while the playlist is on). A playlist file loads as with "Loa&d", a folder
// opens in the folder list, and nothing else is taken.
bool Form1::Form_OLEDragOver(const QStringList &files)
{
    return classifyDrop(files, mediaPatterns(File1)).kind != DropKind::Refused;
}

void Form1::Form_OLEDragDrop(const QStringList &files)
{
    takeDrop(files, Check2.Value() == 1);
}

void Form1::File1_OLEDragDrop(const QStringList &files)
{
    takeDrop(files, Check2.Value() == 1);
}

void Form1::List1_OLEDragDrop(const QStringList &files)
{
    takeDrop(files, true);
}

void Form1::takeDrop(const QStringList &files, bool ontoPlaylist)
{
    const FileDrop drop = classifyDrop(files, mediaPatterns(File1));
    switch (drop.kind) {
    case DropKind::Refused:
        return;
    case DropKind::Folder:
        showFolder(drop.paths.constFirst());
        return;
    case DropKind::Playlist:
        loadPlaylistFile(drop.paths.constFirst());
        return;
    case DropKind::Media:
        break;
    }
    if (!ontoPlaylist) {
        if (selectInFileList(drop.paths.constFirst()))
            File1_DblClick();
        return;
    }
    addFiles(static_cast<int>(drop.paths.size()), [&](int i) {
        const QFileInfo info(drop.paths.at(i));
        return addFile(info.absolutePath(), info.fileName());
    });
}

void Form1::showFolder(const QString &folder)
{
    skipOnError([&] { Drive1.setDrive(folder); });
    skipOnError([&] { Dir1.setPath(folder); });
    skipOnError([&] { File1.setPath(folder); });
}

bool Form1::selectInFileList(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isFile() || !QDir::match(mediaPatterns(File1), info.fileName()))
        return false;
    showFolder(info.absolutePath());
    for (int i = 0; i < File1.ListCount(); ++i) {
        if (File1.List(i) == info.fileName()) {
            File1.setListIndex(i);
            return true;
        }
    }
    return false;
}

} // namespace sky
