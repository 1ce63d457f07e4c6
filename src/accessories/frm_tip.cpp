#include "accessories/frm_tip.h"

#include "core/module1.h"
#include "core/program.h"
#include "core/settings_file.h"
#include "core/splash.h"
#include "platform/colour.h"

#include <QFile>
#include <QFileInfo>

namespace sky {

namespace {

const QString kTipsFile = QStringLiteral("TIPOFDAY.TXT");

} // namespace

frmTip::frmTip(Program &program)
    : Form(QStringLiteral("frmTip"), program.services()), Picture1(*this, QStringLiteral("Picture1")),
      Label1(*this, QStringLiteral("Label1"), &Picture1), lblTipText(*this, QStringLiteral("lblTipText"), &Picture1),
      Check1(*this, QStringLiteral("Check1")), Command1(*this, QStringLiteral("Command1")),
      cmdNextTip(*this, QStringLiteral("cmdNextTip")), cmdOK(*this, QStringLiteral("cmdOK")), m_program(program),
      m(program.module())
{
    Check1.Click = [this] { Check1_Click(); };
    cmdNextTip.Click = [this] { GoNextTip(); };
    Command1.Click = [this] { GoPreviousTip(); };
    cmdOK.Click = [this] { Unload(); };
}

void frmTip::design()
{
    setCaption(QStringLiteral("Tip of the Day"));
    setBorder(Border::Fixed);
    setClientSize(6720, 3720);
    centreOnScreen();
    Picture1.Move(120, 120, 5040, 2880);
    Picture1.setBackColor(rgb(255, 255, 255));
    QImage bulb(productIcon());
    Picture1.setPicture(Picture(bulb));
    Label1.setCaption(QStringLiteral("Did you know..."));
    Label1.setFont(QStringLiteral("DejaVu Sans"), 11, true);
    Label1.Move(600, 120, 4200, 375);
    lblTipText.setCaption(QString());
    lblTipText.setFont(QStringLiteral("DejaVu Sans"), 9);
    lblTipText.Move(600, 600, 4200, 2160);
    Check1.setCaption(QStringLiteral("Show Tips at Startup"));
    Check1.Move(120, 3240, 2655, 315);
    Check1.setValue(0);
    cmdOK.setCaption(QStringLiteral("OK"));
    cmdOK.Move(5280, 120, 1335, 375);
    cmdNextTip.setCaption(QStringLiteral("&Next Tip"));
    cmdNextTip.Move(5280, 600, 1335, 375);
    Command1.setCaption(QStringLiteral("Previous Tip"));
    Command1.Move(5280, 1080, 1335, 375);
}

void frmTip::Form_Load()
{
    const int showAtStartup = services().userSettings.value(QStringLiteral("Options"),
                                                            QStringLiteral("Show Tips at Startup"), 1).toInt();
    if (showAtStartup == 0) {
        Unload();
        return;
    }
    services().random.reseedFromClock();
    if (!LoadTips(m_program.paths().join(services().environment.applicationFolder(), kTipsFile))) {
        lblTipText.setCaption(QStringLiteral("That the ") + kTipsFile + QStringLiteral(" file was not found? ")
                              + QStringLiteral("\r\n\r\n") + QStringLiteral("Create a text file named ") + kTipsFile
                              + QStringLiteral(" using NotePad with 1 tip per line. ")
                              + QStringLiteral("Then place it in the same directory as the application. "));
    }
    Check1.setValue(m.ShowTipsAtStartup == 1 ? 1 : 0);
}

bool frmTip::LoadTips(const QString &fileName)
{
    if (fileName.isEmpty() || !QFileInfo(fileName).isFile())
        return false;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    Tips.append(splitTextLines(readTextFileLines(file)));
    file.close();
    GoNextTip();
    return true;
}

void frmTip::GoNextTip()
{
    ++CurrentTip;
    if (Tips.size() < CurrentTip)
        CurrentTip = 1;
    DisplayCurrentTip();
}

void frmTip::GoPreviousTip()
{
    --CurrentTip;
    if (CurrentTip < 1)
        CurrentTip = static_cast<int>(Tips.size());
    DisplayCurrentTip();
}

void frmTip::DisplayCurrentTip()
{
    if (!Tips.isEmpty())
        lblTipText.setCaption(Tips.at(CurrentTip - 1));
}

void frmTip::Check1_Click()
{
    m.ShowTipsAtStartup = Check1.Value() == 1 ? 1 : 0;
}

} // namespace sky
