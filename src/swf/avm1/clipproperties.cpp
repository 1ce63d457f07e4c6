#include "clipproperties.h"
#include "vm.h"

#include <array>

namespace sky::swf::avm1 {
namespace {

const std::array<QStringView, clipPropertyCount> names = {
    u"_x",         u"_y",           u"_xscale",    u"_yscale",        u"_currentframe", u"_totalframes",
    u"_alpha",     u"_visible",     u"_width",     u"_height",        u"_rotation",     u"_target",
    u"_framesloaded", u"_name",     u"_droptarget", u"_url",          u"_highquality",  u"_focusrect",
    u"_soundbuftime", u"_quality",  u"_xmouse",    u"_ymouse",
};

// Whether `name` is `known` (lower case ASCII) without case: ASCII at
// once, other characters by their Unicode case folding.
bool sameNoCase(const QString &name, QStringView known)
{
    for (qsizetype i = 0; i < name.size(); ++i) {
        char16_t c = name[i].unicode();
        if (c >= 0x80)
            return name.compare(known, Qt::CaseInsensitive) == 0;
        if (c >= u'A' && c <= u'Z')
            c = char16_t(c + 32);
        if (c != known[i])
            return false;
    }
    return true;
}

} // namespace

QString clipPropertyName(int index)
{
    return index >= 0 && index < clipPropertyCount ? names[std::size_t(index)].toString() : QString();
}

int clipPropertyIndex(const QString &name)
{
    if (name.isEmpty() || name[0] != u'_')
        return -1;
    for (int i = 0; i < clipPropertyCount; ++i)
        if (const QStringView known = names[std::size_t(i)];
            known.size() == name.size() && sameNoCase(name, known))
            return i;
    return -1;
}

void convertForProperty(Vm &vm, int index, const Value &value)
{
    if ((index >= 0 && index <= 10) || index == 12 || index == 16 || index == 18 || index == 20 || index == 21)
        vm.toNumber(value);
    else if (index == 13 || index == 19)
        vm.toString(value);
}

} // namespace sky::swf::avm1
