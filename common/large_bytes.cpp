#include "large_bytes.h"

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif

void adviseLargePages(const void* p, std::size_t bytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    // A block smaller than two large pages may hold no whole one.
    constexpr std::size_t kHuge = std::size_t{2} << 20;
    if (!p || bytes < 2 * kHuge)
        return;
    const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    const auto start = reinterpret_cast<std::uintptr_t>(p);
    const std::uintptr_t from = (start + page - 1) / page * page;
    const std::uintptr_t to = (start + bytes) / page * page;
    if (to > from)
        ::madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
#else
    (void)p;
    (void)bytes;
#endif
}
