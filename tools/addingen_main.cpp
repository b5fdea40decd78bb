#include <filesystem>
#include <iostream>
#include <string_view>

#include "addin_files.h"
#include "addin_samples.h"
#include "one_argument.h"

// Writes the demo mission's sample add-in: `addingen OUT.qxa`.
int main(int argc, char** argv) {
    if (const auto done = checkOneArgument(argc, argv, "usage: addingen OUT.qxa\n"))
        return *done;
    const PackResult packed = packAddin(demoAddinSource());
    if (!packed.ok()) {
        std::cerr << "addingen: " << packed.error << '\n';
        return 2;
    }
    const std::filesystem::path out = std::filesystem::absolute(argv[1]);
    if (auto r = writeFileAtomically(out, packed.bytes); !r) {
        std::cerr << "addingen: cannot write " << argv[1] << ": " << r.error << '\n';
        return 2;
    }
    return 0;
}
