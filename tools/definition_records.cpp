#include <limits>
#include <stdexcept>

#include "scene_plan.h"

// Definition records (0xAE21): name chunk first (the analyser expects it
// there), then the type chunk, then the data chunk with the values and the
// optional script, which ends exactly where the data chunk ends.
//
// Length fields are chosen before anything is written: each record is
// stretched (script text on its first line, or padding bytes after the values
// when there is no script) until its lengths hold no 0xAE byte and its script
// length has a low byte of at least 2, as the analyser's tick test wants.
namespace scenegen {
namespace {

constexpr std::uint8_t PadByte = 0xFF;
constexpr std::size_t TypeChunkLength = 10;
constexpr std::size_t MarkerSize = sizeof(ScriptMarker);

struct Layout {
    std::size_t stretch = 0;
    std::uint32_t scriptLength = 0;
    std::uint32_t dataLength = 0;
    std::uint32_t recordLength = 0;
};

std::uint32_t checkedU32(std::size_t value) {
    if (value > std::numeric_limits<std::uint32_t>::max())
        throw std::length_error("definition longer than a u32 length can hold");
    return static_cast<std::uint32_t>(value);
}

Layout layoutFor(const ObjectPlan& plan, std::size_t stretch) {
    const GeneratedObject& out = plan.out;
    Layout l;
    l.stretch = stretch;
    std::size_t payload = plan.values.size();
    if (out.script == ScriptState::Present) {
        l.scriptLength = checkedU32(plan.script.length(stretch));
        payload += MarkerSize + 4 + l.scriptLength;
    } else {
        payload += stretch + (out.script == ScriptState::NoScriptMarker ? MarkerSize : 0);
    }
    l.dataLength = checkedU32(SceneWriter::HeaderSize + payload);
    l.recordLength = checkedU32(SceneWriter::HeaderSize +
                                (SceneWriter::HeaderSize + out.definitionName.size() + 1) +
                                TypeChunkLength + l.dataLength);
    return l;
}

bool acceptable(const Layout& l, bool scripted) {
    if (!lengthClean(l.dataLength) || !lengthClean(l.recordLength))
        return false;
    return !scripted || (lengthClean(l.scriptLength) && (l.scriptLength & 0xFF) >= 2);
}

Layout settle(const ObjectPlan& plan, std::size_t fromStretch) {
    const bool scripted = plan.out.script == ScriptState::Present;
    for (std::size_t stretch = fromStretch;; ++stretch) {
        Layout l = layoutFor(plan, stretch);
        if (acceptable(l, scripted))
            return l;
    }
}

struct DefinitionsLayout {
    std::vector<ObjectPlan*> order;
    std::vector<Layout> layouts;
    std::size_t sectionLength = 0;
};

void writeRecord(SceneWriter& w, ObjectPlan& plan, const Layout& layout) {
    GeneratedObject& out = plan.out;
    out.definitionOffset = w.beginChunk(id::DefinitionRecord);
    w.chunkString(id::DefinitionName, out.definitionName);
    w.chunkU32(id::DefinitionType, out.definitionType);
    out.dataChunkOffset = w.beginChunk(id::DefinitionData);
    w.raw(plan.values);
    if (out.script == ScriptState::Present) {
        w.raw(ScriptMarker);
        out.scriptOffset = w.position();
        out.scriptLength = layout.scriptLength;
        w.u32(layout.scriptLength);
        w.raw(plan.script.render(layout.stretch));
    } else {
        w.fill(layout.stretch, PadByte);
        if (out.script == ScriptState::NoScriptMarker)
            w.raw(NoScriptMarker);
    }
    out.dataChunkLength = w.endChunk();
    if (w.endChunk() != layout.recordLength || out.dataChunkLength != layout.dataLength)
        throw std::logic_error("definition record differs from its planned layout");
}

DefinitionsLayout layoutDefinitions(std::vector<ObjectPlan>& objects) {
    DefinitionsLayout d;
    // Records without a script first, then scripted vehicles with their large
    // blocks, so that the other scripted records lie near the end of the file,
    // where the analyser scans (its last fifth).
    const auto rank = [](const ObjectPlan& plan) {
        if (plan.out.script != ScriptState::Present)
            return 0;
        return plan.out.kind == ObjectKind::Vehicle ? 1 : 2;
    };
    for (int group = 0; group < 3; ++group) {
        for (auto& plan : objects) {
            if (plan.out.hasDefinition && rank(plan) == group)
                d.order.push_back(&plan);
        }
    }
    d.layouts.reserve(d.order.size());
    d.sectionLength = SceneWriter::HeaderSize;
    for (const ObjectPlan* plan : d.order) {
        d.layouts.push_back(settle(*plan, 0));
        d.sectionLength += d.layouts.back().recordLength;
    }
    // The editor's object walk reads two bytes of this section's length field.
    while (!d.order.empty() && !walkSafeLength(checkedU32(d.sectionLength))) {
        d.sectionLength -= d.layouts.back().recordLength;
        d.layouts.back() = settle(*d.order.back(), d.layouts.back().stretch + 1);
        d.sectionLength += d.layouts.back().recordLength;
    }
    return d;
}

} // namespace

std::size_t definitionsSectionSize(std::vector<ObjectPlan>& objects) {
    return layoutDefinitions(objects).sectionLength;
}

void writeDefinitionsSection(SceneWriter& w, std::vector<ObjectPlan>& objects) {
    const DefinitionsLayout d = layoutDefinitions(objects);
    w.beginChunk(id::Definitions);
    for (std::size_t i = 0; i < d.order.size(); ++i)
        writeRecord(w, *d.order[i], d.layouts[i]);
    w.endChunk();
}

} // namespace scenegen
