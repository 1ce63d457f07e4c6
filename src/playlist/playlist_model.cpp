#include "core/module1.h"
#include "core/settings_file.h"
#include "mainwindow/form1.h"
#include "playlist/playlist_format.h"

namespace sky {

namespace {

const QString kPlaylistFull = QStringLiteral("Maximun files possible is 50");
const QString kLineBreakInName = QStringLiteral("File names with a line break in them cannot be put in the playlist");

} // namespace

void Form1::appendPlaylistEntry(const QString &address, const QString &name)
{
    const auto at = static_cast<std::size_t>(m.PlaylistCount);
    m.PlaylistPath[at] = address;
    m.PlaylistPath[at + 1] = QString();
    m.PlaylistName[at] = name;
    List1.AddItem(name);
    ++m.PlaylistCount;
}

Form1::Addition Form1::addSelectedFile()
{
    const QString name = File1.FileName();
    if (name.isEmpty())
        return Addition::NothingSelected;
    return addFile(File1.Path(), name);
}

Form1::Addition Form1::addFile(const QString &folder, const QString &name)
{
    if (m.PlaylistCount >= kMaxPlaylistEntries)
        return Addition::PlaylistFull;
    const QString address = paths().entryAddress(folder, name);
    if (!fitsOnTextLine(name) || !fitsOnTextLine(address))
        return Addition::NameRefused;
    appendPlaylistEntry(address, name);
    return Addition::Added;
}

void Form1::tellWhyNotAdded(Addition addition)
{
    if (addition == Addition::PlaylistFull)
        services().messageBox.show(kPlaylistFull);
    else if (addition == Addition::NameRefused)
        services().messageBox.show(kLineBreakInName);
}

void Form1::Command6_Click()
{
    const Addition addition = addSelectedFile();
    if (addition == Addition::Added)
        m.PlaylistName[static_cast<std::size_t>(m.PlaylistCount)] = QString();
    tellWhyNotAdded(addition);
}

void Form1::Command9_Click()
{
    // The selection moves through the list as the files are added.
    addFiles(File1.ListCount(), [this](int i) {
        File1.setListIndex(i);
        return addSelectedFile();
    });
}

void Form1::addFiles(int count, const std::function<Addition(int)> &add)
{
    // Files refused for their names are told about once, after the others
    // have been added.
    bool refused = false;
    for (int i = 0; i < count; ++i) {
        const Addition addition = add(i);
        if (addition == Addition::PlaylistFull) {
            tellWhyNotAdded(addition);
            break;
        }
        refused = refused || addition == Addition::NameRefused;
    }
    m.PlaylistName[static_cast<std::size_t>(m.PlaylistCount)] = QString();
    if (refused)
        tellWhyNotAdded(Addition::NameRefused);
}

void Form1::Command7_Click()
{
    m.PlaylistIndex = 0;
    m.PlaylistCount = 0;
    m.LastShufflePick = -1;
    List1.Clear();
    resetShuffleOrder();
    m.ShufflePicked = true;
    for (int i = 0; i < kMaxPlaylistEntries; ++i)
        m.PlaylistPath[static_cast<std::size_t>(i)] = QString();
}

void Form1::Check2_Click()
{
    if (Check2.Value() == 1) {
        m.PlayerStopped = kFalse;
        MediaPlayer1.setEnabled(true);
        for (Control *control : playlistControls())
            control->setVisible(true);
        List1.setEnabled(true);
        return;
    }
    Command1.setEnabled(true);
    if (m.ThemeOption != 1)
        for (Control *control : playlistControls())
            control->setVisible(false);
    List1.setEnabled(false);
}

void Form1::Check3_Click()
{
    m.ShuffleOn = static_cast<short>(Check3.Value());
    if (Check2.Value() == 1 && Check3.Value() == 0)
        m.PlaylistIndex = static_cast<short>(m.LastShufflePick + 1);
    if (Check2.Value() == 1 && Check3.Value() == 1)
        m.LastShufflePick = m.PlaylistIndex - 1;
    m.PlaylistRestart = 1;
    resetShuffleOrder();
    resyncPlaylistLines();
    m.ShufflePicked = true;
}

std::array<Control *, 10> Form1::playlistControls()
{
    return {&Command6, &Command9, &Label1, &Command7, &List1, &Check3, &Label5, &Label6, &Command17, &Command18};
}

void Form1::resetShuffleOrder()
{
    m.ShuffleOrder.fill(kFreeShuffleSlot);
}

void Form1::resyncPlaylistLines()
{
    for (int k = 0; k < List1.ListCount(); ++k)
        List1.setList(k, m.PlaylistName[static_cast<std::size_t>(k)]);
}

} // namespace sky
