#include "script_text.h"

#include "file_access.h"

bool isInitScriptEntry(const SceneIndex& index, std::size_t entry) {
    return static_cast<std::int64_t>(entry) >= index.merkePosGameInit;
}

std::optional<ScriptSpan> locateScript(ByteView file, const SceneIndex& index, std::size_t entry) {
    if (entry >= index.entries.size())
        return std::nullopt;
    const Pos32 scriptPos = index.entries.scriptPos(entry);
    const Pos32 definitionPos = index.entries.definitionPos(entry);
    if (!index.entries.ticked(entry) || !scriptPos)
        return std::nullopt;
    ScriptSpan span;
    span.initScript = isInitScriptEntry(index, entry);
    if (span.initScript) {
        if (!definitionPos)
            return std::nullopt;
        const auto z = file.u32(*definitionPos + 2);
        const std::uint64_t end = static_cast<std::uint64_t>(*definitionPos) + z.value_or(0);
        if (!z || end < *scriptPos)
            return std::nullopt;
        span.textPos = *scriptPos;
        span.textLength = end - *scriptPos;
    } else {
        const auto n = file.u32(*scriptPos);
        if (!n)
            return std::nullopt;
        span.textPos = static_cast<std::uint64_t>(*scriptPos) + 4;
        span.textLength = *n;
    }
    if (!file.has(span.textPos, span.textLength))
        return std::nullopt;
    return span;
}

std::optional<std::string> readScript(ByteView file, const SceneIndex& index, std::size_t entry) {
    const auto span = locateScript(file, index, entry);
    if (!span)
        return std::nullopt;
    return std::string(file.text(span->textPos, span->textLength));
}

std::optional<std::string> readScriptFromFile(const std::string& path, const SceneIndex& index,
                                              std::size_t entry) {
    if (entry >= index.entries.size())
        return std::nullopt;
    const Pos32 scriptPos = index.entries.scriptPos(entry);
    const Pos32 definitionPos = index.entries.definitionPos(entry);
    if (!index.entries.ticked(entry) || !scriptPos)
        return std::nullopt;
    const bool init = isInitScriptEntry(index, entry);
    if (init && !definitionPos)
        return std::nullopt;
    // The length of an object script precedes it; an init script runs to its record's end.
    const std::uint64_t lengthAt = init ? *definitionPos + std::uint64_t{2} : *scriptPos;
    std::vector<std::uint8_t> field;
    if (!readFileRange(path, lengthAt, 4, field))
        return std::nullopt;
    const std::uint64_t value = ByteView(field.data(), field.size()).u32(0).value_or(0);
    std::uint64_t textPos = *scriptPos + std::uint64_t{4};
    std::uint64_t length = value;
    if (init) {
        const std::uint64_t end = *definitionPos + value;
        if (end < *scriptPos)
            return std::nullopt;
        textPos = *scriptPos;
        length = end - textPos;
    }
    std::vector<std::uint8_t> text;
    if (!readFileRange(path, textPos, length, text))
        return std::nullopt;
    return std::string(text.begin(), text.end());
}
