#include "core/module1.h"
#include "mainwindow/form1.h"
#include "platform/colour.h"
#include "platform/runtime_error.h"

namespace sky {

namespace {

constexpr float kChangeSkinTopInViewer = 500;

} // namespace

void Form1::Command3_Click()
{
    Dir1.setVisible(!Dir1.Visible());
}

void Form1::Command4_Click()
{
    File1.setVisible(!File1.Visible());
}

void Form1::Command8_Click()
{
    const bool shown = m.PlaylistControlsShown == 1;
    // The playlist switch itself and the controls it shows and hides.
    Check2.setVisible(!shown);
    for (Control *control : playlistControls())
        control->setVisible(!shown);
    m.PlaylistControlsShown = 1 - m.PlaylistControlsShown;
}

void Form1::Command5_Click()
{
    const bool shown = m.MediaPlayerShown == 1;
    MediaPlayer1.setVisible(!shown);
    Command10.setVisible(!shown);
    m.MediaPlayerShown = 1 - m.MediaPlayerShown;
}

void Form1::Check4_Click()
{
    skipOnError([&] { Check4.setVisible(m.ThemeOption == 1); });
    if (Check4.Value() == 1) {
        Check4.setCaption(QStringLiteral("Show Media Player"));
        showEveryControl(false);
        Check4.setVisible(true);
        Dir1.setVisible(false);
        Image1.setVisible(true);
        Command2.setTop(kChangeSkinTopInViewer);
        Command2.setVisible(true);
        return;
    }
    Check4.setCaption(QStringLiteral("Show Picture Viewer"));
    showMediaPlayerView();
}

void Form1::Label2_DblClick()
{
    Label2.setVisible(false);
    m.RandomNameColour = kFalse;
}

} // namespace sky
