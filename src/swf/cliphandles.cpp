#include "cliphandles.h"

namespace sky::swf {

void ClipHandles::insert(int handle, StageClip *clip)
{
    const auto page = std::size_t(handle) / pageSize;
    if (page >= pages_.size())
        pages_.resize(page + 1);
    if (!pages_[page])
        pages_[page] = std::make_unique<Page>();
    StageClip *&slot = pages_[page]->clips[std::size_t(handle) % pageSize];
    if (!slot) {
        ++pages_[page]->used;
        ++size_;
    }
    slot = clip;
}

void ClipHandles::erase(int handle)
{
    const auto page = std::size_t(handle) / pageSize;
    if (handle <= 0 || page >= pages_.size() || !pages_[page])
        return;
    StageClip *&slot = pages_[page]->clips[std::size_t(handle) % pageSize];
    if (!slot)
        return;
    slot = nullptr;
    --size_;
    if (--pages_[page]->used == 0)
        pages_[page].reset();
}

} // namespace sky::swf
