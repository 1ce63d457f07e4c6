#include "flash/form3.h"

#include "core/program.h"

#include <cmath>

namespace sky {

namespace {

constexpr int kEnter = 13;
constexpr float kPanStep = 200;

} // namespace

Form3::Form3(Program &program)
    : Form(QStringLiteral("Form3"), program.services()), ShockwaveFlash1(*this, QStringLiteral("ShockwaveFlash1")),
      Shape1(*this, QStringLiteral("Shape1")), Shape2(*this, QStringLiteral("Shape2")),
      Shape3(*this, QStringLiteral("Shape3")), Shape4(*this, QStringLiteral("Shape4")),
      Shape5(*this, QStringLiteral("Shape5")), Command7(*this, QStringLiteral("Command7")),
      Command3(*this, QStringLiteral("Command3")),
      Option1(*this, QStringLiteral("Option1"), nullptr, OptionButton::Look::Graphical),
      Option2(*this, QStringLiteral("Option2"), nullptr, OptionButton::Look::Graphical),
      Option3(*this, QStringLiteral("Option3"), nullptr, OptionButton::Look::Graphical),
      Command6(*this, QStringLiteral("Command6")), Command4(*this, QStringLiteral("Command4")),
      Command9(*this, QStringLiteral("Command9")), Text1(*this, QStringLiteral("Text1")),
      Command8(*this, QStringLiteral("Command8")), Frame1(*this, QStringLiteral("Frame1")),
      Shape6(*this, QStringLiteral("Shape6"), &Frame1), Check1(*this, QStringLiteral("Check1")),
      Command11(*this, QStringLiteral("Command11")), Command2(*this, QStringLiteral("Command2")),
      Command10(*this, QStringLiteral("Command10")), Command5(*this, QStringLiteral("Command5")),
      Command1(*this, QStringLiteral("Command1")), Timer1(*this, QStringLiteral("Timer1")),
      CommonDialog1(*this, QStringLiteral("CommonDialog1"))
{
    wireEvents();
}

void Form3::wireEvents()
{
    Command7.Click = [this] { Command7_Click(); };
    Option1.Click = [this] { Option1_Click(); };
    Option2.Click = [this] { Option2_Click(); };
    Option3.Click = [this] { Option3_Click(); };
    Command3.Click = [this] { Command3_Click(); };
    Command4.Click = [this] { Command4_Click(); };
    Command6.Click = [this] { Command6_Click(); };
    Command8.Click = [this] { Command8_Click(); };
    Text1.KeyPress = [this](int &key) { Text1_KeyPress(key); };
    Check1.Click = [this] { Check1_Click(); };
    Command1.Click = [this] { Command1_Click(); };
    Timer1.Tick = [this] { Timer1_Timer(); };
    // A pan button moves the movie while the mouse button is held on it.
    const auto hold = [](CommandButton &button, short &held) {
        button.MouseDown = [&held](int, int, float, float) { held = 1; };
        button.MouseUp = [&held](int, int, float, float) { held = 0; };
    };
    hold(Command2, PanLeftHeld);
    hold(Command10, PanRightHeld);
    hold(Command11, PanUpHeld);
    hold(Command5, PanDownHeld);
}

void Form3::Form_Load()
{
    ReversePlay = 0;
    Option2.setValue(true);
    PanLeftHeld = 0;
    PanRightHeld = 0;
    PanUpHeld = 0;
    PanDownHeld = 0;
}

void Form3::showGotoControls(bool shown)
{
    Command8.setVisible(shown);
    Command9.setVisible(shown);
    Text1.setVisible(shown);
}

void Form3::Command7_Click()
{
    showGotoControls(false);
    CommonDialog1.Filter = QStringLiteral("Flash Files|*.swf");
    CommonDialog1.DialogTitle = QStringLiteral("Select your Flash file (SWF)");
    // Cancel must not load the last movie chosen again.
    CommonDialog1.FileName = QString();
    CommonDialog1.ShowOpen();
    if (CommonDialog1.FileName.isEmpty())
        return;
    openMovie(CommonDialog1.FileName);
}

void Form3::openMovie(const QString &path)
{
    ShockwaveFlash1.setEmbedMovie(false);
    ShockwaveFlash1.setMovie(path);
    ShockwaveFlash1.setPlaying(true);
    if (Option3.Value())
        ShockwaveFlash1.Stop();
}

void Form3::Option2_Click()
{
    ReversePlay = 0;
    ShockwaveFlash1.Play();
    Command4.setEnabled(false);
    Command6.setEnabled(false);
    showGotoControls(false);
}

void Form3::Option3_Click()
{
    ReversePlay = 0;
    ShockwaveFlash1.Stop();
    Command4.setEnabled(true);
    Command6.setEnabled(true);
    showGotoControls(true);
    try {
        Command9.setCaption(QStringLiteral("Goto Frame ( 1 To %1 )").arg(ShockwaveFlash1.TotalFrames()));
    } catch (const RuntimeError &) {
        // No movie yet: the range stays as it was.
    }
}

void Form3::Option1_Click()
{
    ShockwaveFlash1.Stop();
    showGotoControls(false);
    ReversePlay = 1;
}

void Form3::Command3_Click()
{
    ReversePlay = 0;
    ShockwaveFlash1.Rewind();
    ShockwaveFlash1.Stop();
    Command4.setEnabled(false);
    Command6.setEnabled(false);
    showGotoControls(false);
    Option3.setValue(true);
}

void Form3::Command4_Click()
{
    ReversePlay = 0;
    ShockwaveFlash1.Forward();
}

void Form3::Command6_Click()
{
    ReversePlay = 0;
    ShockwaveFlash1.Back();
}

void Form3::Command8_Click()
{
    goToTypedFrame();
}

void Form3::Text1_KeyPress(int &keyAscii)
{
    if (keyAscii == kEnter)
        goToTypedFrame();
}

void Form3::goToTypedFrame()
{
    try {
        const int total = ShockwaveFlash1.TotalFrames();
        bool number = false;
        const double typed = Text1.Text().trimmed().toDouble(&number);
        if (!number || !std::isfinite(typed))
            throw RuntimeError(QStringLiteral("Type mismatch"));
        const double frame = std::floor(typed);
        if (frame > 0 && frame <= total)
            ShockwaveFlash1.GotoFrame(static_cast<int>(frame));
    } catch (const RuntimeError &) {
        services().messageBox.show(QStringLiteral(" Please Enter integer values"));
    }
}

void Form3::Check1_Click()
{
    const bool zoomed = Check1.Value() == 1;
    if (zoomed) {
        ShockwaveFlash1.setTop(0);
        ShockwaveFlash1.setHeight(12055);
        ShockwaveFlash1.setLeft(-6240);
        ShockwaveFlash1.setWidth(25100);
    } else {
        ShockwaveFlash1.setHeight(8055);
        ShockwaveFlash1.setWidth(11100);
        ShockwaveFlash1.setTop(240);
        ShockwaveFlash1.setLeft(240);
    }
    for (Control *pad : std::initializer_list<Control *>{&Frame1, &Shape6, &Command2, &Command5, &Command10, &Command11})
        pad->setVisible(zoomed);
}

void Form3::Command1_Click()
{
    Hide();
    Unload();
}

void Form3::Timer1_Timer()
{
    if (ReversePlay == 1) {
        try {
            if (ShockwaveFlash1.CurrentFrame() == 1) {
                Option3.setValue(true);
                ReversePlay = 0;
                ShockwaveFlash1.Stop();
            } else {
                ShockwaveFlash1.Back();
            }
        } catch (const RuntimeError &) {
            // Nothing loaded: nothing to play backwards.
        }
    }
    if (PanDownHeld == 1 && ShockwaveFlash1.Top() > -3500)
        ShockwaveFlash1.setTop(ShockwaveFlash1.Top() - kPanStep);
    if (PanUpHeld == 1 && ShockwaveFlash1.Top() < 0)
        ShockwaveFlash1.setTop(ShockwaveFlash1.Top() + kPanStep);
    if (PanRightHeld == 1 && ShockwaveFlash1.Left() > -9240)
        ShockwaveFlash1.setLeft(ShockwaveFlash1.Left() - kPanStep);
    if (PanLeftHeld == 1 && ShockwaveFlash1.Left() < -4240)
        ShockwaveFlash1.setLeft(ShockwaveFlash1.Left() + kPanStep);
}

} // namespace sky
