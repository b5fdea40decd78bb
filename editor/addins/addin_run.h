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
    // Failed: the message ("****** Can't find - " ...) and the reason as its title.
    std::string message;
    std::string title;
    bool sceneChanged = false;
};

// Takes the plan's steps in order. A No ends the run; a failed write ends it
// with the reason, and what was written before stays, backups included. With
// `dryRun` nothing is written: the host is told each write instead, and the
// questions are asked as in a real run.
AddinRunResult runAddin(const AddinPlan& plan, const AddinRequest& request, AddinHost& host,
                        bool dryRun);

// "backup PATH", "patch PATH", "insert PATH", "create PATH", "overwrite PATH";
// empty for steps that write nothing of a file (captions, questions,
// directories).
std::string actionLine(const AddinStep& step);
