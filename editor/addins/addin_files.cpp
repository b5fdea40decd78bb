#include "addin_files.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#include <process.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

#include "addin_paths.h"

namespace fs = std::filesystem;

namespace {
FileResult failed(std::string why) {
    return FileResult{false, std::move(why)};
}

FileResult errnoFailed() {
    const int e = errno;
    return failed(e ? std::strerror(e) : "Input/output error");
}

struct FileCloser {
    void operator()(std::FILE* f) const {
        if (f)
            std::fclose(f);
    }
};

// Unique per process and call, so two writers never share a temporary file.
fs::path temporaryBeside(const fs::path& target) {
    static std::atomic<unsigned> counter{0};
#ifdef _WIN32
    const int pid = _getpid();
#else
    const int pid = static_cast<int>(::getpid());
#endif
    return target.parent_path() /
           pathFromUtf8("quilltemp.save." + std::to_string(pid) + "." + std::to_string(counter++));
}

std::FILE* openNew(const fs::path& p) {
#ifdef _WIN32
    return _wfopen(p.c_str(), L"wbx");
#else
    return std::fopen(p.c_str(), "wbx");
#endif
}

bool flushToDisk(std::FILE* f) {
    if (std::fflush(f) != 0)
        return false;
#ifdef _WIN32
    return _commit(_fileno(f)) == 0;
#else
    return ::fsync(fileno(f)) == 0;
#endif
}

// Gives the temporary file its final name, never replacing a file that
// appeared there meanwhile.
bool claimName(const fs::path& temp, const fs::path& target) {
#ifdef _WIN32
    return MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH) != 0;
#else
    if (::link(temp.c_str(), target.c_str()) == 0) {
        ::unlink(temp.c_str());
        return true;
    }
    if (errno == EEXIST)
        return false;
    // File systems without hard links: rename, after a last look.
    std::error_code ec;
    if (fs::exists(fs::symlink_status(target, ec))) {
        errno = EEXIST;
        return false;
    }
    return std::rename(temp.c_str(), target.c_str()) == 0;
#endif
}

void flushFolder([[maybe_unused]] const fs::path& dir) {
#ifndef _WIN32
    const int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#endif
}
} // namespace

FileResult createFileAtomically(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
    const fs::path temp = temporaryBeside(path);
    errno = 0;
    std::unique_ptr<std::FILE, FileCloser> f(openNew(temp));
    if (!f)
        return errnoFailed();
    auto discard = [&](FileResult r) {
        f.reset();
        std::error_code ignored;
        fs::remove(temp, ignored);
        return r;
    };
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), f.get()) != bytes.size())
        return discard(errnoFailed());
    if (!flushToDisk(f.get()))
        return discard(errnoFailed());
    if (std::fclose(f.release()) != 0)
        return discard(errnoFailed());
    if (!claimName(temp, path))
        return discard(errnoFailed());
    flushFolder(path.parent_path());
    return {};
}

FileResult writeFileAtomically(const fs::path& path, const std::vector<std::uint8_t>& bytes,
                               bool exists) {
    if (exists)
        return replaceAtomically(pathToUtf8(path), bytes);
    return createFileAtomically(path, bytes);
}

FileResult createDirectory(const fs::path& path) {
    std::error_code ec;
    if (fs::create_directory(path, ec))
        return {};
    if (ec)
        return failed(ec.message());
    return failed("Something that is not a directory is in the way.");
}
