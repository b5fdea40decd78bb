#include <string>

#include "addin_format.h"

namespace {
const char* const kMissionFileNames[] = {"tree.klz", "cache.bin", "scene.4ds"};
const char* const kGroupDirectories[] = {"models", "sounds", "maps", "tables", "tables"};
const char* const kGroupLabels[] = {"models", "sounds", "maps", "German tables", "English tables"};

// Reads the add-in front to back; the first read that would leave the bytes
// records what was being read and stops every later read.
class Reader {
public:
    explicit Reader(ByteView bytes) : b_(bytes) {}

    bool failed() const { return !error_.empty(); }
    const std::string& error() const { return error_; }
    std::uint64_t pos() const { return pos_; }
    std::uint64_t left() const { return b_.size() - pos_; }

    bool skip(std::uint64_t n, const std::string& what) {
        if (failed())
            return false;
        if (n > left()) {
            error_ = "The add-in ends inside " + what + " (at byte " + std::to_string(pos_) + ", " +
                     std::to_string(n) + " bytes needed, " + std::to_string(left()) + " left).";
            return false;
        }
        pos_ += n;
        return true;
    }
    std::optional<std::uint32_t> u32(const std::string& what) {
        const std::uint64_t at = pos_;
        if (!skip(4, what))
            return std::nullopt;
        return b_.u32(static_cast<std::size_t>(at));
    }
    std::optional<std::string> field(const std::string& what) {
        const std::uint64_t at = pos_;
        if (!skip(addin::TextFieldSize, what))
            return std::nullopt;
        return trimField(b_.text(static_cast<std::size_t>(at), addin::TextFieldSize));
    }
    void fail(std::string why) {
        if (!failed())
            error_ = std::move(why);
    }

private:
    ByteView b_;
    std::uint64_t pos_ = 0;
    std::string error_;
};

void readPatchBlocks(Reader& r, ByteView b, Addin& a, MissionFile f, std::size_t count) {
    AddinFilePatches& file = a.files[static_cast<std::size_t>(f)];
    const std::string fileName(missionFileName(f));
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint64_t at = r.pos();
        const std::string what = "patch block " + std::to_string(i + 1) + " of " + fileName;
        if (!r.skip(addin::PatchBlockSize, what))
            return;
        if (!file.flag)
            continue; // passed over by its count, never used
        const std::size_t p = static_cast<std::size_t>(at);
        const std::size_t s = b.data()[p];
        const std::size_t n = b.data()[p + 1];
        if (s < 1 || s > addin::SearchField) {
            r.fail("In " + what + " the search length is " + std::to_string(s) +
                   "; it must be 1 to 17.");
            return;
        }
        const std::uint8_t* search = b.data() + p + 2;
        const std::uint8_t* replacement = search + addin::SearchField;
        file.patches.push_back({{search, search + s}, {replacement, replacement + n}});
    }
}

void readGroup(Reader& r, ByteView b, Addin& a, FileGroup g) {
    const std::size_t gi = static_cast<std::size_t>(g);
    const std::string label = kGroupLabels[gi];
    const auto count = r.u32("the number of " + label);
    if (!count)
        return;
    // Each file takes at least its name and its length: a count beyond what
    // the rest of the add-in can hold is refused before anything is reserved.
    constexpr std::uint64_t kEntryHead = addin::TextFieldSize + 4;
    if (*count > r.left() / kEntryHead) {
        r.fail("The add-in names " + std::to_string(*count) + " " + label + " but has room for " +
               std::to_string(r.left() / kEntryHead) + ".");
        return;
    }
    auto& entries = a.groups[gi];
    entries.reserve(*count);
    for (std::uint32_t i = 0; i < *count; ++i) {
        const std::string what = "file " + std::to_string(i + 1) + " of the " + label;
        const auto name = r.field("the name of " + what);
        const auto length = r.u32("the length of " + what);
        if (!name || !length)
            return;
        if (auto problem = embeddedNameProblem(*name)) {
            r.fail("The name of " + what + " is not a plain file name: " + *problem);
            return;
        }
        const std::uint64_t at = r.pos();
        if (!r.skip(*length, "the content of " + what + " (" + *name + ")"))
            return;
        entries.push_back({*name, at, *length});
    }
    (void)b;
}

AddinRead refused(std::string why) {
    AddinRead out;
    out.error = std::move(why);
    return out;
}
} // namespace

std::string_view missionFileName(MissionFile f) {
    return kMissionFileNames[static_cast<std::size_t>(f)];
}

std::string_view groupDirectory(FileGroup g) {
    return kGroupDirectories[static_cast<std::size_t>(g)];
}

std::string trimField(std::string_view field) {
    while (!field.empty() && (field.back() == ' ' || field.back() == '\0'))
        field.remove_suffix(1);
    return std::string(field);
}

AddinRead readAddinHeader(ByteView bytes) {
    if (bytes.size() < addin::HeaderSize)
        return refused("The add-in is shorter than its header (" + std::to_string(bytes.size()) +
                       " of 274 bytes).");
    Addin a;
    a.title = trimField(bytes.text(addin::TitleOffset, addin::TextFieldSize));
    a.mission = trimField(bytes.text(addin::MissionOffset, addin::TextFieldSize));
    for (MissionFile f : AllMissionFiles) {
        const std::size_t at = addin::FlagsOffset + 2 * static_cast<std::size_t>(f);
        a.files[static_cast<std::size_t>(f)].flag = bytes.data()[at] == 1;
    }
    AddinRead out;
    out.addin = std::move(a);
    return out;
}

AddinRead readAddin(ByteView bytes) {
    AddinRead out = readAddinHeader(bytes);
    if (!out.addin)
        return out;
    Addin& a = *out.addin;
    Reader r(bytes);
    r.skip(addin::HeaderSize, "the header");
    for (MissionFile f : AllMissionFiles) {
        const std::size_t count = bytes.data()[addin::FlagsOffset + 1 + 2 * static_cast<int>(f)];
        readPatchBlocks(r, bytes, a, f, count);
    }
    a.key = r.field("the key name").value_or(std::string());
    const auto objects = r.u32("the object byte count");
    const auto definitions = r.u32("the definition byte count");
    if (objects && definitions) {
        a.objectsOffset = r.pos();
        a.objectsLength = *objects;
        r.skip(*objects, "the object records");
        a.definitionsOffset = r.pos();
        a.definitionsLength = *definitions;
        r.skip(*definitions, "the definition records");
    }
    for (FileGroup g : AllFileGroups)
        readGroup(r, bytes, a, g);
    if (!r.failed() && r.left() != 0)
        r.fail("The add-in has " + std::to_string(r.left()) +
               " bytes after its last embedded file (from byte " + std::to_string(r.pos()) + ").");
    if (!r.failed() && a.key.empty() && a.objectsLength + a.definitionsLength > 0)
        r.fail("The add-in carries object or definition records but no key name to test whether "
               "they are in the scene already.");
    if (r.failed())
        return refused(r.error());
    return out;
}
