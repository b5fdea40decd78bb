#include "addin_files.h"

#include <system_error>

#include "addin_paths.h"

namespace fs = std::filesystem;

FileResult writeFileAtomically(const fs::path& path, ByteSpan bytes) {
    return writeFileInFolder(pathToUtf8(path.parent_path()), pathToUtf8(path.filename()), bytes);
}

FileResult writeBackupFile(const fs::path& path, const fs::path& original, ByteSpan bytes) {
    return writeCopyInFolder(pathToUtf8(path.parent_path()), pathToUtf8(path.filename()), bytes,
                             pathToUtf8(original));
}

FileResult overwriteFile(const fs::path& path, ByteSpan bytes) {
    return replaceFileInFolder(pathToUtf8(path.parent_path()), pathToUtf8(path.filename()), bytes);
}

FileResult checkWritableFile(const fs::path& path) {
    return checkWritableNameInFolder(pathToUtf8(path.parent_path()), pathToUtf8(path.filename()));
}

FileResult createDirectory(const fs::path& path) {
    std::error_code ec;
    if (fs::create_directory(path, ec))
        return {};
    if (ec)
        return FileResult{false, ec.message()};
    return FileResult{false, "Something that is not a directory is in the way."};
}
