#include "chunk_tree.h"

#include <algorithm>
#include <cstdio>

#include "chunk_ids.h"
#include "script_locate.h"

std::string hexId(std::uint16_t id) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "0x%04X", id);
    return buf;
}

ChunkTree::ChunkTree(ByteView f, ProblemSink sink) : f_(f), sink_(std::move(sink)) {
    build();
}

void ChunkTree::build() {
    if (f_.size() < chunk::HeaderSize) {
        problem(0, "the file is shorter than a chunk header");
        return;
    }
    // Scenes hold a chunk for every 40 bytes or so.
    nodes_.expect(f_.size() / 32);
    const std::uint32_t headerLen = f_.u32At(2);
    if (headerLen != f_.size())
        problem(2, "header length " + std::to_string(headerLen) + " but the file has " +
                       std::to_string(f_.size()) + " bytes");
    nodes_.push_back({0, static_cast<std::uint32_t>(std::min<std::uint64_t>(headerLen, f_.size())),
                      f_.u16At(0), -1});
    if (nodes_[0].length < chunk::HeaderSize)
        return;
    tile(0, std::nullopt, [this](int top) { topLevel(top); });
}

void ChunkTree::topLevel(int top) {
    const TreeNode n = nodes_[static_cast<std::size_t>(top)];
    std::uint16_t recordId = 0;
    switch (n.id) {
    case chunk::ObjectRecord:
    case chunk::DefinitionRecord:
    case chunk::InitScriptRecord:
        problem(n.pos, "record " + hexId(n.id) + " lies outside its section", n.pos);
        return;
    case chunk::Objects:
        recordId = chunk::ObjectRecord;
        break;
    case chunk::Definitions:
        recordId = chunk::DefinitionRecord;
        break;
    case chunk::InitScripts:
        recordId = chunk::InitScriptRecord;
        break;
    default:
        return;
    }
    if (section(n.id) != top) {
        problem(n.pos, "a second section " + hexId(n.id));
        return;
    }
    tile(top, std::nullopt, [&](int rec) {
        const TreeNode r = nodes_[static_cast<std::size_t>(rec)];
        if (r.id != recordId)
            problem(r.pos, "chunk " + hexId(r.id) + " inside section " + hexId(n.id) +
                               " where only records " + hexId(recordId) + " belong");
        else if (r.id == chunk::ObjectRecord)
            objectRecord(rec);
        else if (r.id == chunk::DefinitionRecord)
            definitionRecord(rec);
        else
            ++initScripts;
    });
}

void ChunkTree::problem(std::uint64_t at, std::string what, std::optional<std::uint64_t> record) {
    sink_(TreeProblem{at, std::move(what), record});
}

int ChunkTree::atOrBefore(std::uint64_t pos) const {
    // The first node that starts after pos lies in [lo, hi].
    std::size_t lo = 0, hi = nodes_.size();
    while (lo < hi) {
        const std::size_t mid = lo + (hi - lo) / 2;
        if (nodes_[mid].pos <= pos)
            lo = mid + 1;
        else
            hi = mid;
    }
    return static_cast<int>(lo) - 1;
}

int ChunkTree::at(std::uint64_t pos) const {
    const int n = atOrBefore(pos);
    return n >= 0 && nodes_[static_cast<std::size_t>(n)].pos == pos ? n : -1;
}

int ChunkTree::childAt(std::uint64_t pos, std::uint16_t id, int parent) const {
    const int n = at(pos);
    if (n < 0 || nodes_[static_cast<std::size_t>(n)].id != id ||
        nodes_[static_cast<std::size_t>(n)].parent != parent)
        return -1;
    return n;
}

int ChunkTree::childOf(int parent, std::uint64_t pos, std::uint16_t id) const {
    const std::uint64_t end = nodes_[static_cast<std::size_t>(parent)].end();
    for (std::size_t c = static_cast<std::size_t>(parent) + 1;
         c < nodes_.size() && nodes_[c].pos < end && nodes_[c].pos <= pos; ++c) {
        if (nodes_[c].pos == pos)
            return nodes_[c].parent == parent && nodes_[c].id == id ? static_cast<int>(c) : -1;
    }
    return -1;
}

// A file has a handful of sections; looked up rarely.
int ChunkTree::section(std::uint16_t id) const {
    for (std::size_t i = 1; i < nodes_.size(); ++i) {
        if (nodes_[i].parent == 0 && nodes_[i].id == id)
            return static_cast<int>(i);
    }
    return -1;
}

