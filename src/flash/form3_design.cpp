#include "flash/form3.h"

#include "platform/colour.h"

namespace sky {

namespace {

constexpr double kSymbolPoints = 11;

void place(Control &control, float left, float top, float width, float height, long back, bool visible = true)
{
    control.Move(left, top, width, height);
    if (back >= 0)
        control.setBackColor(back);
    control.setVisible(visible);
    control.setEnabled(true);
}

} // namespace

void Form3::design()
{
    setCaption(QStringLiteral("Form4"));
    setBorder(Border::None);
    setBackColor(rgb(255, 128, 0));
    setClientSize(11610, 8520);
    centreOnScreen();

    place(ShockwaveFlash1, 240, 240, 11100, 8055, -1);

    // A dock behind the transport and a pad behind the zoom switch.
    const long dock = rgb(255, 196, 140);
    const long edge = rgb(204, 102, 0);
    const auto panel = [&](Shape &shape, float left, float top, float width, float height, long fill) {
        shape.Move(left, top, width, height);
        shape.setBorderColor(edge);
        shape.setBorderWidth(1);
        shape.setFillColor(fill);
        shape.setVisible(true);
    };
    panel(Shape1, 2520, 6960, 3840, 735, dock);
    panel(Shape2, 3960, 6360, 735, 660, dock);
    panel(Shape3, 2040, 7620, 3840, 495, rgb(255, 224, 192));
    panel(Shape4, 7080, 7080, 855, 615, dock);
    panel(Shape5, 10320, 240, 855, 735, rgb(255, 128, 0));

    place(Command7, 2640, 7080, 735, 495, rgb(128, 128, 255));
    Command7.setCaption(QStringLiteral("Open"));
    const long pale = rgb(192, 192, 255);
    place(Command3, 3480, 7080, 495, 495, pale);
    Command3.setSymbolFont(SymbolFont::Webdings, kSymbolPoints);
    Command3.setCaption(QStringLiteral("9"));
    place(Option1, 4080, 6480, 495, 495, rgb(255, 128, 0));
    Option1.setSymbolFont(SymbolFont::Webdings, kSymbolPoints);
    Option1.setCaption(QStringLiteral("3"));
    place(Option2, 4080, 7080, 495, 495, pale);
    Option2.setSymbolFont(SymbolFont::Webdings, kSymbolPoints);
    Option2.setCaption(QStringLiteral("4"));
    place(Option3, 4680, 7080, 495, 495, pale);
    Option3.setSymbolFont(SymbolFont::Webdings, kSymbolPoints);
    Option3.setCaption(QStringLiteral(";"));
    for (OptionButton *option : {&Option1, &Option2, &Option3})
        option->setValue(false);
    const long peach = rgb(255, 224, 192);
    place(Command6, 5280, 7080, 495, 495, peach);
    Command6.setSymbolFont(SymbolFont::Webdings, kSymbolPoints);
    Command6.setCaption(QStringLiteral("7"));
    Command6.setEnabled(false);
    place(Command4, 5760, 7080, 495, 495, peach);
    Command4.setSymbolFont(SymbolFont::Webdings, kSymbolPoints);
    Command4.setCaption(QStringLiteral("8"));
    Command4.setEnabled(false);

    place(Command9, 2160, 7680, 2295, 375, rgb(0, 0, 0), false);
    Command9.setForeColor(rgb(255, 255, 255));
    Command9.setCaption(QString());
    Command9.setEnabled(false);
    place(Text1, 4440, 7680, 975, 375, -1, false);
    Text1.setText(QString());
    place(Command8, 5400, 7680, 375, 375, -1, false);
    Command8.setCaption(QStringLiteral("Go"));

    // The pan pad: a cross of buttons around the zoom switch.
    place(Frame1, 6720, 6720, 1575, 1335, peach, false);
    Frame1.setCaption(QStringLiteral("Frame1"));
    place(Shape6, 120, 240, 1335, 975, -1);
    Shape6.setBorderColor(rgb(255, 128, 0));
    Shape6.setFillColor(rgb(255, 200, 150));
    place(Check1, 7200, 7200, 615, 375, rgb(128, 128, 255));
    Check1.setCaption(QStringLiteral("Zoom"));
    Check1.setFont(QStringLiteral("DejaVu Sans"), 6);
    Check1.setValue(0);
    place(Command11, 7320, 6840, 375, 375, pale, false);
    place(Command2, 6840, 7200, 375, 375, pale, false);
    place(Command10, 7800, 7200, 375, 375, pale, false);
    place(Command5, 7320, 7560, 375, 375, pale, false);
    for (CommandButton *pan : {&Command11, &Command2, &Command10, &Command5})
        pan->setCaption(QString());

    place(Command1, 10440, 360, 615, 495, rgb(255, 192, 128));
    Command1.setSymbolFont(SymbolFont::Webdings, kSymbolPoints);
    Command1.setCaption(QStringLiteral("r"));

    Timer1.setInterval(100);
    Timer1.setEnabled(true);
}

} // namespace sky
