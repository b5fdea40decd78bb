#include "script_listing.h"

#include <algorithm>
#include <limits>

#include "script_text.h"

namespace {

constexpr std::string_view LineEnd = "\r\n";
constexpr std::string_view NameMark = " -- ";

std::int64_t signedLength(std::size_t nameLength) {
    return static_cast<std::int64_t>(
        std::min<std::size_t>(nameLength, std::numeric_limits<std::int32_t>::max()));
}

} // namespace

std::int64_t initScriptStarCount(std::size_t nameLength) {
    return (48 - (signedLength(nameLength) + 4)) / 2;
}

std::int64_t objectScriptStarCount(std::size_t nameLength) {
    return (46 - (signedLength(nameLength) + 4)) / 2 - 2;
}

std::string buildScriptListing(ByteView file, const SceneIndex& index) {
    std::string listing;
    std::string stars;
    for (std::size_t entry = 0; entry < index.entries.size(); ++entry) {
        const IndexRecord& record = index.entries[entry];
        if (!record.ticked)
            continue;
        if (isInitScriptEntry(index, entry)) {
            const std::int64_t count = initScriptStarCount(record.name.size());
            stars.assign(static_cast<std::size_t>(std::max<std::int64_t>(count, 0)), '*');
        } else if (const std::int64_t count = objectScriptStarCount(record.name.size());
                   count >= 0) {
            stars.assign(static_cast<std::size_t>(count), '*');
        }
        listing += LineEnd;
        listing += LineEnd;
        listing += stars;
        listing += NameMark;
        listing += record.name;
        listing += NameMark;
        listing += stars;
        listing += LineEnd;
        // An entry whose script cannot be located (an init script with no text
        // after its name, or a length that runs past the end of the file) is
        // listed with its header and no text, rather than with bytes read from
        // a stale or foreign position.
        if (const auto span = locateScript(file, index, entry))
            listing += file.text(span->textPos, span->textLength);
    }
    return listing;
}
