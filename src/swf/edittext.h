#pragma once

#include "characters.h"

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

// What a text field keeps to lay itself out again with another text.
struct EditTextSource {
    QByteArray definition; // DefineEditText after the id
    qsizetype flagsAt = 0;  // where its flags start
    qsizetype textAt = 0;   // where its initial text starts, or would
    QString variable;       // the variable whose value it shows, if any
    QString initialText;
    FontLookup fonts;
};

// DefineEditText after the id: its initial text laid out in the glyphs of
// its embedded fonts, as static text. HTML text keeps its line breaks, font
// faces, bold, italic and colours; other markup is dropped. Text in a device
// font is laid out in the system's font of that name (see deviceFont()).
// Given the definition's bytes (those `r` reads), the field keeps them to
// be laid out again.
TextCharacter readDefineEditText(BitReader &r, const FontLookup &fonts, const QByteArray *definition = nullptr);
// The field laid out with `text` in place of its initial text.
TextCharacter relayoutEditText(const std::shared_ptr<const EditTextSource> &field, const QString &text);

} // namespace sky::swf
