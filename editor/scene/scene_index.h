#pragma once
#include <algorithm>
#include <array>
#include <bit>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "byte_view.h"

// A float as the four bytes stored in the file (bits in host order), so a
// value written back unchanged is bit-identical.
struct StoredFloat {
    std::uint32_t bits = 0;
    constexpr float value() const { return std::bit_cast<float>(bits); }
    static constexpr StoredFloat fromValue(float f) {
        return StoredFloat{std::bit_cast<std::uint32_t>(f)};
    }
    bool operator==(const StoredFloat&) const = default;
};

// What the index knows of one entry of the main list. A field the file does
// not provide for this entry is empty.
struct IndexRecord {
    std::string name; // the file's bytes (Windows-1252)
    bool ticked = false;
    bool nameOnly = false;
    std::uint8_t kind = 255;

    std::optional<std::uint32_t> recordPos;
    std::optional<std::uint32_t> translationPos;
    std::optional<std::array<StoredFloat, 3>> translation;
    std::optional<std::array<StoredFloat, 4>> rotation; // q0 .. q3
    std::optional<std::array<StoredFloat, 3>> size;
    std::optional<std::string> model;

    std::optional<std::uint32_t> lightKind;
    std::optional<StoredFloat> brightness;
    std::optional<std::uint32_t> brightnessPos;
    std::optional<std::array<StoredFloat, 3>> colour;
    std::optional<std::uint32_t> colourPos;

    std::optional<std::uint8_t> material; // 1 wood, 2 brass, 3 glass
    std::optional<StoredFloat> weight;
    std::optional<std::uint32_t> weightPos;
    std::optional<std::uint8_t> sound;
    std::optional<std::uint32_t> soundPos;
    std::optional<std::uint8_t> behaviour;
    std::optional<std::uint32_t> behaviourPos; // the sex byte lies at this position + 4
    std::optional<std::uint8_t> sex;
    std::optional<StoredFloat> aggression;
    std::optional<std::uint32_t> aggressionPos;

    std::optional<std::uint32_t> definitionPos; // 0xAE21 record, or 0xAE51 for init scripts
    std::optional<std::uint32_t> dataChunkPos;  // 0xAE24 chunk holding the script
    std::optional<std::uint32_t> scriptPos; // object: the u32 script length; init: first text byte
    std::optional<std::uint32_t> namePos;   // object: the name chunk the entry was listed under

    bool operator==(const IndexRecord&) const = default;
};

// A file position held in 32 bits, empty as the one value no position of a
// file below 4 GiB can take. Reads like std::optional<std::uint32_t>.
class Pos32 {
public:
    static constexpr std::uint32_t kNone = 0xFFFFFFFFu;

    constexpr Pos32() = default;
    constexpr Pos32(std::nullopt_t) {}
    constexpr Pos32(std::uint32_t v) : v_(v) {}
    constexpr Pos32(const std::optional<std::uint32_t>& v) : v_(v ? *v : kNone) {}

    constexpr Pos32& operator=(std::nullopt_t) {
        v_ = kNone;
        return *this;
    }
    constexpr bool has_value() const { return v_ != kNone; }
    constexpr explicit operator bool() const { return has_value(); }
    constexpr std::uint32_t operator*() const { return v_; }
    std::uint32_t value() const {
        if (!has_value())
            throw std::bad_optional_access();
        return v_;
    }
    constexpr std::uint32_t value_or(std::uint32_t other) const { return has_value() ? v_ : other; }
    constexpr std::optional<std::uint32_t> optional() const {
        return has_value() ? std::optional<std::uint32_t>(v_) : std::nullopt;
    }
    constexpr bool operator==(const Pos32&) const = default;

private:
    std::uint32_t v_ = kNone;
};

