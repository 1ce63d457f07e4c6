#pragma once

#include "filters.h"
#include "geometry.h"

#include <QImage>
#include <QPoint>

#include <array>
#include <cstddef>
#include <list>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <vector>

namespace sky::swf {

// One thing a drawing does, with all that decides how it looks, its
// device position taken relative to where the drawing is put down.
struct DrawStep {
    enum class Kind { Settings, Drawn, Object, ObjectEnd, Background, Mask, MaskedContent, MaskEnd };
    Kind kind = Kind::Drawn;
    quint16 characterId = 0;
    int ratio = 0;
    int blend = 0;
    std::array<double, 6> matrix{}; // character twips to device pixels
    ColorTransform color;
    std::vector<Filter> filters;

    bool operator==(const DrawStep &) const = default;
};

// What a cached drawing is: its steps in order.
using DrawSteps = std::vector<DrawStep>;

// Drawn pixels kept between frames: an object's, or a filtered or cached
// bitmap's, looked up by the steps that drew them. A key is only drawn into
// the cache when it was asked for in the frame before as well, so that what
// changes from frame to frame (a tween's every step) costs no more than
// drawing it. What
// has not been used for the longest goes first when the cache is full; what
// the current frame uses stays.
class PixelCache {
public:
    struct Pixels {
        QImage image; // premultiplied
        QPoint offset; // of its top left corner from the drawing's origin
    };

    // Starts a frame: what it looks up is kept until a later one.
    void beginFrame();

    // The pixels kept for `key`, if any. `wanted` becomes true when the
    // key was asked for in the frame before and the caller should store()
    // its pixels.
    std::optional<Pixels> find(const DrawSteps &key, bool &wanted);
    void store(const DrawSteps &key, Pixels pixels);

    std::size_t bytes() const { return bytes_; }
    std::size_t entries() const { return entries_.size(); }

private:
    struct Hash {
        std::size_t operator()(const DrawSteps &key) const;
    };
    struct Entry {
        Pixels pixels;
        quint64 frame = 0;
        std::list<const DrawSteps *>::iterator age; // place in recent_
    };

    bool makeRoom(std::size_t needed);

    std::mutex mutex_;
    std::unordered_map<DrawSteps, Entry, Hash> entries_;
    std::list<const DrawSteps *> recent_; // most recently used first
    std::unordered_map<std::size_t, quint64> seen_; // hashes of keys not kept, and the frame last asked for
    std::size_t bytes_ = 0;
    quint64 frame_ = 0;
};

} // namespace sky::swf
