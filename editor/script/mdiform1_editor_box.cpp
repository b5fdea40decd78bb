#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>

#include "colours.h"
#include "editor_box.h"
#include "entry_list.h"
#include "listing_view.h"
#include "mdiform1.h"
#include "script_codec.h"
#include "script_edit_box.h"
#include "script_panel.h"

namespace {
// Ctrl+Z and Ctrl+Y in the script box undo and redo its own typing, as in any
// text box; when the box has none to undo or redo, they reach the window's
// Undo and Redo of saved changes.
class TypingUndoFilter : public QObject {
public:
    explicit TypingUndoFilter(QPlainTextEdit* box) : QObject(box), box_(box) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::ShortcutOverride) {
            auto* key = static_cast<QKeyEvent*>(event);
            const bool undo = key->matches(QKeySequence::Undo);
            const bool redo = key->matches(QKeySequence::Redo) ||
                              key->keyCombination() == QKeyCombination(Qt::CTRL | Qt::Key_Y);
            QTextDocument* text = box_->document();
            if ((undo && !text->isUndoAvailable()) || (redo && !text->isRedoAvailable())) {
                event->ignore();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QPlainTextEdit* box_;
};
} // namespace

void MDIForm1::connectScriptHandlers() {
    Text1->installEventFilter(new TypingUndoFilter(Text1));
    connect(Text1, &QPlainTextEdit::textChanged, this, &MDIForm1::Text1_Change);
    connect(SaveScript, &QPushButton::clicked, this, &MDIForm1::SaveScript_Click);
    watchClicks(Text1, [this] { Text1_Click(); });
    watchClicks(RichTextBox1, [this] { RichTextBox1_Click(); });
    // A Ctrl+click on a quoted entry name selects that entry, as a click in
    // the list does (with its questions about unsaved edits).
    connect(scriptPanel->scriptBox, &ScriptEditBox::entryLinkActivated, this,
            [this](const QString& name) {
                if (VFL_Blocked)
                    return;
                // The entry of that name, else the first whose name has it
                // before a dot.
                int dotted = -1;
                for (int row = 0; row < List2->count(); ++row) {
                    const QString text = List2->itemText(row);
                    if (text == name) {
                        List2->setCurrentRow(row);
                        return;
                    }
                    if (dotted < 0 && text.startsWith(name + u'.'))
                        dotted = row;
                }
                if (dotted >= 0)
                    List2->setCurrentRow(dotted);
            });
}

// "act:" counts the bytes the box's text takes in the file, the measure that
// "org:" and the save use.
void MDIForm1::Text1_Change() {
    if (List2->count() == 0 || VFL_Blocked)
        return;
    if (!RefreshAll) {
        setForeColour(Status, StatusRed);
        Status->setText("--- Not Saved! ---");
    }
    Text2(7)->setText(QString::number(scriptByteLength(editorBoxText(Text1))));
}

void MDIForm1::Text1_Click() {
    Text1->setEnabled(List2->count() > 0);
}

void MDIForm1::RichTextBox1_Click() {
    if (List2->count() > 0)
        listingSearchPos = RichTextBox1->selectionStart();
}
