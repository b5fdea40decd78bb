#include "script_files.h"

#include <charconv>
#include <set>

#include "cp1252.h"
#include "text_search.h"

std::optional<std::size_t> resolveEntry(const SceneIndex& index, std::string_view ref) {
    std::size_t n = 0;
    const auto [end, ec] = std::from_chars(ref.data(), ref.data() + ref.size(), n);
    if (ec == std::errc() && end == ref.data() + ref.size() && n < index.entries.size())
        return n;
    for (std::size_t i = 0; i < index.entries.size(); ++i) {
        if (index.entries[i].name == ref)
            return i;
    }
    return std::nullopt;
}

namespace {
std::string safeStem(std::string_view name) {
    std::string out;
    for (char c : cp1252ToUtf8(name)) {
        const auto u = static_cast<unsigned char>(c);
        const bool reserved =
            u < 32 || u == 127 || std::string_view("/\\:*?\"<>|").find(c) != std::string_view::npos;
        out += reserved ? '_' : c;
    }
    while (!out.empty() && (out.back() == ' ' || out.back() == '.'))
        out.pop_back();
    if (out.empty() || out.find_first_not_of('.') == std::string::npos)
        out = "script";
    return out;
}

std::string lowerAscii(std::string s) {
    for (char& c : s)
        c = asciiLower(c);
    return s;
}
} // namespace

std::vector<std::string> scriptFileNames(const SceneIndex& index) {
    std::vector<std::string> names(index.entries.size());
    std::set<std::string> taken;
    for (std::size_t i = 0; i < index.entries.size(); ++i) {
        const IndexRecord& e = index.entries[i];
        if (!e.ticked || !e.scriptPos)
            continue;
        const std::string stem = safeStem(e.name);
        std::string name = stem + ".txt";
        for (int k = 2; taken.count(lowerAscii(name)); ++k)
            name = stem + "~" + std::to_string(k) + ".txt";
        taken.insert(lowerAscii(name));
        names[i] = name;
    }
    return names;
}
