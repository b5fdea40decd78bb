#pragma once
#include <iostream>
#include <optional>
#include <string_view>

// The command line of a tool that takes one output name: "--help" or "-h"
// prints `usage` and ends with 0; no name, more than one, or one that starts
// with "-" (a mistyped option, never a name to write) prints it to stderr and
// ends with 2. Empty: go on with argv[1].
inline std::optional<int> checkOneArgument(int argc, char** argv, const char* usage) {
    const std::string_view arg = argc == 2 ? argv[1] : "";
    if (arg == "--help" || arg == "-h") {
        std::cout << usage;
        return 0;
    }
    if (argc != 2 || arg.starts_with("-")) {
        std::cerr << usage;
        return 2;
    }
    return std::nullopt;
}
