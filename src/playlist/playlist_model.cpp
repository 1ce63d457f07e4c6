#include "core/module1.h"
#include "mainwindow/form1.h"

namespace sky {

void Form1::appendPlaylistEntry(const QString &address, const QString &name)
{
    const auto at = static_cast<std::size_t>(m.PlaylistCount);
    m.PlaylistPath[at] = address;
    m.PlaylistPath[at + 1] = QString();
    m.PlaylistName[at] = name;
    List1.AddItem(name);
    ++m.PlaylistCount;
}

void Form1::Check2_Click()
{
    Control *const playlistControls[] = {&Command6, &Command9, &Label1, &Command7, &List1,
                                         &Check3,   &Label5,   &Label6, &Command17, &Command18};
    if (Check2.Value() == 1) {
        m.PlayerStopped = kFalse;
        MediaPlayer1.setEnabled(true);
        for (Control *control : playlistControls)
            control->setVisible(true);
        List1.setEnabled(true);
        return;
    }
    Command1.setEnabled(true);
    if (m.ThemeOption != 1)
        for (Control *control : playlistControls)
            control->setVisible(false);
    List1.setEnabled(false);
}

} // namespace sky
