#include "clipstage.h"

#include "movie.h"

#include <algorithm>
#include <limits>
#include <unordered_map>

namespace sky::swf {
namespace {

// Bounds on what a hostile movie can build: clips on the stage at once,
// sprites nested inside each other while they are made, and how deep clips
// lie inside each other. A script can nest clips in a loop; a tree a
// hundred thousand deep overflowed the stack of every walk through it and
// had the removal of the chain write paths gigabytes long.
constexpr std::size_t maxClips = 100'000;
constexpr int maxNesting = 64;
constexpr int maxTreeDepth = 256;

bool nestedWithin(const StageClip &clip, int levels)
{
    int nesting = 0;
    for (const StageClip *c = &clip; c->parent; c = c->parent)
        if (++nesting >= levels)
            return false;
    return true;
}

void collectSubtree(const StageClip &clip, std::vector<int> &out)
{
    for (const auto &[depth, child] : clip.children)
        collectSubtree(*child, out);
    out.push_back(clip.handle);
}

// Keeps the transform a script gave `clip` when the timeline changes it.
void keepScriptTransform(const StageClip &clip, Placement &next)
{
    if (!clip.scripted)
        return;
    next.matrix = clip.placement.matrix;
    next.color = clip.placement.color;
    next.visible = clip.placement.visible;
}

// Whether a tag moving `clip` may show character `id` in its place.
bool replaceable(const StageClip &clip, int id)
{
    const int kind = replaceableKind(clip.library->character(clip.placement.characterId));
    return kind != 0 && kind == replaceableKind(clip.library->character(id));
}

// An object a goto keeps stays the same object: its name, its event
// handlers and its character (a script may have swapped a sprite to a depth
// the timeline fills with another).
void keepIdentity(const StageClip &clip, Placement &next)
{
    next.characterId = clip.placement.characterId;
    next.name = clip.placement.name;
    next.clipActions = clip.placement.clipActions;
}

// Whether `clip`, at a timeline depth where the frame gone to has
// `placement`, stays through a goto back. A sprite stays whatever the
// character placed there (a script may have swapped it in) or the frame
// that placed it, unless its ratio differs; another object only when the
// same tag placed it. What a script made there goes.
bool survivesGoto(const StageClip &clip, const Placement &placement)
{
    if (clip.madeByScript)
        return false;
    if (clip.timeline)
        return placement.ratio == clip.placement.ratio;
    return placement.characterId == clip.placement.characterId
        && placement.placedFrame == clip.placement.placedFrame;
}

// An object a goto makes: its depth, the frame that placed it and the place
// of the placing tag among that frame's tags.
struct Made
{
    int depth = 0;
    const Placement *placement = nullptr;
    std::size_t tag = 0;
};

// Puts `made` in the order playing through the frames would have made the
// objects: by the frame that placed each, then by its tag in that frame.
// Each frame's tags are read once, however many objects it placed.
void orderAsPlayed(const Timeline &timeline, std::vector<Made> &made)
{
    std::stable_sort(made.begin(), made.end(),
                     [](const Made &a, const Made &b) { return a.placement->placedFrame < b.placement->placedFrame; });
    std::unordered_map<int, std::size_t> tagAt;
    for (auto run = made.begin(); run != made.end();) {
        const int frame = run->placement->placedFrame;
        const auto end = std::find_if(run, made.end(), [&](const Made &m) { return m.placement->placedFrame != frame; });
        const std::vector<DisplayOp> &ops = timeline.frames[std::size_t(frame - 1)].ops;
        tagAt.clear();
        for (std::size_t i = 0; i < ops.size(); ++i)
            if (ops[i].hasCharacter && !ops[i].remove)
                tagAt[ops[i].depth] = i;
        for (auto m = run; m != end; ++m) {
            const auto found = tagAt.find(m->depth);
            m->tag = found == tagAt.end() ? 0 : found->second;
        }
        std::stable_sort(run, end, [](const Made &a, const Made &b) { return a.tag < b.tag; });
        run = end;
    }
}

} // namespace

StageClip *StageClip::childAt(int at) const
{
    const auto found = children.find(at);
    return found == children.end() ? nullptr : found->second.get();
}

void StageClip::readScaleAndRotation()
{
    const Matrix &m = placement.matrix;
    xscale = std::hypot(m.a, m.b) * 100;
    yscale = std::hypot(m.c, m.d) * 100;
    rotation = std::atan2(m.b, m.a) * 180 / M_PI;
}

void StageClip::takeOverTransform()
{
    if (scripted)
        return;
    readScaleAndRotation();
    scripted = true;
}

ClipStage::ClipStage(const Movie &movie, StageListener *listener)
    : movie_(movie)
    , listener_(listener)
    , root_(std::make_unique<StageClip>())
{
    root_->handle = nextHandle_++;
    root_->timeline = &movie.timeline();
    root_->library = &movie;
    handles_.insert(root_->handle, root_.get());
    made_.push_back(root_->handle);
}

StageClip *ClipStage::level(int n) const
{
    if (n == 0)
        return root_.get();
    const auto found = levels_.find(n);
    return found == levels_.end() ? nullptr : found->second.get();
}

StageClip *ClipStage::loadLevel(int n, std::shared_ptr<const Movie> movie, const QString &from)
{
    if (n <= 0 || levels_.contains(n) || handles_.size() >= maxClips)
        return nullptr;
    auto made = std::make_unique<StageClip>();
    StageClip *clip = made.get();
    clip->handle = nextHandle_++;
    clip->depth = n;
    clip->library = movie.get();
    clip->libraryKept = movie;
    levels_[n] = std::move(made);
    handles_.insert(clip->handle, clip);
    made_.push_back(clip->handle);
    const int handle = clip->handle;
    showMovie(*clip, std::move(movie), from);
    return find(handle);
}

void ClipStage::unloadLevel(int n)
{
    const auto found = levels_.find(n);
    if (found == levels_.end())
        return;
    std::unique_ptr<StageClip> detached = std::move(found->second);
    levels_.erase(found);
    forget(std::move(detached));
}

void ClipStage::reset(int n)
{
    StageListener *listener = std::exchange(listener_, nullptr);
    while (!levels_.empty())
        unloadLevel(levels_.begin()->first);
    while (!root_->children.empty())
        remove(*root_->children.begin()->second);
    root_->frame = 0;
    tick = n - 1;
    gotoFrame(*root_, n, false);
    catchUp(*root_);
    listener_ = listener;
}

void ClipStage::catchUp(StageClip &clip)
{
    std::vector<int> children;
    for (const auto &[depth, child] : clip.children)
        children.push_back(child->handle);
    for (const int h : children) {
        StageClip *child = find(h);
        if (!child)
            continue;
        if (child->totalFrames() > 1)
            gotoFrame(*child, child->timeline->frameAtAge(tick - child->placedTick), false);
        catchUp(*child);
    }
}

std::vector<int> ClipStage::subtree(const StageClip &clip) const
{
    std::vector<int> handles;
    collectSubtree(clip, handles);
    return handles;
}

std::vector<int> ClipStage::executionOrder() const
{
    if (std::exchange(madeHasGone_, false))
        std::erase_if(made_, [this](int handle) { return !handles_.contains(handle); });
    std::vector<int> order(made_.rbegin(), made_.rend());
    if (levels_.empty())
        return order;
    const auto levelOf = [this](int handle) {
        const StageClip *c = find(handle);
        while (c->parent)
            c = c->parent;
        return c->depth;
    };
    std::vector<std::pair<int, int>> byLevel;
    byLevel.reserve(order.size());
    for (const int handle : order)
        byLevel.emplace_back(levelOf(handle), handle);
    std::stable_sort(byLevel.begin(), byLevel.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = byLevel[i].second;
    return order;
}

void ClipStage::nextFrame(StageClip &clip)
{
    if (clip.frame < clip.totalFrames())
        enterFrame(clip, clip.frame + 1, true);
    else if (clip.timeline->loops())
        gotoFrame(clip, 1);
}

void ClipStage::enterFrame(StageClip &clip, int n, bool scripts)
{
    const Frame &frame = clip.timeline->frames[std::size_t(n - 1)];
    clip.frame = n;
    scripts = scripts && listener_;
    const int handle = clip.handle;
    if (scripts && !frame.initScripts.empty())
        listener_->frameEntered(clip, frame, 0, 0);
    std::size_t nextScript = 0;
    for (std::size_t i = 0; i < frame.ops.size(); ++i) {
        if (scripts)
            announceScripts(clip, frame, nextScript, int(i));
        if (find(handle) != &clip)
            return;
        applyOp(clip, frame.ops[i], n);
    }
    if (scripts && find(handle) == &clip)
        announceScripts(clip, frame, nextScript, std::numeric_limits<int>::max());
}

void ClipStage::announceScripts(StageClip &clip, const Frame &frame, std::size_t &next, int opsDone)
{
    std::size_t last = next;
    while (last < frame.scripts.size() && frame.scriptPlaces[last] <= opsDone)
        ++last;
    if (last > next)
        listener_->frameEntered(clip, frame, next, last);
    next = last;
}

void ClipStage::applyOp(StageClip &clip, const DisplayOp &op, int frame)
{
    StageClip *existing = clip.childAt(op.depth);
    if (op.remove) {
        if (existing)
            remove(*existing);
        return;
    }
    if (op.move && existing) {
        Placement next = existing->placement;
        if (op.hasCharacter && op.values.characterId != next.characterId
            && replaceable(*existing, op.values.characterId)) {
            next.characterId = op.values.characterId;
            next.placedFrame = frame;
        }
        setMovedFields(next, op);
        keepScriptTransform(*existing, next);
        existing->placement = std::move(next);
        return;
    }
    if (!op.hasCharacter)
        return;
    // A new object finds no room at a depth something already holds.
    if (existing && !existing->unloading) {
        if (listener_)
            listener_->placeRefused(op.depth);
        return;
    }
    Placement placement;
    placement.characterId = op.values.characterId;
    placement.placedFrame = frame;
    setPlacementFields(placement, op);
    create(clip, op.depth, placement, tick);
}

void ClipStage::gotoFrame(StageClip &clip, int n, bool scripts)
{
    if (!clip.timeline)
        return;
    n = qBound(1, n, clip.totalFrames());
    if (n == clip.frame)
        return;
    if (n == clip.frame + 1) {
        enterFrame(clip, n, scripts);
        return;
    }
    const auto list = clip.timeline->displayListAt(n);
    std::vector<int> gone;
    for (const auto &[depth, child] : clip.children) {
        if (child->depth >= scriptDepthOffset || child->unloading)
            continue;
        const auto found = list->find(depth);
        if (found == list->end() || !survivesGoto(*child, found->second))
            gone.push_back(child->handle);
    }
    const int handle = clip.handle;
    for (const int h : gone)
        if (StageClip *child = find(h))
            remove(*child);
    if (find(handle) != &clip)
        return;
    clip.frame = n;
    std::vector<Made> made;
    for (const auto &[depth, placement] : *list) {
        if (StageClip *existing = clip.childAt(depth); existing && !existing->unloading) {
            Placement next = placement;
            keepScriptTransform(*existing, next);
            keepIdentity(*existing, next);
            existing->placement = std::move(next);
        } else {
            made.push_back({depth, &placement});
        }
    }
    orderAsPlayed(*clip.timeline, made);
    // Objects come in the order playing through the frames would have made
    // them, those of the frame gone to after its scripts.
    const Frame &frame = clip.timeline->frames[std::size_t(n - 1)];
    bool announced = !scripts || !listener_;
    for (const Made &m : made) {
        const int placedFrame = m.placement->placedFrame;
        if (!announced && placedFrame == n) {
            listener_->frameEntered(clip, frame, 0, frame.scripts.size());
            announced = true;
        }
        if (find(handle) != &clip)
            return;
        create(clip, m.depth, *m.placement, tick - (n - placedFrame));
    }
    if (!announced && find(handle) == &clip)
        listener_->frameEntered(clip, frame, 0, frame.scripts.size());
}

StageClip *ClipStage::place(StageClip &parent, int depth, const Placement &placement)
{
    if (StageClip *existing = parent.childAt(depth))
        remove(*existing);
    StageClip *made = create(parent, depth, placement, tick);
    if (made)
        made->madeByScript = true;
    return made;
}

StageClip *ClipStage::create(StageClip &parent, int depth, const Placement &placement, qint64 placedTick)
{
    if (handles_.size() >= maxClips || nesting_ >= maxNesting || !nestedWithin(parent, maxTreeDepth))
        return nullptr;
    auto made = std::make_unique<StageClip>();
    StageClip *clip = made.get();
    clip->handle = nextHandle_++;
    clip->depth = depth;
    clip->placement = placement;
    clip->placedTick = placedTick;
    clip->parent = &parent;
    clip->library = &parent.childLibrary();
    clip->libraryKept = parent.loaded ? parent.loaded : parent.libraryKept;
    const Character *character = clip->library->character(placement.characterId);
    if (const auto *sprite = std::get_if<SpriteCharacter>(character))
        clip->timeline = &sprite->timeline;
    clip->button = std::get_if<ButtonCharacter>(character);
    // Objects scripts can reach have a name even when placed without one
    // (a name given empty is a name).
    const auto *text = std::get_if<TextCharacter>(character);
    if ((clip->timeline || clip->button || (text && text->edit)) && clip->placement.name.isNull())
        clip->placement.name = QStringLiteral("instance%1").arg(++unnamed_);
    clip->readScaleAndRotation();
    parent.children[depth] = std::move(made);
    handles_.insert(clip->handle, clip);
    made_.push_back(clip->handle);
    const int handle = clip->handle;
    if (listener_)
        listener_->clipCreated(*clip);
    if ((clip->timeline || clip->button) && find(handle) == clip) {
        ++nesting_;
        if (clip->button)
            showButtonParts(*clip);
        else
            enterFrame(*clip, 1, true);
        --nesting_;
    }
    if (listener_ && find(handle) == clip)
        listener_->clipReady(*clip);
    return find(handle);
}

std::vector<const StageClip *> ClipStage::movieHolders() const
{
    std::vector<const StageClip *> holders;
    std::erase_if(holders_, [&](int handle) {
        const StageClip *c = find(handle);
        if (c && c->loaded)
            holders.push_back(c);
        return !c || !c->loaded;
    });
    return holders;
}

void ClipStage::showMovie(StageClip &clip, std::shared_ptr<const Movie> movie, const QString &from)
{
    if (std::find(holders_.begin(), holders_.end(), clip.handle) == holders_.end())
        holders_.push_back(clip.handle);
    clip.loaded = std::move(movie);
    clip.loadedFrom = from;
    clip.timeline = &clip.loaded->timeline();
    clip.placedTick = tick;
    clip.playing = true;
    clip.frame = 0;
    if (nesting_ >= maxNesting)
        return;
    ++nesting_;
    enterFrame(clip, 1, true);
    --nesting_;
}

void ClipStage::remove(StageClip &clip)
{
    StageClip *parent = clip.parent;
    if (!parent || clip.unloading || parent->childAt(clip.depth) != &clip)
        return;
    if (listener_ && listener_->clipRemoving(clip)) {
        std::vector<int> subtree;
        collectSubtree(clip, subtree);
        for (const int h : subtree)
            find(h)->unloading = true;
        const int below = -clip.depth - 1;
        if (!parent->childAt(below)) {
            std::unique_ptr<StageClip> self = std::move(parent->children[clip.depth]);
            parent->children.erase(clip.depth);
            clip.depth = below;
            parent->children[below] = std::move(self);
        }
        return;
    }
    finishRemoval(clip);
}

void ClipStage::finishRemoval(StageClip &clip)
{
    StageClip *parent = clip.parent;
    if (!parent || parent->childAt(clip.depth) != &clip)
        return;
    std::unique_ptr<StageClip> detached = std::move(parent->children[clip.depth]);
    parent->children.erase(clip.depth);
    forget(std::move(detached));
}

void ClipStage::forget(std::unique_ptr<StageClip> detached)
{
    std::vector<int> subtree;
    collectSubtree(*detached, subtree);
    if (listener_)
        for (const int h : subtree)
            if (StageClip *gone = find(h))
                listener_->clipRemoved(*gone);
    subtree.clear();
    collectSubtree(*detached, subtree);
    for (const int h : subtree) {
        StageClip *gone = find(h);
        setClipMask(*gone, nullptr);
        if (gone->maskOf)
            setClipMask(*gone->maskOf, nullptr);
        handles_.erase(h);
    }
    madeHasGone_ = true;
}

void setClipMask(StageClip &clip, StageClip *mask)
{
    if (clip.mask)
        clip.mask->maskOf = nullptr;
    clip.mask = mask;
    if (!mask)
        return;
    if (mask->maskOf)
        mask->maskOf->mask = nullptr;
    mask->maskOf = &clip;
}

void ClipStage::swapDepths(StageClip &clip, int depth)
{
    StageClip *parent = clip.parent;
    if (!parent || depth == clip.depth || parent->childAt(clip.depth) != &clip)
        return;
    std::unique_ptr<StageClip> self = std::move(parent->children[clip.depth]);
    parent->children.erase(clip.depth);
    clip.takeOverTransform();
    if (auto other = parent->children.find(depth); other != parent->children.end()) {
        other->second->takeOverTransform();
        other->second->depth = clip.depth;
        parent->children[clip.depth] = std::move(other->second);
    }
    clip.depth = depth;
    parent->children[depth] = std::move(self);
}

void ClipStage::setButtonState(StageClip &button, int state)
{
    if (!button.button || button.buttonState == state)
        return;
    button.buttonState = state;
    showButtonParts(button);
}

void ClipStage::showButtonParts(StageClip &button)
{
    const DisplayList parts = button.button->stateList(button.buttonState);
    const int handle = button.handle;
    std::vector<int> gone;
    for (const auto &[depth, child] : button.children) {
        const auto part = parts.find(depth);
        if (part == parts.end() || part->second.characterId != child->placement.characterId)
            gone.push_back(child->handle);
    }
    for (const int h : gone)
        if (StageClip *child = find(h))
            remove(*child);
    for (const auto &[depth, placement] : parts) {
        if (find(handle) != &button)
            return;
        if (StageClip *existing = button.childAt(depth); existing && !existing->unloading) {
            Placement next = placement;
            next.name = existing->placement.name;
            existing->placement = std::move(next);
        } else {
            create(button, depth, placement, tick);
        }
    }
}

} // namespace sky::swf
