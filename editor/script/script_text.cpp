#include "script_text.h"

bool isInitScriptEntry(const SceneIndex& index, std::size_t entry) {
    return static_cast<std::int64_t>(entry) >= index.merkePosGameInit;
}

std::optional<ScriptSpan> locateScript(ByteView file, const SceneIndex& index, std::size_t entry) {
    if (entry >= index.entries.size())
        return std::nullopt;
    const IndexRecord& rec = index.entries[entry];
    if (!rec.ticked || !rec.scriptPos)
        return std::nullopt;
    ScriptSpan span;
    span.initScript = isInitScriptEntry(index, entry);
    if (span.initScript) {
        if (!rec.definitionPos)
            return std::nullopt;
        const auto z = file.u32(*rec.definitionPos + 2);
        const std::uint64_t end = static_cast<std::uint64_t>(*rec.definitionPos) + z.value_or(0);
        if (!z || end < *rec.scriptPos)
            return std::nullopt;
        span.textPos = *rec.scriptPos;
        span.textLength = end - *rec.scriptPos;
    } else {
        const auto n = file.u32(*rec.scriptPos);
        if (!n)
            return std::nullopt;
        span.textPos = static_cast<std::uint64_t>(*rec.scriptPos) + 4;
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
