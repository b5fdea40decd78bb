#include "addin_run.h"

#include <algorithm>
#include <set>
#include <system_error>

#include "addin_files.h"
#include "addin_paths.h"

namespace fs = std::filesystem;

namespace {
using Kind = AddinStep::Kind;

const char* const kChangedMeanwhile = "The file was changed by another program since it was read.";

bool writes(const AddinStep& step) {
    return step.kind != Kind::Caption && step.kind != Kind::Question;
}

// How one change of the run is undone.
struct PutBack {
    enum class How { Replace, Remove }; // Remove: a file, or a folder if empty
    How how = How::Replace;
    const AddinStep* step = nullptr;
    ByteSpan old;                      // Replace: the bytes put back
    ByteSpan written;                  // Replace: the bytes the run wrote
    std::vector<std::uint8_t> ownCopy; // holds `written` when nothing else does
};

// One run of a plan as a single change: every file's save lock is taken and
// every file is compared with what the plan read before the first write; a
// failed write puts back what the run had changed, the last change first.
// The ".sav" backups are the user's and stay.
class Transaction {
public:
    Transaction(const AddinPlan& plan, const AddinRequest& request, AddinHost& host)
        : plan_(plan), request_(request), host_(host) {}
    AddinRunResult run(bool dryRun);

private:
    FileResult lockAll(const AddinStep*& failedStep);
    FileResult checkAll(const AddinStep*& failedStep) const;
    FileResult perform(const AddinStep& step);
    std::string putBackAll();
    AddinRunResult failed(const AddinStep& step, const std::string& reason);

