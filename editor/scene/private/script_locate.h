#pragma once
#include <cstdint>
#include <optional>

#include "byte_view.h"

// Looks for the script in the definition data chunk at `chunkPos` whose end is
// `chunkEnd`: the five bytes 01 00 00 00 00 followed by a u32 length and text
// whose first four bytes are printable (32 or more) or start with CR LF. Meeting
// 05 00 00 00 00 first means the object has no script. Returns the offset of
// the u32 script length.
std::optional<std::size_t> findObjectScript(ByteView f, std::size_t chunkPos,
                                            std::uint64_t chunkEnd);