namespace entry_store {
inline constexpr std::uint32_t kNone = 0xFFFFFFFFu;

// A string in the table's character store: `at` packs the block (high 16 bits)
// and the offset in it (low 16 bits).
struct Text {
    std::uint32_t at = 0;
    std::uint32_t len = kNone; // kNone: no string
    bool present() const { return len != kNone; }
};

// Placement, model and light block of an object record.
struct Body {
    enum : std::uint8_t {
        HasTranslation = 1,
        HasRotation = 2,
        HasSize = 4,
        HasLightKind = 8,
        HasBrightness = 16,
        HasColour = 32,
    };
    Pos32 translationPos;
    std::array<StoredFloat, 3> translation{};
    std::array<StoredFloat, 4> rotation{};
    std::array<StoredFloat, 3> size{};
    Text model;
    std::uint32_t lightKind = 0;
    StoredFloat brightness;
    Pos32 brightnessPos;
    std::array<StoredFloat, 3> colour{};
    Pos32 colourPos;
    std::uint8_t has = 0;
};

// Values read from the entry's definition record.
struct Definition {
    enum : std::uint8_t {
        HasMaterial = 1,
        HasSound = 2,
        HasBehaviour = 4,
        HasSex = 8,
        HasWeight = 16,
        HasAggression = 32,
    };
    std::uint8_t has = 0;
    std::uint8_t material = 0;
    std::uint8_t sound = 0;
    std::uint8_t behaviour = 0;
    std::uint8_t sex = 0;
    StoredFloat weight;
    StoredFloat aggression;
    Pos32 weightPos;
    Pos32 soundPos;
    Pos32 behaviourPos;
    Pos32 aggressionPos;
};

struct Script {
    Pos32 definitionPos;
    Pos32 dataChunkPos;
    Pos32 scriptPos;
};

// What every entry has; the groups above are indexes into their tables.
struct Slot {
    enum : std::uint8_t { Ticked = 1, NameOnly = 2, DefaultLight = 4 };
    Text name;
    Pos32 recordPos;
    Pos32 namePos;
    std::uint32_t body = kNone;
    std::uint32_t definition = kNone;
    std::uint32_t script = kNone;
    std::uint8_t kind = 255;
    std::uint8_t flags = 0;
};

// Items in blocks of a fixed count that never move once made: appending
// copies nothing already held, and costs one allocation per block. An item
// is made when it is appended, not when its block is.
template <class T> class BlockList {
    static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>);

public:
    static constexpr std::size_t kPerBlock = 256;

    BlockList() = default;
    BlockList(BlockList&&) noexcept = default;
    BlockList& operator=(BlockList&&) noexcept = default;
    BlockList(const BlockList& o) : size_(o.size_) {
        blocks_.reserve(o.blocks_.size());
        for (std::size_t b = 0; b < o.blocks_.size(); ++b) {
            blocks_.push_back(newBlock());
            const std::size_t first = b * kPerBlock; // a block past the items holds none
            const std::size_t n = size_ > first ? std::min(kPerBlock, size_ - first) : 0;
            std::uninitialized_copy_n(o.blocks_[b].get(), n, blocks_.back().get());
        }
    }
    BlockList& operator=(const BlockList& o) {
        if (this != &o)
            *this = BlockList(o);
        return *this;
    }

    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    const T& at(std::size_t i) const {
        if (i >= size_)
            throw std::out_of_range("item " + std::to_string(i) + " of " + std::to_string(size_));
        return (*this)[i];
    }
    T& operator[](std::size_t i) { return blocks_[i / kPerBlock].get()[i % kPerBlock]; }
    const T& operator[](std::size_t i) const { return blocks_[i / kPerBlock].get()[i % kPerBlock]; }
    T& back() { return (*this)[size_ - 1]; }
    const T& back() const { return (*this)[size_ - 1]; }

    // Appends a value-initialised item and returns it.
    T& emplace_back() { return *::new (slot()) T{}; }
    void push_back(const T& v) { ::new (slot()) T(v); }
    void pop_back() { --size_; }

    template <class F> void forEach(F&& f) {
        for (std::size_t i = 0; i < size_; ++i)
            f((*this)[i]);
    }
    template <class F> void forEach(F&& f) const {
        for (std::size_t i = 0; i < size_; ++i)
            f((*this)[i]);
    }

    // Bytes held, the unused part of the last block included; `overhead` is
    // what the allocator adds to each block.
    std::size_t memoryBytes(std::size_t overhead) const {
        return blocks_.capacity() * sizeof(blocks_[0]) + overhead +
               blocks_.size() * (kPerBlock * sizeof(T) + overhead);
    }

private:
    struct FreeBlock {
        void operator()(T* p) const { std::allocator<T>{}.deallocate(p, kPerBlock); }
    };
    using Block = std::unique_ptr<T, FreeBlock>;

    static Block newBlock() { return Block(std::allocator<T>{}.allocate(kPerBlock)); }
    // Room for the next item, counted as held.
    void* slot() {
        if (size_ == blocks_.size() * kPerBlock)
            blocks_.push_back(newBlock());
        const std::size_t i = size_++;
        return blocks_[i / kPerBlock].get() + i % kPerBlock;
    }

    std::vector<Block> blocks_;
    std::size_t size_ = 0;
};

