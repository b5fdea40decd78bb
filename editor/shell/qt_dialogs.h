#pragma once
#include "dialogs.h"

class QWidget;

// The real dialogs: message boxes with an OK button only and no icon, Yes/No
// questions, and the platform's open-file dialog. Each box shows its title
// inside as well and stands over the window the user is in.
class QtDialogs : public Dialogs {
public:
    explicit QtDialogs(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }

    void message(const QString& text, const QString& title) override;
    bool askYesNo(const QString& text, const QString& title, bool noIsDefault = false) override;
    Answer askYesNoCancel(const QString& text, const QString& title) override;
    QString openFile(const QString& caption, const QString& filter,
                     const QString& startFolder) override;

private:
    QWidget* owner() const;
    int ask(const QString& text, const QString& title, int buttons, int defaultButton,
            int escapeButton) const;
    QWidget* parent_;
};
