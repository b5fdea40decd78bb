#include "scene_index.h"

#include <cstring>

#include "index_builder.h"
#include "text_search.h"

using namespace std::string_view_literals;

namespace index_detail {
namespace {
constexpr auto kTranslationHead = "\x20\x00\x12\x00\x00\x00"sv;
} // namespace

SceneIndex IndexBuilder::run() {
    idx_.fileLength = f_.size();
    if (f_.size() > 0 && findObjectsSection()) {
        walkObjects();
        if (tentative_)
            dropOpenObject();
        // The objects' names go into the table together, once they are all known.
        byName_.addAllFirst(static_cast<std::uint32_t>(idx_.entries.size()));
        scanDefinitions();
    }
    if (!idx_.hasInitSection)
        idx_.merkePosGameInit = static_cast<std::int64_t>(idx_.entries.size()) + 1;
    idx_.entries.shrink();
    return std::move(idx_);
}

std::string_view IndexBuilder::nameAt(std::size_t p, std::uint32_t n) const {
    n = effectiveNameLength(n);
    return f_.text(p + chunk::HeaderSize, n >= 7 ? n - 7 : 0);
}

std::size_t IndexBuilder::addEntry(std::string_view name, IndexRecord& rec) {
    rec.name.assign(name);
    const std::size_t e = idx_.entries.size();
    idx_.entries.push_back(rec);
    names_.push_back(name);
    byName_.addFirst(name, static_cast<std::uint32_t>(e));
    return e;
}

void IndexBuilder::startObject(std::size_t pos) {
    // Member by member: assigning a whole new draft builds it aside first.
    object_.slot = entry_store::Slot{};
    object_.body = entry_store::Body{};
    object_.model.reset();
    object_.hasBrightness = false;
    object_.hasColour = false;
    tentative_ = true;
    object_.slot.recordPos = static_cast<std::uint32_t>(pos);
}

// Lists the draft as EntryTable::push_back lists the IndexRecord it stands
// for: light values equal to the name-only defaults are held as that flag, and
// the body is kept when the record gave any of its fields.
void IndexBuilder::listOpenObject(std::string_view name) {
    ObjectDraft& o = object_;
    entry_store::Body& b = o.body;
    using entry_store::Body;
    const auto half = StoredFloat::fromValue(0.5f);
    if (o.hasBrightness && o.hasColour && b.brightness == StoredFloat::fromValue(2.0f) &&
        b.colour == std::array<StoredFloat, 3>{half, half, half}) {
        o.slot.flags |= entry_store::Slot::DefaultLight;
        b.brightness = {};
        b.colour = {};
    } else {
        b.has |= static_cast<std::uint8_t>((o.hasBrightness ? Body::HasBrightness : 0) |
                                           (o.hasColour ? Body::HasColour : 0));
    }
    const bool hasBody = b.translationPos || o.model || (b.has & Body::HasLightKind) ||
                         b.brightnessPos || b.colourPos;
    idx_.entries.appendObject(name, o.slot, hasBody ? &b : nullptr, o.model);
    names_.push_back(name);
    tentative_ = false;
    open_.reset();
}

void IndexBuilder::dropOpenObject() {
    tentative_ = false;
    open_.reset();
}

bool IndexBuilder::findObjectsSection() {
    const auto* data = f_.data();
    for (std::size_t s = 4; s + 2 <= f_.size(); ++s) {
        const void* hit = std::memchr(data + s, 0x00, f_.size() - 1 - s);
        if (!hit)
            return false;
        s = static_cast<std::size_t>(static_cast<const std::uint8_t*>(hit) - data);
        if (data[s + 1] == 0x40) {
            objectsStart_ = s;
            idx_.modelLenPos = static_cast<std::uint32_t>(s + 2);
            objectsEnd_ = s + static_cast<std::uint64_t>(f_.u32(s + 2).value_or(0));
            return true;
        }
    }
    return false;
}

// Walks the objects section byte by byte, opening a record at each 10 40 and
// listing it at its name chunk; from a name the walk jumps to the record end.
void IndexBuilder::walkObjects() {
    const auto* data = f_.data();
    const std::uint64_t limit = std::min<std::uint64_t>(objectsEnd_ + 3, f_.size() - 1);
    std::size_t p = objectsStart_ + 1;
    while (p < limit) {
        p = findByte(data, p, static_cast<std::size_t>(limit), 0x10);
        if (p >= limit)
            break;
        progress_.at(p);
        const std::uint16_t id = f_.u16At(p);
        const auto len =
            (id == chunk::ObjectRecord || id == chunk::Name) ? chunkLength(p) : std::nullopt;
        if (id == chunk::ObjectRecord && len) {
            open_ = OpenRecord{p, p + static_cast<std::uint64_t>(*len)};
            startObject(p);
            p += chunk::HeaderSize;
            if (f_.u16(p) == chunk::ObjectType) {
                if (f_.u8(p + 6) == kind::Light)
                    object_.slot.kind = kind::Light;
            } else {
                // Brightness 2.0 and colour 0.5, 0.5, 0.5: the light defaults.
                object_.slot.flags = static_cast<std::uint8_t>(entry_store::Slot::NameOnly |
                                                               entry_store::Slot::DefaultLight);
            }
        } else if (id == chunk::Name && len && open_) {
            p = readObjectName(p, *len);
        } else {
            ++p;
        }
    }
}

// Lists the open record under the name chunk at p and returns where the walk goes on.
std::size_t IndexBuilder::readObjectName(std::size_t p, std::uint32_t n) {
    const OpenRecord o = *open_;
    const std::string_view name = nameAt(p, n);
    const std::size_t next = o.end > p ? static_cast<std::size_t>(o.end) : p + 1;
    object_.slot.namePos = static_cast<std::uint32_t>(p);
    if (object_.slot.flags & entry_store::Slot::NameOnly) {
        listOpenObject(name);
        return next;
    }
    // A long name makes this test look inside the name, so such an object is not listed.
    const std::size_t afterName = p + effectiveNameLength(n);
    if (!f_.matches(afterName, kTranslationHead)) {
        dropOpenObject();
        return next;
    }
    const std::size_t tp = afterName + chunk::HeaderSize;
    if (f_.has(tp, placement::End)) {
        entry_store::Body& b = object_.body;
        b.translationPos = static_cast<std::uint32_t>(tp);
        b.translation = *floatsAt<3>(tp);
        b.rotation = *floatsAt<4>(tp + placement::Rotation);
        b.size = *floatsAt<3>(tp + placement::Size);
        b.has |= entry_store::Body::HasTranslation | entry_store::Body::HasRotation |
                 entry_store::Body::HasSize;
        idx_.lastRotation = b.rotation;
        if (o.end > tp + placement::End)
            readObjectTail(tp + placement::End, o.end);
    }
    listOpenObject(name);
    return next;
}

// Reads the model name and the light block from the record's remaining children.
void IndexBuilder::readObjectTail(std::size_t q, std::uint64_t end) {
    ObjectDraft& o = object_;
    entry_store::Body& b = o.body;
    const std::size_t e = static_cast<std::size_t>(std::min<std::uint64_t>(end, f_.size()));
    // The first model chunk, walking the children by their lengths; it names
    // the model only when the record's remaining bytes say ".i3d" somewhere,
    // which they do when the name itself does.
    for (std::size_t c = q; c + 2 <= e;) {
        const auto len = chunkLength(c);
        if (!len)
            break;
        if (f_.u16At(c) == chunk::Model) {
            const auto model = f_.text(c + chunk::HeaderSize, *len >= 7 ? *len - 7 : 0);
            const bool inside = c + chunk::HeaderSize + model.size() <= e;
            // Model names mostly end with it.
            if ((inside && (endsWithNoCase(model, ".i3d") || containsNoCase(model, ".i3d"))) ||
                containsNoCase(f_.text(q, e - q), ".i3d"))
                o.model = model;
            break;
        }
        c += *len;
    }
    for (std::size_t c = q; c + 2 <= e;) {
        switch (f_.u16At(c)) {
        case chunk::LightColour:
            if (auto v = floatsAt<3>(c + 6)) {
                b.colourPos = static_cast<std::uint32_t>(c + 6);
                b.colour = *v;
                o.hasColour = true;
            }
            c += 18;
            break;
        case chunk::LightBrightness:
            if (auto v = floatAt(c + 6)) {
                b.brightnessPos = static_cast<std::uint32_t>(c + 6);
                b.brightness = *v;
                o.hasBrightness = true;
            }
            c += 10;
            break;
        case chunk::LightKind:
            if (auto v = f_.u32(c + 6)) {
                b.lightKind = *v;
                b.has |= entry_store::Body::HasLightKind;
            }
            c += 10;
            break;
        case chunk::LightBlock:
            c += chunk::HeaderSize;
            break;
        default:
            if (auto len = chunkLength(c))
                c += *len;
            else
                c = e;
        }
    }
}

} // namespace index_detail

SceneIndex buildSceneIndex(ByteView file, const IndexProgress& progress) {
    return index_detail::IndexBuilder(file, progress).run();
}
