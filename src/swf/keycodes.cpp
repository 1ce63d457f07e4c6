#include "keycodes.h"

#include <Qt>

namespace sky::swf {

std::pair<int, int> movieKey(int qtKey, const QString &text)
{
    static const std::pair<int, int> special[] = {
        {Qt::Key_Backspace, 8}, {Qt::Key_Tab, 9},      {Qt::Key_Backtab, 9},   {Qt::Key_Return, 13},
        {Qt::Key_Enter, 13},    {Qt::Key_Shift, 16},   {Qt::Key_Control, 17},  {Qt::Key_Alt, 18},
        {Qt::Key_CapsLock, 20}, {Qt::Key_Escape, 27},  {Qt::Key_Space, 32},    {Qt::Key_PageUp, 33},
        {Qt::Key_PageDown, 34}, {Qt::Key_End, 35},     {Qt::Key_Home, 36},     {Qt::Key_Left, 37},
        {Qt::Key_Up, 38},       {Qt::Key_Right, 39},   {Qt::Key_Down, 40},     {Qt::Key_Insert, 45},
        {Qt::Key_Delete, 46},
    };
    const int character = text.size() == 1 && text[0].unicode() >= 8 ? text[0].unicode() : 0;
    for (const auto &[key, code] : special)
        if (key == qtKey)
            return {code, character};
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9))
        return {qtKey, character};
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F12)
        return {112 + qtKey - Qt::Key_F1, 0};
    return {character >= 'a' && character <= 'z' ? character - 32 : character, character};
}

std::pair<int, int> movieKeyNamed(const QString &name)
{
    static const std::pair<const char16_t *, int> named[] = {
        {u"Enter", Qt::Key_Return},   {u"Escape", Qt::Key_Escape},     {u"Tab", Qt::Key_Tab},
        {u"Backspace", Qt::Key_Backspace}, {u"Delete", Qt::Key_Delete}, {u"Space", Qt::Key_Space},
        {u"ArrowLeft", Qt::Key_Left}, {u"ArrowUp", Qt::Key_Up},        {u"ArrowRight", Qt::Key_Right},
        {u"ArrowDown", Qt::Key_Down}, {u"Left", Qt::Key_Left},         {u"Up", Qt::Key_Up},
        {u"Right", Qt::Key_Right},    {u"Down", Qt::Key_Down},         {u"Home", Qt::Key_Home},
        {u"End", Qt::Key_End},        {u"PageUp", Qt::Key_PageUp},     {u"PageDown", Qt::Key_PageDown},
        {u"Insert", Qt::Key_Insert},  {u"Shift", Qt::Key_Shift},       {u"Control", Qt::Key_Control},
        {u"Alt", Qt::Key_Alt},        {u"LeftShift", Qt::Key_Shift},   {u"RightShift", Qt::Key_Shift},
        {u"LeftControl", Qt::Key_Control}, {u"RightControl", Qt::Key_Control}, {u"LeftAlt", Qt::Key_Alt},
        {u"RightAlt", Qt::Key_Alt},   {u"CapsLock", Qt::Key_CapsLock},
    };
    static const std::pair<int, QChar> typed[] = {
        {Qt::Key_Return, u'\r'}, {Qt::Key_Escape, QChar(27)}, {Qt::Key_Tab, u'\t'}, {Qt::Key_Backspace, QChar(8)},
        {Qt::Key_Delete, QChar(127)}, {Qt::Key_Space, u' '},
    };
    for (const auto &[key, qtKey] : named) {
        if (name.compare(QStringView(key), Qt::CaseInsensitive) != 0)
            continue;
        QString text;
        for (const auto &[typedKey, c] : typed)
            if (typedKey == qtKey)
                text = c;
        return movieKey(qtKey, text);
    }
    if (name.size() != 1)
        return {0, 0};
    const QChar c = name[0];
    const int qtKey = c.isLetter() ? c.toUpper().unicode() : c.unicode();
    return movieKey(qtKey, name);
}

} // namespace sky::swf
