#include "skins/form2.h"

#include "core/module1.h"
#include "core/program.h"
#include "mainwindow/form1.h"
#include "platform/colour.h"
#include "platform/runtime_error.h"
#include "skins/picture_fitting.h"
#include "skins/skin_rules.h"

namespace sky {

namespace {

constexpr int kEnter = 13;
constexpr float kPreviewWidth = 2535;
constexpr float kPreviewHeight = 1935;
constexpr float kNarrowWidth = 4755;
constexpr float kWideWidth = 7620;
const QString kRootDrive = QStringLiteral("/");

} // namespace

Form2::Form2(Program &program)
    : Form(QStringLiteral("Form2"), program.services()),
      Image1(*this, QStringLiteral("Image1")),
      Shape3(*this, QStringLiteral("Shape3")),
      Shape4(*this, QStringLiteral("Shape4")),
      Shape1(*this, QStringLiteral("Shape1")),
      Shape2(*this, QStringLiteral("Shape2")),
      Drive1(*this, QStringLiteral("Drive1")),
      Dir1(*this, QStringLiteral("Dir1")),
      File1(*this, QStringLiteral("File1")),
      Command1(*this, QStringLiteral("Command1")),
      Label3(*this, QStringLiteral("Label3")),
      Combo2(*this, QStringLiteral("Combo2"), ComboBox::DropdownList),
      Check4(*this, QStringLiteral("Check4")),
      Command2(*this, QStringLiteral("Command2")),
      Check2(*this, QStringLiteral("Check2")),
      Label1(*this, QStringLiteral("Label1")),
      Combo1(*this, QStringLiteral("Combo1"), ComboBox::DropdownCombo),
      Command3(*this, QStringLiteral("Command3")),
      Command5(*this, QStringLiteral("Command5")),
      List1(*this, QStringLiteral("List1")),
      Label2(*this, QStringLiteral("Label2")),
      Command4(*this, QStringLiteral("Command4")),
      Image2(*this, QStringLiteral("Image2")),
      Label4(*this, QStringLiteral("Label4")),
      Check3(*this, QStringLiteral("Check3")),
      Label5(*this, QStringLiteral("Label5")),
      Label6(*this, QStringLiteral("Label6")),
      Timer1(*this, QStringLiteral("Timer1")),
      m_program(program), m(program.module())
{
    wireEvents();
}

const PathRules &Form2::paths() const
{
    return m_program.paths();
}

void Form2::wireEvents()
{
    Drive1.Change = [this] { Drive1_Change(); };
    Dir1.Change = [this] { Dir1_Change(); };
    Dir1.Click = [this] { Dir1_Click(); };
    Dir1.KeyPress = [this](int &key) { Dir1_KeyPress(key); };
    File1.Click = [this] { File1_Click(); };
    File1.DblClick = [this] { File1_DblClick(); };
    File1.KeyPress = [this](int &key) { File1_KeyPress(key); };
    Combo2.Click = [this] { Combo2_Click(); };
    Combo2.KeyUp = [this](int, int) { Combo2_Click(); };
    Command1.Click = [this] { Command1_Click(); };
    Command2.Click = [this] { Command2_Click(); };
    Check4.Click = [this] { Check4_Click(); };
    Command3.Click = [this] { Command3_Click(); };
    Command5.Click = [this] { Command5_Click(); };
    Command4.Click = [this] { Command4_Click(); };
    List1.KeyPress = [this](int &key) { List1_KeyPress(key); };
    Check2.Click = [this] { Check2_Click(); };
    Combo1.Click = [this] { Combo1_Click(); };
    Combo1.KeyUp = [this](int, int) { Combo1_Click(); };
    Combo1.LostFocus = [this] { Combo1_Click(); };
    Check3.Click = [this] { Check3_Click(); };
    List1.Click = [this] { List1_Click(); };
    Image2.DblClick = [this] { Image2_DblClick(); };
    Timer1.Tick = [this] { Timer1_Timer(); };
}

void Form2::Form_Load()
{
    BlinkTick = 0;
    Check4.setValue(m.AnimatePreview);
    GrowStyle = 0;
    Check2.setValue(static_cast<int>(m.AutoSkinChange.value()));
    Check3.setValue(m.RandomSkin);
    // A choice the lists do not hold (a hand-edited settings file) selects
    // nothing rather than failing the load.
    skipOnError([&] { Combo1.setListIndex(static_cast<int>(m.SkinIntervalChoice.value())); });
    setWidth(kNarrowWidth);
    const long pale = rgb(180, 280, 200);
    Dir1.setBackColor(pale);
    File1.setBackColor(pale);
    Label2.setBackColor(pale);
    List1.setBackColor(static_cast<long>(m.SkinListColour));
    skipOnError([&] { Combo2.setListIndex(m.SkinFitMode); });
    for (int i = 0; i < kMaxSkins; ++i)
        if (!m.SkinPath[static_cast<std::size_t>(i)].isEmpty())
            List1.AddItem(m.SkinName[static_cast<std::size_t>(i)]);
}

void Form2::Drive1_Change()
{
    try {
        Dir1.setPath(Drive1.Drive());
    } catch (const RuntimeError &) {
        services().messageBox.show(
            QStringLiteral("The program is unable to access the drive. May be the media is not in the drive."));
        if (Drive1.Drive() != kRootDrive)
            Drive1.setDrive(kRootDrive);
    }
}

void Form2::Dir1_Change()
{
    skipOnError([&] { File1.setPath(Dir1.Path()); });
    if (File1.ListCount() >= 1)
        File1.setListIndex(0);
}

void Form2::Dir1_Click()
{
    skipOnError([&] { File1.setPath(Dir1.Path()); });
}

void Form2::Dir1_KeyPress(int &keyAscii)
{
    skipOnError([&] { File1.setPath(Dir1.Path()); });
    if (keyAscii == kEnter)
        skipOnError([&] { Dir1.setPath(Dir1.List(Dir1.ListIndex())); });
}

QString Form2::selectedPath() const
{
    return paths().join(File1.Path(), File1.FileName());
}

void Form2::File1_Click()
{
    RandomSource &random = services().random;
    random.reseedFromClock();
    if (m.AnimatePreview == 1) {
        GrowStyle = static_cast<short>(3 * random.next());
        if (GrowStyle == 1) {
            Image1.setWidth(0);
        } else if (GrowStyle == 2) {
            Image1.setHeight(0);
        } else {
            Image1.setHeight(0);
            Image1.setWidth(0);
        }
    } else {
        GrowStyle = 4;
        Image1.setWidth(kPreviewWidth);
        Image1.setHeight(kPreviewHeight);
    }
    // A file that is no picture leaves the preview as it was.
    skipOnError([&] { Image1.setPicture(Picture::load(selectedPath(), QSize(340, 260))); });
}

void Form2::Combo2_Click()
{
    m.SkinFitMode = static_cast<short>(Combo2.ListIndex());
    m.SkinDisplayMode = Combo2.ListIndex();
    m_program.form1().Refresh();
}

void Form2::takeChosenPicture()
{
    m.SkinChosen = 1;
    m.SkinDisplayMode = Combo2.ListIndex();
    if (!File1.FileName().isEmpty())
        m.SkinPicturePath = selectedPath();
}

void Form2::Command1_Click()
{
    takeChosenPicture();
    Form1 &main = m_program.form1();
    if (m.SkinFitMode == 2) {
        fitSkinPicture(main.Image1, main.ScaleWidth(), main.ScaleHeight());
    } else {
        main.Image1.setTop(0);
        main.Image1.setLeft(0);
    }
    m.SkinWindowReshown = 0;
    main.Show();
    main.Refresh();
    main.setBackColor(randomColour(services().random, 150));
}

void Form2::File1_DblClick()
{
    if (Check2.Value() == 1)
        Command3_Click();
    else
        Command1_Click();
}

void Form2::File1_KeyPress(int &keyAscii)
{
    if (keyAscii != kEnter)
        return;
    if (m.AutoSkinChange == 1) {
        Command3_Click();
        return;
    }
    takeChosenPicture();
    m.SkinWindowReshown = 0;
    m_program.form1().Show();
}

void Form2::Command2_Click()
{
    setWidth(kWideWidth);
}

void Form2::Check4_Click()
{
    m.AnimatePreview = static_cast<short>(Check4.Value());
}

} // namespace sky
