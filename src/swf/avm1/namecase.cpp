#include "namecase.h"

namespace sky::swf::avm1 {
namespace {

bool knownToPlayer(char32_t c) { return QChar::unicodeVersion(c) <= QChar::Unicode_3_0; }

} // namespace

QString foldNameCase(const QString &name)
{
    QString out = name;
    for (QChar &c : out) {
        const char16_t u = c.unicode();
        if (u < 0x80) {
            if (u >= u'A' && u <= u'Z')
                c = QChar(char16_t(u + 32));
            continue;
        }
        if (c.isSurrogate())
            continue;
        const char32_t lower = QChar::toLower(char32_t(u));
        if (lower != u && lower <= 0xffff && knownToPlayer(u) && knownToPlayer(lower))
            c = QChar(char16_t(lower));
    }
    return out;
}

} // namespace sky::swf::avm1
