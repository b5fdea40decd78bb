#include <algorithm>
#include <stdexcept>

#include "scene_index.h"

namespace entry_store {
namespace {
constexpr std::size_t kMaxBlocks = std::size_t{1} << 16;

const StoredFloat kDefaultBrightness = StoredFloat::fromValue(2.0f);
const StoredFloat kDefaultColour = StoredFloat::fromValue(0.5f);
} // namespace

// A block longer than the others holds one string longer than a block.
// Blocks are reserved at their final size, so none ever grows past what it
// holds.
void TextStore::startBlock(std::size_t first) {
    if (blocks_.size() >= kMaxBlocks)
        throw std::length_error("the entry names exceed 4 GiB");
    blocks_.emplace_back();
    blocks_.back().reserve(std::max(kBlockBytes, first));
}

std::string_view TextStore::get(Text t) const {
    if (!t.present() || t.len == 0)
        return {};
    return std::string_view(blocks_[t.at >> 16]).substr(t.at & 0xFFFFu, t.len);
}

std::size_t TextStore::memoryBytes() const {
    std::size_t n = blocks_.capacity() * sizeof(std::string) + 16;
    for (const std::string& b : blocks_)
        n += b.capacity() + 1 + 16; // the string's 0 byte and the allocator's share
    return n;
}

void TextStore::shrink() {
    if (!blocks_.empty())
        blocks_.back().shrink_to_fit();
    blocks_.shrink_to_fit();
}
} // namespace entry_store

using namespace entry_store;

namespace {
template <class T> void put(std::optional<T>& out, bool present, const T& v) {
    if (present)
        out = v;
}

bool defaultLight(const IndexRecord& r) {
    return r.brightness == kDefaultBrightness && r.colour &&
           *r.colour == std::array<StoredFloat, 3>{kDefaultColour, kDefaultColour, kDefaultColour};
}

// Takes slot `index` of `table` for reuse, emptied, or appends one.
template <class T> std::uint32_t slotFor(BlockList<T>& table, std::uint32_t index) {
    if (index != kNone)
        table[index] = T{};
    itemOf(table, index);
    return index;
}
} // namespace

EntryTable::EntryTable(std::initializer_list<IndexRecord> records) {
    for (const IndexRecord& r : records)
        push_back(r);
}

const IndexRecord EntryTable::operator[](std::size_t i) const {
    const Slot& s = slots_[i];
    IndexRecord r;
    r.name.assign(text_.get(s.name));
    r.ticked = s.flags & Slot::Ticked;
    r.nameOnly = s.flags & Slot::NameOnly;
    r.kind = s.kind;
    r.recordPos = s.recordPos.optional();
    r.namePos = s.namePos.optional();
    if (s.flags & Slot::DefaultLight) {
        r.brightness = kDefaultBrightness;
        r.colour = std::array<StoredFloat, 3>{kDefaultColour, kDefaultColour, kDefaultColour};
    }
    if (s.body != kNone) {
        const Body& b = bodies_[s.body];
        r.translationPos = b.translationPos.optional();
        put(r.translation, b.has & Body::HasTranslation, b.translation);
        put(r.rotation, b.has & Body::HasRotation, b.rotation);
        put(r.size, b.has & Body::HasSize, b.size);
        if (b.model.present())
            r.model = std::string(text_.get(b.model));
        put(r.lightKind, b.has & Body::HasLightKind, b.lightKind);
        put(r.brightness, b.has & Body::HasBrightness, b.brightness);
        r.brightnessPos = b.brightnessPos.optional();
        put(r.colour, b.has & Body::HasColour, b.colour);
        r.colourPos = b.colourPos.optional();
    }
    if (s.definition != kNone) {
        const Definition& d = definitions_[s.definition];
        put(r.material, d.has & Definition::HasMaterial, d.material);
        put(r.weight, d.has & Definition::HasWeight, d.weight);
        r.weightPos = d.weightPos.optional();
        put(r.sound, d.has & Definition::HasSound, d.sound);
        r.soundPos = d.soundPos.optional();
        put(r.behaviour, d.has & Definition::HasBehaviour, d.behaviour);
        r.behaviourPos = d.behaviourPos.optional();
        put(r.sex, d.has & Definition::HasSex, d.sex);
        put(r.aggression, d.has & Definition::HasAggression, d.aggression);
        r.aggressionPos = d.aggressionPos.optional();
    }
    if (s.script != kNone) {
        const Script& c = scripts_[s.script];
        r.definitionPos = c.definitionPos.optional();
        r.dataChunkPos = c.dataChunkPos.optional();
        r.scriptPos = c.scriptPos.optional();
    }
    return r;
}

