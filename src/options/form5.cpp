#include "options/form5.h"

#include "core/module1.h"
#include "core/program.h"
#include "core/settings_file.h"
#include "platform/colour.h"
#include "platform/file_saving.h"

namespace sky {

namespace {

// The colours the PLAY button can be fixed to, swatch by swatch.
const std::array<long, 6> kSwatchColours = {rgb(100, 200, 100), rgb(150, 150, 250), rgb(250, 150, 150),
                                            rgb(200, 200, 100), rgb(255, 255, 255), rgb(200, 255, 0)};
const long kWindowColour = rgb(192, 192, 255);

} // namespace

Form5::Form5(Program &program)
    : Form(QStringLiteral("Form5"), program.services()), Frame1(*this, QStringLiteral("Frame1")),
      Frame4(*this, QStringLiteral("Frame4")), Frame3(*this, QStringLiteral("Frame3")),
      Frame2(*this, QStringLiteral("Frame2")), Option1(*this, QStringLiteral("Option1")),
      Option2(*this, QStringLiteral("Option2")), Check5(*this, QStringLiteral("Check5")),
      Check2(*this, QStringLiteral("Check2")), Check4(*this, QStringLiteral("Check4")),
      Check1(*this, QStringLiteral("Check1")), Check3(*this, QStringLiteral("Check3")),
      Option3(*this, QStringLiteral("Option3"), &Frame2), Option4(*this, QStringLiteral("Option4"), &Frame2),
      Option5(*this, QStringLiteral("Option5"), &Frame2), Option6(*this, QStringLiteral("Option6"), &Frame2),
      Option7(*this, QStringLiteral("Option7"), &Frame2), Option8(*this, QStringLiteral("Option8"), &Frame2),
      Command1(*this, QStringLiteral("Command1")), m_program(program), m(program.module())
{
    Option1.Click = [this] { Option1_Click(); };
    Option2.Click = [this] { Option2_Click(); };
    Check1.Click = [this] { Check1_Click(); };
    Check2.Click = [this] { Check2_Click(); };
    Check3.Click = [this] { Check3_Click(); };
    Check4.Click = [this] { Check4_Click(); };
    Check5.Click = [this] { Check5_Click(); };
    Command1.Click = [this] { Command1_Click(); };
    for (std::size_t i = 0; i < kSwatchColours.size(); ++i)
        swatches()[i]->Click = [this, i] { m.FixedButtonColour = QString::number(kSwatchColours[i]); };
}

std::array<OptionButton *, 6> Form5::swatches()
{
    return {&Option3, &Option4, &Option5, &Option6, &Option7, &Option8};
}

void Form5::design()
{
    setCaption(QStringLiteral("Advanced Options"));
    setBorder(Border::Fixed);
    setBackColor(kWindowColour);
    setClientSize(5625, 6600);
    const auto place = [](Control &control, float left, float top, float width, float height) {
        control.Move(left, top, width, height);
        control.setBackColor(kWindowColour);
        control.setVisible(true);
    };
    place(Frame1, 480, 240, 4575, 1815);
    Frame1.setCaption(QStringLiteral("Theme"));
    place(Frame4, 480, 2160, 4575, 615);
    Frame4.setCaption(QString());
    place(Frame3, 480, 2880, 4575, 1215);
    Frame3.setCaption(QStringLiteral("Title Bar Properties"));
    place(Frame2, 480, 5280, 4575, 735);
    Frame2.setCaption(QStringLiteral("Fix Color To"));
    Frame2.setVisible(false);

    place(Option1, 600, 480, 4335, 735);
    Option1.setCaption(QStringLiteral(
        "Hide &different control separately. This can be used to change skin automatically (default)"));
    place(Option2, 600, 1080, 4335, 855);
    Option2.setCaption(QStringLiteral(
        "&One button to hide all controls. Can be used to toggle between Media Player and Picture Viewer."));
    place(Check5, 600, 2280, 4335, 375);
    Check5.setCaption(QStringLiteral("Save Settings (All settings on this form and skin settings)."));
    Check5.setForeColor(rgb(255, 0, 0));
    place(Check2, 720, 3120, 3735, 375);
    Check2.setCaption(QStringLiteral("&Scroll Title Bar Text."));
    place(Check4, 720, 3600, 3975, 375);
    Check4.setCaption(QStringLiteral("Display &Time in Title Bar."));
    place(Check1, 600, 4320, 4335, 255);
    Check1.setCaption(QStringLiteral("Set default screen size of movie to &Full Screen"));
    place(Check3, 600, 4800, 3975, 375);
    Check3.setCaption(QStringLiteral("Stop &Automatic Play Button color change."));
    for (CheckBox *box : {&Check1, &Check2, &Check3, &Check4, &Check5})
        box->setValue(0);
    for (OptionButton *option : {&Option1, &Option2})
        option->setValue(false);
    const float lefts[] = {240, 960, 1680, 2400, 3120, 3840};
    for (std::size_t i = 0; i < kSwatchColours.size(); ++i) {
        place(*swatches()[i], lefts[i], 360, 500, 255);
        swatches()[i]->setCaption(QString());
        swatches()[i]->setValue(false);
    }
    place(Command1, 2400, 6120, 855, 375);
    Command1.setCaption(QStringLiteral("Close"));
}

void Form5::Form_Load()
{
    Check5.setValue(static_cast<int>(m.SaveSettings.value()));
    Check2.setValue(static_cast<int>(m.ScrollTitle.value()));
    if (m.ThemeOption == 1)
        Option2.setValue(true);
    else
        Option1.setValue(true);
    Check1.setValue(m.VideoDisplaySize == 4 ? 0 : 1);
    Check3.setValue(static_cast<int>(m.StopColourChange.value()));
    const std::optional<double> fixed = parseSettingsNumber(m.FixedButtonColour);
    std::size_t match = kSwatchColours.size() - 1;
    for (std::size_t i = 0; i + 1 < kSwatchColours.size(); ++i) {
        if (fixed && *fixed == kSwatchColours[i]) {
            match = i;
            break;
        }
    }
    swatches()[match]->setValue(true);
    Check4.setValue(static_cast<int>(m.TimeInTitle.value()));
}

void Form5::Option1_Click()
{
    m.ThemeOption = Option2.Value() ? 1 : 0;
}

void Form5::Option2_Click()
{
    m.ThemeOption = Option2.Value() ? 1 : 0;
}

void Form5::Check1_Click()
{
    m.VideoDisplaySize = Check1.Value() == 1 ? 3 : 4;
}

void Form5::Check2_Click()
{
    m.ScrollTitle = Check2.Value() == 1 ? 1 : 0;
}

void Form5::Check3_Click()
{
    m.StopColourChange = Check3.Value();
    const bool fixed = m.StopColourChange == 1;
    Frame2.setVisible(fixed);
    if (fixed)
        for (std::size_t i = 0; i < kSwatchColours.size(); ++i)
            swatches()[i]->setBackColor(kSwatchColours[i]);
}

void Form5::Check4_Click()
{
    m.TimeInTitle = Check4.Value();
}

void Form5::Check5_Click()
{
    m.SaveSettings = Check5.Value();
    saveUserFile(services().messageBox, m_program.settingsPath(), settingsFileContent(m));
}

void Form5::Command1_Click()
{
    Hide();
    Unload();
}

} // namespace sky
