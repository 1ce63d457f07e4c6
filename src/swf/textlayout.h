#pragma once

#include "edittext.h"
#include "textfield.h"

namespace sky::swf {

// Twips between a text field's box and its text.
inline constexpr double fieldGutter = 40;

// A text field laid out as the player does: glyphs of its fonts (the
// movie's outlines when the field embeds them, else the system's fonts) on
// lines inside its box less a gutter of two pixels and each paragraph's
// margins; lines end at line breaks and, when the field wraps, before the
// word that would run past the right edge. An auto-sized field's box first
// grows or shrinks around its text. `metrics`, when given, receives the
// size of the text; the character's box is the one the field shows in.
// Its lines are scrolled left by the field's hscroll, up to the metrics'
// maxHScroll.
TextCharacter layoutTextField(const TextField &field, const FontLookup &fonts, FieldMetrics *metrics = nullptr);

} // namespace sky::swf
