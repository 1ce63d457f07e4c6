#pragma once

#include "platform/form.h"
#include "platform/picture.h"
#include "platform/simple_controls.h"

namespace sky {

class Program;

// The splash window: the product name and version fade out over 26 ticks of
// 50 ms, then the main window is shown. The start of the program does not
// open it.
class frmSplash : public Form
{
public:
    explicit frmSplash(Program &program);

    Frame Frame1;
    Image imgLogo;
    Label lblCompanyProduct;
    Label lblVersion;
    Timer Timer1;

    void Form_Load() override;
    void Timer1_Timer();

    short ticksShown() const { return m_ticks; }

private:
    void design() override;

    Program &m_program;
    short m_ticks = 0;
};

// The 32 x 32 product icon in sixteen colours.
QImage productIcon();

} // namespace sky
