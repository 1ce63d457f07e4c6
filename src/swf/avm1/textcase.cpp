#include "textcase.h"

namespace sky::swf::avm1 {
namespace {

// Where the player's table differs from today's simple mappings: the
// Greek block moves by 0x20 as a whole range (unassigned U+03A2 and final
// sigma included), the lunate sigma is a sigma, the Greek letters with
// ypogegrammeni rise to their title-case forms, dotted capital I lowers
// to i, and Georgian capitals lower to the ordinary Georgian letters.
char16_t playerUpper(char16_t c)
{
    if (c == 0x03c2)
        return 0x03a2;
    if (c == 0x03f2)
        return 0x03a3;
    if ((c >= 0x1f80 && c <= 0x1f87) || (c >= 0x1f90 && c <= 0x1f97) || (c >= 0x1fa0 && c <= 0x1fa7))
        return char16_t(c + 8);
    if (c == 0x1fb3 || c == 0x1fc3 || c == 0x1ff3)
        return char16_t(c + 9);
    return char16_t(QChar::toUpper(c));
}

char16_t playerLower(char16_t c)
{
    if (c == 0x0130)
        return u'i';
    if (c == 0x03a2)
        return 0x03c2;
    if (c >= 0x10a0 && c <= 0x10c5)
        return char16_t(c + 0x30);
    return char16_t(QChar::toLower(c));
}

} // namespace

QString upperCase(const QString &text)
{
    QString out = text;
    for (QChar &ch : out)
        ch = QChar(playerUpper(ch.unicode()));
    return out;
}

QString lowerCase(const QString &text)
{
    QString out = text;
    for (QChar &ch : out)
        ch = QChar(playerLower(ch.unicode()));
    return out;
}

} // namespace sky::swf::avm1
