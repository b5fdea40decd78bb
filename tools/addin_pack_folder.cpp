#include <algorithm>
#include <system_error>

#include "addin_pack.h"
#include "file_access.h"
#include "mini_json.h"

namespace fs = std::filesystem;

namespace {
const char* const kPatchKeys[] = {"tree", "cache", "fourds"};
const char* const kGroupFolders[] = {"models", "sounds", "maps", "tables_de", "tables_en"};

// The add-in holds what the folder holds: a symbolic link below `dir` (to a
// file or a folder) is refused, never followed to a file elsewhere, and so is
// a name that leaves the folder.
std::optional<std::vector<std::uint8_t>> readFile(const fs::path& dir, const fs::path& relative,
                                                  std::string& error) {
    const fs::path p = dir / relative;
    fs::path at = dir;
    for (const fs::path& part : relative.parent_path()) {
        if (relative.has_root_path() || part == "..") {
            error = pathToUtf8(p) + " is not inside " + pathToUtf8(dir) + ".";
            return std::nullopt;
        }
        at /= part;
        std::error_code ec;
        if (fs::is_symlink(fs::symlink_status(at, ec))) {
            error = pathToUtf8(at) + " is a symbolic link, which is not followed here.";
            return std::nullopt;
        }
    }
    std::vector<std::uint8_t> bytes;
    if (auto r = readFileInFolder(pathToUtf8(at), pathToUtf8(relative.filename()), bytes); !r) {
        error = pathToUtf8(p) + " is not a file: " + r.error + ".";
        return std::nullopt;
    }
    return bytes;
}

std::optional<std::vector<std::uint8_t>> hexBytes(const std::string& hex, const std::string& what,
                                                  std::string& error) {
    std::vector<std::uint8_t> out;
    int pending = -1;
    for (char c : hex) {
        int v = -1;
        if (c >= '0' && c <= '9')
            v = c - '0';
        else if (c >= 'a' && c <= 'f')
            v = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            v = c - 'A' + 10;
        else if (c == ' ' && pending < 0)
            continue;
        if (v < 0) {
            error = what + " is not hexadecimal bytes.";
            return std::nullopt;
        }
        if (pending < 0) {
            pending = v;
        } else {
            out.push_back(static_cast<std::uint8_t>(pending * 16 + v));
            pending = -1;
        }
    }
    if (pending >= 0) {
        error = what + " has an odd number of hexadecimal digits.";
        return std::nullopt;
    }
    return out;
}

bool readText(const JsonValue& json, const char* key, std::string& out, std::string& error) {
    const JsonValue* v = json.member(key);
    if (!v)
        return true;
    if (v->type != JsonValue::Type::String) {
        error = std::string("\"") + key + "\" must be a string.";
        return false;
    }
    out = v->string;
    return true;
}

bool readPatches(const JsonValue& json, std::size_t f, AddinSource& s, std::string& error) {
    const JsonValue* list = json.member(kPatchKeys[f]);
    if (!list)
        return true;
    const std::string label = std::string("\"") + kPatchKeys[f] + "\"";
    if (list->type != JsonValue::Type::Array) {
        error = label + " must be a list of {\"search\": HEX, \"replace\": HEX}.";
        return false;
    }
    auto& patches = s.patches[f].emplace();
    for (std::size_t i = 0; i < list->array.size(); ++i) {
        const JsonValue& item = list->array[i];
        const std::string what = "Patch " + std::to_string(i + 1) + " of " + label;
        const JsonValue* search = item.member("search");
        const JsonValue* replace = item.member("replace");
        if (item.type != JsonValue::Type::Object || !search || !replace ||
            search->type != JsonValue::Type::String || replace->type != JsonValue::Type::String ||
            item.object.size() != 2) {
            error = what + " must be {\"search\": HEX, \"replace\": HEX}.";
            return false;
        }
        auto sb = hexBytes(search->string, what + "'s search", error);
        auto rb = sb ? hexBytes(replace->string, what + "'s replacement", error) : std::nullopt;
        if (!rb)
            return false;
        patches.push_back({std::move(*sb), std::move(*rb)});
    }
    return true;
}

bool readRecords(const JsonValue& json, const char* key, const fs::path& dir,
                 std::vector<std::uint8_t>& out, std::string& error) {
    std::string name;
    if (!readText(json, key, name, error))
        return false;
    if (name.empty())
        return true;
    auto bytes = readFile(dir, pathFromUtf8(name), error);
    if (!bytes)
        return false;
    out = std::move(*bytes);
    return true;
}

bool readGroup(const fs::path& dir, std::size_t g, AddinSource& s, std::string& error) {
    const fs::path folder = dir / kGroupFolders[g];
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(folder, ec);
    if (!fs::exists(status))
        return true;
    if (fs::is_symlink(status)) {
        error = pathToUtf8(folder) + " is a symbolic link, which is not followed here.";
        return false;
    }
    if (!fs::is_directory(folder, ec)) {
        error = pathToUtf8(folder) + " is not a folder.";
        return false;
    }
    std::vector<fs::path> files;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        files.push_back(it->path());
    if (ec) {
        error = "Cannot list " + pathToUtf8(folder) + ": " + ec.message();
        return false;
    }
    std::sort(files.begin(), files.end());
    for (const fs::path& p : files) {
        auto bytes = readFile(dir, fs::path(kGroupFolders[g]) / p.filename(), error);
        if (!bytes)
            return false;
        s.files[g].push_back({pathToUtf8(p.filename()), std::move(*bytes)});
    }
    return true;
}
} // namespace

FolderRead readAddinFolder(const fs::path& dir) {
    FolderRead out;
    std::string error;
    const auto json = readFile(dir, "addin.json", error);
    if (!json) {
        out.error = error;
        return out;
    }
    const JsonParse parsed =
        parseJson(std::string_view(reinterpret_cast<const char*>(json->data()), json->size()));
    if (!parsed.value) {
        out.error = "addin.json, " + parsed.error;
        return out;
    }
    const JsonValue& v = *parsed.value;
    if (v.type != JsonValue::Type::Object) {
        out.error = "addin.json must hold one object.";
        return out;
    }
    static const char* const known[] = {"title",       "mission", "key",   "text",  "objects",
                                        "definitions", "tree",    "cache", "fourds"};
    for (const JsonMember& m : v.object) {
        const std::string& key = m.first;
        if (std::find_if(std::begin(known), std::end(known),
                         [&](const char* k) { return key == k; }) == std::end(known)) {
            out.error = "addin.json has an unknown item \"" + key + "\".";
            return out;
        }
    }
    AddinSource s;
    bool ok = readText(v, "title", s.title, error) && readText(v, "mission", s.mission, error) &&
              readText(v, "key", s.key, error) && readText(v, "text", s.text, error) &&
              readRecords(v, "objects", dir, s.objects, error) &&
              readRecords(v, "definitions", dir, s.definitions, error);
    for (std::size_t f = 0; ok && f < 3; ++f)
        ok = readPatches(v, f, s, error);
    for (std::size_t g = 0; ok && g < 5; ++g)
        ok = readGroup(dir, g, s, error);
    if (!ok) {
        out.error = error;
        return out;
    }
    out.source = std::move(s);
    return out;
}
