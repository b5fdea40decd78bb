#include "script_find_bar.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTextDocument>
#include <QVBoxLayout>

#include "layout_support.h"

ScriptFindBar::ScriptFindBar(QPlainTextEdit* box, QWidget* parent) : QWidget(parent), box_(box) {
    setObjectName("ScriptFindBar");
    auto* rows = new QVBoxLayout(this);
    rows->setContentsMargins(0, 2, 0, 0);
    rows->setSpacing(2);

    findRow_ = new QWidget;
    auto* find = new QHBoxLayout(findRow_);
    find->setContentsMargins(0, 0, 0, 0);
    FindText = textBox("FindText");
    FindText->setPlaceholderText("Find");
    MatchCase = named(new QCheckBox("Case"), "MatchCase");
    WholeWord = named(new QCheckBox("Word"), "WholeWord");
    FindNext = named(new QPushButton("Next"), "FindNext");
    FindStatus = named(new QLabel, "FindStatus");
    find->addWidget(FindText, 1);
    find->addWidget(MatchCase);
    find->addWidget(WholeWord);
    find->addWidget(FindNext);
    find->addWidget(FindStatus);
    rows->addWidget(findRow_);

    replaceRow_ = new QWidget;
    auto* replace = new QHBoxLayout(replaceRow_);
    replace->setContentsMargins(0, 0, 0, 0);
    ReplaceText = textBox("ReplaceText");
    ReplaceText->setPlaceholderText("Replace with");
    ReplaceOne = named(new QPushButton("Replace"), "ReplaceOne");
    ReplaceAll = named(new QPushButton("All"), "ReplaceAll");
    replace->addWidget(ReplaceText, 1);
    replace->addWidget(ReplaceOne);
    replace->addWidget(ReplaceAll);
    rows->addWidget(replaceRow_);

    gotoRow_ = new QWidget;
    auto* gotoLayout = new QHBoxLayout(gotoRow_);
    gotoLayout->setContentsMargins(0, 0, 0, 0);
    gotoLayout->addWidget(new QLabel("Go to line"));
    GotoLine = textBox("GotoLine");
    gotoLayout->addWidget(GotoLine, 1);
    rows->addWidget(gotoRow_);

    FindText->setToolTip("Text to find in the script (F3: next)");
    ReplaceText->setToolTip("Text that takes the place of each match");
    MatchCase->setToolTip("Match letter case");
    WholeWord->setToolTip("Match whole words only");
    FindNext->setToolTip("Find the next match (F3)");
    ReplaceOne->setToolTip("Replace the selected match, then find the next");
    ReplaceAll->setToolTip("Replace every match in the script");
    GotoLine->setToolTip("Line number to go to");

    connect(FindText, &QLineEdit::returnPressed, this, [this] { findNext(); });
    connect(FindNext, &QPushButton::clicked, this, [this] { findNext(); });
    connect(ReplaceText, &QLineEdit::returnPressed, this, &ScriptFindBar::replaceOne);
    connect(ReplaceOne, &QPushButton::clicked, this, &ScriptFindBar::replaceOne);
    connect(ReplaceAll, &QPushButton::clicked, this, [this] { replaceAll(); });
    connect(GotoLine, &QLineEdit::returnPressed, this, [this] {
        bool number = false;
        const int line = GotoLine->text().trimmed().toInt(&number);
        if (number && gotoLine(line))
            hide();
    });
    hide();
}

void ScriptFindBar::showRows(bool replace, bool gotoLineRow) {
    findRow_->setVisible(!gotoLineRow);
    replaceRow_->setVisible(replace && !gotoLineRow);
    gotoRow_->setVisible(gotoLineRow);
    FindStatus->clear();
    show();
}

void ScriptFindBar::openFind() {
    showRows(false, false);
    const QString selected = box_->textCursor().selectedText();
    if (!selected.isEmpty() && !selected.contains(QChar::ParagraphSeparator))
        FindText->setText(selected);
    FindText->setFocus();
    FindText->selectAll();
}

void ScriptFindBar::openReplace() {
    openFind();
    replaceRow_->show();
}

void ScriptFindBar::openGotoLine() {
    showRows(false, true);
    GotoLine->setText(QString::number(box_->textCursor().blockNumber() + 1));
    GotoLine->setFocus();
    GotoLine->selectAll();
}

int ScriptFindBar::findFlags() const {
    QTextDocument::FindFlags flags;
    if (MatchCase->isChecked())
        flags |= QTextDocument::FindCaseSensitively;
    if (WholeWord->isChecked())
        flags |= QTextDocument::FindWholeWords;
    return static_cast<int>(flags);
}

bool ScriptFindBar::findNext() {
    const QString wanted = FindText->text();
    if (wanted.isEmpty())
        return false;
    const auto flags = QTextDocument::FindFlags(findFlags());
    QTextCursor found = box_->document()->find(wanted, box_->textCursor(), flags);
    if (found.isNull()) // from the top again
        found = box_->document()->find(wanted, 0, flags);
    if (found.isNull()) {
        FindStatus->setText("Not found");
        return false;
    }
    FindStatus->clear();
    box_->setTextCursor(found);
    box_->ensureCursorVisible();
    return true;
}

bool ScriptFindBar::selectionMatches() const {
    const QTextCursor cursor = box_->textCursor();
    if (!cursor.hasSelection())
        return false;
    // The selection is a match when searching from its start finds just it.
    QTextCursor from(box_->document());
    from.setPosition(cursor.selectionStart());
    const QTextCursor found =
        box_->document()->find(FindText->text(), from, QTextDocument::FindFlags(findFlags()));
    return !found.isNull() && found.selectionStart() == cursor.selectionStart() &&
           found.selectionEnd() == cursor.selectionEnd();
}

void ScriptFindBar::replaceOne() {
    if (box_->isReadOnly() || !box_->isEnabled() || FindText->text().isEmpty())
        return;
    if (selectionMatches())
        box_->textCursor().insertText(ReplaceText->text());
    findNext();
}

int ScriptFindBar::replaceAll() {
    if (box_->isReadOnly() || !box_->isEnabled() || FindText->text().isEmpty())
        return 0;
    const auto flags = QTextDocument::FindFlags(findFlags());
    QTextCursor edit(box_->document());
    edit.beginEditBlock();
    int replaced = 0;
    QTextCursor found = box_->document()->find(FindText->text(), 0, flags);
    while (!found.isNull()) {
        found.insertText(ReplaceText->text());
        ++replaced;
        found = box_->document()->find(FindText->text(), found, flags);
    }
    edit.endEditBlock();
    FindStatus->setText(QString("%1 replaced").arg(replaced));
    return replaced;
}

bool ScriptFindBar::gotoLine(int line) {
    const QTextBlock block = box_->document()->findBlockByNumber(line - 1);
    if (!block.isValid()) {
        FindStatus->setText("No such line");
        return false;
    }
    QTextCursor cursor(block);
    box_->setTextCursor(cursor);
    box_->centerCursor();
    box_->setFocus();
    return true;
}

void ScriptFindBar::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        hide();
        box_->setFocus();
        return;
    }
    QWidget::keyPressEvent(event);
}
