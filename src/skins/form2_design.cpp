#include "platform/colour.h"
#include "platform/runtime_error.h"
#include "skins/form2.h"

#include <QDir>

#include <algorithm>

namespace sky {

namespace {

// `from` at the top of a column of `height` rows to `to` at its bottom.
QRgb verticalBlend(QColor from, QColor to, int row, int height)
{
    const double t = (row + 0.5) / height;
    const auto mix = [t](int a, int b) { return int(a + (b - a) * t + 0.5); };
    return qRgb(mix(from.red(), to.red()), mix(from.green(), to.green()), mix(from.blue(), to.blue()));
}

// `pixel` seen through white of the given opacity (0 to 255).
QRgb underWhite(QRgb pixel, int alpha)
{
    const auto lift = [alpha](int c) { return c + ((255 - c) * alpha + 127) / 255; };
    return qRgb(lift(qRed(pixel)), lift(qGreen(pixel)), lift(qBlue(pixel)));
}

QImage drawSkinManagerBackground()
{
    constexpr int width = 600, height = 373, split = 317, divider = 312;
    QImage image(width, height, QImage::Format_RGB32);
    // Each row is two runs of one colour each, filled whole.
    for (int y = 0; y < height; ++y) {
        auto *row = reinterpret_cast<QRgb *>(image.scanLine(y));
        QRgb left = verticalBlend(QColor(40, 60, 120), QColor(90, 40, 110), y, height);
        QRgb right = verticalBlend(QColor(30, 90, 90), QColor(20, 50, 80), y, height);
        // Faint scan lines every fourth row, and a bright divider between
        // the two panes.
        if (y % 4 == 0) {
            left = underWhite(left, 40);
            right = underWhite(right, 40);
        }
        std::fill(row, row + split, left);
        std::fill(row + split, row + width, right);
        if (y >= 8 && y < 366)
            row[divider] = row[divider + 1] = underWhite(left, 120);
    }
    return image;
}

} // namespace

QImage skinManagerBackground()
{
    // The window is loaded at every start and at every opening; its picture
    // is drawn once, as the window is first shown.
    static const QImage image = drawSkinManagerBackground();
    return image;
}

namespace {

void item(Control &control, float left, float top, float width, float height, long back)
{
    control.Move(left, top, width, height);
    if (back >= 0)
        control.setBackColor(back);
    control.setVisible(true);
    control.setEnabled(true);
}

} // namespace

void Form2::design()
{
    setCaption(QStringLiteral("Change Skin"));
    setBorder(Border::ToolWindow);
    setClientSize(7500, 5595);
    setPicture(skinManagerBackground);

    const long violet = rgb(192, 192, 255);
    const long teal = rgb(0, 192, 192);
    item(Drive1, 360, 120, 3255, 315, violet);
    item(Dir1, 360, 480, 3255, 1440, -1);
    item(File1, 360, 1920, 2565, 1200, -1);
    File1.setPattern(QStringLiteral("*.jpg;*.bmp;*.gif"));
    // The browser starts in the folder the program was started from.
    const QString start = QDir::currentPath();
    skipOnError([&] {
        Drive1.setDrive(start);
        Dir1.setPath(start);
        File1.setPath(start);
    });
    item(Command1, 3000, 2280, 1335, 495, teal);
    Command1.setCaption(QStringLiteral("A&pply"));
    item(Label3, 3000, 3240, 1095, 255, -1);
    Label3.setCaption(QStringLiteral("Display Mode"));
    Label3.setForeColor(rgb(255, 255, 255));
    item(Combo2, 2950, 3480, 1690, 315, rgb(192, 255, 192));
    Combo2.Clear();
    for (const char *mode : {"None", "Stretch", "Centre (Maintain Ratio)"})
        Combo2.AddItem(QString::fromLatin1(mode));
    Combo2.setListIndex(-1);

    for (Shape *shadow : {&Shape3, &Shape4}) {
        shadow->setBorderWidth(0);
        shadow->setFillColor(rgb(20, 20, 40));
        shadow->setVisible(true);
    }
    Shape3.Move(260, 3150, 2600, 135);
    Shape4.Move(240, 3150, 135, 1960);
    for (Shape *frame : {&Shape1, &Shape2}) {
        frame->Move(360, 3240, 2535, 1935);
        frame->setFillColor(-1);
        frame->setVisible(true);
    }
    Shape1.setBorderColor(rgb(255, 255, 255));
    Shape1.setBorderWidth(3);
    Shape2.setBorderColor(rgb(0, 0, 0));
    Shape2.setBorderWidth(1);
    item(Image1, 360, 3240, 2535, 1935, -1);
    Image1.setStretch(true);
    Image1.setPicture(Picture());

    // Wide enough for its caption on one line at the program's font.
    item(Check4, 360, 5280, 1650, 255, violet);
    Check4.setCaption(QStringLiteral("A&nimate Preview"));
    Check4.setValue(0);
    item(Command2, 3000, 5280, 1215, 255, teal);
    Command2.setCaption(QStringLiteral("A&dvanced"));

    item(Check2, 4800, 240, 2415, 495, violet);
    Check2.setCaption(QStringLiteral("A&utomatically change skin"));
    Check2.setValue(0);
    item(Label1, 4800, 840, 975, 255, -1);
    Label1.setCaption(QStringLiteral("  After Every"));
    Label1.setForeColor(rgb(255, 255, 255));
    item(Combo1, 5880, 840, 1095, 315, rgb(255, 224, 192));
    Combo1.setForeColor(rgb(0, 0, 255));
    Combo1.Clear();
    for (const char *interval : {"5 secs", "30 secs", "2 mins", "5 mins", "10 mins", "20 mins"})
        Combo1.AddItem(QString::fromLatin1(interval));
    Combo1.setListIndex(-1);
    const long blue = rgb(128, 128, 255);
    item(Command3, 4680, 1200, 1335, 375, blue);
    Command3.setCaption(QStringLiteral("Add to Skin &List"));
    item(Command5, 6120, 1200, 1335, 375, blue);
    Command5.setCaption(QStringLiteral("Add All &Files"));
    item(List1, 4680, 1680, 2775, 2790, -1);
    List1.Clear();
    item(Label2, 4680, 4460, 2775, 255, -1);
    Label2.setOpaque(true);
    Label2.setCaption(QStringLiteral("Total Number of Pictures "));
    item(Command4, 4680, 4800, 1215, 375, rgb(255, 128, 128));
    Command4.setCaption(QStringLiteral("Clear L&ist"));
    item(Image2, 6000, 4800, 1095, 735, -1);
    Image2.setStretch(true);
    Image2.setPicture(Picture());
    item(Label4, 7200, 5280, 255, 255, -1);
    Label4.setCaption(QString());
    Label4.setForeColor(rgb(255, 255, 255));

    // "S", then red and blue letters that spell "Shuffle" together.
    const long pink = rgb(255, 192, 192);
    item(Check3, 4680, 5280, 375, 255, pink);
    Check3.setCaption(QStringLiteral("&S"));
    Check3.setValue(0);
    item(Label5, 5040, 5280, 735, 255, pink);
    Label5.setOpaque(true);
    Label5.setCaption(QStringLiteral(" h    f f   e"));
    Label5.setForeColor(rgb(255, 0, 0));
    item(Label6, 5040, 5280, 615, 255, -1);
    Label6.setCaption(QStringLiteral("    u     l"));
    Label6.setForeColor(rgb(0, 0, 255));
    for (Label *letters : {&Label5, &Label6})
        letters->setFont(QStringLiteral("DejaVu Sans"), 7);

    // The runtime's 5 ms timer ticks at the system clock's pace.
    Timer1.setInterval(16);
    Timer1.setEnabled(true);
}

} // namespace sky
