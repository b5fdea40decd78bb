#include <QLabel>
#include <QLineEdit>
#include <optional>
#include <string>

#include "colours.h"
#include "dialogs.h"
#include "entry_list.h"
#include "listing_view.h"
#include "mdiform1.h"
#include "script_codec.h"

// `listing` was built and split into lines off the GUI thread; the box draws
// only the lines on screen.
void MDIForm1::showScriptListing(ListingText listing) {
    if (listing.bytes().empty()) {
        RichTextBox1->clear();
        return;
    }
    QFont listingFont = RichTextBox1->font();
    listingFont.setPointSize(8);
    listingFont.setBold(false);
    RichTextBox1->setFont(listingFont);
    RichTextBox1->setListing(std::move(listing));
    setForeColour(Status, StatusGreen);
    Status->setText(" ---- Ready ---- ");
}

// Each time the end is reached the user is asked whether to start again at
// the top; the search goes on until a hit or a No.
void MDIForm1::search2_Click() {
    if (VFL_Blocked || List2->count() == 0)
        return;
    // The search text in the listing's bytes: a character Windows-1252 cannot
    // hold is nowhere in the listing.
    const std::optional<std::string> wanted =
        editorTextToScriptBytes(Text2(3)->text().toStdString());
    for (;;) {
        std::optional<std::size_t> hit;
        if (wanted && listingSearchPos >= 0)
            hit = RichTextBox1->listing().find(*wanted, std::size_t(listingSearchPos));
        if (hit) {
            const int end = int(*hit + wanted->size());
            RichTextBox1->select(int(*hit), end);
            listingSearchPos = end;
            return;
        }
        if (!dialogs_.askYesNo("Start search again?", "end of Scripts!"))
            return;
        listingSearchPos = 0;
    }
}
