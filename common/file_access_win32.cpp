#ifdef _WIN32
// The Windows branch of file access. Paths arrive as UTF-8, become wide
// paths through pathFromUtf8 and are opened with the wide Win32 calls, so
// names outside the ANSI code page work too.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <optional>
#include <thread>

#include "file_names.h"

namespace fs = std::filesystem;

namespace qsfile {
namespace {

FileResult systemFailure(DWORD code) {
    char* text = nullptr;
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, code, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
    std::string what = n && text ? std::string(text, n) : "Windows error " + std::to_string(code);
    LocalFree(text);
    while (!what.empty() && (what.back() == '\n' || what.back() == '\r' || what.back() == '.'))
        what.pop_back();
    return failure(what);
}

std::string utf8Name(const fs::path& p) {
    return pathToUtf8(p.filename());
}

FileResult lastFailure() {
    return systemFailure(GetLastError());
}

class Handle {
public:
    Handle() = default;
    explicit Handle(HANDLE h) : h_(h) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() { reset(); }
    void reset(HANDLE h = INVALID_HANDLE_VALUE) {
        if (h_ != INVALID_HANDLE_VALUE)
            CloseHandle(h_);
        h_ = h;
    }
    HANDLE get() const { return h_; }
    explicit operator bool() const { return h_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE h_ = INVALID_HANDLE_VALUE;
};

// Opens a plain file on disk: folders, devices (CON, NUL, COM1 ...), pipes and,
// with `noFollow`, reparse points (links) are refused.
FileResult openRegular(const fs::path& p, DWORD access, DWORD share, bool noFollow, Handle& h,
                       std::uint64_t& size) {
    const DWORD attrs = GetFileAttributesW(p.c_str());
    if (attrs == INVALID_FILE_ATTRIBUTES)
        return lastFailure();
    if (attrs & FILE_ATTRIBUTE_DIRECTORY)
        return failure("Is a directory");
    if (noFollow && (attrs & FILE_ATTRIBUTE_REPARSE_POINT))
        return failure("Is a symbolic link, which is not followed here");
    // Windows refuses to write a read-only file, but not every system that
    // runs this branch does (Wine as root writes it and drops the attribute):
    // the attribute is honoured here.
    if ((access & GENERIC_WRITE) && (attrs & FILE_ATTRIBUTE_READONLY))
        return failure("Access is denied: the file is read-only");
    DWORD flags = FILE_ATTRIBUTE_NORMAL;
    if (noFollow)
        flags |= FILE_FLAG_OPEN_REPARSE_POINT;
    h.reset(CreateFileW(p.c_str(), access, share, nullptr, OPEN_EXISTING, flags, nullptr));
    if (!h)
        return lastFailure();
    if (GetFileType(h.get()) != FILE_TYPE_DISK)
        return failure("Is a device or pipe, not a regular file");
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(h.get(), &info))
        return lastFailure();
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        return failure("Is a directory");
    size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    return {};
}

FileResult readAt(HANDLE h, std::uint64_t pos, std::uint8_t* out, std::size_t n) {
    std::size_t done = 0;
    while (done < n) {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(pos + done);
        at.OffsetHigh = static_cast<DWORD>((pos + done) >> 32);
        DWORD got = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(n - done, 1u << 30));
        if (!ReadFile(h, out + done, want, &got, &at))
            return lastFailure();
        if (got == 0)
            return failure("The file changed while it was read");
        done += got;
    }
    return {};
}

FileResult writeAt(HANDLE h, std::uint64_t pos, const std::uint8_t* data, std::size_t n) {
    std::size_t done = 0;
    while (done < n) {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(pos + done);
        at.OffsetHigh = static_cast<DWORD>((pos + done) >> 32);
        DWORD put = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(n - done, 1u << 30));
        if (!WriteFile(h, data + done, want, &put, &at) || put == 0)
            return lastFailure();
        done += put;
    }
    return {};
}

