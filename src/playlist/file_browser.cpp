#include "core/module1.h"
#include "mainwindow/form1.h"
#include "platform/runtime_error.h"

namespace sky {

namespace {

constexpr int kEnter = 13;
const QString kRootDrive = QStringLiteral("/");

} // namespace

void Form1::Drive1_Change()
{
    Dir1.setVisible(true);
    try {
        Dir1.setPath(Drive1.Drive());
    } catch (const RuntimeError &) {
        services().messageBox.show(QStringLiteral("The program is unable to access the drive"));
        // Back to the root, which opens it in turn; the root itself failing
        // ends here rather than asking again and again.
        if (Drive1.Drive() != kRootDrive)
            Drive1.setDrive(kRootDrive);
    }
}

void Form1::Drive1_GotFocus()
{
    Dir1.setVisible(true);
}

void Form1::Dir1_Change()
{
    skipOnError([&] { File1.setPath(Dir1.Path()); });
    if (File1.ListCount() >= 1)
        File1.setListIndex(0);
}

void Form1::Dir1_GotFocus()
{
    File1.setVisible(true);
}

void Form1::Dir1_KeyPress(int &keyAscii)
{
    if (keyAscii == kEnter)
        skipOnError([&] { Dir1.setPath(Dir1.List(Dir1.ListIndex())); });
}

void Form1::File1_DblClick()
{
    if (Check2.Value() == 0)
        playBrowsedFile(false);
    else
        tellWhyNotAdded(addSelectedFile());
}

void Form1::File1_KeyPress(int &keyAscii)
{
    if (keyAscii != kEnter)
        return;
    if (Check2.Value() == 0)
        playBrowsedFile(true);
    else
        tellWhyNotAdded(addSelectedFile());
}

void Form1::playBrowsedFile(bool showUnconditionally)
{
    if (showUnconditionally) {
        Command5.setVisible(true);
        m.MediaPlayerShown = 1;
        MediaPlayer1.setVisible(true);
    } else if (!MediaPlayer1.Visible()) {
        Command5.setVisible(true);
        MediaPlayer1.setVisible(true);
    }
    m.MediaPlayerShown = 1;
    Command10.setVisible(true);
    playSelectedFile();
    if (paths().isRoot(File1.Path()))
        return;
    MediaPlayer1.setEnabled(true);
    m.PlayerStopped = kFalse;
    MediaPlayer1.setDisplaySize(static_cast<long>(m.VideoDisplaySize.value()));
    MediaPlayer1.setFileName(paths().join(File1.Path(), File1.FileName()));
}

} // namespace sky
