#include "clipproperties.h"

#include <array>

namespace sky::swf::avm1 {
namespace {

const std::array<QStringView, clipPropertyCount> names = {
    u"_x",         u"_y",           u"_xscale",    u"_yscale",        u"_currentframe", u"_totalframes",
    u"_alpha",     u"_visible",     u"_width",     u"_height",        u"_rotation",     u"_target",
    u"_framesloaded", u"_name",     u"_droptarget", u"_url",          u"_highquality",  u"_focusrect",
    u"_soundbuftime", u"_quality",  u"_xmouse",    u"_ymouse",
};

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
            known.size() == name.size() && name.compare(known, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

} // namespace sky::swf::avm1
