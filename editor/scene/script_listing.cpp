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

namespace {

// Hands every piece of the listing, in order, to `append`.
template <class Append> void walkListing(ByteView file, const SceneIndex& index, Append&& append) {
    std::string stars;
    for (std::size_t entry = 0; entry < index.entries.size(); ++entry) {
        if (!index.entries.ticked(entry))
            continue;
        const std::string_view name = index.entries.name(entry);
        if (isInitScriptEntry(index, entry)) {
            const std::int64_t count = initScriptStarCount(name.size());
            stars.assign(static_cast<std::size_t>(std::max<std::int64_t>(count, 0)), '*');
        } else if (const std::int64_t count = objectScriptStarCount(name.size()); count >= 0) {
            stars.assign(static_cast<std::size_t>(count), '*');
        }
        for (const std::string_view piece : {LineEnd, LineEnd, std::string_view(stars), NameMark,
                                             name, NameMark, std::string_view(stars), LineEnd})
            append(piece);
        // An entry whose script cannot be located (an init script with no text
        // after its name, or a length that runs past the end of the file) is
        // listed with its header and no text, rather than with bytes read from
        // a stale or foreign position.
        if (const auto span = locateScript(file, index, entry))
            append(file.text(span->textPos, span->textLength));
    }
}

} // namespace

// Sized first, so a listing of many megabytes is held once, not in a buffer
// that grew by doubling.
std::string buildScriptListing(ByteView file, const SceneIndex& index) {
    std::size_t size = 0;
    walkListing(file, index, [&size](std::string_view piece) { size += piece.size(); });
    std::string listing;
    listing.reserve(size);
    walkListing(file, index, [&listing](std::string_view piece) { listing += piece; });
    return listing;
}
