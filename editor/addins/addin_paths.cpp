#include "addin_paths.h"

#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {
// Decodes UTF-8 leniently (a stray byte stands for itself) and folds the
// letters of ASCII and Latin-1, and the few of Windows-1252 beyond it, to
// lower case.
std::u32string folded(std::string_view s) {
    std::u32string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        char32_t cp = c;
        std::size_t n = 1;
        if (c >= 0xC2 && c <= 0xDF && i + 1 < s.size()) {
            cp = (char32_t(c & 0x1F) << 6) | (static_cast<unsigned char>(s[i + 1]) & 0x3F);
            n = 2;
        } else if (c >= 0xE0 && c <= 0xEF && i + 2 < s.size()) {
            cp = (char32_t(c & 0x0F) << 12) |
                 (char32_t(static_cast<unsigned char>(s[i + 1]) & 0x3F) << 6) |
                 (static_cast<unsigned char>(s[i + 2]) & 0x3F);
            n = 3;
        }
        if ((cp >= 'A' && cp <= 'Z') || (cp >= 0xC0 && cp <= 0xDE && cp != 0xD7))
            cp += 0x20;
        else if (cp == 0x160 || cp == 0x152 || cp == 0x17D)
            cp += 1; // Š Œ Ž
        else if (cp == 0x178)
            cp = 0xFF; // Ÿ
        out.push_back(cp);
        i += n;
    }
    return out;
}
} // namespace

bool sameNameNoCase(std::string_view a, std::string_view b) {
    return folded(a) == folded(b);
}

bool containsNameNoCase(std::string_view hay, std::string_view needle) {
    return folded(hay).find(folded(needle)) != std::u32string::npos;
}

bool missionNameMatches(const fs::path& missionDir, std::string_view missionUtf8) {
    const fs::path dir = missionDir.lexically_normal();
    fs::path name = dir.filename();
    if (name.empty())
        name = dir.parent_path().filename();
    return containsNameNoCase(pathToUtf8(name), missionUtf8);
}

std::optional<fs::path> gameDirectoryOf(const fs::path& missionDir) {
    fs::path dir = fs::absolute(missionDir).lexically_normal();
    if (dir.filename().empty())
        dir = dir.parent_path();
    // Starts above the mission folder: a mission may itself be named "missions".
    for (fs::path p = dir.parent_path(); p.has_relative_path(); p = p.parent_path()) {
        if (sameNameNoCase(pathToUtf8(p.filename()), "missions"))
            return p.parent_path();
        if (p == p.parent_path())
            break;
    }
    return std::nullopt;
}

std::optional<fs::path> findNoCase(const fs::path& dir, std::string_view nameUtf8,
                                   std::string& error) {
    std::error_code ec;
    const fs::path exact = dir / pathFromUtf8(nameUtf8);
    if (fs::symlink_status(exact, ec).type() != fs::file_type::not_found && !ec)
        return exact;
    std::optional<fs::path> found;
    fs::directory_iterator it(dir, ec);
    if (ec) {
        error = ec.message();
        return std::nullopt;
    }
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (sameNameNoCase(pathToUtf8(it->path().filename()), nameUtf8)) {
            found = it->path();
            break;
        }
    }
    if (ec)
        error = ec.message();
    return found;
}
