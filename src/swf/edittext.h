#pragma once

#include "characters.h"
#include "textfield.h"

#include <functional>
#include <memory>

namespace sky::swf {

class BitReader;

// The embedded fonts a text field can use. A font is known by its name and
// style: of several fonts of one name and style, the first defined counts.
struct FontLookup {
    std::function<const FontCharacter *(quint16 id)> byId;
    std::function<quint16(const QString &name, bool bold, bool italic)> byName; // 0: none
};

// What a placed text field starts from: the field its definition
// describes, and the fonts it may draw in.
struct EditTextSource {
    TextField field;
    QString initialText; // as the definition gives it, HTML or not
    FontLookup fonts;
};

// DefineEditText after the id: the field it defines, laid out with its
// initial text (see layoutTextField()). HTML text keeps its line breaks,
// font faces, sizes, styles and colours.
TextCharacter readDefineEditText(BitReader &r, const FontLookup &fonts);

} // namespace sky::swf
