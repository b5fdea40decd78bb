#pragma once
#include <array>
#include <cstddef>
#include <functional>
#include <string_view>
#include <vector>

// The parts of a script line the script box colours. Positions count UTF-16
// code units of the line as the box holds it.
enum class SyntaxKind {
    Command,     // the command word at the start of a line
    Number,      // a number standing on its own
    String,      // a quoted text that is not an entry name check
    EntryName,   // a quoted name that is an entry of the open scene
    UnknownName, // a quoted name that is no entry: a warning
    Comment,     // from "//" to the end of the line
};

struct SyntaxSpan {
    std::size_t start = 0;
    std::size_t length = 0;
    SyntaxKind kind = SyntaxKind::String;
    bool operator==(const SyntaxSpan&) const = default;
};

// The commands the scenes' scripts use, in one table.
inline constexpr std::array<std::u16string_view, 9> ScriptCommands = {
    u"act_setstate",       u"dim_act", u"dim_flt", u"end", u"findactor", u"goto", u"label",
    u"mission_objectives", u"wait"};

// Whether a quoted name (without its quotes) is an entry of the open scene;
// empty: quoted texts are not checked.
using EntryCheck = std::function<bool(std::u16string_view)>;

// The spans of one line, in order, without overlaps.
std::vector<SyntaxSpan> scriptLineSpans(std::u16string_view line, const EntryCheck& isEntry = {});

// The quoted text around `column` of `line`, without its quotes; empty when
// `column` is not inside one. `start` gets the position of its first character.
std::u16string_view quotedAt(std::u16string_view line, std::size_t column,
                             std::size_t* start = nullptr);
