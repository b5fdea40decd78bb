#include <QApplication>
#include <QClipboard>
#include <QLineEdit>

#include "listing_view.h"

#include "navigation_fixture.h"

namespace {

using navigation::scripted;

// "findactor" three times, each time in other letters.
std::vector<std::uint8_t> searchableScene() {
    return mini::scene(
        [](SceneWriter& w) {
            mini::object(w, "Tom");
            mini::object(w, "Lampshade");
        },
        [](SceneWriter& w) {
            scripted(w, "Tom", "dim_act 1\r\nfindactor 1, \"Tom\"\r\nend\r\n");
            scripted(w, "Lampshade", "FINDACTOR 2, \"Lampshade\"\r\nend\r\n");
        },
        [](SceneWriter& w) {
            mini::initScript(w, "GameInit", "wait 5\r\nFindActor 3, \"X\"\r\n");
        });
}

class ListingSearch : public Navigation {
protected:
    void SetUp() override {
        Navigation::SetUp();
        loadScene(searchableScene());
        box = control<ListingView>(window, "RichTextBox1");
        ASSERT_FALSE(box->toPlainText().isEmpty());
        type("Text2(3)", "fINDactor");
    }

    QString selected() const { return box->selectedText(); }
    QString selectedLine() const {
        return box->lineText(box->listing().lineOfCharacter(std::size_t(box->selectionStart())));
    }

    void expectHit(const QString& text, const QString& line) {
        EXPECT_EQ(selected(), text);
        EXPECT_EQ(selectedLine(), line);
        EXPECT_EQ(window.listingSearchPos, box->selectionEnd());
        EXPECT_EQ(box->selectionEnd() - box->selectionStart(), 9);
    }

    void expectQuestions(std::size_t count) {
        const auto asked = dialogs.questions();
        ASSERT_EQ(asked.size(), count);
        for (const FakeDialogs::Shown& question : asked) {
            EXPECT_EQ(question.text, "Start search again?");
            EXPECT_EQ(question.title, "end of Scripts!");
        }
    }

    ListingView* box = nullptr;
};

TEST_F(ListingSearch, HitsAreSelectedOneAfterAnother) {
    click("search2");
    expectHit("findactor", "findactor 1, \"Tom\"");
    click("search2");
    expectHit("FINDACTOR", "FINDACTOR 2, \"Lampshade\"");
    click("search2");
    expectHit("FindActor", "FindActor 3, \"X\"");
    expectQuestions(0);
}

TEST_F(ListingSearch, YesAtTheEndStartsAgainFromTheTop) {
    for (int hit = 0; hit < 3; ++hit)
        click("search2");
    dialogs.yesNoAnswers = {true};
    click("search2");
    expectQuestions(1);
    expectHit("findactor", "findactor 1, \"Tom\"");
    click("search2");
    expectHit("FINDACTOR", "FINDACTOR 2, \"Lampshade\"");
    expectQuestions(1);
}

TEST_F(ListingSearch, NoAtTheEndLeavesTheLastHit) {
    for (int hit = 0; hit < 3; ++hit)
        click("search2");
    const int end = window.listingSearchPos;
    dialogs.yesNoAnswers = {false};
    click("search2");
    expectQuestions(1);
    expectHit("FindActor", "FindActor 3, \"X\"");
    EXPECT_EQ(window.listingSearchPos, end);
    dialogs.yesNoAnswers = {true};
    click("search2");
    expectQuestions(2);
    expectHit("findactor", "findactor 1, \"Tom\"");
}

// Each time the end is reached the question comes again, and each Yes
// searches from the top again, until the user says No.
TEST_F(ListingSearch, TextThatIsNowhereIsAskedAboutUntilNo) {
    type("Text2(3)", "missing");
    dialogs.yesNoAnswers = {true, true, false};
    click("search2");
    expectQuestions(3);
    EXPECT_TRUE(dialogs.yesNoAnswers.empty());
    EXPECT_TRUE(selected().isEmpty());
    EXPECT_EQ(window.listingSearchPos, 0);
}

TEST_F(ListingSearch, EnterInTheSearchBoxSearches) {
    QLineEdit* search = control<QLineEdit>(window, "Text2(3)");
    search->setFocus();
    QTest::keyClick(search, Qt::Key_Return);
    expectHit("findactor", "findactor 1, \"Tom\"");
    QTest::keyClick(search, Qt::Key_Enter);
    expectHit("FINDACTOR", "FINDACTOR 2, \"Lampshade\"");
}

TEST_F(ListingSearch, HitsAreCopiedAsPlainText) {
    click("search2");
    box->setFocus();
    QTest::keyClick(box, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "findactor");
    // A selection over a line break copies it as one.
    box->select(box->selectionStart(), box->selectionEnd() + 13);
    QTest::keyClick(box, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "findactor 1, \"Tom\"\nend");
}

TEST_F(ListingSearch, StartsAtTheSearchPosition) {
    const qsizetype second = box->toPlainText().indexOf("FINDACTOR 2");
    ASSERT_GT(second, 0);
    window.listingSearchPos = int(second);
    click("search2");
    expectHit("FINDACTOR", "FINDACTOR 2, \"Lampshade\"");
    window.listingSearchPos = int(box->toPlainText().size()) + 10;
    dialogs.yesNoAnswers = {true};
    click("search2");
    expectQuestions(1);
    expectHit("findactor", "findactor 1, \"Tom\"");
}

} // namespace
