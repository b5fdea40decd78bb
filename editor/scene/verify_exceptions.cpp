#include "verify_exceptions.h"

#include "chunk_ids.h"

const std::vector<KnownLayoutException>& knownLayoutExceptions() {
    static const std::vector<KnownLayoutException> list = {};
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
