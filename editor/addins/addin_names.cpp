#include <algorithm>
#include <array>
#include <string>

#include "addin_format.h"

namespace {
bool isDeviceName(std::string_view name) {
    // Windows opens these devices whatever the extension.
    const std::string_view stem = name.substr(0, name.find('.'));
    std::string upper;
    for (char c : stem)
        upper.push_back((c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c);
    while (!upper.empty() && upper.back() == ' ')
        upper.pop_back();
    static const std::array<std::string_view, 4> plain = {"CON", "PRN", "AUX", "NUL"};
    if (std::find(plain.begin(), plain.end(), upper) != plain.end())
        return true;
    return upper.size() == 4 && (upper.starts_with("COM") || upper.starts_with("LPT")) &&
           upper[3] >= '1' && upper[3] <= '9';
}
} // namespace

std::optional<std::string> embeddedNameProblem(std::string_view name) {
    if (name.empty())
        return "the name is empty.";
    for (unsigned char c : name) {
        if (c == '/' || c == '\\')
            return "it contains a path separator.";
        if (c == ':')
            return "it contains a drive letter or stream name (\":\").";
        if (c < 32 || c == 127)
            return "it contains a control character.";
        if (c == '<' || c == '>' || c == '"' || c == '|' || c == '?' || c == '*')
            return std::string("it contains \"") + static_cast<char>(c) +
                   "\", which Windows does not allow in file names.";
    }
    if (name.find("..") != std::string_view::npos)
        return "it contains \"..\".";
    if (name == ".")
        return "\".\" names the directory itself.";
    if (name.back() == '.' || name.back() == ' ')
        return "Windows drops a trailing dot or blank from file names.";
    if (isDeviceName(name))
        return "it names a Windows device.";
    return std::nullopt;
}