    const AddinPlan& plan_;
    const AddinRequest& request_;
    AddinHost& host_;
    SaveLocks locks_;
    std::set<fs::path> touched_; // paths this run wrote, recorded once
    std::vector<PutBack> journal_;
    bool sceneChanged_ = false;
};

// The folders the run writes into (locked beside the folder, so that a run
// that creates one and a run that finds it keep apart) and the files
// themselves where their folder is there already.
FileResult Transaction::lockAll(const AddinStep*& failedStep) {
    std::vector<std::string> paths;
    std::vector<const AddinStep*> owners;
    std::set<fs::path> madeFolders;
    for (const AddinStep& step : plan_.steps) {
        auto lock = [&](const fs::path& p) {
            paths.push_back(pathToUtf8(p));
            owners.push_back(&step);
        };
        switch (step.kind) {
        case Kind::Patch:
        case Kind::Insert:
            lock(step.path);
            break;
        case Kind::MakeDirectory:
            madeFolders.insert(step.path);
            lock(step.path);
            break;
        case Kind::Create:
        case Kind::Overwrite:
            lock(step.path.parent_path());
            if (!madeFolders.count(step.path.parent_path()))
                lock(step.path);
            break;
        case Kind::Backup: // written under the lock of the file it copies
        case Kind::Caption:
        case Kind::Question:
            break;
        }
    }
    std::size_t failed = 0;
    FileResult r = takeSaveLocks(paths, locks_, &failed);
    if (!r)
        failedStep = owners[failed];
    return r;
}

// Each path as the plan found it: the same bytes, or still nothing there.
FileResult Transaction::checkAll(const AddinStep*& failedStep) const {
    std::set<fs::path> seen;
    for (const AddinStep& step : plan_.steps) {
        if (!writes(step) || !seen.insert(step.path).second)
            continue;
        failedStep = &step;
        std::error_code ec;
        const fs::file_status st = fs::symlink_status(step.path, ec);
        if (!step.existed) {
            if (st.type() != fs::file_type::not_found)
                return FileResult{false, ec ? ec.message() : kChangedMeanwhile};
            continue;
        }
        std::vector<std::uint8_t> now;
        if (FileResult rd = readWholeFile(pathToUtf8(step.path), now); !rd)
            return rd;
        const bool same = step.kind == Kind::Insert
                              ? now.size() == request_.indexed.size() &&
                                    std::equal(now.begin(), now.end(), request_.indexed.data())
                              : now == step.expected;
        if (!same)
            return FileResult{false, kChangedMeanwhile};
    }
    failedStep = nullptr;
    return {};
}

FileResult Transaction::perform(const AddinStep& step) {
    const bool first = !touched_.count(step.path);
    PutBack undo;
    undo.step = &step;
    FileResult r;
    switch (step.kind) {
    case Kind::Patch:
        r = replaceFileIfUnchanged(pathToUtf8(step.path), step.expected, step.content, locks_);
        if (r.changed)
            r.error = kChangedMeanwhile;
        undo.old = step.expected;
        undo.written = step.content;
        break;
    case Kind::Backup:
        return writeBackupFile(step.path, step.original, step.content);
    case Kind::Overwrite:
        r = overwriteFile(step.path, step.content);
        if (step.existed) {
            undo.old = step.expected;
            undo.written = step.content;
        } else {
            undo.how = PutBack::How::Remove; // made by this run, then written again
        }
        break;
    case Kind::Create:
        r = writeFileAtomically(step.path, step.content);
        undo.how = PutBack::How::Remove;
        break;
    case Kind::MakeDirectory:
        r = createDirectory(step.path);
        undo.how = PutBack::How::Remove;
        break;
    case Kind::Insert: {
        EditOutcome out = commitEdit(request_.scenePath, request_.indexed, *request_.index,
                                     plan_.insertion->edit, plan_.insertion->expect, &locks_);
        if (!out.ok)
            return FileResult{false, out.error};
        sceneChanged_ = true;
        undo.ownCopy = std::move(out.newBytes);
        undo.old = ByteSpan(request_.indexed.data(), request_.indexed.size());
        undo.written = undo.ownCopy;
        break;
    }
    case Kind::Caption:
    case Kind::Question:
        return {};
    }
    if (r && first) {
        touched_.insert(step.path);
        journal_.push_back(std::move(undo));
    }
    return r;
}

// Puts back every change, the last first; returns the names (and reasons) of
// the files that could not be put back, "; "-separated.
std::string Transaction::putBackAll() {
    std::string notBack;
    for (auto it = journal_.rbegin(); it != journal_.rend(); ++it) {
        const AddinStep& step = *it->step;
        FileResult r;
        std::error_code ec;
        switch (it->how) {
        case PutBack::How::Replace:
            // Atomic, and only over the bytes this run wrote.
            r = replaceFileIfUnchanged(pathToUtf8(step.path), it->written, it->old, locks_);
            if (r && step.kind == Kind::Insert)
                sceneChanged_ = false;
            break;
        case PutBack::How::Remove: {
            // Only what the run made: a plain file, or its folder if empty.
            const fs::file_type type = fs::symlink_status(step.path, ec).type();
            const fs::file_type made = step.kind == Kind::MakeDirectory ? fs::file_type::directory
                                                                        : fs::file_type::regular;
            if (type != made)
                r = FileResult{false, "Something else is in its place now."};
            else if (!fs::remove(step.path, ec) || ec)
                r = FileResult{false, ec ? ec.message() : "It is no longer there."};
            break;
        }
        }
        if (!r)
            notBack += (notBack.empty() ? "" : "; ") + step.name + " (" + r.error + ")";
    }
    journal_.clear();
    return notBack;
}

AddinRunResult Transaction::failed(const AddinStep& step, const std::string& reason) {
    AddinRunResult result;
    result.status = AddinRunResult::Status::Failed;
    result.message = cantFindMessage(step.name);
    const bool changes = !journal_.empty();
    const std::string notBack = putBackAll();
    result.title = reason;
    if (!result.title.empty() && result.title.back() != '.')
        result.title += '.';
    if (!changes)
        result.title += " No mission or game file was changed.";
    else if (notBack.empty())
        result.title += " The files this add-in had changed were put back.";
    else
        result.title += " These could not be put back: " + notBack + ".";
    result.sceneChanged = sceneChanged_;
    return result;
}

AddinRunResult Transaction::run(bool dryRun) {
    const AddinStep* bad = nullptr;
    if (!dryRun) {
        if (FileResult r = lockAll(bad); !r)
            return failed(*bad, r.error);
        if (FileResult r = checkAll(bad); !r)
            return failed(*bad, r.error);
    }
    AddinRunResult result;
    for (const AddinStep& step : plan_.steps) {
        if (step.kind == Kind::Caption) {
            host_.caption(step);
            continue;
        }
        if (step.kind == Kind::Question) {
            // No ends the run and keeps what was written before it.
            if (!host_.ask(step.text)) {
                result.status = AddinRunResult::Status::Stopped;
                break;
            }
            continue;
        }
        host_.acting(step);
        if (dryRun || (step.kind == Kind::Insert && !plan_.insertion))
            continue;
        if (FileResult written = perform(step); !written)
            return failed(step, written.error);
    }
    result.sceneChanged = sceneChanged_;
    return result;
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
    return Transaction(plan, request, host).run(dryRun);
}
