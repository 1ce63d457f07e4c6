#pragma once

#include "characters.h"

#include <optional>

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

// Where a text field's box lies on the whole pixels of a picture, as its
// background and border are drawn there: the corner on the nearest pixel
// (halves rounding down), the size rounded on its own. `toPicture` takes the
// field's twips to the picture's pixels; turned or slanted by less than
// half a pixel along its sides, the box is taken as upright, and none is
// given when it is turned further.
std::optional<QRect> fieldPixels(const QRectF &box, const QTransform &toPicture);

// Where a text field's text, caret and selection show, in the picture's
// pixels: within its box, inside the border when it has one.
QPainterPath fieldClip(const TextCharacter &text, const QTransform &toPicture);

// DefineFont (tag 10), DefineFont2 (48) and DefineFont3 (75) after the id.
FontCharacter readDefineFont(BitReader &r, int tagCode, qint64 &edgeBudget);

// DefineText (version 1) and DefineText2 (version 2) after the id.
TextCharacter readDefineText(BitReader &r, int version);

} // namespace sky::swf
