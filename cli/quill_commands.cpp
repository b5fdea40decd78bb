#include "quill_commands.h"

#include <filesystem>

#include "addin_commands.h"
#include "file_access.h"
#include "index_json.h"
#include "insert_commands.h"
#include "qs_version.h"
#include "scene_index.h"
#include "scene_verify.h"
#include "script_commands.h"
#include "values_commands.h"

namespace {
constexpr const char* kUsage =
    "usage: quill index [--json] SCENE\n"
    "       quill verify SCENE\n"
    "       quill script get SCENE ENTRY\n"
    "       quill script set SCENE ENTRY FILE\n"
    "       quill scripts export SCENE DIR\n"
    "       quill scripts import SCENE DIR\n"
    "       quill addin apply SCENE ADDIN [--yes] [--dry-run]\n"
    "       quill addin pack DIR OUT.qxa\n"
    "       quill insert SCENE --category CATEGORY --name NAME [options]\n"
    "       quill delete SCENE ENTRY\n"
    "       quill values get SCENE ENTRY\n"
    "       quill values set SCENE ENTRY [options]\n"
    "       quill --help | --version\n"
    "ENTRY is a list index or an exact entry name.\n";

int usage(std::ostream& err) {
    err << kUsage;
    return 2;
}

bool load(const std::string& path, MappedFile& bytes, std::ostream& err) {
    if (auto r = bytes.open(path); !r) {
        err << "quill: cannot read " << path << ": " << r.error << '\n';
        return false;
    }
    return true;
}

int cmdIndex(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    bool json = false;
    std::string path;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--json")
            json = true;
        else if (path.empty())
            path = args[i];
        else
            return usage(err);
    }
    if (path.empty())
        return usage(err);
    MappedFile bytes;
    if (!load(path, bytes, err))
        return 2;
    const SceneIndex index = buildSceneIndex(ByteView(bytes.data(), bytes.size()));
    if (json)
        writeIndexJson(index, out);
    else
        writeIndexText(index, out);
    return 0;
}

int cmdVerify(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() != 2)
        return usage(err);
    MappedFile bytes;
    if (!load(args[1], bytes, err))
        return 2;
    const VerifyReport r = verifyScene(ByteView(bytes.data(), bytes.size()));
    // Known exceptions are shown, by name and reason, but do not fail the file.
    for (const auto& e : r.excused)
        out << e.problem.offset << ": known exception " << e.exception << " (" << e.reason
            << "): " << e.problem.what << '\n';
    if (r.moreExcused)
        out << "... and " << r.moreExcused << " more known exceptions\n";
    if (r.ok()) {
        out << "ok: " << r.objects << " objects, " << r.definitions << " definitions, " << r.scripts
            << " object scripts, " << r.initScripts << " init scripts\n";
        return 0;
    }
    for (const auto& p : r.problems)
        out << p.offset << ": " << p.what << '\n';
    if (r.moreProblems)
        out << "... and " << r.moreProblems << " more problems\n";
    return 1;
}
int runCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.empty())
        return usage(err);
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        out << kUsage;
        return 0;
    }
    if (args.size() == 1 && args[0] == "--version") {
        out << "quill " << QsVersion << '\n';
        return 0;
    }
    if (args[0] == "index")
        return cmdIndex(args, out, err);
    if (args[0] == "verify")
        return cmdVerify(args, out, err);
    if (args[0] == "insert")
        return cmdInsert(args, out, err);
    if (args[0] == "delete")
        return cmdDelete(args, out, err);
    if (args.size() >= 2 && args[0] == "script" && args[1] == "get")
        return cmdScriptGet(args, out, err);
    if (args.size() >= 2 && args[0] == "script" && args[1] == "set")
        return cmdScriptSet(args, out, err);
    if (args.size() >= 2 && args[0] == "scripts" && args[1] == "export")
        return cmdScriptsExport(args, out, err);
    if (args.size() >= 2 && args[0] == "scripts" && args[1] == "import")
        return cmdScriptsImport(args, out, err);
    if (args[0] == "addin")
        return cmdAddin(args, out, err);
    if (args.size() >= 2 && args[0] == "values" && args[1] == "get")
        return cmdValuesGet(args, out, err);
    if (args.size() >= 2 && args[0] == "values" && args[1] == "set")
        return cmdValuesSet(args, out, err);
    return usage(err);
}
} // namespace

// Every command ends here: a file system failure that a command did not turn
// into its own message still becomes one, naming the paths, never an abort.
int runQuill(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    try {
        return runCommand(args, out, err);
    } catch (const std::filesystem::filesystem_error& e) {
        // what() is "filesystem error: <operation>: <reason> [path] [path]",
        // the paths in the system's narrow form: they are written as UTF-8.
        std::string what = e.what();
        const std::string reason = e.code().message();
        if (const auto at = what.find(reason); at != std::string::npos)
            what.erase(at + reason.size());
        if (const std::string prefix = "filesystem error: "; what.starts_with(prefix))
            what.erase(0, prefix.size());
        err << "quill: " << what;
        for (const auto* p : {&e.path1(), &e.path2()})
            if (!p->empty())
                err << ": " << pathToUtf8(*p);
        err << '\n';
        return 2;
    }
}
