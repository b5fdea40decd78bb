#include "listing_view.h"

#include "script_fixture.h"

namespace {

constexpr int Crate = 2;
constexpr int Guard = 4;

class EditorBox : public ScriptWindow {};

TEST_F(EditorBox, TypingCountsTheBytesAndMarksTheScriptNotSaved) {
    open(scripts::displayScene());
    clickEntry(Crate);
    const int loaded = int(scripts::CrateScript.size());
    ASSERT_EQ(act(), QString::number(loaded));
    typeAt(Qt::Key_End, "x");
    EXPECT_EQ(act(), QString::number(loaded + 1));
    EXPECT_EQ(org(), QString::number(loaded));
    EXPECT_EQ(status(), "--- Not Saved! ---");
    EXPECT_EQ(foreColour(statusLabel()), StatusRed);
    // A line break is CR LF in the file.
    QTest::keyClick(editor(), Qt::Key_Return);
    EXPECT_EQ(act(), QString::number(loaded + 3));
    // One byte each: a Windows-1252 letter, and a character the save will refuse.
    type(QString::fromUtf8("é"));
    EXPECT_EQ(act(), QString::number(loaded + 4));
    type(QString::fromUtf8("Ω"));
    EXPECT_EQ(act(), QString::number(loaded + 5));
}

TEST_F(EditorBox, DeletingAllTextShowsZero) {
    open(scripts::displayScene());
    clickEntry(Guard);
    replaceAll("");
    EXPECT_EQ(act(), "0");
    EXPECT_EQ(org(), QString::number(scripts::GuardScript.size()));
}

TEST_F(EditorBox, ChangesDuringAFileOperationAreIgnored) {
    open(scripts::displayScene());
    clickEntry(Guard);
    window.VFL_Blocked = true;
    typeAt(Qt::Key_End, "abc");
    EXPECT_EQ(act(), QString::number(scripts::GuardScript.size()));
    EXPECT_EQ(status(), " ---- Ready ---- ");
    window.VFL_Blocked = false;
}

TEST_F(EditorBox, ChangeWithAnEmptyListChangesNothing) {
    open(mini::scene({}));
    ASSERT_EQ(rowCount(list("List2")), 0);
    const QString before = status();
    editor()->setEnabled(true);
    typeAt(Qt::Key_End, "abc");
    EXPECT_EQ(shownScript(), "abc");
    EXPECT_EQ(act(), "");
    EXPECT_EQ(status(), before);
    // A click into the box with no entries disables it.
    QTest::mouseClick(editor()->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_FALSE(editor()->isEnabled());
}

TEST_F(EditorBox, ClickIntoTheBoxEnablesItWhenThereAreEntries) {
    open(scripts::displayScene());
    clickEntry(Guard);
    // Disabled first, so that only the click handler can enable it again.
    editor()->setEnabled(false);
    QTest::mouseClick(editor()->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(editor()->isEnabled());
}

TEST_F(EditorBox, ClickIntoTheListingSetsTheSearchPosition) {
    open(sampleScene(40, 5).bytes);
    auto* listing = control<ListingView>(window, "RichTextBox1");
    if (listing->listing().characterCount() < 2000)
        listing->setListing(ListingText(std::string(200, 'x') + "\r\n" + std::string(2000, 'y')));
    listing->setCaret(1500);
    const QPoint spot = listing->caretRect().center() + QPoint(1, 0);
    const int expected = listing->positionAt(spot);
    ASSERT_GT(expected, 1000);
    window.listingSearchPos = -1;
    QTest::mouseClick(listing->viewport(), Qt::LeftButton, {}, spot);
    EXPECT_EQ(listing->caretPosition(), expected);
    EXPECT_EQ(window.listingSearchPos, expected);
}

} // namespace
