#include <cstring>

#include "index_builder.h"
#include "script_locate.h"
#include "text_search.h"

using namespace std::string_view_literals;

namespace index_detail {
namespace {
constexpr auto kGameInitEnd = "GameInitEnd"sv;

std::optional<std::uint32_t> pos32(std::size_t p) {
    return static_cast<std::uint32_t>(p);
}
} // namespace

// The second scan: definition records and init scripts, found by their ids
// from the end of the objects section on. Section and record chunks are
// entered, leaf chunks consumed whole, anything else advances one byte.
void IndexBuilder::scanDefinitions() {
    const auto* data = f_.data();
    const std::size_t size = f_.size();
    if (objectsEnd_ >= size)
        return;
    std::size_t p = static_cast<std::size_t>(objectsEnd_);
    while (p + 2 <= size) {
        // Every id of this scan has AE as its high byte; it is usually right here.
        if (data[p + 1] != 0xAE) {
            const void* hit = std::memchr(data + p + 1, 0xAE, size - p - 1);
            if (!hit)
                break;
            p = static_cast<std::size_t>(static_cast<const std::uint8_t*>(hit) - data) - 1;
        }
        progress_.at(p);
        const std::uint16_t id = f_.u16At(p);
        const auto len = chunkLength(p);
        switch (id) {
        case chunk::Definitions:
            if (auto l = f_.u32(p + 2)) {
                idx_.gesamtLaengeScriptPos = static_cast<std::uint32_t>(p + 2);
                idx_.definitionsLength = l;
            }
            p += chunk::HeaderSize;
            continue;
        case chunk::DefinitionRecord:
            defPos_ = static_cast<std::uint32_t>(p);
            lookAhead(p);
            p += chunk::HeaderSize;
            continue;
        case chunk::InitScripts:
            if (auto l = f_.u32(p + 2)) {
                idx_.initSectionLengthPos = static_cast<std::uint32_t>(p + 2);
                idx_.initSectionLength = l;
            }
            idx_.hasInitSection = true;
            idx_.merkePosGameInit = static_cast<std::int64_t>(idx_.entries.size());
            p += chunk::HeaderSize;
            continue;
        default:
            break;
        }
        if (!len) {
            ++p;
            continue;
        }
        switch (id) {
        case chunk::DefinitionName: {
            defName_ = nameAt(p, *len);
            ++idx_.definitionNameCount;
            p += effectiveNameLength(*len);
            break;
        }
        case chunk::DefinitionType:
            defType_ = f_.u8(p + 6).value_or(0);
            p += *len;
            break;
        case chunk::DefinitionData:
            readDefinitionData(p, *len);
            p += *len;
            break;
        case chunk::InitScriptRecord:
            readInitScript(p, *len);
            p += *len;
            break;
        default:
            ++p;
        }
    }
}

// Before the scan reaches them: the record after `record` has its name's
// table slot fetched (a lookup that waits for its slot costs more than the
// rest of a record), the one after that its first bytes. A hint only: it
// decides nothing.
void IndexBuilder::lookAhead(std::size_t record) {
    const auto len = chunkLength(record);
    if (!len)
        return;
    const std::size_t next = record + *len;
    const auto nextLen = chunkLength(next);
    if (!nextLen || f_.u16At(next) != chunk::DefinitionRecord)
        return;
    if (const std::size_t after = next + *nextLen; after < f_.size())
        prefetchLine(f_.data() + after);
    const std::size_t name = next + chunk::HeaderSize;
    if (f_.u16(name) == chunk::DefinitionName) {
        if (const auto n = chunkLength(name))
            byName_.prefetch(nameAt(name, *n));
    }
}

// The first entry named like the last definition name, or like that name cut
// before its first ".".
std::optional<std::size_t> IndexBuilder::findDefinitionEntry() const {
    std::optional<std::size_t> found;
    found = byName_.find(defName_);
    if (auto dot = defName_.find('.'); dot != std::string_view::npos) {
        if (auto cut = byName_.find(defName_.substr(0, dot)))
            found = found ? std::min(*found, *cut) : *cut;
    }
    return found;
}

void IndexBuilder::readDefinitionData(std::size_t d, std::uint32_t n) {
    const std::uint64_t end = static_cast<std::uint64_t>(d) + n;
    const auto w = findDefinitionEntry();
    EntryTable& entries = idx_.entries;
    if (w) {
        bool known = true;
        switch (defType_) {
        case deftype::Physical: {
            const auto text = f_.text(d, n);
            entry_store::Definition& v = entries.definitionOf(*w);
            v.has |= entry_store::Definition::HasMaterial;
            constexpr std::uint8_t kMaterial[] = {1, 3, 2}; // neither, glass, brass
            v.material = kMaterial[containsWhichNoCase(text, "glass", "brass")];
            break;
        }
        case deftype::Thing: {
            entry_store::Definition& v = entries.definitionOf(*w);
            setFloat(v, entry_store::Definition::HasWeight, v.weight, v.weightPos,
                     d + kThingWeight);
            setByte(v, entry_store::Definition::HasSound, v.sound, v.soundPos, d + kThingSound);
            break;
        }
        case deftype::Human: {
            entry_store::Definition& v = entries.definitionOf(*w);
            setByte(v, entry_store::Definition::HasBehaviour, v.behaviour, v.behaviourPos,
                    d + kHumanBehaviour);
            if (auto sex = f_.u8(d + kHumanSex)) {
                v.has |= entry_store::Definition::HasSex;
                v.sex = *sex;
            } else {
                v.has &= static_cast<std::uint8_t>(~entry_store::Definition::HasSex);
            }
            setFloat(v, entry_store::Definition::HasAggression, v.aggression, v.aggressionPos,
                     d + kHumanAggression);
            setFloat(v, entry_store::Definition::HasWeight, v.weight, v.weightPos,
                     d + kHumanWeight);
            break;
        }
        case deftype::Vehicle:
            break;
        default:
            known = false;
        }
        if (known) {
            entries.setKind(*w, defType_);
            if (defPos_)
                entries.scriptOf(*w).definitionPos = defPos_;
        }
    }
    const auto s = findObjectScript(f_, d, end);
    if (s && w) {
        entry_store::Script& script = entries.scriptOf(*w);
        script.scriptPos = pos32(*s);
        script.definitionPos = defPos_;
        script.dataChunkPos = pos32(d);
        entries.setTicked(*w);
        entries.setKind(*w, defType_);
    }
}

// A byte value and its position; when the file ends before it the value is empty.
void IndexBuilder::setByte(entry_store::Definition& v, std::uint8_t bit, std::uint8_t& value,
                           Pos32& pos, std::size_t at) const {
    if (auto b = f_.u8(at)) {
        v.has |= bit;
        value = *b;
        pos = pos32(at);
    } else {
        v.has &= static_cast<std::uint8_t>(~bit); // the position keeps what an earlier one set
    }
}

void IndexBuilder::setFloat(entry_store::Definition& v, std::uint8_t bit, StoredFloat& value,
                            Pos32& pos, std::size_t at) const {
    if (auto f = floatAt(at)) {
        v.has |= bit;
        value = *f;
        pos = pos32(at);
    } else {
        v.has &= static_cast<std::uint8_t>(~bit); // the position keeps what an earlier one set
    }
}

void IndexBuilder::readInitScript(std::size_t r, std::uint32_t n) {
    const auto* data = f_.data();
    const std::size_t end = static_cast<std::size_t>(
        std::min<std::uint64_t>(static_cast<std::uint64_t>(r) + n, f_.size()));
    std::size_t start = r + 8;
    while (start < end && data[start] < 32)
        ++start;
    std::size_t zero = start;
    while (zero < end && data[zero] != 0)
        ++zero;
    const std::string_view run = f_.text(start, zero - std::min(zero, start));
    std::string_view text = run.empty() ? run : run.substr(0, run.size() - 1);
    if (containsNoCase(run, "gameinitend"))
        text = kGameInitEnd;

    IndexRecord& rec = init_;
    rec = IndexRecord{};
    rec.ticked = true;
    if (zero < end) {
        std::size_t s = zero + 1;
        while (s < end && data[s] < 32)
            ++s;
        if (s < end) {
            rec.definitionPos = pos32(r);
            rec.scriptPos = pos32(s);
        }
    }
    addEntry(text, rec);
}

} // namespace index_detail
