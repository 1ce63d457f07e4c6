#include "drawitems.h"

#include "movie.h"

namespace sky::swf {

DrawItems itemsOf(const DisplayList &list, qint64 age)
{
    DrawItems out;
    out.items.reserve(list.size());
    for (const auto &[depth, placement] : list)
        out.items.push_back({depth, &placement, age, nullptr});
    return out;
}

DrawItems itemsOf(const StageClip &clip, qint64 age)
{
    DrawItems out;
    out.items.reserve(clip.children.size());
    for (const auto &[depth, child] : clip.children)
        out.items.push_back({depth, &child->placement, age + clip.placedTick - child->placedTick, child.get()});
    return out;
}

DrawItems childrenOf(const Movie &movie, const DrawItem &item)
{
    // A clip on the stage draws its live children; a button's are the parts
    // of the state it is in.
    if (item.clip)
        return itemsOf(*item.clip, item.age);
    const Character *character = movie.character(item.placement->characterId);
    if (const auto *button = std::get_if<ButtonCharacter>(character)) {
        auto list = std::make_shared<const DisplayList>(button->upList());
        DrawItems out = itemsOf(*list, item.age);
        out.kept = std::move(list);
        return out;
    }
    const auto *sprite = std::get_if<SpriteCharacter>(character);
    if (!sprite)
        return {};
    const Timeline &timeline = sprite->timeline;
    DrawItems out;
    out.kept = timeline.displayListAt(timeline.frameAtAge(item.age));
    out.items.reserve(out.kept->size());
    for (const auto &[depth, placement] : *out.kept)
        out.items.push_back({depth, &placement, timeline.childAge(item.age, depth, placement), nullptr});
    return out;
}

} // namespace sky::swf
