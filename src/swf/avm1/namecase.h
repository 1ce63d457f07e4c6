#pragma once

#include <QString>

namespace sky::swf::avm1 {

// A name as movies up to SWF 6 compare it: letters folded to lower case by
// the case pairs the player knew, those of Unicode 3.0. Letters given case
// pairs later (Ⱥ and ⱥ, Ϸ and ϸ) keep their case.
QString foldNameCase(const QString &name);

} // namespace sky::swf::avm1
