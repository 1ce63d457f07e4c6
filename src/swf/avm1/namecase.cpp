#include "namecase.h"

namespace sky::swf::avm1 {
namespace {

bool knownToPlayer(char32_t c) { return QChar::unicodeVersion(c) <= QChar::Unicode_3_0; }

char16_t folded(char16_t u)
{
    if (u < 0x80)
        return u >= u'A' && u <= u'Z' ? char16_t(u + 32) : u;
    if (QChar::isSurrogate(u))
        return u;
    const char32_t lower = QChar::toLower(char32_t(u));
    return lower != u && lower <= 0xffff && knownToPlayer(u) && knownToPlayer(lower) ? char16_t(lower) : u;
}

} // namespace

QString foldNameCase(const QString &name)
{
    // Most names are folded already: they are shared, not copied.
    const QChar *chars = name.constData();
    qsizetype i = 0;
    while (i < name.size() && folded(chars[i].unicode()) == chars[i].unicode())
        ++i;
    if (i == name.size())
        return name;
    QString out = name;
    for (QChar *c = out.data() + i, *last = out.data() + out.size(); c != last; ++c)
        *c = QChar(folded(c->unicode()));
    return out;
}

} // namespace sky::swf::avm1
