#pragma once
#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// Builds add-in files (".qxa"). `quill addin pack` and the tests use the same
// code, so the tests' add-ins are the ones authors make.

struct AddinPatchSource {
    std::vector<std::uint8_t> search;
    std::vector<std::uint8_t> replacement;
};

struct AddinFileSource {
    std::string name; // UTF-8
    std::vector<std::uint8_t> content;
};

struct AddinSource {
    std::string title;   // UTF-8, at most 20 Windows-1252 characters
    std::string mission; // likewise
    std::string key;     // likewise
    std::string text;    // the header's free text, at most 226 characters
    // tree.klz, cache.bin, scene.4ds; nothing: the file's flag is 0.
    std::array<std::optional<std::vector<AddinPatchSource>>, 3> patches;
    std::vector<std::uint8_t> objects;     // whole object records
    std::vector<std::uint8_t> definitions; // whole definition records
    // Models, sounds, maps, German tables, English tables.
    std::array<std::vector<AddinFileSource>, 5> files;
};

struct PackResult {
    std::vector<std::uint8_t> bytes;
    std::string error; // names the item the format cannot hold
    bool ok() const { return error.empty(); }
};

// Refuses, naming the item, what the format cannot hold: texts longer than 20
// characters (226 for the free text) or not in Windows-1252, searches outside 1
// to 17 bytes, replacements over 255 bytes, more than 255 patches for a file,
// unsafe file names, files of 4 GiB or more.
PackResult packAddin(const AddinSource& source);

// Reads `dir`/addin.json and the subfolders models, sounds, maps, tables_de
// and tables_en (files in name order) into a source.
struct FolderRead {
    std::optional<AddinSource> source;
    std::string error;
};
FolderRead readAddinFolder(const std::filesystem::path& dir);
