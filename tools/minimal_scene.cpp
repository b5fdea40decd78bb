#include "minimal_scene.h"

#include <array>
#include <string>

namespace {
using Bytes = std::vector<std::uint8_t>;

void putU32(Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}

void append(Bytes& b, std::initializer_list<std::uint8_t> bytes) {
    for (const std::uint8_t c : bytes)
        b.push_back(c);
}

// One record of each pattern; a record's bytes may be read again as part of
// the next one's name.
void record(Bytes& b, MinimalRecords kind, std::size_t i) {
    const auto letter = static_cast<std::uint8_t>('A' + i % 26);
    switch (kind) {
    case MinimalRecords::NameOnly:
        append(b, {0x10, 0x40, 14, 0, 0, 0, 0x10, 0x00, 8, 0, 0, 0, letter, 0});
        break;
    case MinimalRecords::Overlapping:
        // The name chunk's length is the next record's id and length: 0x00064010,
        // read as a long name.
        append(b, {0x10, 0x40, 6, 0, 0, 0, 0x10, 0x00});
        break;
    case MinimalRecords::LongNames:
        append(b, {0x10, 0x40, 6, 0, 0, 0, 0x10, 0x00, 50, 0, 0, 0});
        break;
    case MinimalRecords::InitScripts:
        append(b, {0x51, 0xAE, 6, 0, 0, 0});
        break;
    case MinimalRecords::InitWithText:
        append(b, {0x51, 0xAE, 11, 0, 0, 0, 0, 0, letter, 0, 'x'});
        break;
    }
}

std::size_t recordSize(MinimalRecords kind) {
    switch (kind) {
    case MinimalRecords::NameOnly:
        return 14;
    case MinimalRecords::Overlapping:
        return 8;
    case MinimalRecords::LongNames:
        return 12;
    case MinimalRecords::InitScripts:
        return 6;
    case MinimalRecords::InitWithText:
        return 11;
    }
    return 1;
}
} // namespace

std::optional<MinimalRecords> minimalRecordsNamed(std::string_view name) {
    static constexpr std::array<std::pair<std::string_view, MinimalRecords>, 5> kNames{{
        {"name-only", MinimalRecords::NameOnly},
        {"overlapping", MinimalRecords::Overlapping},
        {"long-names", MinimalRecords::LongNames},
        {"init-scripts", MinimalRecords::InitScripts},
        {"init-with-text", MinimalRecords::InitWithText},
    }};
    for (const auto& [n, k] : kNames)
        if (n == name)
            return k;
    return std::nullopt;
}

// Header { objects section { object records } } followed by init-script
// records, which the index finds anywhere after the objects section.
MinimalScene minimalRecordScene(MinimalRecords kind, std::size_t targetSize) {
    const bool objects = kind == MinimalRecords::NameOnly || kind == MinimalRecords::Overlapping ||
                         kind == MinimalRecords::LongNames;
    const std::size_t count = std::max<std::size_t>(1, targetSize / recordSize(kind));
    MinimalScene out;
    Bytes& b = out.bytes;
    b.reserve(count * recordSize(kind) + 64);
    append(b, {0x53, 0x4C, 0, 0, 0, 0, 0x00, 0x40, 0, 0, 0, 0});
    for (std::size_t i = 0; objects && i < count; ++i)
        record(b, kind, i);
    // The last name reads past its record: let it end inside the objects section.
    if (objects)
        b.insert(b.end(), 48, 0x20);
    putU32(b, 8, static_cast<std::uint32_t>(b.size() - 6));
    for (std::size_t i = 0; !objects && i < count; ++i)
        record(b, kind, i);
    putU32(b, 2, static_cast<std::uint32_t>(b.size()));
    out.entries = count;
    return out;
}
