#include "script_syntax.h"

namespace {
bool isWordChar(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
           c == u'_';
}

bool isDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

bool sameLetters(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char16_t x = a[i];
        char16_t y = b[i];
        if (x >= u'A' && x <= u'Z')
            x = char16_t(x - u'A' + u'a');
        if (y >= u'A' && y <= u'Z')
            y = char16_t(y - u'A' + u'a');
        if (x != y)
            return false;
    }
    return true;
}

bool isCommand(std::u16string_view word) {
    for (std::u16string_view command : ScriptCommands)
        if (sameLetters(word, command))
            return true;
    return false;
}
} // namespace

std::vector<SyntaxSpan> scriptLineSpans(std::u16string_view line, const EntryCheck& isEntry) {
    std::vector<SyntaxSpan> spans;
    std::size_t i = 0;
    while (i < line.size() && (line[i] == u' ' || line[i] == u'\t'))
        ++i;
    // The command word at the start.
    std::size_t end = i;
    while (end < line.size() && isWordChar(line[end]))
        ++end;
    if (end > i && isCommand(line.substr(i, end - i)))
        spans.push_back({i, end - i, SyntaxKind::Command});
    i = end > i ? end : i;

    while (i < line.size()) {
        const char16_t c = line[i];
        if (c == u'/' && i + 1 < line.size() && line[i + 1] == u'/') {
            spans.push_back({i, line.size() - i, SyntaxKind::Comment});
            break;
        }
        if (c == u'"') {
            std::size_t close = i + 1;
            while (close < line.size() && line[close] != u'"')
                ++close;
            const std::size_t length = (close < line.size() ? close + 1 : close) - i;
            SyntaxKind kind = SyntaxKind::String;
            if (isEntry) {
                const std::u16string_view inside = line.substr(i + 1, close - i - 1);
                if (!inside.empty())
                    kind = isEntry(inside) ? SyntaxKind::EntryName : SyntaxKind::UnknownName;
            }
            spans.push_back({i, length, kind});
            i += length;
            continue;
        }
        if (isWordChar(c)) {
            std::size_t word = i;
            while (word < line.size() && (isWordChar(line[word]) || line[word] == u'.'))
                ++word;
            // A number stands alone: digits with at most one decimal point,
            // a minus sign before it included.
            bool number = isDigit(c);
            int points = 0;
            for (std::size_t k = i; number && k < word; ++k) {
                if (line[k] == u'.')
                    number = ++points <= 1;
                else
                    number = isDigit(line[k]);
            }
            if (number) {
                const bool minus =
                    i > 0 && line[i - 1] == u'-' && (i == 1 || !isWordChar(line[i - 2]));
                const std::size_t from = minus ? i - 1 : i;
                spans.push_back({from, word - from, SyntaxKind::Number});
            }
            i = word;
            continue;
        }
        ++i;
    }
    return spans;
}

std::u16string_view quotedAt(std::u16string_view line, std::size_t column, std::size_t* start) {
    std::size_t i = 0;
    while (i < line.size()) {
        if (line[i] == u'/' && i + 1 < line.size() && line[i + 1] == u'/')
            break;
        if (line[i] != u'"') {
            ++i;
            continue;
        }
        std::size_t close = i + 1;
        while (close < line.size() && line[close] != u'"')
            ++close;
        if (column > i && column <= close) {
            if (start != nullptr)
                *start = i + 1;
            return line.substr(i + 1, close - i - 1);
        }
        i = close + 1;
    }
    return {};
}
