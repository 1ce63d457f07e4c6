#pragma once

#include <array>
#include <memory>
#include <vector>

namespace sky::swf {

struct StageClip;

// The clips on the stage by their handles, which count up from 1 and are
// never reused: a handle finds its clip in a page of a table. A page goes
// once every clip of its handles has gone, so a movie that makes and
// removes clips for hours keeps a pointer per 1,024 handles it ever made.
class ClipHandles {
public:
    StageClip *find(int handle) const
    {
        const auto page = std::size_t(handle) / pageSize;
        if (handle <= 0 || page >= pages_.size() || !pages_[page])
            return nullptr;
        return pages_[page]->clips[std::size_t(handle) % pageSize];
    }
    bool contains(int handle) const { return find(handle); }
    std::size_t size() const { return size_; }

    void insert(int handle, StageClip *clip);
    void erase(int handle);

private:
    static constexpr std::size_t pageSize = 1024;
    struct Page {
        std::array<StageClip *, pageSize> clips{};
        std::size_t used = 0;
    };
    std::vector<std::unique_ptr<Page>> pages_;
    std::size_t size_ = 0;
};

} // namespace sky::swf
