#pragma once

#include "platform/form.h"
#include "platform/simple_controls.h"

namespace sky {

class Program;

// The password prompt in front of the advanced options. It accepts the
// password the moment the typed text equals it; a hint that names it shows
// three seconds after the prompt opens.
class Form4 : public Form
{
public:
    explicit Form4(Program &program);

    Label Label1;
    TextBox Text1;
    Label Label2;
    Timer Timer1;

    void Text1_KeyPress(int &keyAscii);
    void Timer1_Timer();

private:
    void design() override;

    Program &m_program;
};

} // namespace sky
