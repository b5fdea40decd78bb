#include <map>
#include <optional>

#include "script_tree.h"
#include "text_search.h"

// Reading a script's children: the actors its act_setstate lines switch.
namespace {

using textsearch::findNoCase;
using textsearch::npos;

constexpr std::string_view SetState = "act_setstate";
constexpr std::string_view FindActor = "findactor ";

struct CountedLine {
    std::size_t at = 0;    // "act_setstate"
    std::size_t comma = 0; // the first comma at or after it
    const char* marker = MarkerUnknown;
};

const char* markerFor(std::string_view state) {
    using textsearch::containsNoCase;
    if (containsNoCase(state, "inactive"))
        return MarkerInactive;
    if (containsNoCase(state, "active"))
        return MarkerActive;
    if (containsNoCase(state, "i"))
        return MarkerInactive;
    if (containsNoCase(state, "a"))
        return MarkerActive;
    return MarkerUnknown;
}

// The act_setstate lines whose state holds no "o", at most MaxSetstateLines.
std::vector<CountedLine> countedLines(std::string_view text) {
    std::vector<CountedLine> lines;
    std::size_t from = 0;
    while (from + 1 < text.size() && lines.size() < MaxSetstateLines) {
        const std::size_t at = findNoCase(text, SetState, from);
        if (at == npos)
            break;
        const std::size_t comma = text.find(',', at);
        // Without a comma no later act_setstate line can have one either.
        if (comma == npos)
            break;
        const std::size_t lf = text.find('\n', comma + 1);
        // 1-based: the line ends at its line feed, or at the text's length.
        const std::size_t end = lf == npos ? text.size() : lf + 1;
        // The state runs from after the comma to before the carriage return.
        const std::string_view state =
            end >= comma + 3 ? text.substr(comma + 1, end - comma - 3) : std::string_view();
        if (!textsearch::containsNoCase(state, "o"))
            lines.push_back({at, comma, markerFor(state)});
        from = end;
    }
    return lines;
}

// Finds "findactor " + variable as a plain text search (so the variable 1
// also matches a findactor line for the variable 12), answering each variable
// once from the positions of all findactor words.
class ActorLookup {
public:
    explicit ActorLookup(std::string_view text) : text_(text) {
        for (std::size_t at = findNoCase(text, FindActor); at != npos;
             at = findNoCase(text, FindActor, at + 1))
            findactors_.push_back(at);
    }

    // The text between the first double quote at or after the match and the
    // next one; nothing when there is no match or no such pair of quotes.
    std::optional<std::string_view> actorFor(std::string_view variable) {
        const auto known = answers_.find(std::string(variable));
        if (known != answers_.end())
            return known->second;
        std::optional<std::string_view> found;
        for (std::size_t at : findactors_) {
            const std::size_t v = at + FindActor.size();
            if (text_.size() - v >= variable.size() &&
                findNoCase(text_.substr(v, variable.size()), variable) == 0) {
                found = quoted(at);
                break;
            }
        }
        answers_.emplace(std::string(variable), found);
        return found;
    }

private:
    std::optional<std::string_view> quoted(std::size_t from) const {
        const std::size_t open = text_.find('"', from);
        if (open == npos)
            return std::nullopt;
        const std::size_t close = text_.find('"', open + 1);
        if (close == npos)
            return std::nullopt;
        return text_.substr(open + 1, close - open - 1);
    }

    std::string_view text_;
    std::vector<std::size_t> findactors_;
    std::map<std::string, std::optional<std::string_view>> answers_;
};

} // namespace

ScriptChildren readChildren(const std::string& script) {
    ScriptChildren out;
    const std::string_view text(script);
    ActorLookup actors(text);
    for (const CountedLine& line : countedLines(text)) {
        // The variable stands after "act_setstate" and one blank.
        const std::size_t v = line.at + SetState.size() + 1;
        const std::string_view variable =
            line.comma > v ? text.substr(v, line.comma - v) : std::string_view();
        const auto actor = actors.actorFor(variable);
        if (!actor)
            continue;
        std::string child(*actor);
        child += line.marker;
        if (!out.children.empty() && out.children.back() == child)
            continue;
        if (out.children.size() == ChildSlots) {
            out.overflow = true;
            break;
        }
        out.children.push_back(std::move(child));
    }
    return out;
}
