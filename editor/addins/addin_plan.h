#pragma once
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "addin_format.h"
#include "addin_scene.h"

// One step of an add-in run, in the order the run takes them. The whole run is
// planned, read and checked before its first write, so a malformed add-in or
// an edit that would not read back is refused whole.
struct AddinStep {
    enum class Kind {
        Caption,  // Label3(2) shows `text` (empty: stays); the progress bar goes to
                  // `progress` (-1: stays)
        Question, // Yes goes on with the next step, No ends the run
        Backup,   // writes `content` as the ".sav" backup at `path`
        Patch,    // replaces the mission file at `path` with `content`
        Insert,   // commits the planned scene2.bin edit to `path`
        MakeDirectory,
        Create,    // a new file at `path` with `content`
        Overwrite, // the existing file at `path` gets `content`
    };
    Kind kind = Kind::Caption;
    std::string text;
    int progress = -1;
    // Caption only: file work starts here (VFL_Blocked, then the half-second pause).
    bool blocking = false;
    std::filesystem::path path;
    std::string name; // the file's name, for the failure message
    std::vector<std::uint8_t> content;
    // Backup: the file copied, whose owner, group and mode the copy gets.
    std::filesystem::path original;
    // What was at `path` when the plan read it, which must still be there
    // when the run starts: `expected`'s bytes when `existed` (Patch and
    // Overwrite: the file as read; Backup: an empty file), else nothing. The
    // run puts the bytes back when it fails later. Insert: the indexed scene.
    bool existed = false;
    std::vector<std::uint8_t> expected;
};

struct AddinPlan {
    std::string title; // UTF-8, shown while the add-in runs
    std::vector<AddinStep> steps;
    std::optional<SceneInsertion> insertion; // the Insert step's edit
};

struct AddinPlanResult {
    std::optional<AddinPlan> plan;
    // When refused: the message, and its title (empty for the messages that
    // carry their reason in the text).
    std::string message;
    std::string title;
};

struct AddinRequest {
    std::string scenePath; // UTF-8
    ByteView indexed;      // the bytes the index was built from
    const SceneIndex* index = nullptr;
    std::string addinPath; // UTF-8
    ByteView addin;        // the add-in's bytes
};

// Reads and checks the add-in, the mission's files and the game's directories
// and plans every step. Reads files, writes nothing.
AddinPlanResult planAddin(const AddinRequest& request);

// "****** Can't find - " NAME "- ******": the text of every failure.
std::string cantFindMessage(std::string_view name);
