#include <iostream>

#include "quill_commands.h"

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    std::vector<std::string> args(argv + 1, argv + argc);
    return runQuill(args, std::cout, std::cerr);
}