const IndexRecord EntryTable::at(std::size_t i) const {
    if (i >= size())
        throw std::out_of_range("entry " + std::to_string(i) + " of " + std::to_string(size()));
    return (*this)[i];
}

// The slot for `r`; with `reuse`, the groups and name of that slot are
// overwritten in place where `r` still has them.
Slot EntryTable::encode(const IndexRecord& r, const Slot* reuse) {
    Slot s;
    if (reuse && text_.get(reuse->name) == r.name)
        s.name = reuse->name;
    else
        s.name = text_.add(r.name);
    s.flags = static_cast<std::uint8_t>((r.ticked ? Slot::Ticked : 0) |
                                        (r.nameOnly ? Slot::NameOnly : 0));
    s.kind = r.kind;
    s.recordPos = r.recordPos;
    s.namePos = r.namePos;

    const bool lightByDefault = defaultLight(r);
    if (lightByDefault)
        s.flags |= Slot::DefaultLight;
    const bool hasBody = r.translationPos || r.translation || r.rotation || r.size || r.model ||
                         r.lightKind || r.brightnessPos || r.colourPos ||
                         (!lightByDefault && (r.brightness || r.colour));
    if (hasBody) {
        const Text oldModel = reuse && reuse->body != kNone ? bodies_[reuse->body].model : Text{};
        s.body = slotFor(bodies_, reuse ? reuse->body : kNone);
        Body& b = bodies_[s.body];
        b.translationPos = r.translationPos;
        if (r.translation) {
            b.has |= Body::HasTranslation;
            b.translation = *r.translation;
        }
        if (r.rotation) {
            b.has |= Body::HasRotation;
            b.rotation = *r.rotation;
        }
        if (r.size) {
            b.has |= Body::HasSize;
            b.size = *r.size;
        }
        if (r.model)
            b.model = oldModel.present() && text_.get(oldModel) == *r.model ? oldModel
                                                                            : text_.add(*r.model);
        if (r.lightKind) {
            b.has |= Body::HasLightKind;
            b.lightKind = *r.lightKind;
        }
        if (r.brightness && !lightByDefault) {
            b.has |= Body::HasBrightness;
            b.brightness = *r.brightness;
        }
        b.brightnessPos = r.brightnessPos;
        if (r.colour && !lightByDefault) {
            b.has |= Body::HasColour;
            b.colour = *r.colour;
        }
        b.colourPos = r.colourPos;
    }

    const bool hasDefinition = r.material || r.weight || r.weightPos || r.sound || r.soundPos ||
                               r.behaviour || r.behaviourPos || r.sex || r.aggression ||
                               r.aggressionPos;
    if (hasDefinition) {
        s.definition = slotFor(definitions_, reuse ? reuse->definition : kNone);
        Definition& d = definitions_[s.definition];
        if (r.material) {
            d.has |= Definition::HasMaterial;
            d.material = *r.material;
        }
        if (r.weight) {
            d.has |= Definition::HasWeight;
            d.weight = *r.weight;
        }
        d.weightPos = r.weightPos;
        if (r.sound) {
            d.has |= Definition::HasSound;
            d.sound = *r.sound;
        }
        d.soundPos = r.soundPos;
        if (r.behaviour) {
            d.has |= Definition::HasBehaviour;
            d.behaviour = *r.behaviour;
        }
        d.behaviourPos = r.behaviourPos;
        if (r.sex) {
            d.has |= Definition::HasSex;
            d.sex = *r.sex;
        }
        if (r.aggression) {
            d.has |= Definition::HasAggression;
            d.aggression = *r.aggression;
        }
        d.aggressionPos = r.aggressionPos;
    }

    if (r.definitionPos || r.dataChunkPos || r.scriptPos) {
        s.script = slotFor(scripts_, reuse ? reuse->script : kNone);
        scripts_[s.script] = Script{r.definitionPos, r.dataChunkPos, r.scriptPos};
    }
    return s;
}

