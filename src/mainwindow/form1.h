#pragma once

#include "media/mediaplayer_control.h"
#include "platform/buttons.h"
#include "platform/common_dialog.h"
#include "platform/file_controls.h"
#include "platform/form.h"
#include "platform/list_controls.h"
#include "platform/paths.h"
#include "platform/picture.h"
#include "platform/simple_controls.h"

#include <array>
#include <functional>

namespace sky {

class Program;
struct Module1;

// The main window: file browser, playlist, transport, the media control and
// the skin picture behind them all.
class Form1 : public Form
{
public:
    explicit Form1(Program &program);

    // Controls, back to front.
    Image Image1;
    Label Label4;
    Label Label3;
    Label Label2;
    CheckBox Check4;
    DriveListBox Drive1;
    CommandButton Command3;
    DirListBox Dir1;
    CommandButton Command4;
    FileListBox File1;
    CommandButton Command2;
    CommandButton Command11;
    CommandButton Command13;
    CommandButton Command1;
    CommandButton Command10;
    CheckBox Check1;
    CheckBox Check5;
    CommandButton Command14;
    ListBox List1;
    CommandButton Command6;
    CommandButton Command9;
    CommandButton Command7;
    CommandButton Command17;
    CommandButton Command18;
    MediaPlayerControl MediaPlayer1;
    CommandButton Command5;
    CommandButton Command8;
    CheckBox Check2;
    CheckBox Check3;
    Label Label5;
    Label Label6;
    Label Label1;
    CommandButton Command12;
    CommandButton Command15;
    TextBox Text1;
    Timer Timer1;
    CommonDialog CommonDialog1;

    // Start-up and shut-down.
    void Form_Load() override;
    void Form_Unload() override;
    void Form_Terminate();

    // A later start handed its command line over (see Program::handOver).
    void actOnHandOver(const QStringList &arguments);

    // Transport and the buttons that open the other windows.
    void Command1_Click();
    void Command10_Click();
    void Check5_Click();
    void Command14_Click();
    void Command2_Click();
    void Command11_Click();
    void Command12_Click();
    void Command13_Click();
    void Command15_Click();

    // The main timer, and the colour, title and skin effects of its tick.
    void Timer1_Timer();
    // The media keys' Next (step 1) and Previous (step -1): the entry after
    // or before the one playing, in order or shuffled as the playlist plays.
    bool canSkipEntry(int step);
    void skipEntry(int step);

    // Skin and control groups.
    void Form_Activate() override;
    void Command3_Click();
    void Command4_Click();
    void Command8_Click();
    void Command5_Click();
    void Check4_Click();
    void Label2_DblClick();

    // Layout.
    void Form_Resize() override;

    // Playlist.
    void Command6_Click();
    void Command9_Click();
    void Command7_Click();
    void Check2_Click();
    void Check3_Click();
    void Command17_Click();
    void Command18_Click();
    void List1_Click();
    void List1_DblClick();
    void List1_KeyPress(int &keyAscii);

    // Media file browser.
    void Drive1_Change();
    void Drive1_GotFocus();
    void Dir1_Change();
    void Dir1_GotFocus();
    void Dir1_KeyPress(int &keyAscii);
    void File1_DblClick();
    void File1_KeyPress(int &keyAscii);

    // Files dragged from a file manager.
    bool Form_OLEDragOver(const QStringList &files) override;
    void Form_OLEDragDrop(const QStringList &files) override;
    void List1_OLEDragDrop(const QStringList &files);
    void File1_OLEDragDrop(const QStringList &files);

private:
    // Appends an entry at PlaylistCount to the playlist and its list.
    void appendPlaylistEntry(const QString &address, const QString &name);
    enum class Addition { Added, NothingSelected, NameRefused, PlaylistFull };
    // Adds the file selected in File1 to the playlist, unless the playlist is
    // full or a playlist file could not hold the file's name; says nothing.
    Addition addSelectedFile();
    Addition addFile(const QString &folder, const QString &name);
    // Adds `count` files in turn with `add`, until the playlist is full,
    // and tells why files were not added.
    void addFiles(int count, const std::function<Addition(int)> &add);
    // Loads a playlist file as the Load button does with the file chosen.
    void loadPlaylistFile(const QString &path);
    // Takes dropped files: media files go to the playlist when ontoPlaylist,
    // else the first plays as a double-click on it in the file list does.
    void takeDrop(const QStringList &files, bool ontoPlaylist);
    // Shows a folder in the folder and file lists.
    void showFolder(const QString &folder);
    // Shows a media file's folder and selects the file in the file list;
    // false when it is not a file the list shows.
    bool selectInFileList(const QString &path);
    // Tells the user why a file was not added, when there is a reason to tell.
    void tellWhyNotAdded(Addition addition);
    // Writes every entry's name back into its line, which removes the marks
    // of a shuffle cycle.
    void resyncPlaylistLines();
    void resetShuffleOrder();
    // The controls that the playlist switch shows and hides.
    std::array<Control *, 10> playlistControls();
    void playEntry(int index);
    void selectEntry(int index);
    // The playlist part of the main timer's tick; true when it started an
    // item.
    bool advancePlaylist();
    // What a playlist tick works out afresh: the used length of the list,
    // the first free shuffle slot, and the shuffle's search direction, drawn
    // after reseeding the random numbers.
    struct PlaylistDraw
    {
        int used;
        int freeSlot;
        int direction;
    };
    PlaylistDraw workOutPlaylistDraw();
    bool shuffleStep(bool withReset, const PlaylistDraw &draw);
    bool itemHasEnded();
    void runEffects();
    void cycleColours(int level);
    void scrollTitle();
    void changeSkinAutomatically();
    // Every control that has a visibility.
    void showEveryControl(bool visible);
    // The media-player view of the one-button theme.
    void showMediaPlayerView();
    void colourBrowserLists(long drive, long lists);
    void playBrowsedFile(bool showUnconditionally);

    void design() override;
    void wireEvents();
    void actOnCommandLine(const QStringList &arguments);
    void loadCommandLinePlaylist(const QString &path);
    void loadHandedOverPlaylist(const QString &path);
    void showFlashMovie(const QString &path);
    bool playNamedFile(const QString &path);
    void playFirstListedFile();
    // Shows the media control and STOP and clears the stop state.
    void showMediaForPlayback();
    // Plays the file selected in File1 at the display size set.
    void playSelectedFile();
    const PathRules &paths() const;

    Program &m_program;
    Module1 &m;
};

} // namespace sky
