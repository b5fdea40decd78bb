#pragma once
#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// Find, Replace and Go to line for the script box, in a bar under it that
// shows when asked for (Ctrl+F, Ctrl+H, Ctrl+G) and hides on Escape.
class ScriptFindBar : public QWidget {
    Q_OBJECT
public:
    explicit ScriptFindBar(QPlainTextEdit* box, QWidget* parent = nullptr);

    void openFind();     // Ctrl+F
    void openReplace();  // Ctrl+H
    void openGotoLine(); // Ctrl+G
    // The next match after the cursor, from the top again after the last (F3).
    bool findNext();
    // Replaces the match that is selected, then finds the next.
    void replaceOne();
    // Replaces every match in one step of the box's undo; returns how many.
    int replaceAll();
    bool gotoLine(int line);

    QLineEdit* FindText;
    QLineEdit* ReplaceText;
    QCheckBox* MatchCase;
    QCheckBox* WholeWord;
    QPushButton* FindNext;
    QPushButton* ReplaceOne;
    QPushButton* ReplaceAll;
    QLineEdit* GotoLine;
    QLabel* FindStatus;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void showRows(bool replace, bool gotoLine);
    int findFlags() const;
    bool selectionMatches() const;

    QPlainTextEdit* box_;
    QWidget* replaceRow_;
    QWidget* findRow_;
    QWidget* gotoRow_;
};
