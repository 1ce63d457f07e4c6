#include "mainwindow/form1.h"

#include "core/program.h"

namespace sky {

Form1::Form1(Program &program)
    : Form(QStringLiteral("Form1"), program.services()),
      Image1(*this, QStringLiteral("Image1")),
      Label4(*this, QStringLiteral("Label4")),
      Label3(*this, QStringLiteral("Label3")),
      Label2(*this, QStringLiteral("Label2")),
      Check4(*this, QStringLiteral("Check4")),
      Drive1(*this, QStringLiteral("Drive1")),
      Command3(*this, QStringLiteral("Command3")),
      Dir1(*this, QStringLiteral("Dir1")),
      Command4(*this, QStringLiteral("Command4")),
      File1(*this, QStringLiteral("File1")),
      Command2(*this, QStringLiteral("Command2")),
      Command11(*this, QStringLiteral("Command11")),
      Command13(*this, QStringLiteral("Command13")),
      Command1(*this, QStringLiteral("Command1")),
      Command10(*this, QStringLiteral("Command10")),
      Check1(*this, QStringLiteral("Check1")),
      Check5(*this, QStringLiteral("Check5")),
      Command14(*this, QStringLiteral("Command14")),
      List1(*this, QStringLiteral("List1")),
      Command6(*this, QStringLiteral("Command6")),
      Command9(*this, QStringLiteral("Command9")),
      Command7(*this, QStringLiteral("Command7")),
      Command17(*this, QStringLiteral("Command17")),
      Command18(*this, QStringLiteral("Command18")),
      MediaPlayer1(*this, QStringLiteral("MediaPlayer1"), program.mediaFactory()),
      Command5(*this, QStringLiteral("Command5")),
      Command8(*this, QStringLiteral("Command8")),
      Check2(*this, QStringLiteral("Check2")),
      Check3(*this, QStringLiteral("Check3")),
      Label5(*this, QStringLiteral("Label5")),
      Label6(*this, QStringLiteral("Label6")),
      Label1(*this, QStringLiteral("Label1")),
      Command12(*this, QStringLiteral("Command12")),
      Command15(*this, QStringLiteral("Command15")),
      Text1(*this, QStringLiteral("Text1")),
      Timer1(*this, QStringLiteral("Timer1")),
      CommonDialog1(*this, QStringLiteral("CommonDialog1")),
      m_program(program), m(program.module())
{
    wireEvents();
}

const PathRules &Form1::paths() const
{
    return m_program.paths();
}

void Form1::wireEvents()
{
    Command1.Click = [this] { Command1_Click(); };
    Command10.Click = [this] { Command10_Click(); };
    Check5.Click = [this] { Check5_Click(); };
    Command14.Click = [this] { Command14_Click(); };
    Command2.Click = [this] { Command2_Click(); };
    Command11.Click = [this] { Command11_Click(); };
    Command12.Click = [this] { Command12_Click(); };
    Command13.Click = [this] { Command13_Click(); };
    Command15.Click = [this] { Command15_Click(); };
    Timer1.Tick = [this] { Timer1_Timer(); };

    Command3.Click = [this] { Command3_Click(); };
    Command4.Click = [this] { Command4_Click(); };
    Command8.Click = [this] { Command8_Click(); };
    Command5.Click = [this] { Command5_Click(); };
    Check4.Click = [this] { Check4_Click(); };
    for (Label *label : {&Label2, &Label3, &Label4})
        label->DblClick = [this] { Label2_DblClick(); };

    Command6.Click = [this] { Command6_Click(); };
    Command9.Click = [this] { Command9_Click(); };
    Command7.Click = [this] { Command7_Click(); };
    Check2.Click = [this] { Check2_Click(); };
    Check3.Click = [this] { Check3_Click(); };
    Command17.Click = [this] { Command17_Click(); };
    Command18.Click = [this] { Command18_Click(); };
    List1.Click = [this] { List1_Click(); };
    List1.DblClick = [this] { List1_DblClick(); };
    List1.KeyPress = [this](int &key) { List1_KeyPress(key); };

    Drive1.Change = [this] { Drive1_Change(); };
    Drive1.GotFocus = [this] { Drive1_GotFocus(); };
    Dir1.Change = [this] { Dir1_Change(); };
    Dir1.GotFocus = [this] { Dir1_GotFocus(); };
    Dir1.KeyPress = [this](int &key) { Dir1_KeyPress(key); };
    File1.DblClick = [this] { File1_DblClick(); };
    File1.KeyPress = [this](int &key) { File1_KeyPress(key); };

    const auto dragOver = [this](const QStringList &files) { return Form_OLEDragOver(files); };
    List1.OLEDragOver = dragOver;
    List1.OLEDragDrop = [this](const QStringList &files) { List1_OLEDragDrop(files); };
    File1.OLEDragOver = dragOver;
    File1.OLEDragDrop = [this](const QStringList &files) { File1_OLEDragDrop(files); };
    List1.setOLEDropMode(true);
    File1.setOLEDropMode(true);
    setOLEDropMode(true);
}

} // namespace sky
