// Runs quill under strace with one fault injected at one system call: an I/O
// error, a full disk or a kill. `quill values set` at each of the first calls
// of every kind the save makes: the scene is the old file or the new one.
// `quill addin apply` at every call of a run: the mission and the game's
// files are all old or all new, or a kill left a state that the same apply,
// run again, completes.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <thread>

#include "addin_pack.h"
#include "addin_samples.h"
#include "demo_mission.h"
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

// Why the fault sweeps cannot run here, or null. A sanitized quill's
// runtime makes system calls of its own (it probes memory with write) that the
// injection would hit in place of quill's; the plain build runs the sweeps.
const char* sweepsUnavailable() {
#ifdef __SANITIZE_ADDRESS__
    return "the sanitizers' runtime makes system calls of its own that faults would hit";
#else
    if (std::system("strace -f -o /dev/null true > /dev/null 2>&1") != 0)
        return "strace cannot trace here";
    return nullptr;
#endif
}

struct QuillResult {
    bool killed = false;
    int status = -1;
    std::string err;
};

// `inject` is strace's injection, e.g. "pwrite64:error=EIO:when=2". Runs
// strace (or quill alone) without a shell, its output to `dir`/err.txt;
// `extraEnv` is added to quill's environment.
QuillResult runQuill(const fs::path& dir, const std::string& inject,
                     const std::vector<std::string>& args,
                     const std::vector<std::string>& extraEnv = {}) {
    std::vector<std::string> argv;
    if (!inject.empty()) {
        // Only the faulted call stops the traced program (seccomp); strace
        // delivers no injected signal that way, so a kill is traced fully.
        const bool kill = inject.find("signal=") != std::string::npos;
        argv = {"strace", "-f", "-o", "/dev/null"};
        if (!kill)
            argv.push_back("--seccomp-bpf");
        argv.insert(argv.end(), {"-e", "trace=" + inject.substr(0, inject.find(':')), "-e",
                                 "inject=" + inject});
    }
    argv.push_back(QUILL_PATH);
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> raw;
    for (std::string& a : argv)
        raw.push_back(a.data());
    raw.push_back(nullptr);
    const std::string errPath = (dir / "err.txt").string();
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&files, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e)
        env.emplace_back(*e);
    env.insert(env.end(), extraEnv.begin(), extraEnv.end());
    std::vector<char*> rawEnv;
    for (std::string& e : env)
        rawEnv.push_back(e.data());
    rawEnv.push_back(nullptr);
    pid_t pid = -1;
    QuillResult run;
    const int spawned = posix_spawnp(&pid, raw[0], &files, nullptr, raw.data(), rawEnv.data());
    posix_spawn_file_actions_destroy(&files);
    int status = 0;
    if (spawned != 0 || ::waitpid(pid, &status, 0) != pid)
        return run;
    run.killed = WIFSIGNALED(status) || (WIFEXITED(status) && WEXITSTATUS(status) == 128 + 9);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream in(errPath);
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
                const QuillResult run = runQuill(dir, inject, args);
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
    if (const char* why = sweepsUnavailable())
        GTEST_SKIP() << why;
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
    // A write that fails half-way leaves its block written in part: the
    // old bytes of the whole block go back. When they cannot, the save says
    // the file must be read again.
    const std::vector<std::string> objectSave{
        "values",        "set",   scene,    std::to_string(object),
        "--translation", "1,2,3", "--size", "2,2,2"};
    const std::string shim = std::string("LD_PRELOAD=") + HALF_WRITE_SHIM;
    spit(scene, g.bytes);
    const QuillResult half = runQuill(dir, "", objectSave, {shim});
    EXPECT_NE(half.status, 0) << half.err;
    EXPECT_NE(half.err.find("Input/output error"), std::string::npos) << half.err;
    EXPECT_EQ(half.err.find("could not be confirmed"), std::string::npos) << half.err;
    EXPECT_TRUE(slurp(scene) == g.bytes) << "a block written in part was not put back";
    spit(scene, g.bytes);
    const QuillResult stuck = runQuill(dir, "", objectSave, {shim, "HALF_WRITE_STUCK=1"});
    EXPECT_NE(stuck.status, 0) << stuck.err;
    EXPECT_NE(stuck.err.find("could not be confirmed on disk (Input/output error; the old bytes "
                             "could not be put back)"),
              std::string::npos)
        << stuck.err;
    EXPECT_FALSE(slurp(scene) == g.bytes) << "the shim wrote nothing";
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
    if (const char* why = sweepsUnavailable())
        GTEST_SKIP() << why;
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

// ---- quill addin apply ----

// The files and folders below `root` that an apply writes: the ".sav"
// backups, lock and temporary files aside.
struct GameState {
    std::map<std::string, Bytes> files;
    std::set<std::string> dirs;
    bool operator==(const GameState&) const = default;
};

