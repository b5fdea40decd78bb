#include "entry_argument.h"

#include <cstdio>

#include "cp1252.h"
#include "script_files.h"

std::optional<std::size_t> entryArgument(const SceneIndex& index, const std::string& ref,
                                         std::ostream& err) {
    char32_t bad = 0;
    const std::optional<std::string> name = utf8ToCp1252(ref, &bad);
    if (!name) {
        char code[16];
        std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(bad));
        err << "quill: no entry " << ref << ": "
            << (bad == 0xFFFD
                    ? std::string("the name is not UTF-8 text")
                    : "the name holds " + std::string(code) + ", which a scene cannot store")
            << '\n';
        return std::nullopt;
    }
    const auto e = resolveEntry(index, *name);
    if (!e)
        err << "quill: no entry " << ref << '\n';
    return e;
}
