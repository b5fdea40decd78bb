#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "block_list.h"
#include "byte_view.h"

// The file as nested chunks, as far as its length fields tile it. Used by the
// whole-file check; not a reader the editor relies on.
struct TreeNode {
    std::uint64_t pos = 0;
    std::uint32_t length = 0;
    std::uint16_t id = 0;
    int parent = -1; // index into the tree's nodes; -1 for the file header
    std::uint64_t end() const { return pos + length; }
};

// A problem found while building or checking the tree, with the record it lies
// in (for known exceptions).
struct TreeProblem {
    std::uint64_t offset = 0;
    std::string what;
    std::optional<std::uint64_t> record;
};

// Takes each problem as it is found.
using ProblemSink = std::function<void(TreeProblem&&)>;

class ChunkTree {
public:
    ChunkTree(ByteView file, ProblemSink sink);

    // Held in blocks: a file of many small chunks never has its tree copied
    // into a table twice its size.
    const BlockList<TreeNode>& nodes() const { return nodes_; }
    // Nodes are in file order: a parent comes before its children, which come
    // before its next sibling. The node that starts at `pos`, or -1.
    int at(std::uint64_t pos) const;
    // The last node that starts at or before `pos`, or -1.
    int atOrBefore(std::uint64_t pos) const;
    // The node that starts at `pos` with `id` and whose parent is `parent`, or -1.
    int childAt(std::uint64_t pos, std::uint16_t id, int parent) const;
    // The direct child of `parent` that starts at `pos` with `id`, or -1: a
    // short scan of the parent's descendants, which follow it.
    int childOf(int parent, std::uint64_t pos, std::uint16_t id) const;
    // The top-level section of `id`, or -1.
    int section(std::uint16_t id) const;

    std::size_t objects = 0, definitions = 0, initScripts = 0, scripts = 0;

private:
    void build();
    // Appends the children of `parent`, which must tile its payload exactly,
    // calling `onChild` with each right after it is appended (so that its own
    // children follow it).
    template <class OnChild>
    void tile(int parent, std::optional<std::uint64_t> record, OnChild&& onChild);
    void topLevel(int node);
    void recordChild(int c, std::uint64_t record);
    void objectRecord(int rec);
    void definitionRecord(int rec);
    void nameChunk(int node, std::uint64_t record);
    void problem(std::uint64_t at, std::string what, std::optional<std::uint64_t> record = {});

    ByteView f_;
    ProblemSink sink_;
    BlockList<TreeNode> nodes_;
};

std::string hexId(std::uint16_t id);
