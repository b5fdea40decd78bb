#pragma once
#include <ostream>
#include <string>
#include <vector>

// quill addin apply SCENE ADDIN [--yes] [--dry-run]
//   0: ran to the end; 1: a "No" stopped it; 2: an error or a refusal.
// quill addin pack DIR OUT.qxa
//   0: written; 2: the folder holds what the format cannot, or a file error.
int cmdAddin(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
