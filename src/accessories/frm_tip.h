#pragma once

#include "platform/buttons.h"
#include "platform/form.h"
#include "platform/picture.h"
#include "platform/simple_controls.h"

#include <QStringList>

namespace sky {

class Program;
struct Module1;

// The tip of the day: one line of "TIPOFDAY.TXT" at a time, with the choice
// to show the tips at start-up.
class frmTip : public Form
{
public:
    explicit frmTip(Program &program);

    PictureBox Picture1;
    Label Label1;
    Label lblTipText;
    CheckBox Check1;
    CommandButton Command1;
    CommandButton cmdNextTip;
    CommandButton cmdOK;

    void Form_Load() override;
    bool LoadTips(const QString &fileName);
    void DisplayCurrentTip();
    void Check1_Click();

    // Kept for the whole run: every showing adds the file's lines again and
    // goes on from the tip shown last.
    QStringList Tips;
    int CurrentTip = 0;

private:
    void design() override;
    void GoNextTip();
    void GoPreviousTip();

    Program &m_program;
    Module1 &m;
};

} // namespace sky