GameState gameState(const fs::path& root) {
    GameState s;
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        const std::string rel = e.path().lexically_relative(root).generic_string();
        if (e.is_directory())
            s.dirs.insert(rel);
        else if (!rel.ends_with(".sav") && rel.find("quilltemp") == std::string::npos)
            s.files[rel] = slurp(e.path());
    }
    return s;
}

// The system calls of a run, in order, each with its number among the calls
// of its name (strace's when=), from the first that names `from` on.
std::vector<std::pair<std::string, int>> tracedCalls(const fs::path& trace,
                                                     const std::string& from) {
    std::vector<std::pair<std::string, int>> calls;
    std::map<std::string, int> seen;
    std::ifstream in(trace);
    bool started = false;
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::string pid, call;
        words >> pid;
        std::getline(words >> std::ws, call);
        const std::size_t paren = call.find('(');
        if (paren == std::string::npos || call.starts_with("<...") || call.starts_with("---") ||
            call.starts_with("+++"))
            continue;
        const std::string name = call.substr(0, paren);
        const int when = ++seen[name];
        started = started || call.find(from) != std::string::npos;
        if (started)
            calls.emplace_back(name, when);
    }
    return calls;
}

// One mission and game folder the sweep lays anew before each run.
class AddinSweeper {
public:
    AddinSweeper(fs::path dir, const DemoMission& demo, const Bytes& addin)
        : dir_(std::move(dir)), game_(dir_ / "game"), mission_(game_ / "missions" / "demo"),
          demo_(demo) {
        fs::create_directories(dir_);
        spit(dir_ / "demo.qxa", addin);
    }
    const fs::path& game() const { return game_; }
    std::string scene() const { return (mission_ / "scene2.bin").string(); }
    std::string addin() const { return (dir_ / "demo.qxa").string(); }

    // The mission and a game folder with one of the add-in's models there
    // already (overwritten and put back) and no other folder (made and
    // removed again).
    void lay() const {
        fs::remove_all(game_);
        fs::create_directories(mission_);
        fs::create_directories(game_ / "models");
        spit(game_ / "models" / "addin_car.i3d", {'o', 'l', 'd'});
        spit(mission_ / "scene2.bin", demo_.scene.bytes);
        spit(mission_ / "tree.klz", demo_.treeKlz);
        spit(mission_ / "cache.bin", demo_.cacheBin);
        spit(mission_ / "scene.4ds", demo_.scene4ds);
    }

    QuillResult apply(const std::string& inject, bool yes = false) const {
        std::vector<std::string> args = {"addin", "apply", scene(), addin()};
        if (yes)
            args.push_back("--yes");
        return runQuill(dir_, inject, args);
    }

    // What is wrong beside the files: a backup that does not hold the file
    // as it was, a lock file with content, a temporary file that only a
    // kill (or a failed removal) may leave.
    std::string debris(bool mayLeaveTemporaries) const {
        const std::map<std::string, const Bytes*> originals = {
            {"missions/demo/scene2.bin.sav", &demo_.scene.bytes},
            {"missions/demo/tree.klz.sav", &demo_.treeKlz},
            {"missions/demo/cache.bin.sav", &demo_.cacheBin},
            {"missions/demo/scene.4ds.sav", &demo_.scene4ds}};
        std::string wrong;
        for (const auto& e : fs::recursive_directory_iterator(game_)) {
            const std::string rel = e.path().lexically_relative(game_).generic_string();
            if (rel.ends_with(".sav")) {
                if (!originals.count(rel) || slurp(e.path()) != *originals.at(rel))
                    wrong += " backup " + rel;
            } else if (rel.ends_with(".quilltemp.save.lock")) {
                if (fs::file_size(e.path()) != 0)
                    wrong += " lock file " + rel;
            } else if (rel.find("quilltemp") != std::string::npos && !mayLeaveTemporaries) {
                wrong += " temporary " + rel;
            }
        }
        return wrong;
    }

private:
    fs::path dir_, game_, mission_;
    const DemoMission& demo_;
};

