// Runs `quill values set` under strace with one fault injected at one system
// call: an I/O error or a kill, at each of the first calls of every kind the
// save makes. Whatever happens, the scene is the old file or the new one.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

#include "file_access.h"
#include "scene_generator.h"
#include "scene_index.h"

namespace {
namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

Bytes slurp(const fs::path& p) {
    Bytes b;
    EXPECT_TRUE(readWholeFile(p.string(), b));
    return b;
}

void spit(const fs::path& p, const Bytes& b) {
    std::ofstream(p, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

bool straceWorks() {
    return std::system("strace -f -o /dev/null true > /dev/null 2>&1") == 0;
}

struct Run {
    bool killed = false;
    int status = -1;
    std::string err;
};

// `inject` is strace's injection, e.g. "pwrite64:error=EIO:when=2".
Run runQuill(const fs::path& dir, const std::string& inject, const std::vector<std::string>& args) {
    std::string command =
        inject.empty() ? std::string() : "strace -f -o /dev/null -e inject=" + inject + " ";
    command += "'" + std::string(QUILL_PATH) + "'";
    for (const std::string& a : args)
        command += " '" + a + "'";
    command += " > /dev/null 2> '" + (dir / "err.txt").string() + "'";
    const int raw = std::system(command.c_str());
    Run run;
    run.killed = WIFSIGNALED(raw) || (WIFEXITED(raw) && WEXITSTATUS(raw) == 128 + 9);
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    std::ifstream in(dir / "err.txt");
    run.err.assign(std::istreambuf_iterator<char>(in), {});
    return run;
}

// Every fault at the first calls of the kinds a save makes: the file is old
// or new; a save that reports success left the new file, one that reports
// failure the old one (unless it says the change could not be confirmed).
void sweep(const fs::path& dir, const Bytes& before, const std::vector<std::string>& args,
           std::map<std::string, int>& outcomes) {
    const fs::path scene = dir / "scene2.bin";
    spit(scene, before);
    ASSERT_EQ(runQuill(dir, "", args).status, 0);
    const Bytes after = slurp(scene);
    ASSERT_NE(after, before);
    const char* calls[] = {"openat", "read",   "pread64", "pwrite64", "write",  "fsync",
                           "close",  "rename", "flock",   "fchmod",   "fchown", "unlink"};
    for (const char* call : calls)
        for (const char* fault : {"error=EIO", "error=ENOSPC", "signal=KILL"})
            for (int when = 1; when <= 4; ++when) {
                spit(scene, before);
                const std::string inject =
                    std::string(call) + ":" + fault + ":when=" + std::to_string(when);
                const Run run = runQuill(dir, inject, args);
                const Bytes now = slurp(scene);
                SCOPED_TRACE(inject + " " + run.err);
                const bool isOld = now == before;
                const bool isNew = now == after;
                ASSERT_TRUE(isOld || isNew) << "the file is neither the old nor the new one";
                if (!run.killed && run.status == 0) {
                    EXPECT_TRUE(isNew) << "success reported, change missing";
                }
                if (!run.killed && run.status != 0 &&
                    run.err.find("could not be confirmed") == std::string::npos) {
                    EXPECT_TRUE(isOld) << "failure reported, file changed";
                }
                ++outcomes[run.killed ? "killed" : run.status == 0 ? "saved" : "refused"];
                ++outcomes[isOld ? "old" : "new"];
            }
}

TEST(ValueSaveFaults, EveryFaultLeavesTheOldOrTheNewFile) {
    if (!straceWorks())
        GTEST_SKIP() << "strace cannot trace here";
    GeneratorOptions options;
    options.seed = 5;
    options.objectCount = 30;
    const GeneratedScene g = generateScene(options);
    const SceneIndex index = buildSceneIndex(ByteView(g.bytes.data(), g.bytes.size()));
    int object = -1, human = -1;
    for (std::size_t i = 0; i < index.entries.size(); ++i) {
        const IndexRecord& r = index.entries[i];
        if (object < 0 && r.translationPos && r.kind == 255)
            object = int(i);
        if (human < 0 && r.kind == 27 && r.weightPos && r.translationPos)
            human = int(i);
    }
    ASSERT_GE(object, 0);
    ASSERT_GE(human, 0);
    const fs::path dir = fs::temp_directory_path() / ("quill_faults_" + std::to_string(getpid()));
    fs::create_directories(dir);
    const std::string scene = (dir / "scene2.bin").string();
    std::map<std::string, int> outcomes;
    // Object values lie in one span of the file: written in place with one write.
    sweep(dir, g.bytes,
          {"values", "set", scene, std::to_string(object), "--translation", "1,2,3", "--size",
           "2,2,2"},
          outcomes);
    // A human's weight lies in the definitions section, far from its
    // translation: the file is replaced whole.
    sweep(
        dir, g.bytes,
        {"values", "set", scene, std::to_string(human), "--translation", "4,5,6", "--weight", "81"},
        outcomes);
    fs::remove_all(dir);
    std::string summary;
    for (const auto& [what, count] : outcomes)
        summary += what + " " + std::to_string(count) + "  ";
    std::printf("fault sweep: %s\n", summary.c_str());
    EXPECT_GT(outcomes["killed"], 0);
    EXPECT_GT(outcomes["refused"], 0);
}

std::map<std::string, Bytes> folder(const fs::path& dir) {
    std::map<std::string, Bytes> files;
    for (const auto& e : fs::directory_iterator(dir))
        files[e.path().filename().string()] = slurp(e.path());
    return files;
}

// An export that cannot write one of its files takes back the ones it wrote:
// the folder holds what it held before, old files and missing ones alike.
TEST(ScriptExportFaults, AFailedWriteLeavesTheFolderAsItWas) {
    if (!straceWorks())
        GTEST_SKIP() << "strace cannot trace here";
    const GeneratedScene g = generateScene({9, 40, std::nullopt});
    const fs::path dir =
        fs::temp_directory_path() / ("quill_export_faults_" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    const fs::path scene = dir / "scene2.bin";
    spit(scene, g.bytes);
    const fs::path out = dir / "out";
    ASSERT_EQ(runQuill(dir, "", {"scripts", "export", scene.string(), out.string()}).status, 0);
    auto files = folder(out);
    ASSERT_GE(files.size(), 10u);
    // Some files edited, one gone: the state a failed export must keep.
    auto it = files.begin();
    spit(out / it->first, Bytes{'o', 'l', 'd'});
    std::advance(it, 3);
    spit(out / it->first, Bytes{});
    std::advance(it, 4);
    fs::remove(out / it->first);
    const auto kept = folder(out);
    for (int when : {1, 2, 9}) {
        const auto run = runQuill(dir, "renameat:error=EIO:when=" + std::to_string(when),
                                  {"scripts", "export", scene.string(), out.string()});
        SCOPED_TRACE(when);
        EXPECT_EQ(run.status, 2);
        EXPECT_NE(run.err.find("; the folder was left as it was"), std::string::npos) << run.err;
        EXPECT_TRUE(folder(out) == kept) << "the export changed the folder and failed";
    }
    fs::remove_all(dir);
}

} // namespace
