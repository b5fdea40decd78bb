#include "entry_list.h"
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <new>

#include "colours.h"
#include "dialogs.h"
#include "mdiform1.h"
#include "script_codec.h"
#include "script_listing.h"

// `listing` holds the listing's bytes (Windows-1252), built off the GUI thread.
void MDIForm1::showScriptListing(std::string listing) {
    RichTextBox1->clear();
    if (listing.empty())
        return;
    QFont listingFont = RichTextBox1->font();
    listingFont.setPointSize(8);
    listingFont.setBold(false);
    RichTextBox1->setFont(listingFont);
    RichTextBox1->setPlainText(QString::fromUtf8(scriptBytesToEditorText(listing)));
    setForeColour(Status, StatusGreen);
    Status->setText(" ---- Ready ---- ");
}

void MDIForm1::search2_Click() {
    if (VFL_Blocked || List2->count() == 0)
        return;
    const QString wanted = Text2(3)->text();
    // The question comes once per search: a search that started again from the
    // top and still found nothing has looked through the whole listing, and
    // asking again would never end.
    for (bool askedOnce = false;; askedOnce = true) {
        const QString shown = RichTextBox1->toPlainText();
        const qsizetype hit = listingSearchPos >= 0 && listingSearchPos <= shown.size()
                                  ? shown.indexOf(wanted, listingSearchPos, Qt::CaseInsensitive)
                                  : -1;
        if (hit >= 0) {
            QTextCursor selection = RichTextBox1->textCursor();
            selection.setPosition(static_cast<int>(hit));
            selection.setPosition(static_cast<int>(hit + wanted.size()), QTextCursor::KeepAnchor);
            RichTextBox1->setTextCursor(selection);
            listingSearchPos = static_cast<int>(hit + wanted.size());
            return;
        }
        if (askedOnce || !dialogs_.askYesNo("Start search again?", "end of Scripts!"))
            return;
        listingSearchPos = 0;
    }
}
