#pragma once
#include <QString>
#include <functional>
#include <string>

#include "open_scene.h"

// What a writer asks the window's edit runner to do.
struct WindowEdit {
    QString workCaption;        // Frame1's caption while it runs
    std::string historyCaption; // "Save script - NAME": what Undo names
    // Plans and commits the edit of `bytes` (indexed as `index`) to the file
    // at `path`, off the GUI thread; a refused plan is an outcome with its
    // reason in `error`.
    std::function<CommittedEdit(const std::string& path, ByteView bytes, const SceneIndex& index)>
        commit;
    // After a change of length or of the entries: the List2 row to show, from
    // the edit and the new index (the lists already show it). Edits that keep
    // both keep the selection and the panel as they are.
    std::function<int(const Edit&)> showAfter;
    QString doneStatus; // Status after the save
    // The message when the file changed on disk; none when changedText is
    // empty (the caller tells the user itself).
    QString changedTitle;
    QString changedText;
};

// The open scene as the windows other than the main one use it: they read it
// and change it only the way the main window changes it.
class SceneEditor {
public:
    virtual ~SceneEditor() = default;
    virtual const OpenScene& openScene() const = 0;
    // A file with entries is open and no file operation runs.
    virtual bool readyForEdit() const = 0;
    // Unsaved edits of the main window are saved or dropped as the user says
    // before the scene changes; false when the user cancelled.
    virtual bool settleBeforeChange() = 0;
    virtual void runSceneEdit(const WindowEdit& edit) = 0;
};
