#include "media/library_pages.h"

#include <algorithm>
#include <dlfcn.h>
#include <link.h>
#include <sys/mman.h>
#include <unistd.h>

namespace sky {

namespace {

struct Release
{
    const std::vector<std::string> *paths;
    std::uintptr_t pageSize;
};

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
        void *pages = reinterpret_cast<void *>(start);
        madvise(pages, end - start, MADV_DONTNEED);
        // A page used again comes back alone, not with the fifteen around
        // it that a fault on a file's pages maps in otherwise: with those,
        // what playing and the libraries' clean-up at the end used again
        // brought 4 MB back.
        madvise(pages, end - start, MADV_RANDOM);
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
    Release release { &loaded, std::uintptr_t(sysconf(_SC_PAGESIZE)) };
    dl_iterate_phdr(releaseSegments, &release);
    for (void *handle : held)
        dlclose(handle);
}

} // namespace sky
