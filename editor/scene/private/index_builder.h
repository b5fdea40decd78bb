#pragma once
// Internal to the index: the state of one scan over a scene file.
#include <algorithm>
#include <climits>
#include <string_view>

#include "chunk_ids.h"
#include "name_table.h"
#include "scene_index.h"

namespace index_detail {

inline constexpr int kProgressSteps = 52;

// Name chunks this long or longer are read as if they were 15 bytes long.
inline constexpr std::uint32_t kLongNameLength = 51;
inline constexpr std::uint32_t kLongNameReadAs = 15;

// Offsets of the values in a definition's data chunk, counted from the chunk start.
inline constexpr std::size_t kThingWeight = 6 + 10;
inline constexpr std::size_t kThingSound = 6 + 22;
inline constexpr std::size_t kHumanBehaviour = 6 + 1;
inline constexpr std::size_t kHumanSex = 6 + 5;
inline constexpr std::size_t kHumanAggression = 6 + 41;
inline constexpr std::size_t kHumanWeight = 6 + 65;

inline std::uint32_t effectiveNameLength(std::uint32_t n) {
    return n >= kLongNameLength ? kLongNameReadAs : n;
}

// Reports progress at evenly spaced scan positions, never more than kProgressSteps times.
class ProgressMeter {
public:
    ProgressMeter(const IndexProgress& cb, std::size_t length)
        : cb_(cb), step_(std::max<std::size_t>(1, length / (kProgressSteps - 2))) {}
    void at(std::size_t pos) {
        if (pos < next_)
            return;
        while (next_ <= pos && count_ < kProgressSteps) {
            if (cb_)
                cb_(count_);
            ++count_;
            next_ += step_;
        }
        if (count_ >= kProgressSteps)
            next_ = SIZE_MAX;
    }

private:
    const IndexProgress& cb_;
    std::size_t step_;
    std::size_t next_ = 0;
    int count_ = 0;
};

// Entry names as views of the scanned bytes (or of a constant), by list position.
struct EntryNames {
    const std::vector<std::string_view>* names;
    std::string_view operator()(std::uint32_t i) const { return (*names)[i]; }
};

class IndexBuilder {
public:
    IndexBuilder(ByteView f, const IndexProgress& cb) : f_(f), progress_(cb, f.size()) {}
    SceneIndex run();

private:
    // The object record whose name chunk the walk is waiting for.
    struct OpenRecord {
        std::size_t pos;
        std::uint64_t end;
    };

    // A chunk header whose length cannot cover its own 6 bytes is not a chunk.
    std::optional<std::uint32_t> chunkLength(std::size_t p) const {
        auto len = f_.u32(p + 2);
        if (!len || *len < chunk::HeaderSize)
            return std::nullopt;
        return len;
    }
    std::string_view nameAt(std::size_t p, std::uint32_t n) const;
    std::optional<StoredFloat> floatAt(std::size_t pos) const {
        auto v = f_.u32(pos);
        if (!v)
            return std::nullopt;
        return StoredFloat{*v};
    }
    template <std::size_t N>
    std::optional<std::array<StoredFloat, N>> floatsAt(std::size_t pos) const;
    std::size_t addEntry(std::string_view name, IndexRecord& rec);
    void startObject(std::size_t pos);
    void listOpenObject(std::string_view name);
    void dropOpenObject();

    bool findObjectsSection();
    void walkObjects();
    std::size_t readObjectName(std::size_t p, std::uint32_t n);
    void readObjectTail(std::size_t q, std::uint64_t end);
    void scanDefinitions();
    void lookAhead(std::size_t record);
    void readDefinitionData(std::size_t d, std::uint32_t n);
    void readInitScript(std::size_t r, std::uint32_t n);
    void setByte(entry_store::Definition& v, std::uint8_t bit, std::uint8_t& value, Pos32& pos,
                 std::size_t at) const;
    void setFloat(entry_store::Definition& v, std::uint8_t bit, StoredFloat& value, Pos32& pos,
                  std::size_t at) const;
    std::optional<std::size_t> findDefinitionEntry() const;

    ByteView f_;
    ProgressMeter progress_;
    SceneIndex idx_;
    std::vector<std::string_view> names_; // each listed entry's name, in list order
    NameTable<EntryNames> byName_{EntryNames{&names_}};
    std::optional<OpenRecord> open_;
    // The entry of open_ as read so far, listed into the table once its name
    // is read: what EntryTable would make of its IndexRecord, without the record.
    struct ObjectDraft {
        entry_store::Slot slot;
        entry_store::Body body;
        std::optional<std::string_view> model;
        bool hasBrightness = false;
        bool hasColour = false;
    };
    ObjectDraft object_;
    bool tentative_ = false; // object_ belongs to open_
    // An init script's record, kept to reuse its memory.
    IndexRecord init_;
    std::size_t objectsStart_ = 0;
    std::uint64_t objectsEnd_ = 0;

    std::string_view defName_;
    std::uint8_t defType_ = 0;
    std::optional<std::uint32_t> defPos_;
};

template <std::size_t N>
std::optional<std::array<StoredFloat, N>> IndexBuilder::floatsAt(std::size_t pos) const {
    if (!f_.has(pos, 4 * N))
        return std::nullopt;
    std::array<StoredFloat, N> out{};
    for (std::size_t i = 0; i < N; ++i)
        out[i] = StoredFloat{f_.u32At(pos + 4 * i)};
    return out;
}

} // namespace index_detail
