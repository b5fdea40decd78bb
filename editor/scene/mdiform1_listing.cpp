#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <new>

#include "colours.h"
#include "dialogs.h"
#include "mdiform1.h"
#include "script_codec.h"
#include "script_listing.h"

void MDIForm1::showScriptListing() {
    VFL_Blocked = true;
    RichTextBox1->clear();
    QString listing;
    try {
        // The listing describes the bytes the index was just built from.
        const ByteView file(indexedFile.data(), indexedFile.size());
        listing = QString::fromUtf8(scriptBytesToEditorText(buildScriptListing(file, sceneIndex)));
    } catch (const std::bad_alloc&) {
        // A listing too large for memory leaves the box empty.
    }
    if (!listing.isEmpty()) {
        QFont listingFont = RichTextBox1->font();
        listingFont.setPointSize(8);
        listingFont.setBold(false);
        RichTextBox1->setFont(listingFont);
        // One assignment for the whole text keeps a listing of thousands of
        // scripts quick.
        RichTextBox1->setPlainText(listing);
        setForeColour(Status, StatusGreen);
        Status->setText(" ---- Ready ---- ");
    }
    VFL_Blocked = false;
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
