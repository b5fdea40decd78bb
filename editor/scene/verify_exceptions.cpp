#include "verify_exceptions.h"

#include "chunk_ids.h"

namespace {

// The actor definition the insertion writes for the special name
// "VincenzoQXA" (template VINCS1): a human (type 27) whose data chunk's length
// field still reads 105, as in the game's own record, while its 2291-byte
// script runs on to the end of the record. The record: 0xAE21 of 2414 bytes,
// the name chunk, the type chunk, then the data chunk.
bool isVincenzoActor(ByteView f, std::uint64_t r, std::uint16_t id) {
    constexpr std::uint64_t NameChunk = 6 + 11 + 1;
    constexpr std::uint64_t Type = 6 + NameChunk;
    constexpr std::uint64_t Data = Type + 10;
    constexpr std::uint32_t RecordLength = 6 + NameChunk + 2390;
    if (id != chunk::DefinitionRecord || f.u32(r + 2) != RecordLength ||
        definitionRecordName(f, r) != "VincenzoQXA")
        return false;
    return f.u16(r + Type) == chunk::DefinitionType && f.u32(r + Type + 2) == 10u &&
           f.u32(r + Type + 6) == 27u && f.u16(r + Data) == chunk::DefinitionData &&
           f.u32(r + Data + 2) == 105u &&
           f.matches(r + Data + 80, std::string_view("\x01\0\0\0\0", 5)) &&
           f.u32(r + Data + 85) == 2291u;
}

} // namespace

const std::vector<KnownLayoutException>& knownLayoutExceptions() {
    static const std::vector<KnownLayoutException> list = {
        {"VincenzoQXA",
         "the special name's actor definition keeps its data chunk length 105 while its script "
         "runs to the end of the record, as the game's own record has it",
         isVincenzoActor},
    };
    return list;
}

std::string definitionRecordName(ByteView file, std::uint64_t recordPos) {
    const auto len = file.u32(recordPos + 2);
    if (file.u16(recordPos) != chunk::DefinitionRecord || !len)
        return {};
    const std::uint64_t end = recordPos + *len;
    std::uint64_t c = recordPos + chunk::HeaderSize;
    while (c + chunk::HeaderSize <= end) {
        const auto id = file.u16(c);
        const auto n = file.u32(c + 2);
        if (!id || !n || *n < chunk::HeaderSize || !file.has(c, *n))
            return {};
        if (*id == chunk::DefinitionName) {
            std::string_view s = file.text(c + chunk::HeaderSize, *n - chunk::HeaderSize);
            if (const auto zero = s.find('\0'); zero != std::string_view::npos)
                s = s.substr(0, zero);
            return std::string(s);
        }
        c += *n;
    }
    return {};
}
