#pragma once

#include "characters.h"

namespace sky::swf {

class BitReader;

// DefineFont (tag 10), DefineFont2 (48) and DefineFont3 (75) after the id.
FontCharacter readDefineFont(BitReader &r, int tagCode, qint64 &edgeBudget);

// DefineText (version 1) and DefineText2 (version 2) after the id.
TextCharacter readDefineText(BitReader &r, int version);

} // namespace sky::swf
