#pragma once
#include <QString>
#include <deque>
#include <gtest/gtest.h>
#include <vector>

#include "dialogs.h"

// Answers the windows' dialogs from a script and records every dialog shown.
class FakeDialogs : public Dialogs {
public:
    enum class Kind { Message, Question, OpenFile };
    struct Shown {
        Kind kind;
        QString text;  // the open dialog's filter
        QString title; // the open dialog's caption
        bool noIsDefault = false;
        QString startFolder; // the open dialog's
    };

    // Paths the open dialog returns in turn; an empty path is a cancel.
    std::deque<QString> openFileAnswers;
    std::deque<bool> yesNoAnswers;
    // Answers of the Yes/No/Cancel questions, in turn.
    std::deque<Answer> threeWayAnswers;
    std::vector<Shown> shown;

    void message(const QString& text, const QString& title) override {
        shown.push_back({Kind::Message, text, title, false, {}});
    }

    bool askYesNo(const QString& text, const QString& title, bool noIsDefault) override {
        shown.push_back({Kind::Question, text, title, noIsDefault, {}});
        if (yesNoAnswers.empty()) {
            ADD_FAILURE() << "unexpected question: " << text.toStdString();
            return false;
        }
        const bool answer = yesNoAnswers.front();
        yesNoAnswers.pop_front();
        return answer;
    }

    Answer askYesNoCancel(const QString& text, const QString& title) override {
        shown.push_back({Kind::Question, text, title, false, {}});
        if (threeWayAnswers.empty()) {
            ADD_FAILURE() << "unexpected question: " << text.toStdString();
            return Answer::Cancel;
        }
        const Answer answer = threeWayAnswers.front();
        threeWayAnswers.pop_front();
        return answer;
    }

    QString openFile(const QString& caption, const QString& filter,
                     const QString& startFolder) override {
        shown.push_back({Kind::OpenFile, filter, caption, false, startFolder});
        if (openFileAnswers.empty()) {
            ADD_FAILURE() << "unexpected open dialog";
            return {};
        }
        const QString answer = openFileAnswers.front();
        openFileAnswers.pop_front();
        return answer;
    }

    std::vector<Shown> messages() const { return ofKind(Kind::Message); }
    std::vector<Shown> questions() const { return ofKind(Kind::Question); }
    std::vector<Shown> openDialogs() const { return ofKind(Kind::OpenFile); }

private:
    std::vector<Shown> ofKind(Kind kind) const {
        std::vector<Shown> found;
        for (const Shown& one : shown)
            if (one.kind == kind)
                found.push_back(one);
        return found;
    }
};
