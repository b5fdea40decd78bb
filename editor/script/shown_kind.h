#pragma once
#include <cstdint>

#include "scene_index.h"

// The entry named "Zuvav" has a value panel of its own: no kind frame, none
// of the kind values saved, and a deletion treats it as a plain object. The
// kind lives only here, in the window; the index keeps what the file holds.
inline constexpr std::uint8_t ZuvavKind = 55;

// The kind that decides the value panel, the value save and the deletion.
inline std::uint8_t shownKind(const IndexRecord& record) {
    return record.name == "Zuvav" ? ZuvavKind : record.kind;
}
