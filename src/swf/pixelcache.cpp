#include "pixelcache.h"

#include <QHashFunctions>

namespace sky::swf {
namespace {

constexpr std::size_t maxBytes = 96u * 1024 * 1024;
constexpr std::size_t maxSeen = 1u << 16;

} // namespace

std::size_t PixelCache::Hash::operator()(const DrawSteps &key) const
{
    std::size_t seed = key.size();
    for (const DrawStep &step : key) {
        seed = qHashMulti(seed, int(step.kind), step.characterId, step.ratio, step.blend, step.filters.size());
        for (double v : step.matrix)
            seed = qHash(v, seed);
        for (std::size_t i = 0; i < 4; ++i)
            seed = qHashMulti(seed, step.color.mul[i], step.color.add[i]);
    }
    return seed;
}

void PixelCache::beginFrame()
{
    const std::lock_guard lock(mutex_);
    ++frame_;
}

std::optional<PixelCache::Pixels> PixelCache::find(const DrawSteps &key, bool &wanted)
{
    const std::lock_guard lock(mutex_);
    wanted = false;
    const auto found = entries_.find(key);
    if (found != entries_.end()) {
        found->second.frame = frame_;
        recent_.splice(recent_.begin(), recent_, found->second.age);
        return found->second.pixels;
    }
    if (seen_.size() >= maxSeen)
        seen_.clear();
    // Asked for in the frame before too: something that stays, worth
    // keeping; what changes from frame to frame is drawn in place.
    const auto [at, fresh] = seen_.try_emplace(Hash()(key), frame_);
    wanted = !fresh && at->second + 1 == frame_;
    at->second = frame_;
    return std::nullopt;
}

void PixelCache::store(const DrawSteps &key, Pixels pixels)
{
    const std::lock_guard lock(mutex_);
    const std::size_t size = std::size_t(pixels.image.sizeInBytes());
    if (entries_.contains(key) || !makeRoom(size))
        return;
    const auto [at, added] = entries_.try_emplace(key, Entry{std::move(pixels), frame_, {}});
    recent_.push_front(&at->first);
    at->second.age = recent_.begin();
    bytes_ += size;
}

bool PixelCache::makeRoom(std::size_t needed)
{
    if (needed > maxBytes / 4)
        return false;
    while (bytes_ + needed > maxBytes && !recent_.empty()) {
        const auto oldest = entries_.find(*recent_.back());
        if (oldest->second.frame == frame_)
            return false; // all of it is in use
        bytes_ -= std::size_t(oldest->second.pixels.image.sizeInBytes());
        recent_.pop_back();
        entries_.erase(oldest);
    }
    return bytes_ + needed <= maxBytes;
}

} // namespace sky::swf
