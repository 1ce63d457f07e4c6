#include "core/module1.h"
#include "mainwindow/form1.h"

namespace sky {

namespace {

constexpr int kEnter = 13;
constexpr int kEscape = 27;

} // namespace

void Form1::List1_Click()
{
    Label2.setVisible(true);
    m.RandomNameColour = kTrue;
}

void Form1::List1_DblClick()
{
    const int selected = List1.ListIndex();
    if (selected < 0)
        return;
    resetShuffleOrder();
    resyncPlaylistLines();
    m.PlaylistIndex = static_cast<short>(selected + 1);
    m.LastShufflePick = selected;
    MediaPlayer1.setFileName(m.PlaylistPath[static_cast<std::size_t>(selected)]);
}

void Form1::List1_KeyPress(int &keyAscii)
{
    const int selected = List1.ListIndex();
    if (selected < 0 || (keyAscii != kEnter && keyAscii != kEscape))
        return;
    if (keyAscii == kEnter) {
        // Plays the entry without moving the play order.
        resetShuffleOrder();
        resyncPlaylistLines();
        MediaPlayer1.setFileName(m.PlaylistPath[static_cast<std::size_t>(selected)]);
        return;
    }
    removeSlot(m.PlaylistPath, selected, kMaxPlaylistEntries);
    removeSlot(m.PlaylistName, selected, kMaxPlaylistEntries);
    List1.RemoveItem(selected);
    --m.PlaylistCount;
    resetShuffleOrder();
    for (int k = 0; k < List1.ListCount(); ++k)
        if (!m.PlaylistName[static_cast<std::size_t>(k)].isEmpty())
            List1.setList(k, m.PlaylistName[static_cast<std::size_t>(k)]);
    if (selected != m.PlaylistCount)
        List1.setListIndex(selected);
}

} // namespace sky
