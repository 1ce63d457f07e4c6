#include "core/module1.h"
#include "mainwindow/form1.h"
#include "platform/runtime_error.h"
#include "playlist/file_kinds.h"

#include <QFileInfo>

namespace sky {

// A later start of the player (a double-click on a file in the file
// manager, say) handed over the file it was given: a playlist loads as at
// start-up and plays from its first entry, a Flash movie opens in the Flash
// window and a media file plays at once. Anything else only brings the
// window forward.
void Form1::actOnHandOver(const QStringList &arguments)
{
    const QString path = arguments.join(QLatin1Char(' '));
    if (path.isEmpty())
        return;
    if (isPlaylistFile(path))
        loadHandedOverPlaylist(path);
    else if (isFlashMovie(path))
        showFlashMovie(path);
    else
        playNamedFile(path);
}

void Form1::loadHandedOverPlaylist(const QString &path)
{
    // A playlist that cannot be read leaves the one there as it was.
    if (!QFileInfo(path).isReadable())
        return;
    // The new list replaces the old one together with its play order.
    Command7_Click();
    skipOnError([&] { loadCommandLinePlaylist(path); });
    // It starts on the next tick, not after the item playing now.
    MediaPlayer1.Stop();
}

} // namespace sky
