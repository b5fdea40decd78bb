#pragma once
#include <cstdint>
#include <string>
#include <vector>

// The one way the programs touch files on disk. Every call opens, works and
// closes; nothing stays open between calls. Failures carry the operating
// system's description of the error.
struct FileResult {
    bool ok = true;
    std::string error; // the system's description when !ok
    explicit operator bool() const { return ok; }
};

struct InPlaceWrite {
    std::uint64_t pos = 0;
    std::vector<std::uint8_t> bytes;
};

// Reads the whole file into `out`.
FileResult readWholeFile(const std::string& path, std::vector<std::uint8_t>& out);

// Reads `length` bytes at `pos`; fails when the file is shorter.
FileResult readFileRange(const std::string& path, std::uint64_t pos, std::uint64_t length,
                         std::vector<std::uint8_t>& out);

// Opens the file for reading and writing and closes it again: fails when the
// file is missing, read-only or otherwise not writable by us.
FileResult probeReadWrite(const std::string& path);

// Writes each block at its position; the file length never changes. Every
// block must lie inside the file, or nothing is written.
FileResult writeInPlace(const std::string& path, const std::vector<InPlaceWrite>& writes);

// Replaces the file's content atomically: writes the temporary file
// "quilltemp.save" beside it, flushes it to disk, renames it over the file and
// flushes the folder. On any failure the file is untouched and the temporary
// file is gone.
FileResult replaceAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes);

// The temporary file used by replaceAtomically for `path`.
std::string temporaryPathFor(const std::string& path);

// A whole file mapped read-only into memory (read into a buffer where mapping
// is not available). For tools that only read; the mapping is private, so no
// change made through another handle is guaranteed to show.
class MappedFile {
public:
    MappedFile() = default;
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;
    ~MappedFile();

    FileResult open(const std::string& path);
    const std::uint8_t* data() const { return data_; }
    std::size_t size() const { return size_; }

private:
    const std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
    bool mapped_ = false;
    std::vector<std::uint8_t> fallback_;
};
