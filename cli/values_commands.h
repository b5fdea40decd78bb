#pragma once
#include <ostream>
#include <string>
#include <vector>

// quill values get SCENE ENTRY
int cmdValuesGet(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
// quill values set SCENE ENTRY [options]: the value fields of the editor's
// "Save", with the same checks in the same order; only what is named changes.
int cmdValuesSet(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
