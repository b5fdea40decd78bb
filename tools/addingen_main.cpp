#include <filesystem>
#include <iostream>
#include <string_view>

#include "addin_files.h"
#include "addin_samples.h"

// Writes the demo mission's sample add-in: `addingen OUT.qxa`.
int main(int argc, char** argv) {
    constexpr const char* Usage = "usage: addingen OUT.qxa\n";
    const std::string_view arg = argc == 2 ? argv[1] : "";
    if (arg == "--help" || arg == "-h") {
        std::cout << Usage;
        return 0;
    }
    // An output name that starts with "-" is a mistyped option, never a file to write.
    if (argc != 2 || arg.starts_with("-")) {
        std::cerr << Usage;
        return 2;
    }
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
