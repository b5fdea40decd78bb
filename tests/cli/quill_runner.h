#pragma once
// Runs quill in-process and captures what it prints.
#include <sstream>
#include <string>
#include <vector>

#include "quill_commands.h"

struct QuillRun {
    int status;
    std::string out, err;
};

inline QuillRun quill(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int status = runQuill(args, out, err);
    return {status, out.str(), err.str()};
}
