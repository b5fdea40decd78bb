#pragma once
#include <ostream>
#include <string>
#include <vector>

int cmdScriptGet(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int cmdScriptSet(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int cmdScriptsExport(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int cmdScriptsImport(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
