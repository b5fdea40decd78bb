#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "byte_view.h"

// The add-in file (".qxa"), in this order:
//   header, 274 bytes: title (20 characters), mission name (20), then for
//     tree.klz, cache.bin and scene.4ds a flag byte (1: patch the file) and a
//     patch count byte; 2 unused bytes; 226 bytes of text;
//   patch blocks, 276 bytes each, tree.klz's, then cache.bin's, then
//     scene.4ds's: search length s (1 .. 17), replacement length r, 17 search
//     bytes (the first s used), 257 replacement bytes (the first r used);
//   scene2.bin data: key name (20 characters), u32 object byte count A, u32
//     definition byte count B, A bytes of object records, B bytes of
//     definition records;
//   five groups of embedded files (models, sounds, maps, German tables,
//     English tables): u32 count, then per file a name (20 characters), a u32
//     length and the content.
// Characters are Windows-1252 bytes; 20-character fields are padded with
// blanks. Numbers are little-endian.
namespace addin {
inline constexpr std::size_t HeaderSize = 274;
inline constexpr std::size_t PatchBlockSize = 276;
inline constexpr std::size_t TextFieldSize = 20;
inline constexpr std::size_t TitleOffset = 0;
inline constexpr std::size_t MissionOffset = 20;
inline constexpr std::size_t FlagsOffset = 40; // flag, count for each mission file
inline constexpr std::size_t SearchField = 17;
inline constexpr std::size_t ReplacementField = 257;
// The lengths and counts are single bytes.
inline constexpr std::size_t MaxReplacement = 255;
inline constexpr std::size_t MaxPatches = 255;
inline constexpr std::size_t HeaderTextOffset = 48;
} // namespace addin

// The mission files an add-in patches, in the order it patches them.
enum class MissionFile : std::uint8_t { Tree, Cache, FourDs };
inline constexpr std::array<MissionFile, 3> AllMissionFiles = {
    MissionFile::Tree, MissionFile::Cache, MissionFile::FourDs};
std::string_view missionFileName(MissionFile f); // "tree.klz", "cache.bin", "scene.4ds"

// The groups of embedded files, in file order.
enum class FileGroup : std::uint8_t { Models, Sounds, Maps, TablesGerman, TablesEnglish };
inline constexpr std::array<FileGroup, 5> AllFileGroups = {FileGroup::Models, FileGroup::Sounds,
                                                           FileGroup::Maps, FileGroup::TablesGerman,
                                                           FileGroup::TablesEnglish};
// The game's directory that receives the group: "models", "sounds", "maps",
// "tables" (both table groups).
std::string_view groupDirectory(FileGroup g);

struct AddinPatch {
    std::vector<std::uint8_t> search;
    std::vector<std::uint8_t> replacement;
};

struct AddinFilePatches {
    bool flag = false; // the header's flag byte is 1
    std::vector<AddinPatch> patches;
};

// An embedded file: its name and where its content lies in the add-in.
struct AddinEntry {
    std::string name; // Windows-1252, trailing blanks removed
    std::uint64_t offset = 0;
    std::uint64_t length = 0;
};

struct Addin {
    std::string title;   // Windows-1252, trailing blanks removed
    std::string mission; // Windows-1252, trailing blanks removed
    std::array<AddinFilePatches, 3> files;
    std::string key; // Windows-1252, trailing blanks removed
    std::uint64_t objectsOffset = 0;
    std::uint64_t objectsLength = 0;
    std::uint64_t definitionsOffset = 0;
    std::uint64_t definitionsLength = 0;
    std::array<std::vector<AddinEntry>, 5> groups;

    const AddinFilePatches& patches(MissionFile f) const {
        return files[static_cast<std::size_t>(f)];
    }
    const std::vector<AddinEntry>& entries(FileGroup g) const {
        return groups[static_cast<std::size_t>(g)];
    }
};

struct AddinRead {
    std::optional<Addin> addin;
    std::string error; // why the bytes are not a well-formed add-in
};

// The header alone: title, mission name and the flags (patch lists empty).
AddinRead readAddinHeader(ByteView bytes);

// Reads and checks the whole add-in: every count, length and offset lies
// within the bytes, the bytes end exactly after the last embedded file, every
// used search is 1 to 17 bytes, every embedded file name is safe
// (embeddedNameProblem), and object and definition bytes come with a key name.
// Never reads outside `bytes`; any byte string gives a result.
AddinRead readAddin(ByteView bytes);

// A 20-character field without its trailing blanks (and trailing 0 bytes,
// which some writers pad with).
std::string trimField(std::string_view field);

// Why `name` (Windows-1252) cannot be an embedded file name, or nothing when
// it can: it must be a plain file name that stays inside its directory on
// every system (no separators, drive letters, "..", control characters,
// characters or device names Windows refuses).
std::optional<std::string> embeddedNameProblem(std::string_view name);