// The item `index` names in `table`; when it names none (kNone), a new item
// is appended and `index` set to it.
template <class T> T& itemOf(BlockList<T>& table, std::uint32_t& index) {
    if (index == kNone) {
        table.emplace_back();
        index = static_cast<std::uint32_t>(table.size() - 1);
    }
    return table[index];
}

// Strings appended one after another into blocks that never move once
// filled, so the store costs the strings' own bytes and one partly filled block.
class TextStore {
public:
    // A string joins the last block when it fits there, else starts a new one.
    Text add(std::string_view s) {
        if (s.empty())
            return Text{0, 0};
        if (blocks_.empty() || blocks_.back().size() + s.size() > kBlockBytes)
            startBlock(s.size());
        std::string& b = blocks_.back();
        const Text t{static_cast<std::uint32_t>(((blocks_.size() - 1) << 16) | b.size()),
                     static_cast<std::uint32_t>(s.size())};
        b.append(s);
        return t;
    }
    std::string_view get(Text t) const;
    std::size_t memoryBytes() const;
    void shrink();

private:
    static constexpr std::size_t kBlockBytes = std::size_t{1} << 16;

    // Appends an empty block with room for `first` bytes or a block's worth.
    void startBlock(std::size_t first);

    std::vector<std::string> blocks_;
};
} // namespace entry_store

// The main list's entries in a compact form: a small fixed part per entry,
// names and model names in one character store, and the placement, light,
// definition and script values in tables of their own, taken only by entries
// that have them. Reading an entry builds its IndexRecord; the field readers
// below cost no more than the field. Positions are file offsets below 4 GiB.
class EntryTable {
public:
    using value_type = IndexRecord;
    using size_type = std::size_t;

    class const_iterator {
    public:
        using iterator_category = std::random_access_iterator_tag;
        using value_type = IndexRecord;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = const IndexRecord;

        const_iterator() = default;
        const_iterator(const EntryTable* t, std::size_t i) : t_(t), i_(i) {}
        const IndexRecord operator*() const { return (*t_)[i_]; }
        const IndexRecord operator[](difference_type n) const {
            return (*t_)[i_ + static_cast<std::size_t>(n)];
        }
        const_iterator& operator++() {
            ++i_;
            return *this;
        }
        const_iterator operator++(int) {
            const_iterator old = *this;
            ++i_;
            return old;
        }
        const_iterator& operator--() {
            --i_;
            return *this;
        }
        const_iterator operator--(int) {
            const_iterator old = *this;
            --i_;
            return old;
        }
        const_iterator& operator+=(difference_type n) {
            i_ = static_cast<std::size_t>(static_cast<difference_type>(i_) + n);
            return *this;
        }
        const_iterator& operator-=(difference_type n) { return *this += -n; }
        friend const_iterator operator+(const_iterator it, difference_type n) { return it += n; }
        friend const_iterator operator+(difference_type n, const_iterator it) { return it += n; }
        friend const_iterator operator-(const_iterator it, difference_type n) { return it -= n; }
        friend difference_type operator-(const const_iterator& a, const const_iterator& b) {
            return static_cast<difference_type>(a.i_) - static_cast<difference_type>(b.i_);
        }
        bool operator==(const const_iterator& o) const { return i_ == o.i_; }
        auto operator<=>(const const_iterator& o) const { return i_ <=> o.i_; }

    private:
        const EntryTable* t_ = nullptr;
        std::size_t i_ = 0;
    };
    using iterator = const_iterator;

    EntryTable() = default;
    EntryTable(std::initializer_list<IndexRecord> records);

