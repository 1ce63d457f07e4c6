#pragma once

#include "characters.h"

#include <functional>

namespace sky::swf {

class BitReader;

// The embedded fonts a text field can use. A font is known by its name and
// style: of several fonts of one name and style, the first defined counts.
struct FontLookup {
    std::function<const FontCharacter *(quint16 id)> byId;
    std::function<quint16(const QString &name, bool bold, bool italic)> byName; // 0: none
};

// DefineEditText after the id: its initial text laid out in the glyphs of
// its embedded fonts, as static text. HTML text keeps its line breaks, font
// faces, bold, italic and colours; other markup is dropped. Text in a device
// font is laid out in the system's font of that name (see deviceFont()).
TextCharacter readDefineEditText(BitReader &r, const FontLookup &fonts);

} // namespace sky::swf
