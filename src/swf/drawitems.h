#pragma once

#include "clipstage.h"

#include <memory>
#include <vector>

namespace sky::swf {

class Movie;

// One object to draw: its placement, how many ticks its own timeline has
// run, and the clip of the stage's tree it is, if any. A clip's children
// are drawn from the tree, as scripts and its own playhead left them;
// what the tree does not hold (a button's states) is drawn from its
// character's timeline at that age.
struct DrawItem {
    int depth = 0;
    const Placement *placement = nullptr;
    qint64 age = 0;
    const StageClip *clip = nullptr;
};

// Objects by depth, with what keeps their placements alive.
struct DrawItems {
    std::vector<DrawItem> items;
    std::shared_ptr<const DisplayList> kept;
};

// The objects of a display list whose objects are `age` ticks old.
DrawItems itemsOf(const DisplayList &list, qint64 age);
// The children of a clip that is `age` ticks old.
DrawItems itemsOf(const StageClip &clip, qint64 age);
// What `item` draws inside itself: a clip's children, a sprite's objects
// at its age, a button's up state; nothing for other characters.
DrawItems childrenOf(const Movie &movie, const DrawItem &item);

} // namespace sky::swf