void EntryTable::push_back(const IndexRecord& record) {
    slots_.push_back(encode(record, nullptr));
}

void EntryTable::set(std::size_t i, const IndexRecord& record) {
    const Slot old = slots_.at(i);
    slots_[i] = encode(record, &old);
}

void EntryTable::pop_back() {
    const Slot& s = slots_.back();
    // Groups appended last for this entry go with it; others stay unreferenced.
    if (s.body != kNone && s.body + 1 == bodies_.size())
        bodies_.pop_back();
    if (s.definition != kNone && s.definition + 1 == definitions_.size())
        definitions_.pop_back();
    if (s.script != kNone && s.script + 1 == scripts_.size())
        scripts_.pop_back();
    slots_.pop_back();
}

void EntryTable::clear() {
    *this = EntryTable{};
}

namespace {
// What the allocator adds to each block it hands out.
constexpr std::size_t kAllocationOverhead = 16;
} // namespace

std::size_t EntryTable::memoryBytes() const {
    return slots_.memoryBytes(kAllocationOverhead) + bodies_.memoryBytes(kAllocationOverhead) +
           definitions_.memoryBytes(kAllocationOverhead) +
           scripts_.memoryBytes(kAllocationOverhead) + text_.memoryBytes();
}

// The tables grow block by block and have nothing to give back but the last
// block's unused part, which would take a copy of it; the character store's
// last block does.
void EntryTable::shrink() {
    text_.shrink();
}

bool EntryTable::operator==(const EntryTable& other) const {
    if (size() != other.size())
        return false;
    for (std::size_t i = 0; i < size(); ++i) {
        if ((*this)[i] != other[i])
            return false;
    }
    return true;
}

namespace {
// Applies `f` to every position of every group, the stale ones included.
template <class Table, class F> void forEachPosition(Table& t, F&& f) {
    t.slots.forEach([&](auto& s) {
        f(s.recordPos);
        f(s.namePos);
    });
    t.bodies.forEach([&](auto& b) {
        f(b.translationPos);
        f(b.brightnessPos);
        f(b.colourPos);
    });
    t.definitions.forEach([&](auto& d) {
        f(d.weightPos);
        f(d.soundPos);
        f(d.behaviourPos);
        f(d.aggressionPos);
    });
    t.scripts.forEach([&](auto& s) {
        f(s.definitionPos);
        f(s.dataChunkPos);
        f(s.scriptPos);
    });
}
} // namespace

void EntryTable::movePositions(std::uint64_t from, std::int64_t delta) {
    struct {
        BlockList<Slot>& slots;
        BlockList<Body>& bodies;
        BlockList<Definition>& definitions;
        BlockList<Script>& scripts;
    } all{slots_, bodies_, definitions_, scripts_};
    forEachPosition(all, [&](Pos32& p) {
        if (p && *p >= from)
            p = static_cast<std::uint32_t>(static_cast<std::int64_t>(*p) + delta);
    });
}

bool EntryTable::holdsPositionIn(std::uint64_t from, std::uint64_t to) const {
    struct {
        const BlockList<Slot>& slots;
        const BlockList<Body>& bodies;
        const BlockList<Definition>& definitions;
        const BlockList<Script>& scripts;
    } all{slots_, bodies_, definitions_, scripts_};
    bool found = false;
    forEachPosition(all, [&](const Pos32& p) { found = found || (p && *p >= from && *p < to); });
    return found;
}