// Every fault at every call of an apply, up to the number of calls an
// unfaulted run makes (from its first look at the mission on): a run that
// reports success left every file new, one that reports failure every file
// old (its changes put back), and a killed one all old, all new, or a state
// the same apply run again with Yes completes. Two sweepers share the calls.
TEST(AddinApplyFaults, EveryFaultLeavesAllOldAllNewOrARerunCompletes) {
    if (const char* why = sweepsUnavailable())
        GTEST_SKIP() << why;
    const DemoMission demo = makeDemoMission();
    // Three patches, two objects, a model that is there already and a sound
    // whose folder is made: every kind of write, and few calls.
    AddinSource source = demoAddinSource();
    for (std::size_t g = 2; g < source.files.size(); ++g)
        source.files[g].clear();
    const PackResult packed = packAddin(source);
    ASSERT_TRUE(packed.ok()) << packed.error;
    const fs::path dir =
        fs::temp_directory_path() / ("quill_addin_faults_" + std::to_string(getpid()));
    const AddinSweeper sweepers[] = {{dir / "s0", demo, packed.bytes},
                                     {dir / "s1", demo, packed.bytes}};

    const AddinSweeper& first = sweepers[0];
    first.lay();
    const GameState before = gameState(first.game());
    const std::string traced = "strace -f -o '" + (dir / "trace.txt").string() + "' '" +
                               QUILL_PATH + "' addin apply '" + first.scene() + "' '" +
                               first.addin() + "' > /dev/null 2>&1";
    ASSERT_EQ(std::system(traced.c_str()), 0);
    const GameState after = gameState(first.game());
    ASSERT_NE(after, before);
    ASSERT_EQ(first.debris(false), "");
    const auto calls = tracedCalls(dir / "trace.txt", (first.game() / "missions").string());
    ASSERT_GT(calls.size(), 50u);

    // A kill and an I/O error at every call; a full disk where the system
    // can report one (calls that make, write, flush or give up files). The
    // memory calls cannot fail with an I/O error (brk reports a failure by
    // its result): there only the kill.
    const std::set<std::string> memory = {"brk", "mmap", "munmap", "mremap", "mprotect", "madvise"};
    const std::set<std::string> writing = {
        "openat",    "open",   "creat",     "write",     "pwrite64", "writev",   "fsync",
        "fdatasync", "close",  "mkdir",     "mkdirat",   "rename",   "renameat", "renameat2",
        "fchmod",    "fchown", "ftruncate", "fallocate", "linkat",   "unlink",   "unlinkat"};
    std::map<std::string, int> outcomes[2];
    std::vector<std::string> failures[2];
    auto sweep = [&](int w) {
        const AddinSweeper& s = sweepers[w];
        for (std::size_t i = static_cast<std::size_t>(w); i < calls.size(); i += 2) {
            const auto& [call, when] = calls[i];
            for (const char* fault : {"error=EIO", "error=ENOSPC", "signal=KILL"}) {
                const std::string f = fault;
                if ((memory.count(call) && f != "signal=KILL") ||
                    (f == "error=ENOSPC" && !writing.count(call)))
                    continue;
                s.lay();
                const std::string inject = call + ":" + fault + ":when=" + std::to_string(when);
                const QuillResult run = s.apply(inject);
                const GameState now = gameState(s.game());
                const bool isOld = now == before;
                const bool isNew = now == after;
                auto fail = [&](const std::string& what) {
                    failures[w].push_back(inject + ": " + what + " [" + run.err + "]");
                };
                if (const std::string d = s.debris(run.killed || call.starts_with("unlink"));
                    !d.empty())
                    fail("left" + d);
                std::string outcome;
                if (run.killed) {
                    outcome = isOld ? "killed, old" : isNew ? "killed, new" : "killed, rerun";
                } else if (run.status == 0) {
                    if (!isNew)
                        fail("success reported, change missing");
                    outcome = "applied";
                } else {
                    const bool partial = run.err.find("could not be put back") != std::string::npos;
                    if (run.status != 2 ||
                        run.err.find("****** Can't find - ") == std::string::npos)
                        fail("not the failure message");
                    if (!isOld && !partial)
                        fail("failure reported, files changed");
                    outcome = partial ? "failed, partly put back" : "failed, old";
                }
                if (!isOld && !isNew) {
                    const QuillResult again = s.apply("", true);
                    if (again.status != 0 || gameState(s.game()) != after)
                        fail("the rerun did not complete the apply: " + again.err);
                }
                ++outcomes[w][outcome];
                ++outcomes[w]["runs"];
            }
        }
    };
    std::thread other(sweep, 1);
    sweep(0);
    other.join();
    fs::remove_all(dir);

    for (int w = 0; w < 2; ++w) {
        for (std::size_t i = 0; i < failures[w].size() && i < 10; ++i)
            ADD_FAILURE() << failures[w][i];
        for (const auto& [what, count] : outcomes[w])
            if (w == 1)
                outcomes[0][what] += count;
    }
    std::string summary;
    for (const auto& [what, count] : outcomes[0])
        summary += what + " " + std::to_string(count) + "  ";
    std::printf("addin fault sweep: %zu calls: %s\n", calls.size(), summary.c_str());
    EXPECT_GT(outcomes[0]["failed, old"], 0);
    EXPECT_GT(outcomes[0]["killed, rerun"], 0);
    EXPECT_GT(outcomes[0]["killed, new"], 0);
    EXPECT_GT(outcomes[0]["applied"], 0);
}

} // namespace
