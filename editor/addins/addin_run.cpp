#include "addin_run.h"

#include "addin_files.h"
#include "addin_paths.h"

namespace {
using Kind = AddinStep::Kind;

FileResult perform(const AddinStep& step, const AddinPlan& plan, const AddinRequest& request,
                   bool& sceneChanged) {
    switch (step.kind) {
    case Kind::Patch: {
        FileResult r = replaceFileIfUnchanged(pathToUtf8(step.path), step.expected, step.content);
        if (r.changed)
            r.error = "The file was changed by another program since it was read.";
        return r;
    }
    case Kind::Backup:
        return writeBackupFile(step.path, step.original, step.content);
    case Kind::Overwrite:
        return overwriteFile(step.path, step.content);
    case Kind::Create:
        return writeFileAtomically(step.path, step.content);
    case Kind::MakeDirectory:
        return createDirectory(step.path);
    case Kind::Insert: {
        const EditOutcome out = commitEdit(request.scenePath, request.indexed, *request.index,
                                           plan.insertion->edit, plan.insertion->expect);
        if (!out.ok)
            return FileResult{false, out.error};
        sceneChanged = true;
        return {};
    }
    case Kind::Caption:
    case Kind::Question:
        break;
    }
    return {};
}
} // namespace

std::string actionLine(const AddinStep& step) {
    const char* verb = nullptr;
    switch (step.kind) {
    case Kind::Backup:
        verb = "backup ";
        break;
    case Kind::Patch:
        verb = "patch ";
        break;
    case Kind::Insert:
        verb = "insert ";
        break;
    case Kind::Create:
        verb = "create ";
        break;
    case Kind::Overwrite:
        verb = "overwrite ";
        break;
    case Kind::Caption:
    case Kind::Question:
    case Kind::MakeDirectory:
        return {};
    }
    return verb + pathToUtf8(step.path);
}

AddinRunResult runAddin(const AddinPlan& plan, const AddinRequest& request, AddinHost& host,
                        bool dryRun) {
    AddinRunResult result;
    for (const AddinStep& step : plan.steps) {
        if (step.kind == Kind::Caption) {
            host.caption(step);
            continue;
        }
        if (step.kind == Kind::Question) {
            if (!host.ask(step.text)) {
                result.status = AddinRunResult::Status::Stopped;
                return result;
            }
            continue;
        }
        host.acting(step);
        if (dryRun)
            continue;
        if (step.kind == Kind::Insert && !plan.insertion)
            continue;
        const FileResult written = perform(step, plan, request, result.sceneChanged);
        if (!written) {
            result.status = AddinRunResult::Status::Failed;
            result.message = cantFindMessage(step.name);
            result.title = written.error;
            return result;
        }
    }
    return result;
}
