#pragma once
// Memory for whole files and long tables. A fresh block of many megabytes
// costs one page fault per 4 KiB on first touch, which on some machines is
// most of the time a load or a save takes; asked for in pages of 2 MiB it
// costs a few.
#include <cstddef>
#include <cstdint>
#include <vector>

// The size of a large page.
inline constexpr std::size_t kLargePage = std::size_t{2} << 20;

// Asks the system to back [p, p + bytes) with pages of 2 MiB where it can.
// Advice only: changes no byte, and is ignored where it is not offered.
void adviseLargePages(const void* p, std::size_t bytes);

// Reserves room for `n` items in `v` and asks for its memory in large pages.
// Changes neither the size nor the contents of `v`.
template <class T> void reserveLarge(std::vector<T>& v, std::size_t n) {
    v.reserve(n);
    adviseLargePages(v.data(), v.capacity() * sizeof(T));
}

// For a short-lived program that fills a scene's index: the heap grows by
// `pad` bytes at a time from now on, the first such step is taken at once,
// and its memory is asked for in large pages. The heap's head below its
// first large page is taken by one block that is never touched. Returns
// where the large pages begin: blocks the heap's top gives from now on lie
// above it. Changes no allocation's contents; does nothing, and returns
// nullptr, where the allocator or the system offers no such control.
const void* growHeapInLargePages(std::size_t pad);
