#include "definition_names.h"

#include "chunk_ids.h"

namespace {
constexpr std::uint32_t LongNameLength = 51;
constexpr std::uint32_t LongNameReadAs = 15;
} // namespace

std::vector<std::string> definitionNames(ByteView f, const SceneIndex& index) {
    std::vector<std::string> names;
    if (!index.gesamtLaengeScriptPos || *index.gesamtLaengeScriptPos < 2)
        return names;
    const std::size_t section = *index.gesamtLaengeScriptPos - 2;
    const auto sectionLength = f.u32(section + 2);
    if (f.u16(section) != chunk::Definitions || !sectionLength)
        return names;
    const std::uint64_t end = std::min<std::uint64_t>(section + *sectionLength, f.size());
    std::uint64_t p = section + chunk::HeaderSize;
    while (p + chunk::HeaderSize <= end) {
        const auto len = f.u32(p + 2);
        if (!len || *len < chunk::HeaderSize)
            break;
        if (f.u16(p) == chunk::DefinitionRecord) {
            const std::uint64_t recEnd = std::min<std::uint64_t>(p + *len, end);
            std::uint64_t c = p + chunk::HeaderSize;
            while (c + chunk::HeaderSize <= recEnd) {
                const auto clen = f.u32(c + 2);
                if (!clen || *clen < chunk::HeaderSize)
                    break;
                if (f.u16(c) == chunk::DefinitionName) {
                    const std::uint32_t n = *clen >= LongNameLength ? LongNameReadAs : *clen;
                    names.emplace_back(f.text(c + chunk::HeaderSize, n >= 7 ? n - 7 : 0));
                }
                c += *clen;
            }
        }
        p += *len;
    }
    return names;
}

bool definitionMatches(std::string_view defName, std::string_view entryName) {
    if (defName == entryName)
        return true;
    const auto dot = defName.find('.');
    return dot != std::string_view::npos && defName.substr(0, dot) == entryName;
}
