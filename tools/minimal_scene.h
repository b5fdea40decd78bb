#pragma once
// Scenes made of the smallest records the index lists: what a crafted file
// can make the index hold for each of its bytes.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

enum class MinimalRecords {
    NameOnly,     // 14-byte object records of a type-less record and a 1-byte name
    Overlapping,  // 8-byte object records, each name chunk reaching into the next record
    LongNames,    // 12-byte object records whose 43-byte names cover the records after them
    InitScripts,  // 6-byte init-script records
    InitWithText, // 11-byte init-script records with a name byte and one byte of text
};

// The pattern named `name` ("name-only", "overlapping", "long-names",
// "init-scripts", "init-with-text"), or none.
std::optional<MinimalRecords> minimalRecordsNamed(std::string_view name);

// A scene of about `targetSize` bytes (at least one record) and how many
// entries its index lists.
struct MinimalScene {
    std::vector<std::uint8_t> bytes;
    std::size_t entries = 0;
};
MinimalScene minimalRecordScene(MinimalRecords kind, std::size_t targetSize);
