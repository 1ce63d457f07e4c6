#include "core/program.h"
#include "mainwindow/form1.h"

namespace sky {

namespace {

const QString kPointACaption = QStringLiteral("&A");

} // namespace

void Form1::Command1_Click()
{
    m.PlayerStopped = kFalse;
    MediaPlayer1.setEnabled(true);
    if (!MediaPlayer1.Visible()) {
        Command5.setVisible(true);
        MediaPlayer1.setVisible(true);
    }
    m.MediaPlayerShown = 1;
    Command10.setVisible(true);
    playSelectedFile();
}

void Form1::Command10_Click()
{
    MediaPlayer1.setFileName(QStringLiteral(".mp3"));
    MediaPlayer1.Stop();
    m.PlayerStopped = kTrue;
    Check2.setValue(0);
}

void Form1::Check5_Click()
{
    m.ABRepeatValue = static_cast<short>(Check5.Value());
    if (Check5.Value() == 1) {
        Command14.setCaption(kPointACaption);
        Command14.setVisible(true);
        m.ABButtonShown = 1;
    } else {
        Command14.setVisible(false);
        m.ABButtonShown = 0;
        m.ABActive = false;
    }
}

void Form1::Command14_Click()
{
    if (Command14.Caption() == kPointACaption) {
        m.PointA = MediaPlayer1.CurrentPosition();
        Command14.setCaption(QStringLiteral("&B"));
        return;
    }
    m.PointB = MediaPlayer1.CurrentPosition();
    m.ABActive = true;
    Command14.setVisible(false);
    m.ABButtonShown = 0;
}

void Form1::Command2_Click()
{
    m_program.showSkinManager();
}

void Form1::Command11_Click()
{
    showFlashMovie(QString());
}

void Form1::showFlashMovie(const QString &path)
{
    if (!m_program.showFlashWindowModal(path))
        services().messageBox.show(QStringLiteral(" Flash must be installed in the system for this."));
}

void Form1::Command12_Click()
{
    m_program.showPasswordPrompt();
}

void Form1::Command13_Click()
{
    m_program.showTipOfTheDayModal();
}

void Form1::Command15_Click()
{
    m_program.showHelpBrowser();
}

} // namespace sky
