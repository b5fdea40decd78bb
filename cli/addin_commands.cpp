#include "addin_commands.h"

#include <filesystem>

#include "addin_files.h"
#include "addin_pack.h"
#include "addin_paths.h"
#include "addin_run.h"
#include "file_access.h"
#include "scene_index.h"

namespace {
constexpr const char* kUsage = "usage: quill addin apply SCENE ADDIN [--yes] [--dry-run]\n"
                               "       quill addin pack DIR OUT.qxa\n";

int usage(std::ostream& err) {
    err << kUsage;
    return 2;
}

void report(std::ostream& err, const std::string& message, const std::string& reason) {
    err << message;
    if (!reason.empty())
        err << " (" << reason << ")";
    err << '\n';
}

// Answers every question alike and lists the writes of a dry run.
class CliHost : public AddinHost {
public:
    CliHost(bool yes, bool dryRun, std::ostream& out, std::ostream& err)
        : yes_(yes), dryRun_(dryRun), out_(out), err_(err) {}
    bool ask(const std::string& question) override {
        err_ << question << ' ' << (yes_ ? "Yes" : "No") << '\n';
        return yes_;
    }
    void acting(const AddinStep& step) override {
        if (!dryRun_)
            return;
        if (const std::string line = actionLine(step); !line.empty())
            out_ << line << '\n';
    }

private:
    bool yes_;
    bool dryRun_;
    std::ostream& out_;
    std::ostream& err_;
};

int apply(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    bool yes = false;
    bool dryRun = false;
    std::vector<std::string> paths;
    for (std::size_t i = 2; i < args.size(); ++i) {
        if (args[i] == "--yes")
            yes = true;
        else if (args[i] == "--dry-run")
            dryRun = true;
        else
            paths.push_back(args[i]);
    }
    if (paths.size() != 2)
        return usage(err);
    const std::string scenePath = pathToUtf8(std::filesystem::absolute(pathFromUtf8(paths[0])));
    const std::string& addinPath = paths[1];
    std::vector<std::uint8_t> scene;
    if (auto r = readWholeFile(scenePath, scene); !r) {
        report(err, cantFindMessage(pathToUtf8(pathFromUtf8(scenePath).filename())), r.error);
        return 2;
    }
    std::vector<std::uint8_t> addin;
    if (auto r = readWholeFile(addinPath, addin); !r) {
        report(err, cantFindMessage(pathToUtf8(pathFromUtf8(addinPath).filename())), r.error);
        return 2;
    }
    const SceneIndex index = buildSceneIndex(ByteView(scene.data(), scene.size()));
    AddinRequest request;
    request.scenePath = scenePath;
    request.indexed = ByteView(scene.data(), scene.size());
    request.index = &index;
    request.addinPath = addinPath;
    request.addin = ByteView(addin.data(), addin.size());
    const AddinPlanResult planned = planAddin(request);
    if (!planned.plan) {
        report(err, planned.message, planned.title);
        return 2;
    }
    CliHost host(yes, dryRun, out, err);
    const AddinRunResult run = runAddin(*planned.plan, request, host, dryRun);
    switch (run.status) {
    case AddinRunResult::Status::Completed:
        return 0;
    case AddinRunResult::Status::Stopped:
        return 1;
    case AddinRunResult::Status::Failed:
        report(err, run.message, run.title);
        return 2;
    }
    return 2;
}

int pack(const std::vector<std::string>& args, std::ostream& err) {
    if (args.size() != 4)
        return usage(err);
    const FolderRead folder = readAddinFolder(pathFromUtf8(args[2]));
    if (!folder.source) {
        err << "quill: " << folder.error << '\n';
        return 2;
    }
    const PackResult packed = packAddin(*folder.source);
    if (!packed.ok()) {
        err << "quill: " << packed.error << '\n';
        return 2;
    }
    std::filesystem::path target = std::filesystem::absolute(pathFromUtf8(args[3]));
    if (auto r = writeFileAtomically(target, packed.bytes); !r) {
        err << "quill: cannot write " << args[3] << ": " << r.error << '\n';
        return 2;
    }
    return 0;
}
} // namespace

int cmdAddin(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() >= 2 && args[1] == "apply")
        return apply(args, out, err);
    if (args.size() >= 2 && args[1] == "pack")
        return pack(args, err);
    return usage(err);
}
