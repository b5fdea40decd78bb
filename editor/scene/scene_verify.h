#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "byte_view.h"
#include "scene_index.h"
#include "verify_exceptions.h"

struct VerifyProblem {
    std::uint64_t offset = 0;
    std::string what;
};

// A problem inside a record that a known layout exception covers.
struct ExcusedProblem {
    VerifyProblem problem;
    std::string exception; // the exception's name
    std::string reason;
};

struct VerifyReport {
    std::size_t objects = 0;
    std::size_t definitions = 0;
    std::size_t initScripts = 0;
    std::size_t scripts = 0;
    // The first kListed problems and excused problems in the order found, and
    // how many more there are of each.
    static constexpr std::size_t kListed = 1000;
    std::vector<VerifyProblem> problems;
    std::vector<ExcusedProblem> excused;
    std::size_t moreProblems = 0;
    std::size_t moreExcused = 0;
    bool ok() const { return problems.empty(); }
};

// Checks the whole file as nested chunks, and the index against them:
// - the header's length is the file length; every length field of the layout
//   covers exactly its children: the sections, every record, the light blocks
//   and parent chunks inside object records (one name chunk per record); every object script's
//   length field and text end exactly where its data chunk ends; name chunks end in their 0 byte;
// - the sections lie at the top level, and hold only their own records;
// - every position the index takes a length field, record, name, value or
//   script from is a chunk of the expected kind at its place in the tree.
// Problems inside a record that `exceptions` names are reported as excused.
VerifyReport verifyScene(ByteView file);
VerifyReport verifyScene(ByteView file, const std::vector<KnownLayoutException>& exceptions);
// With the index of `file` already built (it must be buildSceneIndex(file)).
VerifyReport verifyScene(ByteView file, const SceneIndex& index);
