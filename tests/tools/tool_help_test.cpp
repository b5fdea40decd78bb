#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <sys/wait.h>

namespace {
namespace fs = std::filesystem;

struct Output {
    int status;
    std::string out;
};

// Runs `command` in `dir`, keeping its standard output only.
Output run(const fs::path& dir, const std::string& command) {
    const std::string line = "cd '" + dir.string() + "' && " + command + " 2>/dev/null";
    FILE* pipe = ::popen(line.c_str(), "r");
    if (!pipe)
        return {-1, ""};
    std::string out;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe))
        out += buffer;
    const int status = ::pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

TEST(ToolHelp, EveryToolAnswersHelpWithItsUsageAndWritesNothing) {
    const fs::path dir = fs::temp_directory_path() / "tool_help_test";
    fs::remove_all(dir);
    fs::create_directories(dir);
    struct Tool {
        const char *path, *usage;
    };
    for (const Tool& t : {Tool{ADDINGEN_PATH, "usage: addingen OUT.qxa\n"},
                          Tool{SCENEGEN_PATH, "usage: scenegen [--seed N]"},
                          Tool{TEMPLATEGEN_PATH, "usage: templategen DIR\n"}}) {
        for (const char* help : {"--help", "-h"}) {
            SCOPED_TRACE(std::string(t.path) + " " + help);
            const Output r = run(dir, std::string("'") + t.path + "' " + help);
            EXPECT_EQ(r.status, 0);
            EXPECT_EQ(r.out.rfind(t.usage, 0), 0u) << r.out;
            EXPECT_TRUE(fs::is_empty(dir)) << "help wrote a file";
        }
        // Any other option-like word is refused, not taken as a file name.
        const Output wrong = run(dir, std::string("'") + t.path + "' --halp");
        EXPECT_EQ(wrong.status, 2) << t.path;
        EXPECT_EQ(wrong.out, "");
        EXPECT_TRUE(fs::is_empty(dir)) << t.path << " wrote a file for --halp";
    }
    fs::remove_all(dir);
}

} // namespace
