#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>

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
        box = control<QPlainTextEdit>(window, "RichTextBox1");
        ASSERT_FALSE(box->toPlainText().isEmpty());
        type("Text2(3)", "fINDactor");
    }

    QString selected() const { return box->textCursor().selectedText(); }
    QString selectedLine() const { return box->textCursor().block().text(); }

    void expectHit(const QString& text, const QString& line) {
        EXPECT_EQ(selected(), text);
        EXPECT_EQ(selectedLine(), line);
        EXPECT_EQ(window.listingSearchPos, box->textCursor().selectionEnd());
        EXPECT_EQ(box->textCursor().selectionEnd() - box->textCursor().selectionStart(), 9);
    }

    void expectQuestions(std::size_t count) {
        const auto asked = dialogs.questions();
        ASSERT_EQ(asked.size(), count);
        for (const FakeDialogs::Shown& question : asked) {
            EXPECT_EQ(question.text, "Start search again?");
            EXPECT_EQ(question.title, "end of Scripts!");
        }
    }

    QPlainTextEdit* box = nullptr;
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

TEST_F(ListingSearch, TextThatIsNowhereIsAskedAboutOnce) {
    type("Text2(3)", "missing");
    dialogs.yesNoAnswers = {true, true, false};
    click("search2");
    expectQuestions(1);
    EXPECT_TRUE(selected().isEmpty());
    EXPECT_EQ(window.listingSearchPos, 0);
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
