#pragma once
// A list that grows by blocks of a few megabytes, each asked for in large
// pages: an item in a full block never moves, a long list is never copied
// whole to grow, and filling it costs a few page faults instead of one per
// 4 KiB. The first block takes the size the owner expects (up to a whole
// block) and doubles from there, so a short list costs little.
#include <algorithm>
#include <cstddef>
#include <vector>

#include "large_bytes.h"

template <class T> class BlockList {
public:
    // A power of two of items filling at least 4 MiB, so each block holds
    // whole large pages.
    static constexpr std::size_t kShift = [] {
        std::size_t s = 0;
        while ((std::size_t{1} << s) * sizeof(T) < (std::size_t{4} << 20))
            ++s;
        return s;
    }();
    static constexpr std::size_t kPerBlock = std::size_t{1} << kShift;

    // Room for about `n` items in the first block; only before the first push_back.
    void expect(std::size_t n) {
        if (blocks_.empty()) {
            blocks_.emplace_back();
            reserveLarge(blocks_.back(), std::clamp<std::size_t>(n, 16, kPerBlock));
        }
    }
    void push_back(const T& item) {
        if (size_ == blocks_.size() * kPerBlock) {
            blocks_.emplace_back();
            reserveLarge(blocks_.back(), kPerBlock);
        }
        std::vector<T>& last = blocks_.back();
        if (last.size() == last.capacity()) // only a first block can be short
            reserveLarge(last, std::min(kPerBlock, 2 * last.capacity()));
        last.push_back(item);
        ++size_;
    }
    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    const T& operator[](std::size_t i) const { return blocks_[i >> kShift][i & (kPerBlock - 1)]; }
    T& operator[](std::size_t i) { return blocks_[i >> kShift][i & (kPerBlock - 1)]; }

private:
    std::vector<std::vector<T>> blocks_;
    std::size_t size_ = 0;
};
