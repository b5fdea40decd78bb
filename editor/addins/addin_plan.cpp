#include "addin_plan.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <system_error>
#include <tuple>

#include "addin_files.h"
#include "addin_paths.h"
#include "cp1252.h"
#include "file_access.h"

namespace fs = std::filesystem;

namespace {
const int kPatchProgress[] = {15, 25, 35};
const char* const kGroupCaptions[] = {"  ---  extract models ---", "  ---  extract sounds ---",
                                      "  ---  extract maps ---", "  ---  extract table german ---",
                                      "  ---  extract table english ---"};
const int kGroupProgress[] = {46, 48, 50, 51, 51};
const char* const kGroupMissing[] = {"models", "sounds", "maps", "tables", "tables"};

struct Refusal {
    std::string message;
    std::string title;
};

Refusal cantFind(std::string_view name, std::string reason) {
    return {cantFindMessage(name), std::move(reason)};
}

class Planner {
public:
    explicit Planner(const AddinRequest& r) : r_(r) {}
    std::optional<Refusal> run();
    AddinPlan plan;

private:
    struct MissionFileState {
        fs::path path;
        std::vector<std::uint8_t> bytes;
    };

    std::optional<Refusal> readMissionFiles();
    std::optional<Refusal> planBackup(const fs::path& file, const std::string& name,
                                      const std::vector<std::uint8_t>& bytes);
    void planPatches(MissionFile f, const MissionFileState& state);
    std::optional<Refusal> planScene();
    std::optional<Refusal> planGroup(FileGroup g);
    AddinStep& add(AddinStep::Kind kind, std::string text = {}) {
        plan.steps.push_back({});
        plan.steps.back().kind = kind;
        plan.steps.back().text = std::move(text);
        return plan.steps.back();
    }
    AddinStep& caption(std::string text, int progress, bool blocking = false) {
        AddinStep& s = add(AddinStep::Kind::Caption, std::move(text));
        s.progress = progress;
        s.blocking = blocking;
        return s;
    }

