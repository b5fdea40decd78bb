#pragma once
#include <QString>

// Every message box, question and file dialog of the windows goes through
// this interface, so tests can answer them from a script and record them.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    // Message box with an OK button only and no icon.
    virtual void message(const QString& text, const QString& title) = 0;
    // Yes/No question; true for Yes. With `noIsDefault`, Enter answers No.
    virtual bool askYesNo(const QString& text, const QString& title, bool noIsDefault = false) = 0;
    // Yes/No/Cancel question about unsaved work. Escape and the box's close
    // button answer Cancel, so nothing is dropped by a key press.
    enum class Answer { Yes, No, Cancel };
    virtual Answer askYesNoCancel(const QString& text, const QString& title) = 0;
    // Open-file dialog for an existing file, starting in `startFolder` (empty:
    // the platform's choice); empty when cancelled.
    virtual QString openFile(const QString& caption, const QString& filter,
                             const QString& startFolder) = 0;
};
