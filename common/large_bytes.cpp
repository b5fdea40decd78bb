#include "large_bytes.h"

#include <cstdlib>

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif
#if defined(__GLIBC__)
#include <malloc.h>
#endif

void adviseLargePages(const void* p, std::size_t bytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    // Only a range holding a whole large page can have one.
    const auto start = reinterpret_cast<std::uintptr_t>(p);
    const std::uintptr_t end = start + bytes;
    if (!p || (start + kLargePage - 1) / kLargePage * kLargePage + kLargePage > end)
        return;
    const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    const std::uintptr_t from = (start + page - 1) / page * page;
    const std::uintptr_t to = end / page * page;
    ::madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
#else
    (void)p;
    (void)bytes;
#endif
}

namespace {
// The block that holds the heap's head below its first large page; kept for
// the process's life, and reachable, so no leak checker counts it. Volatile:
// a block nothing reads would otherwise be dropped, malloc and all.
void* volatile heapHeadFiller = nullptr;
} // namespace

const void* growHeapInLargePages(std::size_t pad) {
#if defined(__GLIBC__) && defined(__linux__)
    if (::mallopt(M_TOP_PAD, static_cast<int>(pad)) != 1)
        return nullptr;
    // Blocks the heap cannot hold yet make it grow by the pad now; blocks
    // this small never get a mapping of their own. Later blocks, of any size,
    // come from the grown top while it has room. Only what the heap grew
    // by is advised: where another allocator serves malloc, it does not grow.
    const auto* before = static_cast<const std::uint8_t*>(::sbrk(0));
    if (before == reinterpret_cast<const std::uint8_t*>(-1))
        return nullptr;
    void* probes[8] = {};
    const std::uint8_t* after = before;
    for (void*& probe : probes) {
        probe = std::malloc(64 << 10);
        after = static_cast<const std::uint8_t*>(::sbrk(0));
        if (!probe || after != before)
            break;
    }
    for (void* probe : probes)
        std::free(probe);
    // Freeing the probes may have given a little back: the heap ends where it
    // ends now.
    after = static_cast<const std::uint8_t*>(::sbrk(0));
    if (after <= before)
        return nullptr;
    adviseLargePages(before, static_cast<std::size_t>(after - before));
    // The heap below its first 2 MiB boundary cannot have a large page: the
    // blocks placed there would cost a page fault per 4 KiB. One block, whose
    // memory is never touched, takes that room instead.
    void* mark = std::malloc(1);
    if (!mark)
        return nullptr;
    const auto at = reinterpret_cast<std::uintptr_t>(mark);
    const std::uintptr_t boundary = (at + kLargePage - 1) / kLargePage * kLargePage;
    // The filler starts just above the mark, so the block after it starts
    // just above the boundary.
    if (boundary - at >= 64 && boundary < reinterpret_cast<std::uintptr_t>(after))
        heapHeadFiller = std::malloc(boundary - at);
    std::free(mark);
    return reinterpret_cast<const void*>(boundary);
#else
    (void)pad;
    return nullptr;
#endif
}
