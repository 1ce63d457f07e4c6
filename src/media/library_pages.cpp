#include "media/library_pages.h"

#include <algorithm>
#include <dlfcn.h>
#include <link.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <sys/uio.h>
#include <unistd.h>

namespace sky {

namespace {

struct Release
{
    const std::vector<std::string> *paths;
    std::uintptr_t pageSize;
    std::vector<iovec> ranges; // the whole pages to hand back
};

// Gives every range the same advice. Where the system takes a list of
// ranges for the process itself, all in one call: each call that drops
// pages makes every processor running one of the process's threads flush
// its address cache, and the libraries' five hundred ranges one by one
// kept the player from starting for 40 ms and more.
void advise([[maybe_unused]] int self, const std::vector<iovec> &ranges, int advice)
{
    std::size_t done = 0;
#ifdef SYS_process_madvise
    // The most ranges one call takes.
    constexpr std::size_t kMostRanges = 1024;
    while (self >= 0 && done < ranges.size()) {
        const std::size_t count = std::min(ranges.size() - done, kMostRanges);
        std::size_t bytes = 0;
        for (std::size_t i = done; i < done + count; ++i)
            bytes += ranges[i].iov_len;
        if (syscall(SYS_process_madvise, self, ranges.data() + done, count, advice, 0) != long(bytes))
            break;
        done += count;
    }
#endif
    // Older systems: one range at a time.
    for (std::size_t i = done; i < ranges.size(); ++i)
        madvise(ranges[i].iov_base, ranges[i].iov_len, advice);
}

// The process itself, as the system's calls on a list of ranges name it;
// -1 where there are none.
int openSelf()
{
#ifdef SYS_process_madvise
    return int(syscall(SYS_pidfd_open, getpid(), 0));
#else
    return -1;
#endif
}

// Whether the loader writes into the library's code as it relocates it:
// then its code pages are the process's own, not the file's.
bool hasTextRelocations(const dl_phdr_info &info)
{
    for (int i = 0; i < info.dlpi_phnum; ++i) {
        if (info.dlpi_phdr[i].p_type != PT_DYNAMIC)
            continue;
        for (auto *entry = reinterpret_cast<const ElfW(Dyn) *>(info.dlpi_addr + info.dlpi_phdr[i].p_vaddr);
             entry->d_tag != DT_NULL; ++entry) {
            if (entry->d_tag == DT_TEXTREL || (entry->d_tag == DT_FLAGS && (entry->d_un.d_val & DF_TEXTREL)))
                return true;
        }
    }
    return false;
}

int releaseSegments(dl_phdr_info *info, std::size_t, void *data)
{
    auto &release = *static_cast<Release *>(data);
    const std::vector<std::string> &paths = *release.paths;
    if (!info->dlpi_name || std::find(paths.begin(), paths.end(), info->dlpi_name) == paths.end()
        || hasTextRelocations(*info))
        return 0;
    const std::uintptr_t page = release.pageSize;
    for (int i = 0; i < info->dlpi_phnum; ++i) {
        const ElfW(Phdr) &segment = info->dlpi_phdr[i];
        if (segment.p_type != PT_LOAD || (segment.p_flags & PF_W))
            continue;
        // Only whole pages of the segment: a page it shares with its
        // writable neighbour belongs to that one's mapping.
        const std::uintptr_t from = info->dlpi_addr + segment.p_vaddr;
        const std::uintptr_t start = (from + page - 1) & ~(page - 1);
        const std::uintptr_t end = (from + segment.p_filesz) & ~(page - 1);
        if (end <= start)
            continue;
        release.ranges.push_back({ reinterpret_cast<void *>(start), end - start });
    }
    return 0;
}

} // namespace

std::vector<std::string> loadedLibraries()
{
    std::vector<std::string> paths;
    dl_iterate_phdr(
        [](dl_phdr_info *info, std::size_t, void *data) {
            if (info->dlpi_name && info->dlpi_name[0] == '/')
                static_cast<std::vector<std::string> *>(data)->emplace_back(info->dlpi_name);
            return 0;
        },
        &paths);
    return paths;
}

void releaseReadOnlyPages(const std::vector<std::string> &paths)
{
    // Each library is held open meanwhile, so that none is unloaded, and
    // another mapped in its place, while its pages are handed back.
    std::vector<void *> held;
    std::vector<std::string> loaded;
    for (const std::string &path : paths) {
        if (void *handle = dlopen(path.c_str(), RTLD_LAZY | RTLD_NOLOAD)) {
            held.push_back(handle);
            loaded.push_back(path);
        }
    }
    Release release { &loaded, std::uintptr_t(sysconf(_SC_PAGESIZE)), {} };
    dl_iterate_phdr(releaseSegments, &release);
    // A page used again comes back alone, not with the fifteen around it
    // that a fault on a file's pages maps in otherwise: with those, what
    // playing and the libraries' clean-up at the end used again brought
    // 4 MB back.
    const int self = openSelf();
    advise(self, release.ranges, MADV_RANDOM);
    advise(self, release.ranges, MADV_DONTNEED);
    if (self >= 0)
        close(self);
    for (void *handle : held)
        dlclose(handle);
}

} // namespace sky
