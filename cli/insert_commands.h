#pragma once
#include <ostream>
#include <string>
#include <vector>

int cmdInsert(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int cmdDelete(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
