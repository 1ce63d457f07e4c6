#pragma once

#include "characters.h"
#include "timeline.h"

namespace sky::swf {

class BitReader;

// PlaceObject (1), PlaceObject2 (2) and PlaceObject3 (3) tag bodies.
// `swfVersion` decides the width of clip event flags.
DisplayOp readPlaceObject(BitReader &r, int version, int swfVersion);
// RemoveObject (1) and RemoveObject2 (2) tag bodies.
DisplayOp readRemoveObject(BitReader &r, int version);

// DefineButton (1) and DefineButton2 (2) after the id.
ButtonCharacter readDefineButton(BitReader &r, int version);

} // namespace sky::swf
