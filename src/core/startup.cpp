#include "core/program.h"
#include "core/settings_file.h"
#include "mainwindow/form1.h"
#include "platform/file_saving.h"
#include "platform/runtime_error.h"
#include "playlist/file_kinds.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace sky {

namespace {

const QString kFirstStartMessage = QStringLiteral("Application is starting for the first time.");
const QString kPlaylistFullMessage = QStringLiteral("Maximun files possible is 50");

// The argument without the quotes a Windows-style command line puts around
// a path (a shell has usually removed them already).
QString withoutQuotes(QString argument)
{
    if (argument.startsWith(QLatin1Char('"')))
        argument.remove(0, 1);
    if (argument.endsWith(QLatin1Char('"')))
        argument.chop(1);
    return argument;
}

} // namespace

void Form1::Form_Load()
{
    m = Module1();
    MediaPlayer1.Open(QStringLiteral("wmpcd://0/8"));
    MediaPlayer1.setDisplaySize(4);
    try {
        const SettingsRead read = readSettingsFile(m_program.settingsPath(), m);
        if (read == SettingsRead::Missing || read == SettingsRead::Truncated)
            throw RuntimeError(QStringLiteral("Settings file missing or incomplete"));
        m_program.loadAndUnloadSkinManager();
        if (m.ShowTipsAtStartup == 1)
            m_program.showTipOfTheDayModal();
        actOnCommandLine(services().environment.arguments());
    } catch (const RuntimeError &) {
        services().messageBox.show(kFirstStartMessage);
    }
}

void Form1::actOnCommandLine(const QStringList &arguments)
{
    const QString argument = withoutQuotes(arguments.join(QLatin1Char(' ')));
    if (argument.isEmpty())
        return;
    if (isPlaylistFile(argument))
        loadCommandLinePlaylist(argument);
    else if (isFlashMovie(argument))
        showFlashMovie(argument);
    else if (!playNamedFile(argument))
        playFirstListedFile();
}

void Form1::loadCommandLinePlaylist(const QString &path)
{
    Check2.setValue(1);
    List1.setEnabled(true);
    List1.Clear();
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        throw RuntimeError(QStringLiteral("Playlist not found: ") + path);
    const ParsedPlaylist playlist =
        parsePlaylist(readTextFileLines(file), playlistRulesFor(path), QString(), paths(), kMaxPlaylistEntries);
    file.close();
    for (const PlaylistEntry &entry : playlist.entries)
        appendPlaylistEntry(entry.address, entry.name);
    m.PlaylistCount = List1.ListCount();
    // The main timer starts the list at its next tick, from the first entry
    // unless shuffled (the pick is made only then).
    if (!playlist.entries.empty())
        MediaPlayer1.engine().prepare(Check3.Value() == 1 ? QString() : m.PlaylistPath[0]);
    if (playlist.overLimit)
        services().messageBox.show(kPlaylistFullMessage);
}

bool Form1::playNamedFile(const QString &path)
{
    if (!selectInFileList(path))
        return false;
    showMediaForPlayback();
    playSelectedFile();
    return true;
}

void Form1::playFirstListedFile()
{
    // With no file listed there is nothing to play.
    if (File1.ListCount() == 0)
        return;
    File1.setListIndex(0);
    showMediaForPlayback();
    playSelectedFile();
}

void Form1::showMediaForPlayback()
{
    m.PlayerStopped = kFalse;
    MediaPlayer1.setEnabled(true);
    Command5.setVisible(true);
    m.MediaPlayerShown = 1;
    MediaPlayer1.setVisible(true);
    Command10.setVisible(true);
}

void Form1::playSelectedFile()
{
    MediaPlayer1.setDisplaySize(static_cast<long>(m.VideoDisplaySize.value()));
    MediaPlayer1.setFileName(paths().entryAddress(File1.Path(), File1.FileName()));
}

void Form1::Form_Unload()
{
    m_program.hideAndUnloadSkinManager();
}

void Form1::Form_Terminate()
{
    // Written in full, or left empty when the settings are not to be kept.
    saveUserFile(services().messageBox, m_program.settingsPath(),
                 m.SaveSettings == 1 ? settingsFileContent(m) : QByteArray());
}

} // namespace sky
