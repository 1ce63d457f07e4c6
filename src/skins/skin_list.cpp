#include "core/module1.h"
#include "core/settings_file.h"
#include "skins/form2.h"
#include "skins/skin_rules.h"

namespace sky {

namespace {

constexpr int kEscape = 27;
const QString kSkinsFull = QStringLiteral("Maximun skins possible is 80");
const QString kLineBreakInName = QStringLiteral("File names with a line break in them cannot be put in the skin list");

} // namespace

bool Form2::appendSkin(const QString &path, const QString &text)
{
    // Each path and name is a line of the settings file: one that held a
    // line break would move every line after it.
    if (!fitsOnTextLine(path) || !fitsOnTextLine(text))
        return false;
    const auto at = static_cast<std::size_t>(m.SkinCount.value());
    m.SkinPath[at] = path;
    m.SkinName[at] = text;
    List1.AddItem(text);
    m.SkinCount = m.SkinCount + 1;
    return true;
}

void Form2::recolourList()
{
    const long colour = skinListColour(List1.ListCount());
    List1.setBackColor(colour);
    m.SkinListColour = static_cast<double>(colour);
}

void Form2::Command3_Click()
{
    if (File1.FileName().isEmpty())
        return;
    if (m.SkinCount >= kMaxSkins)
        services().messageBox.show(kSkinsFull);
    else if (!appendSkin(selectedPath(), skinEntryText(File1.Path(), File1.FileName(), paths())))
        services().messageBox.show(kLineBreakInName);
    recolourList();
}

void Form2::Command5_Click()
{
    m.AddAllBusy = 1;
    const QString folder = File1.Path();
    bool refused = false;
    for (int i = 0; i < File1.ListCount(); ++i) {
        File1.setListIndex(i);
        if (m.SkinCount >= kMaxSkins) {
            services().messageBox.show(kSkinsFull);
            break;
        }
        if (!appendSkin(paths().join(folder, File1.FileName()), skinEntryText(folder, File1.FileName(), paths())))
            refused = true;
    }
    if (refused)
        services().messageBox.show(kLineBreakInName);
    recolourList();
    m.AddAllBusy = 0;
}

void Form2::Command4_Click()
{
    m.SkinCount = 0;
    for (int i = 0; i < kMaxSkins; ++i)
        m.SkinPath[static_cast<std::size_t>(i)] = QString();
    List1.Clear();
    recolourList();
}

void Form2::List1_KeyPress(int &keyAscii)
{
    const int k = List1.ListIndex();
    if (keyAscii != kEscape || k < 0)
        return;
    removeSlot(m.SkinPath, k, kMaxSkins);
    removeSlot(m.SkinName, k, kMaxSkins);
    List1.RemoveItem(k);
    // A list filled from a hand-edited settings file may hold more entries
    // than its count.
    if (m.SkinCount > 0)
        m.SkinCount = m.SkinCount - 1;
    if (List1.ListCount() == k)
        List1.setListIndex(k - 1);
    else
        List1.setListIndex(k);
}

} // namespace sky
