#include "mainwindow/default_skin.h"
#include "mainwindow/form1.h"

#include "platform/colour.h"
#include "platform/runtime_error.h"

#include <QDir>

namespace sky {

namespace {

const QString kMediaPattern = QStringLiteral(
    "*.avi;*.mp3;*.dat;*.mpg;*.wav;*.mpeg;*.midi;*.mid;*.wm;*.wmp;*.wmx;*.mp1;*.mp2;*.cda");

void button(CommandButton &b, const QString &caption, float left, float top, float width, float height,
            long back, bool visible = true)
{
    b.setCaption(caption);
    b.Move(left, top, width, height);
    b.setBackColor(back);
    b.setForeColor(rgb(16, 16, 40));
    b.setVisible(visible);
    b.setEnabled(true);
}

void check(CheckBox &c, const QString &caption, float left, float top, float width, float height, long back)
{
    c.setCaption(caption);
    c.Move(left, top, width, height);
    c.setBackColor(back);
    c.setForeColor(rgb(16, 16, 40));
    c.setValue(0);
    c.setVisible(true);
}

} // namespace

void Form1::design()
{
    setCaption(QStringLiteral("SKYVANTRIX Media Player"));
    setBorder(Border::Sizable);
    setBackColor(rgb(0, 64, 0));
    setClientSize(8790, 6675);
    centreOnScreen();

    Image1.setStretch(true);
    Image1.setPicture(Picture(defaultSkinPicture()));
    Image1.Move(0, 0, 8800, 6690);
    Image1.sendToBack();
    Image1.setVisible(true);

    // The name of the file playing, with a coloured shadow, and the bar of
    // squares below it.
    // Each control is put in its place before it is shown: shown first, it
    // would be sized to fit its caption, which means laying the caption out
    // in its font.
    Label4.Move(3675, 120, 4920, 405);
    Label4.setForeColor(rgb(255, 10, 0));
    Label3.Move(3660, 105, 4920, 405);
    Label3.setForeColor(rgb(255, 255, 255));
    for (Label *name : {&Label4, &Label3}) {
        name->setCaption(QString());
        name->setFont(QStringLiteral("DejaVu Sans"), 12, true);
        name->setAlignment(Label::Center);
        name->setSingleLine(true);
        name->setVisible(true);
    }
    Label2.setCaption(QString());
    Label2.setSymbolFont(SymbolFont::Wingdings, 10);
    Label2.setAlignment(Label::LeftJustify);
    Label2.Move(4860, 510, 2520, 270);
    Label2.setForeColor(rgb(0, 10, 255));
    Label2.setVisible(true);

    Check4.setCaption(QStringLiteral("S&how Picture Viewer"));
    Check4.Move(120, 0, 1335, 375);
    Check4.setBackColor(rgb(192, 192, 255));
    Check4.setValue(0);
    Check4.setVisible(false);

    // The media browser on the left, each list with its group button.
    Drive1.Move(240, 720, 3120, 315);
    Drive1.setBackColor(rgb(150, 150, 250));
    Drive1.setVisible(true);
    const long groupColour = rgb(255, 224, 192);
    button(Command3, QStringLiteral("   &1"), 120, 1200, 75, 2175, groupColour);
    Dir1.Move(240, 1200, 3120, 2175);
    Dir1.setBackColor(rgb(200, 205, 250));
    Dir1.setVisible(true);
    button(Command4, QStringLiteral("   &2"), 120, 3480, 75, 1455, groupColour);
    File1.Move(240, 3480, 3120, 1455);
    File1.setBackColor(rgb(200, 205, 250));
    File1.setPattern(kMediaPattern);
    File1.setVisible(true);
    // The browser starts in the folder the program was started from.
    const QString start = QDir::currentPath();
    skipOnError([&] {
        Drive1.setDrive(start);
        Dir1.setPath(start);
        File1.setPath(start);
    });

    // Windows and transport.
    const long windowColour = rgb(192, 192, 255);
    button(Command2, QStringLiteral("&Change Skin"), 120, 5160, 1095, 375, windowColour);
    button(Command11, QStringLiteral("Flas&h"), 1290, 5160, 975, 375, windowColour);
    button(Command13, QStringLiteral("T&IPS"), 2340, 5160, 1020, 375, windowColour);
    button(Command1, QStringLiteral("&PLAY"), 120, 5640, 1095, 495, rgb(200, 255, 0));
    Command1.setFont(QStringLiteral("DejaVu Sans"), 9, true);
    button(Command10, QStringLiteral("S&TOP"), 1290, 5640, 975, 495, rgb(255, 128, 128), false);
    Command10.setFont(QStringLiteral("DejaVu Sans"), 9, true);
    check(Check1, QStringLiteral("&Repeat"), 2340, 5640, 1020, 240, rgb(0, 200, 0));
    check(Check5, QStringLiteral("A t&o B"), 2340, 5895, 1020, 240, rgb(255, 224, 192));
    Check5.setVisible(false);
    button(Command14, QStringLiteral("&A"), 240, 6240, 975, 330, rgb(255, 192, 128), false);

    // The playlist on the upper right.
    const long playlistColour = rgb(160, 160, 255);
    List1.Move(3660, 840, 3360, 1935);
    List1.setBackColor(rgb(225, 225, 255));
    List1.Clear();
    List1.setVisible(true);
    List1.setEnabled(true);
    button(Command6, QStringLiteral("Add to Play&List"), 7110, 840, 1470, 360, playlistColour);
    button(Command9, QStringLiteral("Add All &Files"), 7110, 1230, 1470, 360, playlistColour);
    button(Command7, QStringLiteral("clear playl&ist"), 7110, 1620, 1470, 360, playlistColour);
    button(Command17, QStringLiteral("Sa&ve"), 7110, 2010, 705, 360, playlistColour);
    button(Command18, QStringLiteral("Loa&d"), 7875, 2010, 705, 360, playlistColour);

    // The media control, hidden until something plays, with its group button.
    MediaPlayer1.Move(3660, 2880, 4920, 3255);
    MediaPlayer1.setVisible(false);
    button(Command5, QStringLiteral("   &4"), 8640, 5040, 75, 1095, groupColour);

    // The playlist switches along the bottom.
    button(Command8, QStringLiteral("   &3"), 1440, 6360, 75, 255, groupColour);
    check(Check2, QStringLiteral("&Enable PlayList"), 1560, 6360, 1560, 255, rgb(192, 255, 192));
    check(Check3, QStringLiteral("&S"), 3165, 6360, 405, 255, rgb(255, 192, 192));
    Label5.setCaption(QStringLiteral("uuu"));
    Label5.setForeColor(rgb(255, 128, 192));
    Label5.Move(3615, 6360, 540, 255);
    Label6.setCaption(QStringLiteral("lll"));
    Label6.setForeColor(rgb(128, 224, 255));
    Label6.Move(6000, 6360, 540, 255);
    for (Label *mark : {&Label5, &Label6}) {
        mark->setSymbolFont(SymbolFont::Wingdings, 8);
        mark->setVisible(true);
    }
    Label1.setCaption(QString());
    Label1.setForeColor(rgb(255, 255, 255));
    Label1.setFont(QStringLiteral("DejaVu Sans"), 9, true);
    Label1.Move(4140, 6375, 1860, 255);
    Label1.setVisible(true);
    button(Command12, QStringLiteral("Adva&nced"), 6600, 6330, 960, 300, windowColour);
    button(Command15, QStringLiteral("Browser"), 7620, 6330, 960, 300, windowColour);

    Text1.setText(QString());
    Text1.Move(0, 0, 975, 285);
    Text1.setVisible(false);

    Timer1.setInterval(100);
    Timer1.setEnabled(true);
}

} // namespace sky