    const AddinRequest& r_;
    Addin a_;
    fs::path missionDir_;
    std::string sceneName_;
    std::optional<fs::path> gameDir_;
    std::map<MissionFile, MissionFileState> files_;
    // Directories and files this run creates, so later steps write into them.
    // Group directory -> (its path, whether this run creates it).
    std::map<std::string, std::pair<fs::path, bool>> plannedDirs_;
    std::vector<fs::path> plannedFiles_;
};

std::optional<Refusal> Planner::run() {
    const fs::path scene = pathFromUtf8(r_.scenePath);
    missionDir_ = scene.parent_path();
    sceneName_ = pathToUtf8(scene.filename());
    const std::string addinName = pathToUtf8(pathFromUtf8(r_.addinPath).filename());
    if (!containsNameNoCase(r_.addinPath, ".qxa"))
        return Refusal{"** No QXA ADDin File ** ", {}};
    const AddinRead header = readAddinHeader(r_.addin);
    if (!header.addin)
        return cantFind(addinName, header.error);
    if (!missionNameMatches(missionDir_, cp1252ToUtf8(header.addin->mission)))
        return Refusal{"** This ADDin is for Mission - " + cp1252ToUtf8(header.addin->mission), {}};
    AddinRead whole = readAddin(r_.addin);
    if (!whole.addin)
        return cantFind(addinName, whole.error);
    a_ = std::move(*whole.addin);
    plan.title = cp1252ToUtf8(a_.title);

    // The scene must still be the one indexed: every position comes from it.
    if (r_.index == nullptr)
        return cantFind(sceneName_, "No scene is loaded.");
    std::vector<std::uint8_t> onDisk;
    if (auto rd = readWholeFile(r_.scenePath, onDisk); !rd)
        return cantFind(sceneName_, rd.error);
    if (onDisk.size() != r_.indexed.size() ||
        (!onDisk.empty() && std::memcmp(onDisk.data(), r_.indexed.data(), onDisk.size()) != 0))
        return cantFind(sceneName_, "The file was changed by another program since it was loaded.");

    gameDir_ = gameDirectoryOf(missionDir_);
    for (FileGroup g : AllFileGroups)
        if (!a_.entries(g).empty() && !gameDir_)
            return Refusal{std::string("**Sorry, can't extract ") +
                               kGroupMissing[static_cast<int>(g)] +
                               "!! Directory - missions - missing! **",
                           {}};

    if (auto bad = readMissionFiles())
        return bad;
    for (auto& [f, state] : files_)
        if (auto bad = planBackup(state.path, std::string(missionFileName(f)), state.bytes))
            return bad;
    if (auto bad = planBackup(scene, sceneName_, onDisk))
        return bad;
    for (auto& [f, state] : files_)
        planPatches(f, state);
    if (auto bad = planScene())
        return bad;
    for (FileGroup g : AllFileGroups)
        if (auto bad = planGroup(g))
            return bad;
    return std::nullopt;
}

std::optional<Refusal> Planner::readMissionFiles() {
    for (MissionFile f : AllMissionFiles) {
        if (!a_.patches(f).flag)
            continue;
        const std::string name(missionFileName(f));
        std::string error;
        const auto found = findNoCase(missionDir_, name, error);
        if (!found)
            return cantFind(name,
                            error.empty() ? "The mission folder has no " + name + "." : error);
        MissionFileState state{*found, {}};
        if (auto rd = readWholeFile(pathToUtf8(*found), state.bytes); !rd)
            return cantFind(name, rd.error);
        files_.emplace(f, std::move(state));
    }
    return std::nullopt;
}

std::optional<Refusal> Planner::planBackup(const fs::path& file, const std::string& name,
                                           const std::vector<std::uint8_t>& bytes) {
    const std::string backupName = pathToUtf8(file.filename()) + ".sav";
    std::string error;
    const auto found = findNoCase(file.parent_path(), backupName, error);
    if (!error.empty())
        return cantFind(name, error);
    std::error_code ec;
    if (found) {
        // Neither written through nor taken for a kept backup: a link's
        // target is not the mission's.
        if (fs::is_symlink(fs::symlink_status(*found, ec)))
            return cantFind(backupName, pathToUtf8(*found) +
                                            " is a symbolic link; a backup is never written "
                                            "through a link. Move it away to apply the add-in.");
        if (!fs::is_regular_file(*found, ec))
            return cantFind(backupName,
                            "The backup's name is taken by something that is not a file.");
        if (fs::file_size(*found, ec) > 0 || ec)
            return std::nullopt; // made once: a backup that holds something is kept
    }
    AddinStep& s = add(AddinStep::Kind::Backup);
    s.path = found ? *found : file.parent_path() / pathFromUtf8(backupName);
    s.name = backupName;
    s.original = file;
    s.existed = found.has_value();
    if (const FileResult writable = checkWritableFile(s.path); !writable)
        return cantFind(backupName, writable.error);
    if (const FileResult owner = checkCopyKeepsOwner(pathToUtf8(file), false); !owner)
        return cantFind(name, owner.error);
    s.content = bytes;
    return std::nullopt;
}

void Planner::planPatches(MissionFile f, const MissionFileState& state) {
    const std::string name(missionFileName(f));
    caption("  --- Analyse " + name + " ---", f == MissionFile::Tree ? 10 : -1);
    caption({}, kPatchProgress[static_cast<int>(f)]);
    if (state.bytes.empty())
        return;
    caption({}, -1, true);
    // Searches run on the file as read; the replacements do not feed later searches.
    std::vector<std::uint8_t> patched = state.bytes;
    bool applied = false;
    std::optional<std::string> question;
    for (const AddinPatch& p : a_.patches(f).patches) {
        const auto hit =
            std::search(state.bytes.begin(), state.bytes.end(), p.search.begin(), p.search.end());
        if (hit == state.bytes.end()) {
            question =
                "**Sorry, cannot mod your " + name + "!! Maybe it's modded already. Go on? **";
            break;
        }
        const std::size_t at = static_cast<std::size_t>(hit - state.bytes.begin());
        if (patched.size() < at + p.replacement.size())
            patched.resize(at + p.replacement.size());
        std::copy(p.replacement.begin(), p.replacement.end(), patched.begin() + at);
        applied = true;
    }
    if (applied) {
        AddinStep& s = add(AddinStep::Kind::Patch);
        s.path = state.path;
        s.name = name;
        s.content = std::move(patched);
        s.existed = true;
        s.expected = state.bytes;
    }
    if (question)
        add(AddinStep::Kind::Question, *question);
}

std::optional<Refusal> Planner::planScene() {
    caption("  ---  scene2.bin ---", 45, true);
    const ByteView objects(r_.addin.data() + a_.objectsOffset,
                           static_cast<std::size_t>(a_.objectsLength));
    const ByteView definitions(r_.addin.data() + a_.definitionsOffset,
                               static_cast<std::size_t>(a_.definitionsLength));
    const bool records = objects.size() + definitions.size() > 0;
    if (a_.key.empty() && !records)
        return std::nullopt;
    const auto e = objectsSectionEnd(r_.indexed, *r_.index);
    if (!e)
        return records ? std::optional(cantFind(
                             sceneName_, "The scene has no objects section within the file."))
                       : std::nullopt;
    if (containsKeyNoCase(r_.indexed, *e, a_.key)) {
        add(AddinStep::Kind::Question,
            "**Sorry, cannot mod your scene2.bin!! Maybe it's modded already. Go on? **");
        return std::nullopt;
    }
    if (!records)
        return std::nullopt;
    SceneInsertionPlan ins = planSceneInsertion(r_.indexed, *r_.index, objects, definitions);
    if (!ins.insertion)
        return cantFind(sceneName_, ins.error);
    plan.insertion = std::move(ins.insertion);
    AddinStep& s = add(AddinStep::Kind::Insert);
    s.path = pathFromUtf8(r_.scenePath);
    s.name = sceneName_;
    s.existed = true;
    return std::nullopt;
}

std::optional<Refusal> Planner::planGroup(FileGroup g) {
    const int gi = static_cast<int>(g);
    caption(kGroupCaptions[gi], kGroupProgress[gi]);
    const auto& entries = a_.entries(g);
    if (entries.empty())
        return std::nullopt;
    const std::string dirName(groupDirectory(g));
    std::error_code ec;
    fs::path dir;
    bool dirPlanned = false;
    if (auto it = plannedDirs_.find(dirName); it != plannedDirs_.end()) {
        std::tie(dir, dirPlanned) = it->second;
    } else {
        std::string error;
        const auto found = findNoCase(*gameDir_, dirName, error);
        if (!error.empty())
            return cantFind(dirName, error);
        if (found && !fs::is_directory(*found, ec))
            return cantFind(dirName, "The game's " + dirName + " is not a directory.");
        dir = found ? *found : *gameDir_ / pathFromUtf8(dirName);
        plannedDirs_[dirName] = {dir, !found};
        if (!found) {
            AddinStep& s = add(AddinStep::Kind::MakeDirectory);
            s.path = dir;
            s.name = dirName;
            dirPlanned = true;
        }
    }
    for (const AddinEntry& entry : entries) {
        const std::string name = cp1252ToUtf8(entry.name);
        std::optional<fs::path> target;
        for (const fs::path& p : plannedFiles_)
            if (p.parent_path() == dir && sameNameNoCase(pathToUtf8(p.filename()), name))
                target = p;
        bool exists = target.has_value();
        std::vector<std::uint8_t> old;
        bool onDisk = false;
        if (!target && !dirPlanned) {
            std::string error;
            target = findNoCase(dir, name, error);
            if (!error.empty())
                return cantFind(name, error);
            if (target) {
                if (const FileResult writable = checkWritableFile(*target); !writable)
                    return cantFind(name, writable.error);
                if (const FileResult owner = checkCopyKeepsOwner(pathToUtf8(*target), true); !owner)
                    return cantFind(name, owner.error);
                // Kept to put back should a later step fail.
                if (const FileResult rd = readFileInFolder(pathToUtf8(target->parent_path()),
                                                           pathToUtf8(target->filename()), old);
                    !rd)
                    return cantFind(name, rd.error);
                onDisk = true;
            }
            exists = target.has_value();
        }
        AddinStep& s = add(exists ? AddinStep::Kind::Overwrite : AddinStep::Kind::Create);
        s.path = target ? *target : dir / pathFromUtf8(name);
        s.name = name;
        s.existed = onDisk;
        s.expected = std::move(old);
        s.content.assign(r_.addin.data() + entry.offset,
                         r_.addin.data() + entry.offset + entry.length);
        if (!exists)
            plannedFiles_.push_back(s.path);
    }
    return std::nullopt;
}
} // namespace

std::string cantFindMessage(std::string_view name) {
    return "****** Can't find - " + std::string(name) + "- ******";
}

AddinPlanResult planAddin(const AddinRequest& request) {
    Planner p(request);
    AddinPlanResult out;
    if (auto refusal = p.run()) {
        out.message = std::move(refusal->message);
        out.title = std::move(refusal->title);
        return out;
    }
    out.plan = std::move(p.plan);
    return out;
}
