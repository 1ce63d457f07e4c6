#include "timeline.h"

namespace sky::swf {
namespace {

constexpr int maxJumpsPerTick = 16;
constexpr std::size_t minOpsBetweenSnapshots = 64;

} // namespace

void setMovedFields(Placement &p, const DisplayOp &op)
{
    if (op.hasMatrix)
        p.matrix = op.values.matrix;
    if (op.hasColor)
        p.color = op.values.color;
    if (op.hasRatio)
        p.ratio = op.values.ratio;
    if (op.hasClip)
        p.clipDepth = op.values.clipDepth;
    if (op.hasBlend)
        p.blend = op.values.blend;
    if (op.hasVisible)
        p.visible = op.values.visible;
    if (op.hasBackground)
        p.background = op.values.background;
    if (op.hasCache)
        p.cached = op.values.cached;
    if (op.hasFilters)
        p.filters = op.values.filters;
}

void setPlacementFields(Placement &p, const DisplayOp &op)
{
    setMovedFields(p, op);
    if (op.hasName)
        p.name = op.values.name;
    if (op.values.clipActions)
        p.clipActions = op.values.clipActions;
}

void Timeline::apply(DisplayList &list, const Frame &frame, int frameNumber) const
{
    for (const DisplayOp &op : frame.ops) {
        auto it = list.find(op.depth);
        if (op.remove) {
            if (it != list.end())
                list.erase(it);
            continue;
        }
        if (op.move && it != list.end()) {
            Placement &p = it->second;
            const auto kind = [this](quint16 id) {
                const auto found = kinds_.find(id);
                return found == kinds_.end() ? 0 : found->second;
            };
            if (op.hasCharacter && op.values.characterId != p.characterId && kind(p.characterId) != 0
                && kind(p.characterId) == kind(op.values.characterId)) {
                p.characterId = op.values.characterId;
                p.placedFrame = frameNumber;
            }
            setMovedFields(p, op);
        } else if (op.hasCharacter && it == list.end()) {
            Placement p;
            p.characterId = op.values.characterId;
            p.placedFrame = frameNumber;
            setPlacementFields(p, op);
            list[op.depth] = p;
        }
    }
}

void Timeline::finish(const std::function<int(quint16)> &kindOf)
{
    for (const Frame &frame : frames)
        for (const DisplayOp &op : frame.ops)
            if (op.hasCharacter)
                kinds_.try_emplace(op.values.characterId, kindOf(op.values.characterId));
    std::map<QString, int> labels;
    for (std::size_t i = 0; i < frames.size(); ++i)
        if (!frames[i].label.isEmpty())
            labels.emplace(frames[i].label, int(i + 1));
    for (Frame &frame : frames)
        for (FrameAction &action : frame.actions)
            if (action.kind == FrameAction::Kind::GotoLabel) {
                const auto found = labels.find(action.label);
                action.kind = found == labels.end() ? FrameAction::Kind::Play : FrameAction::Kind::GotoFrame;
                action.frame = found == labels.end() ? 0 : found->second;
            }

    DisplayList list;
    std::size_t opsSinceSnapshot = 0;
    for (int n = 1; n <= frameCount(); ++n) {
        const Frame &frame = frames[std::size_t(n - 1)];
        apply(list, frame, n);
        if (n == 1) {
            for (const auto &entry : list)
                permanent_[entry.first] = true;
        } else {
            for (const DisplayOp &op : frame.ops)
                if (op.remove || op.hasCharacter)
                    permanent_[op.depth] = false;
        }
        opsSinceSnapshot += frame.ops.size();
        if (n == 1 || opsSinceSnapshot >= std::max(minOpsBetweenSnapshots, list.size())) {
            snapshots_.emplace_back(n, std::make_shared<const DisplayList>(list));
            opsSinceSnapshot = 0;
        }
    }
}

std::shared_ptr<const DisplayList> Timeline::displayListAt(int frame) const
{
    if (frames.empty())
        return std::make_shared<const DisplayList>();
    frame = qBound(1, frame, frameCount());
    if (cached_ && cachedFrame_ == frame)
        return cached_;
    auto snapshot = snapshots_.begin();
    for (auto it = snapshots_.begin(); it != snapshots_.end() && it->first <= frame; ++it)
        snapshot = it;
    int from = snapshot->first;
    DisplayList list = *snapshot->second;
    if (cached_ && cachedFrame_ > from && cachedFrame_ < frame) {
        from = cachedFrame_;
        list = *cached_;
    }
    for (int n = from + 1; n <= frame; ++n)
        apply(list, frames[std::size_t(n - 1)], n);
    cached_ = std::make_shared<const DisplayList>(std::move(list));
    cachedFrame_ = frame;
    return cached_;
}

void Timeline::runActions(Playhead &head) const
{
    for (int jump = 0; jump < maxJumpsPerTick && !frames.empty(); ++jump) {
        const int start = qBound(1, head.frame, frameCount());
        head.frame = start;
        for (const FrameAction &action : frames[std::size_t(start - 1)].actions) {
            switch (action.kind) {
            case FrameAction::Kind::Stop: head.playing = false; break;
            case FrameAction::Kind::Play: head.playing = true; break;
            case FrameAction::Kind::GotoFrame:
                if (action.frame >= 1 && action.frame <= frameCount())
                    head.frame = action.frame;
                break;
            case FrameAction::Kind::NextFrame:
                head.frame = qMin(head.frame + 1, frameCount());
                head.playing = false;
                break;
            case FrameAction::Kind::PreviousFrame:
                head.frame = qMax(head.frame - 1, 1);
                head.playing = false;
                break;
            case FrameAction::Kind::GotoLabel: break; // resolved by finish()
            }
        }
        if (head.frame == start)
            return;
    }
}

void Timeline::advance(Playhead &head) const
{
    if (!head.playing || frameCount() <= 1 || (head.frame >= frameCount() && !loops()))
        return;
    head.frame = head.frame % frameCount() + 1;
    runActions(head);
}

void Timeline::buildSequence() const
{
    std::map<std::pair<int, bool>, qint64> seen;
    Playhead head;
    runActions(head);
    for (qint64 age = 0;; ++age) {
        const auto key = std::make_pair(head.frame, head.playing);
        const auto found = seen.find(key);
        if (found != seen.end()) {
            cycleStart_ = found->second;
            return;
        }
        seen.emplace(key, age);
        sequence_.push_back(head.frame);
        advance(head);
    }
}

qint64 Timeline::sequenceIndex(qint64 age) const
{
    if (sequence_.empty())
        buildSequence();
    const auto length = qint64(sequence_.size());
    if (age < length)
        return qMax<qint64>(age, 0);
    return cycleStart_ + (age - cycleStart_) % (length - cycleStart_);
}

int Timeline::frameAtAge(qint64 age) const
{
    if (frames.empty())
        return 1;
    const qint64 index = sequenceIndex(age);
    return sequence_[std::size_t(index)];
}

qint64 Timeline::childAge(qint64 age, int depth, const Placement &placement) const
{
    const auto perm = permanent_.find(depth);
    if (frames.empty() || (placement.placedFrame == 1 && perm != permanent_.end() && perm->second))
        return age;
    const qint64 idx = sequenceIndex(age);
    const qint64 length = qint64(sequence_.size());
    const int p = placement.placedFrame;
    // Latest index in [low, high] where the playhead arrived at frame p.
    auto arrival = [&](qint64 low, qint64 high) -> qint64 {
        for (qint64 i = high; i >= low; --i)
            if (sequence_[std::size_t(i)] == p) {
                while (i > low && sequence_[std::size_t(i - 1)] == p)
                    --i;
                return i;
            }
        return -1;
    };
    if (idx >= cycleStart_) {
        if (const qint64 i = arrival(cycleStart_, idx); i >= 0)
            return idx - i;
        if (age >= length)
            if (const qint64 i = arrival(idx + 1, length - 1); i >= 0)
                return idx + (length - cycleStart_) - i;
    }
    if (const qint64 i = arrival(0, qMin(idx, cycleStart_ - 1)); i >= 0)
        return age - i;
    return age;
}

} // namespace sky::swf
