#pragma once
#include <ostream>
#include <string>
#include <vector>

// Runs one quill command line (without the program name). Returns the exit
// status: 0 success, 1 a check found problems, 2 a usage error or a file that
// cannot be read or written.
int runQuill(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
