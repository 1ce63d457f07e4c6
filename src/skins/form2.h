#pragma once

#include "platform/buttons.h"
#include "platform/file_controls.h"
#include "platform/form.h"
#include "platform/list_controls.h"
#include "platform/paths.h"
#include "platform/picture.h"
#include "platform/simple_controls.h"

namespace sky {

class Program;
struct Module1;

// The skin manager: browses pictures, previews them and applies one to the
// main window; its right half holds the skin list and the automatic skin
// change, with a small slideshow.
class Form2 : public Form
{
public:
    explicit Form2(Program &program);

    // Left half.
    Image Image1;
    Shape Shape3;
    Shape Shape4;
    Shape Shape1;
    Shape Shape2;
    DriveListBox Drive1;
    DirListBox Dir1;
    FileListBox File1;
    CommandButton Command1;
    Label Label3;
    ComboBox Combo2;
    CheckBox Check4;
    CommandButton Command2;
    // Right half.
    CheckBox Check2;
    Label Label1;
    ComboBox Combo1;
    CommandButton Command3;
    CommandButton Command5;
    ListBox List1;
    Label Label2;
    CommandButton Command4;
    Image Image2;
    Label Label4;
    CheckBox Check3;
    Label Label5;
    Label Label6;
    Timer Timer1;

    // Window-level state.
    short GrowStyle = 0;
    int BlinkTick = 0;

    void Form_Load() override;
    void Drive1_Change();
    void Dir1_Change();
    void Dir1_Click();
    void Dir1_KeyPress(int &keyAscii);
    void File1_Click();
    void File1_DblClick();
    void File1_KeyPress(int &keyAscii);
    void Combo2_Click();
    void Command1_Click();
    void Command2_Click();
    void Check4_Click();

    // Skin list.
    void Command3_Click();
    void Command5_Click();
    void Command4_Click();
    void List1_KeyPress(int &keyAscii);

    // Automatic change and the window's timer.
    void Check2_Click();
    void Combo1_Click();
    void Check3_Click();
    void List1_Click();
    void Image2_DblClick();
    void Timer1_Timer();

private:
    void design() override;
    void wireEvents();
    QString selectedPath() const;
    // The first steps of applying a picture, shared by every way of applying.
    void takeChosenPicture();
    void recolourList();
    // False, adding nothing, for a path or text with a line break in it.
    bool appendSkin(const QString &path, const QString &text);
    void showNextPreview();
    void growPreview();
    const PathRules &paths() const;

    Program &m_program;
    Module1 &m;
};

// The window's background: a picture drawn here rather than shipped.
QImage skinManagerBackground();

} // namespace sky
