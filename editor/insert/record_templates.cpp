#include "record_templates.h"

std::optional<std::span<const std::uint8_t>> findTemplate(std::string_view name) {
    for (const RecordTemplate& t : recordTemplates())
        if (t.name == name)
            return t.bytes;
    return std::nullopt;
}
