// templategen: writes the editor's record templates as NAME.bin into DIR.
//   templategen DIR
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string_view>

#include "one_argument.h"
#include "template_writer.h"

int main(int argc, char** argv) {
    if (const auto done = checkOneArgument(argc, argv, "usage: templategen DIR\n"))
        return *done;
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
