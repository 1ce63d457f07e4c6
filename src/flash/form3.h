#pragma once

#include "flash/shockwave_flash.h"
#include "platform/buttons.h"
#include "platform/common_dialog.h"
#include "platform/form.h"
#include "platform/simple_controls.h"

namespace sky {

class Program;

// The Flash window: a borderless orange window that plays SWF movies, steps
// through them, plays them backwards and zooms and pans them.
class Form3 : public Form
{
public:
    explicit Form3(Program &program);

    ShockwaveFlash ShockwaveFlash1;
    Shape Shape1;
    Shape Shape2;
    Shape Shape3;
    Shape Shape4;
    Shape Shape5;
    CommandButton Command7;
    CommandButton Command3;
    OptionButton Option1;
    OptionButton Option2;
    OptionButton Option3;
    CommandButton Command6;
    CommandButton Command4;
    CommandButton Command9;
    TextBox Text1;
    CommandButton Command8;
    Frame Frame1;
    Shape Shape6;
    CheckBox Check1;
    CommandButton Command11;
    CommandButton Command2;
    CommandButton Command10;
    CommandButton Command5;
    CommandButton Command1;
    Timer Timer1;
    CommonDialog CommonDialog1;

    void Form_Load() override;
    void Command7_Click();
    void Option1_Click();
    void Option2_Click();
    void Option3_Click();
    void Command3_Click();
    void Command4_Click();
    void Command6_Click();
    void Command8_Click();
    void Text1_KeyPress(int &keyAscii);
    void Check1_Click();
    void Command1_Click();
    void Timer1_Timer();
    // Opens a movie as choosing it in the open dialog does.
    void openMovie(const QString &path);

    // Window-level state.
    short ReversePlay = 0;
    short PanLeftHeld = 0;
    short PanRightHeld = 0;
    short PanUpHeld = 0;
    short PanDownHeld = 0;

private:
    void design() override;
    void wireEvents();
    void showGotoControls(bool shown);
    void goToTypedFrame();
};

} // namespace sky
