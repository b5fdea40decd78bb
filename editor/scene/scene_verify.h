#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "byte_view.h"

struct VerifyProblem {
    std::uint64_t offset = 0;
    std::string what;
};

struct VerifyReport {
    std::size_t objects = 0;
    std::size_t definitions = 0;
    std::size_t initScripts = 0;
    std::size_t scripts = 0;
    std::vector<VerifyProblem> problems;
    bool ok() const { return problems.empty(); }
};

// Checks the whole file as nested chunks: the header's length is the file
// length; the sections, every object and definition record and every light
// block are tiled exactly by their children; every object script's length
// field and text end exactly where its data chunk ends.
VerifyReport verifyScene(ByteView file);
