#pragma once
#include <iosfwd>
#include <string>
#include <vector>

// The analyser's commands without a window:
//   trellis scan --json SCENE    the list the scan fills, as JSON
//   trellis tree --json SCENE    the tree "build tree" shows, and its messages
//   trellis tree --dot SCENE     the same tree as a Graphviz digraph
//   trellis --help               the usage, on `out`
//   trellis --version            "Trellis" and the version, on `out`
// Returns the exit status: 0, or 2 after one line on `err` when the
// arguments are wrong or the file cannot be read.
int runTrellisCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
