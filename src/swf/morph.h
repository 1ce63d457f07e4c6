#pragma once

#include "characters.h"

namespace sky::swf {

class BitReader;

// Reads DefineMorphShape (version 1) or DefineMorphShape2 (version 2)
// after the character id.
MorphCharacter readDefineMorphShape(BitReader &r, int version, qint64 &edgeBudget);

// The shape at `t` (0 = start, 1 = end) between two key shapes with the
// same styles and edges in the same order.
ShapeData interpolateShape(const ShapeData &start, const ShapeData &end, double t);

} // namespace sky::swf
