#include "addin_pack.h"

#include <cstdio>

#include "addin_format.h"
#include "cp1252.h"

namespace {
void putU32(std::vector<std::uint8_t>& b, std::uint64_t v) {
    for (int i = 0; i < 4; ++i)
        b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// A fixed-width text field, padded with blanks.
std::optional<std::string> field(const std::string& utf8, std::size_t width,
                                 const std::string& what, std::string& error) {
    char32_t bad = 0;
    auto bytes = utf8ToCp1252(utf8, &bad);
    if (!bytes) {
        char code[16];
        std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(bad));
        error = what + " holds a character Windows-1252 does not have (" + code + ").";
        return std::nullopt;
    }
    if (bytes->size() > width) {
        error = what + " is " + std::to_string(bytes->size()) + " characters long; at most " +
                std::to_string(width) + " fit.";
        return std::nullopt;
    }
    bytes->resize(width, ' ');
    return bytes;
}

const char* const kPatchLabels[] = {"tree", "cache", "fourds"};
const char* const kGroupLabels[] = {"models", "sounds", "maps", "tables_de", "tables_en"};
} // namespace

PackResult packAddin(const AddinSource& s) {
    PackResult out;
    std::vector<std::uint8_t>& b = out.bytes;
    auto text = [&](const std::string& utf8, std::size_t width, const std::string& what) {
        auto f = field(utf8, width, what, out.error);
        if (f)
            b.insert(b.end(), f->begin(), f->end());
        return f.has_value();
    };
    if (s.mission.empty()) {
        out.error = "The mission name is empty.";
        return out;
    }
    if (!text(s.title, addin::TextFieldSize, "The title") ||
        !text(s.mission, addin::TextFieldSize, "The mission name"))
        return out;
    for (std::size_t f = 0; f < 3; ++f) {
        const auto& list = s.patches[f];
        if (list && list->size() > addin::MaxPatches) {
            out.error = std::string("\"") + kPatchLabels[f] + "\" has " +
                        std::to_string(list->size()) + " patches; at most 255 fit.";
            return out;
        }
        b.push_back(list ? 1 : 0);
        b.push_back(static_cast<std::uint8_t>(list ? list->size() : 0));
    }
    b.push_back(0);
    b.push_back(0);
    if (!text(s.text, addin::HeaderSize - addin::HeaderTextOffset, "The text"))
        return out;
    for (std::size_t f = 0; f < 3; ++f) {
        if (!s.patches[f])
            continue;
        for (std::size_t i = 0; i < s.patches[f]->size(); ++i) {
            const AddinPatchSource& p = (*s.patches[f])[i];
            const std::string what =
                std::string("Patch ") + std::to_string(i + 1) + " of \"" + kPatchLabels[f] + "\"";
            if (p.search.empty() || p.search.size() > addin::SearchField) {
                out.error = what + " searches " + std::to_string(p.search.size()) +
                            " bytes; it must be 1 to 17.";
                return out;
            }
            if (p.replacement.size() > addin::MaxReplacement) {
                out.error = what + " replaces with " + std::to_string(p.replacement.size()) +
                            " bytes; at most 255 fit.";
                return out;
            }
            b.push_back(static_cast<std::uint8_t>(p.search.size()));
            b.push_back(static_cast<std::uint8_t>(p.replacement.size()));
            std::vector<std::uint8_t> block(addin::PatchBlockSize - 2, 0);
            std::copy(p.search.begin(), p.search.end(), block.begin());
            std::copy(p.replacement.begin(), p.replacement.end(),
                      block.begin() + addin::SearchField);
            b.insert(b.end(), block.begin(), block.end());
        }
    }
    if ((!s.objects.empty() || !s.definitions.empty()) && s.key.empty()) {
        out.error = "The key name is empty, but the add-in carries records.";
        return out;
    }
    if (!text(s.key, addin::TextFieldSize, "The key name"))
        return out;
    if (s.objects.size() > 0xFFFFFFFFu || s.definitions.size() > 0xFFFFFFFFu) {
        out.error = "The records are 4 GiB or more.";
        return out;
    }
    putU32(b, s.objects.size());
    putU32(b, s.definitions.size());
    b.insert(b.end(), s.objects.begin(), s.objects.end());
    b.insert(b.end(), s.definitions.begin(), s.definitions.end());
    for (std::size_t g = 0; g < 5; ++g) {
        putU32(b, s.files[g].size());
        for (const AddinFileSource& f : s.files[g]) {
            const std::string what =
                std::string("The file \"") + f.name + "\" of " + kGroupLabels[g];
            const std::size_t before = b.size();
            if (!text(f.name, addin::TextFieldSize, what + " has a name that"))
                return out;
            const std::string stored = trimField(std::string_view(
                reinterpret_cast<const char*>(b.data() + before), addin::TextFieldSize));
            if (stored.size() != utf8ToCp1252(f.name)->size()) {
                out.error = what + " ends in a blank, which the format drops.";
                return out;
            }
            if (auto problem = embeddedNameProblem(stored)) {
                out.error = what + ": " + *problem;
                return out;
            }
            if (f.content.size() > 0xFFFFFFFFu) {
                out.error = what + " is 4 GiB or more.";
                return out;
            }
            putU32(b, f.content.size());
            b.insert(b.end(), f.content.begin(), f.content.end());
        }
    }
    return out;
}
