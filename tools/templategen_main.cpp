// templategen: writes the editor's record templates as NAME.bin into DIR.
//   templategen DIR
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string_view>

#include "template_writer.h"

int main(int argc, char** argv) {
    constexpr const char* Usage = "usage: templategen DIR\n";
    const std::string_view arg = argc == 2 ? argv[1] : "";
    if (arg == "--help" || arg == "-h") {
        std::cout << Usage;
        return 0;
    }
    // A folder name that starts with "-" is a mistyped option, never a folder to create.
    if (argc != 2 || arg.starts_with("-")) {
        std::cerr << Usage;
        return 2;
    }
    const std::filesystem::path dir(argv[1]);
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    for (const auto& t : templates::buildRecordTemplates()) {
        const auto path = dir / (t.name + ".bin");
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(t.bytes.data()),
                  static_cast<std::streamsize>(t.bytes.size()));
        out.close();
        if (!out) {
            std::cerr << "templategen: cannot write " << path.string() << '\n';
            return 1;
        }
    }
    return 0;
}
