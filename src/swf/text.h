#pragma once

#include "characters.h"

namespace sky::swf {

class BitReader;
class Movie;

// A glyph of a text placed in text space, outline in font units.
struct PlacedGlyph {
    const QPainterPath *outline = nullptr;
    QTransform transform;
    QColor color;
    int character = -1; // a text field's: the character of its text drawn
};

// The glyphs of a text whose font and glyph exist.
std::vector<PlacedGlyph> placedGlyphs(const Movie &movie, const TextCharacter &text);

// DefineFont (tag 10), DefineFont2 (48) and DefineFont3 (75) after the id.
FontCharacter readDefineFont(BitReader &r, int tagCode, qint64 &edgeBudget);

// DefineText (version 1) and DefineText2 (version 2) after the id.
TextCharacter readDefineText(BitReader &r, int version);

} // namespace sky::swf
