#include <iostream>

#include "large_bytes.h"
#include "quill_commands.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>

#include "file_access.h"

// The arguments as the system has them, in wide text, turned into the UTF-8
// that paths and names travel in: no ANSI code page narrows them on the way.
int wmain(int argc, wchar_t** argv) {
    // Output is the file's bytes (a script, an index): written as they are,
    // never with CR LF for LF, so quill.exe prints what quill prints.
    _setmode(_fileno(stdout), _O_BINARY);
    std::ios::sync_with_stdio(false);
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        try {
            args.push_back(pathToUtf8(std::filesystem::path(argv[i])));
        } catch (const std::exception&) {
            std::cerr << "quill: argument " << i << " is not valid Unicode text\n";
            return 2;
        }
    }
    return runQuill(args, std::cout, std::cerr);
}
#else
int main(int argc, char** argv) {
    // A scene's index is many small blocks: taken from memory in large pages
    // they cost a few page faults instead of one per 4 KiB.
    growHeapInLargePages(std::size_t{64} << 20);
    std::ios::sync_with_stdio(false);
    std::vector<std::string> args(argv + 1, argv + argc);
    return runQuill(args, std::cout, std::cerr);
}
#endif
