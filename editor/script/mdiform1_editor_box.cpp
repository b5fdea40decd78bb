#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "colours.h"
#include "editor_box.h"
#include "entry_list.h"
#include "listing_view.h"
#include "mdiform1.h"
#include "script_codec.h"

void MDIForm1::connectScriptHandlers() {
    connect(Text1, &QPlainTextEdit::textChanged, this, &MDIForm1::Text1_Change);
    connect(SaveScript, &QPushButton::clicked, this, &MDIForm1::SaveScript_Click);
    watchClicks(Text1, [this] { Text1_Click(); });
    watchClicks(RichTextBox1, [this] { RichTextBox1_Click(); });
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
