#pragma once
#include <string>

#include "addin_plan.h"

// What a run needs of its caller: the window shows captions and asks with
// message boxes; quill prints and answers from its options.
class AddinHost {
public:
    virtual ~AddinHost() = default;
    virtual void caption(const AddinStep& step) { (void)step; }
    // Yes: true.
    virtual bool ask(const std::string& question) = 0;
    // Called before each write (and instead of it in a dry run).
    virtual void acting(const AddinStep& step) { (void)step; }
};

struct AddinRunResult {
    enum class Status { Completed, Stopped, Failed };
    Status status = Status::Completed;
    // Failed: the message ("****** Can't find - " ...) and the reason as its
    // title, followed by what was put back.
    std::string message;
    std::string title;
    // scene2.bin on disk is no longer the indexed file.
    bool sceneChanged = false;
};

// Takes the plan's steps in order, as one change of all the files it writes.
// Before the first write it takes the save lock of every file (and of each
// game folder written into) and checks that every file is still as the plan
// read it, or still absent; otherwise nothing is written. A failed write
// puts back, the last first, what the run had changed in the mission's and
// the game's files (files and empty folders it made are removed; the ".sav"
// backups stay), and the failure's title says what was put back. A No ends
// the run and keeps what was written before the question. With `dryRun`
// nothing is locked or written: the host is told each write instead, and the
// questions are asked as in a real run.
AddinRunResult runAddin(const AddinPlan& plan, const AddinRequest& request, AddinHost& host,
                        bool dryRun);

// "backup PATH", "patch PATH", "insert PATH", "create PATH", "overwrite PATH";
// empty for steps that write nothing of a file (captions, questions,
// directories).
std::string actionLine(const AddinStep& step);