FileResult readSpan(const fs::path& p, bool noFollow, std::uint64_t pos,
                    std::optional<std::uint64_t> length, std::vector<std::uint8_t>& out) {
    Handle h;
    std::uint64_t size = 0;
    if (auto r =
            openRegular(p, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, noFollow, h, size);
        !r)
        return r;
    if (!length)
        length = pos <= size ? size - pos : 0;
    if (pos > size || *length > size - pos)
        return failure("The file is shorter than expected");
    std::vector<std::uint8_t> data(static_cast<std::size_t>(*length));
    if (auto r = readAt(h.get(), pos, data.data(), data.size()); !r)
        return r;
    out = std::move(data);
    return {};
}

FileResult holdsExactly(HANDLE h, std::uint64_t size, ByteSpan expected) {
    if (size != expected.size())
        return changedOnDisk();
    std::vector<std::uint8_t> block(std::min(expected.size(), kCompareBlock));
    for (std::size_t at = 0; at < expected.size(); at += block.size()) {
        const std::size_t n = std::min(block.size(), expected.size() - at);
        if (auto r = readAt(h, at, block.data(), n); !r)
            return changedOnDisk();
        if (std::memcmp(block.data(), expected.data() + at, n) != 0)
            return changedOnDisk();
    }
    return {};
}

// The save lock: a lock file beside the saved file, held open without
// sharing, so a second save waits until the first has finished. A lock file
// this save creates (CREATE_NEW) is deleted when its handle closes. An empty
// plain file already under that name (a killed save leaves one) is used and
// left in place; anything else there (a file with content, a folder, a link or
// other reparse point, a device) belongs to someone else and the save is
// refused, so a save never deletes or writes a file it did not make.
class SaveLock {
public:
    FileResult acquire(const fs::path& dir, const std::string& tag) {
        return acquireAt(dir / pathFromUtf8(lockName(tag)));
    }