template <class OnChild>
void ChunkTree::tile(int parent, std::optional<std::uint64_t> record, OnChild&& onChild) {
    const TreeNode p = nodes_[static_cast<std::size_t>(parent)];
    std::uint64_t c = p.pos + chunk::HeaderSize;
    while (c < p.end()) {
        const auto id = f_.u16(c);
        const auto len = f_.u32(c + 2);
        if (!id || !len || c + chunk::HeaderSize > p.end()) {
            problem(c,
                    "chunk header cut off by the end of its parent " + hexId(p.id) + " at " +
                        std::to_string(p.pos),
                    record);
            return;
        }
        if (*len < chunk::HeaderSize || c + static_cast<std::uint64_t>(*len) > p.end()) {
            problem(c,
                    "chunk " + hexId(*id) + " of length " + std::to_string(*len) +
                        " does not fit in its parent " + hexId(p.id) + " at " +
                        std::to_string(p.pos) + " (which ends at " + std::to_string(p.end()) + ")",
                    record);
            return;
        }
        const int child = static_cast<int>(nodes_.size());
        nodes_.push_back({c, *len, *id, parent});
        onChild(child);
        c += *len;
    }
}

void ChunkTree::nameChunk(int node, std::uint64_t record) {
    const TreeNode n = nodes_[static_cast<std::size_t>(node)];
    const std::string_view s = f_.text(n.pos + chunk::HeaderSize, n.length - chunk::HeaderSize);
    if (s.empty() || s.back() != '\0' || s.find('\0') != s.size() - 1)
        problem(n.pos,
                "name chunk " + hexId(n.id) + " of length " + std::to_string(n.length) +
                    " does not hold one name ended by its 0 byte",
                record);
}

namespace {
// The fixed length of a value chunk the layout gives one, or 0.
std::uint32_t fixedLength(std::uint16_t id) {
    switch (id) {
    case chunk::ObjectType:
    case chunk::LightKind:
    case chunk::LightBrightness:
        return 10;
    case chunk::Translation:
    case chunk::Size:
    case chunk::ReferenceVector:
    case chunk::LightColour:
        return 18;
    case chunk::Rotation:
        return 22;
    default:
        return 0;
    }
}

bool isSectionOrRecord(std::uint16_t id) {
    return id == chunk::Objects || id == chunk::Definitions || id == chunk::InitScripts ||
           id == chunk::ObjectRecord || id == chunk::DefinitionRecord ||
           id == chunk::InitScriptRecord;
}
} // namespace

// A child of a record: a section or record there means a length field that
// swallowed what follows; a value chunk must have its fixed length.
void ChunkTree::recordChild(int c, std::uint64_t record) {
    const TreeNode n = nodes_[static_cast<std::size_t>(c)];
    if (isSectionOrRecord(n.id))
        problem(n.pos, "chunk " + hexId(n.id) + " inside the record at " + std::to_string(record),
                record);
    else if (const std::uint32_t want = fixedLength(n.id); want && n.length != want)
        problem(n.pos,
                "chunk " + hexId(n.id) + " of length " + std::to_string(n.length) +
                    " where its length is " + std::to_string(want),
                record);
}

void ChunkTree::objectRecord(int rec) {
    ++objects;
    const std::uint64_t recPos = nodes_[static_cast<std::size_t>(rec)].pos;
    int names = 0;
    tile(rec, recPos, [&](int c) {
        const TreeNode n = nodes_[static_cast<std::size_t>(c)];
        recordChild(c, recPos);
        if (n.id == chunk::Name && ++names > 1)
            problem(n.pos, "a second name chunk in the object record at " + std::to_string(recPos),
                    recPos);
        if (n.id == chunk::Name || n.id == chunk::Model)
            nameChunk(c, recPos);
        else if (n.id == chunk::LightBlock)
            tile(c, recPos, [&](int l) { recordChild(l, recPos); });
        else if (n.id == chunk::Parent)
            // The parent chunk holds the parent's name chunk.
            tile(c, recPos, [&](int p) {
                if (nodes_[static_cast<std::size_t>(p)].id == chunk::Name)
                    nameChunk(p, recPos);
            });
    });
}

void ChunkTree::definitionRecord(int rec) {
    ++definitions;
    const std::uint64_t recPos = nodes_[static_cast<std::size_t>(rec)].pos;
    tile(rec, recPos, [&](int c) {
        const TreeNode n = nodes_[static_cast<std::size_t>(c)];
        recordChild(c, recPos);
        if (n.id == chunk::DefinitionName) {
            nameChunk(c, recPos);
        } else if (n.id == chunk::DefinitionData) {
            const auto s = findObjectScript(f_, n.pos, n.end());
            if (!s)
                return;
            ++scripts;
            const std::uint64_t textEnd = *s + 4 + static_cast<std::uint64_t>(f_.u32At(*s));
            if (textEnd != n.end())
                problem(*s,
                        "script length field says the text ends at " + std::to_string(textEnd) +
                            " but its data chunk ends at " + std::to_string(n.end()),
                        recPos);
        }
    });
}