    std::size_t size() const { return slots_.size(); }
    bool empty() const { return slots_.empty(); }
    const IndexRecord operator[](std::size_t i) const;
    const IndexRecord at(std::size_t i) const; // throws std::out_of_range past the end
    const IndexRecord front() const { return (*this)[0]; }
    const IndexRecord back() const { return (*this)[size() - 1]; }
    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, size()}; }

    void push_back(const IndexRecord& record);
    template <class... Args> void emplace_back(Args&&... args) {
        push_back(IndexRecord{std::forward<Args>(args)...});
    }
    // Replaces entry i.
    void set(std::size_t i, const IndexRecord& record);
    void pop_back();
    void clear();

    // Single fields, without building the record.
    std::string_view name(std::size_t i) const { return text_.get(slots_[i].name); }
    bool ticked(std::size_t i) const { return slots_[i].flags & entry_store::Slot::Ticked; }
    bool nameOnly(std::size_t i) const { return slots_[i].flags & entry_store::Slot::NameOnly; }
    std::uint8_t kind(std::size_t i) const { return slots_[i].kind; }
    Pos32 recordPos(std::size_t i) const { return slots_[i].recordPos; }
    Pos32 namePos(std::size_t i) const { return slots_[i].namePos; }
    Pos32 definitionPos(std::size_t i) const {
        return script(i) ? script(i)->definitionPos : Pos32{};
    }
    Pos32 scriptPos(std::size_t i) const { return script(i) ? script(i)->scriptPos : Pos32{}; }
    Pos32 dataChunkPos(std::size_t i) const {
        return script(i) ? script(i)->dataChunkPos : Pos32{};
    }
    Pos32 translationPos(std::size_t i) const {
        const auto* b = body(i);
        return b ? b->translationPos : Pos32{};
    }
    // The entry's placement and light block, its definition values: null when
    // it has none. (The light defaults of a name-only entry are not held here.)
    const entry_store::Body* body(std::size_t i) const {
        const auto b = slots_[i].body;
        return b == entry_store::kNone ? nullptr : &bodies_[b];
    }
    const entry_store::Definition* definition(std::size_t i) const {
        const auto d = slots_[i].definition;
        return d == entry_store::kNone ? nullptr : &definitions_[d];
    }

    // For the index builder: fields of an entry already in the table.
    void setKind(std::size_t i, std::uint8_t kind) { slots_[i].kind = kind; }
    void setTicked(std::size_t i) { slots_[i].flags |= entry_store::Slot::Ticked; }
    // The builder calls these for most entries, so they are written here.
    entry_store::Definition& definitionOf(std::size_t i) {
        return entry_store::itemOf(definitions_, slots_[i].definition);
    }
    entry_store::Script& scriptOf(std::size_t i) {
        return entry_store::itemOf(scripts_, slots_[i].script);
    }
    // Appends an object entry as its parts stand: the slot (its name and body
    // are set here), the placement and light block when it has one, with its
    // model name, if any.
    void appendObject(std::string_view name, entry_store::Slot slot, const entry_store::Body* body,
                      std::optional<std::string_view> model) {
        slot.name = text_.add(name);
        if (body) {
            bodies_.push_back(*body);
            bodies_.back().model = model ? text_.add(*model) : entry_store::Text{};
            slot.body = static_cast<std::uint32_t>(bodies_.size() - 1);
        }
        slots_.push_back(slot);
    }

    // After bytes were replaced in the file: every position at or after
    // `from` moves by `delta`, in place; positions before it stay.
    void movePositions(std::uint64_t from, std::int64_t delta);
    // Whether any position the table holds lies in [from, to).
    bool holdsPositionIn(std::uint64_t from, std::uint64_t to) const;

    // Bytes held, the unused capacity included.
    std::size_t memoryBytes() const;
    // Gives back capacity left over from building.
    void shrink();

    bool operator==(const EntryTable& other) const;

private:
    const entry_store::Script* script(std::size_t i) const {
        const auto s = slots_[i].script;
        return s == entry_store::kNone ? nullptr : &scripts_[s];
    }
    entry_store::Slot encode(const IndexRecord& record, const entry_store::Slot* reuse);

    entry_store::BlockList<entry_store::Slot> slots_;
    entry_store::BlockList<entry_store::Body> bodies_;
    entry_store::BlockList<entry_store::Definition> definitions_;
    entry_store::BlockList<entry_store::Script> scripts_;
    entry_store::TextStore text_;
};

struct SceneIndex {
    std::uint64_t fileLength = 0;
    EntryTable entries; // the main list, in file order

    std::optional<std::uint32_t> modelLenPos;           // objects section length field
    std::optional<std::uint32_t> gesamtLaengeScriptPos; // definitions section length field
    std::optional<std::uint32_t> definitionsLength;
    std::optional<std::uint32_t> initSectionLengthPos;
    std::optional<std::uint32_t> initSectionLength;
    // List index of the first init script; entry count + 1 when the file has none.
    std::int64_t merkePosGameInit = 1;
    bool hasInitSection = false;
    std::uint32_t definitionNameCount = 0;

    // Index of the last listed object's rotation, as the scan leaves it.
    std::optional<std::array<StoredFloat, 4>> lastRotation;

    // Bytes the index holds.
    std::size_t memoryBytes() const { return sizeof(SceneIndex) + entries.memoryBytes(); }

    bool operator==(const SceneIndex&) const = default;
};

// Called a bounded number of times (at most 52) with a progress step 0..51.
using IndexProgress = std::function<void(int)>;

// Builds the index of a scene file held in memory. Any byte string gives an
// index (possibly empty); the scan never reads outside the buffer.
SceneIndex buildSceneIndex(ByteView file, const IndexProgress& progress = {});
