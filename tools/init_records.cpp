#include <algorithm>
#include <limits>
#include <stdexcept>

#include "scene_plan.h"

// Init-script records (0xAE51), laid out so that both name rules find the
// name:
//   offset 6..10   five bytes below 29
//   offset 11      the name, then one trailing byte >= 32 that both programs drop
//   then           0, then zero bytes, then the text (first byte >= 32) to the end.
// The editor takes the run from the first byte >= 32 at offset 8 or later up to
// the 0; the analyser reads from offset 11 up to the first byte below 29.
// The text starts at offset 30 or later: the analyser takes the text of a
// "Game..." record from the first byte above 19 past the name's offset + 14.
namespace scenegen {
namespace {

constexpr std::uint8_t Prefix[5] = {0x02, 0x00, 0x00, 0x00, 0x00};
constexpr std::size_t NameOffset = 11;
constexpr char TrailingByte = '~';
constexpr std::size_t MinGap = 4;
constexpr std::size_t MinTextOffset = 30;

struct Layout {
    std::size_t gap = 0; // zero bytes after the name's 0 byte
    std::size_t stretch = 0;
    std::uint32_t recordLength = 0;
};

Layout layoutFor(const InitPlan& init, std::size_t stretch) {
    Layout l;
    const std::size_t afterName = NameOffset + init.name.size() + 2;
    l.gap = std::max(MinGap, MinTextOffset > afterName ? MinTextOffset - afterName : 0);
    l.stretch = stretch;
    const std::size_t length = afterName + l.gap + init.script.length(stretch);
    if (length > std::numeric_limits<std::uint32_t>::max())
        throw std::length_error("init script longer than a u32 length can hold");
    l.recordLength = static_cast<std::uint32_t>(length);
    return l;
}

Layout settle(const InitPlan& init, std::size_t fromStretch) {
    for (std::size_t stretch = fromStretch;; ++stretch) {
        Layout l = layoutFor(init, stretch);
        if (lengthClean(l.recordLength))
            return l;
    }
}

struct InitsLayout {
    std::vector<Layout> layouts;
    std::size_t sectionLength = 0;
};

InitsLayout layoutInits(const std::vector<InitPlan>& inits) {
    InitsLayout d;
    d.sectionLength = SceneWriter::HeaderSize;
    for (const auto& init : inits) {
        d.layouts.push_back(settle(init, 0));
        d.sectionLength += d.layouts.back().recordLength;
    }
    while (!inits.empty() && !lengthClean(static_cast<std::uint32_t>(d.sectionLength))) {
        d.sectionLength -= d.layouts.back().recordLength;
        d.layouts.back() = settle(inits.back(), d.layouts.back().stretch + 1);
        d.sectionLength += d.layouts.back().recordLength;
    }
    return d;
}

} // namespace

std::size_t initScriptsSectionSize(const std::vector<InitPlan>& inits) {
    return layoutInits(inits).sectionLength;
}

void writeInitScriptsSection(SceneWriter& w, const std::vector<InitPlan>& inits,
                             std::vector<GeneratedInitScript>& written) {
    const std::vector<Layout> layouts = layoutInits(inits).layouts;
    w.beginChunk(id::InitScripts);
    for (std::size_t i = 0; i < inits.size(); ++i) {
        GeneratedInitScript out;
        out.name = inits[i].name;
        out.recordOffset = w.beginChunk(id::InitScriptRecord);
        w.raw(Prefix);
        w.raw(inits[i].name);
        w.u8(static_cast<std::uint8_t>(TrailingByte));
        w.u8(0);
        w.fill(layouts[i].gap, 0);
        out.textOffset = w.position();
        const std::string text = inits[i].script.render(layouts[i].stretch);
        out.textLength = text.size();
        w.raw(text);
        out.recordLength = w.endChunk();
        if (out.recordLength != layouts[i].recordLength)
            throw std::logic_error("init-script record differs from its planned layout");
        written.push_back(std::move(out));
    }
    w.endChunk();
}

} // namespace scenegen
