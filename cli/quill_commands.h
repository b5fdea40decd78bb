#pragma once
#include <ostream>
#include <string>
#include <vector>

// Runs one quill command line (without the program name). Returns the exit
// status: 0 success, 1 a check found problems, 2 a usage error or a file that
// cannot be read or written. "--help" prints the usage and "--version" the
// program's name and version, both on `out` with status 0.
int runQuill(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
