#pragma once

#include "platform/buttons.h"
#include "platform/form.h"
#include "platform/simple_controls.h"

#include <array>

namespace sky {

class Program;
struct Module1;

// The advanced options: theme, title bar, full-screen video, the PLAY
// button's colour and whether settings are saved. Every control writes its
// setting the moment it is clicked.
class Form5 : public Form
{
public:
    explicit Form5(Program &program);

    Frame Frame1;
    Frame Frame4;
    Frame Frame3;
    Frame Frame2;
    OptionButton Option1;
    OptionButton Option2;
    CheckBox Check5;
    CheckBox Check2;
    CheckBox Check4;
    CheckBox Check1;
    CheckBox Check3;
    OptionButton Option3;
    OptionButton Option4;
    OptionButton Option5;
    OptionButton Option6;
    OptionButton Option7;
    OptionButton Option8;
    CommandButton Command1;

    void Form_Load() override;
    void Option1_Click();
    void Option2_Click();
    void Check1_Click();
    void Check2_Click();
    void Check3_Click();
    void Check4_Click();
    void Check5_Click();
    void Command1_Click();

private:
    void design() override;
    // The swatches with their colours.
    std::array<OptionButton *, 6> swatches();

    Program &m_program;
    Module1 &m;
};

} // namespace sky