    // Takes the lock whose lock file is `p`.
    FileResult acquireAt(const fs::path& p) {
        const std::string shown = pathToUtf8(p);
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(kLockWaitMilliseconds);
        for (;;) {
            h_.reset(CreateFileW(p.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
            if (h_)
                return {};
            DWORD e = GetLastError();
            // A name taken by a folder can give "access denied" rather than
            // "exists"; both are looked at.
            if (e == ERROR_FILE_EXISTS || e == ERROR_ACCESS_DENIED) {
                const DWORD attrs = GetFileAttributesW(p.c_str());
                if (attrs == INVALID_FILE_ATTRIBUTES) {
                    const DWORD looked = GetLastError();
                    if (looked != ERROR_FILE_NOT_FOUND && looked != ERROR_ACCESS_DENIED)
                        return systemFailure(looked);
                } else if (attrs & FILE_ATTRIBUTE_REPARSE_POINT) {
                    return refuse(shown, "a symbolic link or other reparse point");
                } else if (attrs & FILE_ATTRIBUTE_DIRECTORY) {
                    return refuse(shown, "a folder");
                } else {
                    // Never through a link, never deleted on close: it is
                    // not this save's file.
                    h_.reset(CreateFileW(p.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT,
                                         nullptr));
                    if (h_)
                        return checkExisting(shown);
                    e = GetLastError();
                }
            }
            // Held by another save, being deleted by one, or removed since
            // the look: wait and look again.
            if (e != ERROR_SHARING_VIOLATION && e != ERROR_ACCESS_DENIED &&
                e != ERROR_FILE_NOT_FOUND && e != ERROR_FILE_EXISTS)
                return systemFailure(e);
            if (std::chrono::steady_clock::now() > deadline)
                return failure("Another save of this file is still running (" + shown + ")");
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

private:
    // What was opened, not what was looked at, must be an empty plain file:
    // the name may have been given to another file in between.
    FileResult checkExisting(const std::string& shown) {
        BY_HANDLE_FILE_INFORMATION info{};
        std::string what;
        if (GetFileType(h_.get()) != FILE_TYPE_DISK)
            what = "a device or pipe";
        else if (!GetFileInformationByHandle(h_.get(), &info))
            return lastFailure();
        else if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
            what = "a symbolic link or other reparse point";
        else if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            what = "a folder";
        else if (info.nFileSizeHigh != 0 || info.nFileSizeLow != 0)
            what = "a file of " +
                   std::to_string((static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) |
                                  info.nFileSizeLow) +
                   " bytes";
        if (what.empty())
            return {};
        h_.reset();
        return refuse(shown, what);
    }

    static FileResult refuse(const std::string& shown, const std::string& what) {
        return failure("The save lock " + shown + " is " + what +
                       ", not an empty lock file; it is left as it is and nothing is saved. "
                       "Move it away to save this file");
    }

    Handle h_;
};

FileResult resolveTarget(const std::string& path, fs::path& target) {
    std::error_code ec;
    target = fs::canonical(pathFromUtf8(path), ec);
    if (ec)
        return failure(ec.message());
    return {};
}

// The file as it is now: a plain file this user may write.
FileResult checkWritable(const fs::path& target, DWORD& attrs) {
    Handle h;
    std::uint64_t size = 0;
    if (auto r =
            openRegular(target, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, false, h, size);
        !r)
        return r;
    attrs = GetFileAttributesW(target.c_str());
    return {};
}

FileResult writeTemporary(const fs::path& dir, const std::string& tag, ByteSpan bytes,
                          fs::path& temp) {
    Handle h;
    for (int attempt = 0; attempt < 100 && !h; ++attempt) {
        temp = dir / pathFromUtf8(temporaryName(tag));
        h.reset(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!h && GetLastError() != ERROR_FILE_EXISTS)
            return lastFailure();
    }
    if (!h)
        return failure("No temporary file could be created beside the file");
    FileResult r = writeAt(h.get(), 0, bytes.data(), bytes.size());
    if (r && !FlushFileBuffers(h.get()))
        r = lastFailure();
    h.reset();
    if (!r)
        DeleteFileW(temp.c_str());
    return r;
}
} // namespace

} // namespace qsfile

struct SaveLocks::Held {
    qsfile::SaveLock lock;
};

void SaveLocks::LetGo::operator()(Held* held) const {
    delete held;
}

namespace qsfile {
FileResult saveReplace(const std::string& path, const ByteSpan* expected, ByteSpan replacement,
                       const SaveLocks* held) {
    fs::path target;
    if (auto r = resolveTarget(path, target); !r)
        return r;
    const fs::path dir = target.parent_path();
    const std::string tag = nameTag(utf8Name(target));
    SaveLock lock;
    if (held) {
        const std::string lockPath = pathToUtf8(dir / pathFromUtf8(lockName(tag)));
        if (!held->holdsLockFile(lockPath))
            return lockNotHeld(lockPath);
    } else if (auto r = lock.acquire(dir, tag); !r) {
        return r;
    }
    DWORD attrs = 0;
    if (auto r = checkWritable(target, attrs); !r)
        return r;
    fs::path temp;
    if (auto r = writeTemporary(dir, tag, replacement, temp); !r)
        return r;
    auto discard = [&](FileResult r) {
        DeleteFileW(temp.c_str());
        return r;
    };
    SetFileAttributesW(temp.c_str(), attrs & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE |
                                              FILE_ATTRIBUTE_NOT_CONTENT_INDEXED));
    if (expected) {
        Handle now;
        std::uint64_t size = 0;
        if (auto r = openRegular(target, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, false,
                                 now, size);
            !r)
            return discard(r);
        if (auto r = holdsExactly(now.get(), size, *expected); !r)
            return discard(r);
    }
    if (!MoveFileExW(temp.c_str(), target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return discard(lastFailure());
    return {};
}

FileResult saveInPlace(const std::string& path, const ByteSpan* expected,
                       const std::vector<InPlaceWrite>& writes) {
    fs::path target;
    if (auto r = resolveTarget(path, target); !r)
        return r;
    SaveLock lock;
    if (auto r = lock.acquire(target.parent_path(), nameTag(utf8Name(target))); !r)
        return r;
    Handle h;
    std::uint64_t size = 0;
    if (auto r = openRegular(target, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, false, h, size);
        !r)
        return r;
    for (const auto& w : writes) {
        if (w.pos > size || w.bytes.size() > size - w.pos)
            return failure("A write would reach past the end of the file");
    }
    if (expected) {
        if (auto r = holdsExactly(h.get(), size, *expected); !r)
            return r;
    }
    for (std::size_t i = 0; i < writes.size(); ++i) {
        auto r = writeAt(h.get(), writes[i].pos, writes[i].bytes.data(), writes[i].bytes.size());
        if (r)
            continue;
        if (!expected)
            return r;
        return putBackBlocks(r, *expected, writes, i,
                             [&](std::uint64_t pos, const std::uint8_t* bytes, std::size_t size) {
                                 return bool(writeAt(h.get(), pos, bytes, size));
                             });
    }
    if (!FlushFileBuffers(h.get())) {
        FileResult unconfirmed = lastFailure();
        unconfirmed.unconfirmed = true;
        return unconfirmed;
    }
    return {};
}
FileResult takeSaveLock(const std::string& lockPath, SaveLocks::HeldLock& out) {
    SaveLocks::HeldLock held(new SaveLocks::Held);
    if (auto r = held->lock.acquireAt(pathFromUtf8(lockPath)); !r)
        return r;
    out = std::move(held);
    return {};
}
} // namespace qsfile

using namespace qsfile;

FileResult readWholeFile(const std::string& path, std::vector<std::uint8_t>& out) {
    return readSpan(pathFromUtf8(path), false, 0, std::nullopt, out);
}

FileResult MappedFile::open(const std::string& path) {
    std::vector<std::uint8_t> read;
    if (auto r = readWholeFile(path, read); !r)
        return r;
    take(read);
    return {};
}

FileResult readFileRange(const std::string& path, std::uint64_t pos, std::uint64_t length,
                         std::vector<std::uint8_t>& out) {
    return readSpan(pathFromUtf8(path), false, pos, length, out);
}

FileResult probeReadWrite(const std::string& path) {
    Handle h;
    std::uint64_t size = 0;
    // No sharing for writers: a program that has the file open for writing
    // makes it "used by another".
    return openRegular(pathFromUtf8(path), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, false, h,
                       size);
}

FileResult readFileInFolder(const std::string& dir, const std::string& name,
                            std::vector<std::uint8_t>& out) {
    if (!isSingleName(name))
        return failure("Is not a plain file name");
    return readSpan(pathFromUtf8(dir) / pathFromUtf8(name), true, 0, std::nullopt, out);
}

FileResult checkWritableNameInFolder(const std::string& dir, const std::string& name) {
    if (!isSingleName(name))
        return failure("Is not a plain file name");
    const fs::path p = pathFromUtf8(dir) / pathFromUtf8(name);
    const DWORD attrs = GetFileAttributesW(p.c_str());
    if (attrs == INVALID_FILE_ATTRIBUTES) {
        const DWORD e = GetLastError();
        return e == ERROR_FILE_NOT_FOUND ? FileResult{} : systemFailure(e);
    }
    if (attrs & FILE_ATTRIBUTE_REPARSE_POINT)
        return failure("Is a symbolic link, which is not followed here");
    if (attrs & FILE_ATTRIBUTE_DIRECTORY)
        return failure("Is a directory");
    return {};
}

FileResult writeFileInFolder(const std::string& dir, const std::string& name, ByteSpan bytes) {
    if (auto r = checkWritableNameInFolder(dir, name); !r)
        return r;
    fs::path temp;
    if (auto r = writeTemporary(pathFromUtf8(dir), nameTag(name), bytes, temp); !r)
        return r;
    if (auto r = checkWritableNameInFolder(dir, name); !r) {
        DeleteFileW(temp.c_str());
        return r;
    }
    if (!MoveFileExW(temp.c_str(), (pathFromUtf8(dir) / pathFromUtf8(name)).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        FileResult r = lastFailure();
        DeleteFileW(temp.c_str());
        return r;
    }
    return {};
}

// Windows files carry no POSIX owner or mode: a new file gets the folder's
// inherited permissions, as the original did.
FileResult checkCopyKeepsOwner(const std::string&, bool) {
    return {};
}

FileResult writeCopyInFolder(const std::string& dir, const std::string& name, ByteSpan bytes,
                             const std::string&) {
    return writeFileInFolder(dir, name, bytes);
}

FileResult replaceFileInFolder(const std::string& dir, const std::string& name, ByteSpan bytes) {
    return writeFileInFolder(dir, name, bytes);
}
#endif
