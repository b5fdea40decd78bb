#include <iostream>
#include <string>
#include <vector>

#include "trellis_cli.h"

int main(int argc, char** argv) {
    return runTrellisCommand(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
