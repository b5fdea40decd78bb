#include "script_fixture.h"

namespace {

enum Row { Lamp, Zuvav, Crate, Marker, Guard, Empty, Box, Box2, GameInit };

class Display : public ScriptWindow {
protected:
    void SetUp() override {
        ScriptWindow::SetUp();
        open(scripts::displayScene());
        ASSERT_EQ(rowCount(list("List2")), 9);
    }

    bool frameShown(const char* name) { return control<QGroupBox>(window, name)->isVisible(); }
};

TEST_F(Display, LoadShowsTheLastEntry) {
    EXPECT_EQ(row("List2"), GameInit);
    EXPECT_EQ(box("Text17")->text(), "GameInit");
    EXPECT_EQ(shownScript(), scripts::displayInitShown());
    EXPECT_EQ(org(), act());
    EXPECT_EQ(status(), " ---- Ready ---- ");
    EXPECT_EQ(foreColour(statusLabel()), StatusGreen);
}

TEST_F(Display, ScriptShowsWithItsByteLengths) {
    clickEntry(Guard);
    EXPECT_EQ(shownScript(), "guard\nscript");
    // CR LF is one line break in the box and two bytes in the file.
    EXPECT_EQ(org(), QString::number(scripts::GuardScript.size()));
    EXPECT_EQ(act(), org());
    EXPECT_TRUE(editor()->isEnabled());
    EXPECT_EQ(backColour(editor()), systemColour(SystemColour::WindowBackground));
    EXPECT_EQ(editor()->font().pointSize(), 8);
    EXPECT_FALSE(editor()->font().bold());
    EXPECT_EQ(status(), " ---- Ready ---- ");
    EXPECT_EQ(foreColour(statusLabel()), StatusGreen);
}

TEST_F(Display, ZuvavShowsNoKindFrameAndTheIndexKeepsTheFilesKind) {
    clickEntry(Crate);
    EXPECT_TRUE(frameShown("Frame8"));
    clickEntry(Zuvav);
    EXPECT_FALSE(frameShown("Frame3"));
    EXPECT_FALSE(frameShown("Frame8"));
    EXPECT_FALSE(frameShown("Frame9"));
    clickEntry(Lamp);
    EXPECT_TRUE(frameShown("Frame3"));
    clickEntry(Zuvav);
    EXPECT_FALSE(frameShown("Frame8"));
    // Its definition makes it a thing (35); the panel's kind of its own lives
    // in the window only.
    EXPECT_EQ(window.sceneIndex.entries[Zuvav].kind, 35);
    EXPECT_EQ(box("Text17")->text(), "Zuvav");
}

TEST_F(Display, KindFramesFollowTheKind) {
    clickEntry(Lamp);
    EXPECT_TRUE(frameShown("Frame3"));
    EXPECT_FALSE(frameShown("Frame8"));
    EXPECT_FALSE(frameShown("Frame9"));
    clickEntry(Guard);
    EXPECT_FALSE(frameShown("Frame3"));
    EXPECT_FALSE(frameShown("Frame8"));
    EXPECT_TRUE(frameShown("Frame9"));
    clickEntry(Box);
    EXPECT_FALSE(frameShown("Frame3"));
    EXPECT_FALSE(frameShown("Frame8"));
    EXPECT_FALSE(frameShown("Frame9"));
}

TEST_F(Display, NameOnlyEntryShowsFrame2AndEmptiesTheGreyedEditor) {
    clickEntry(Crate);
    const QString translation = box("Text5")->text();
    EXPECT_FALSE(frameShown("Frame2"));
    clickEntry(Marker);
    EXPECT_TRUE(frameShown("Frame2"));
    EXPECT_EQ(box("Text17")->text(), "Marker");
    EXPECT_EQ(backColour(editor()), systemColour(SystemColour::InactiveCaptionText));
    // The crate's script does not stay on show as if it were the marker's:
    // the box is empty and read-only, and there are no lengths.
    EXPECT_EQ(shownScript(), "");
    EXPECT_FALSE(editor()->isEnabled());
    EXPECT_EQ(org(), "");
    EXPECT_EQ(act(), "");
    EXPECT_EQ(box("Text5")->text(), translation);
    EXPECT_EQ(status(), " ---- Ready ---- ");
    clickEntry(Guard);
    EXPECT_FALSE(frameShown("Frame2"));
}

TEST_F(Display, UncheckedEntryKeepsTheTextAndEmptiesTheLengths) {
    clickEntry(Guard);
    clickEntry(Box);
    EXPECT_EQ(status(), " ---- No Script ---- ");
    EXPECT_EQ(foreColour(statusLabel()), systemColour(SystemColour::ApplicationWorkspace));
    EXPECT_EQ(org(), "");
    EXPECT_EQ(act(), "");
    EXPECT_FALSE(editor()->isEnabled());
    EXPECT_EQ(backColour(editor()), systemColour(SystemColour::InactiveCaptionText));
    EXPECT_EQ(shownScript(), "guard\nscript");
    EXPECT_EQ(box("Text17")->text(), "Box");
}

TEST_F(Display, ZeroLengthScriptShowsEmptyBoxAndCannotBeSaved) {
    clickEntry(Empty);
    EXPECT_EQ(shownScript(), "");
    EXPECT_EQ(org(), "0");
    EXPECT_EQ(act(), "0");
    EXPECT_TRUE(editor()->isEnabled());
    typeAt(Qt::Key_End, "new text");
    EXPECT_EQ(act(), "8");
    clickSave();
    EXPECT_TRUE(dialogs.messages().empty());
    EXPECT_TRUE(dialogs.questions().empty());
    EXPECT_EQ(readBytes(path), original);
    EXPECT_EQ(status(), "--- Not Saved! ---");
}

TEST_F(Display, InitScriptLocksTranslationAndSize) {
    clickEntry(Crate);
    clickEntry(GameInit);
    // The text runs to the end of the init-script record, the end of the file.
    EXPECT_EQ(shownScript(), scripts::displayInitShown());
    EXPECT_EQ(org(), QString::number(scripts::initText(scripts::displayInitPad()).size()));
    EXPECT_EQ(act(), org());
    for (const char* name : {"Text5", "Text6", "Text7", "Text8", "Text9", "Text10"}) {
        EXPECT_TRUE(box(name)->isReadOnly()) << name;
        EXPECT_EQ(backColour(box(name)), systemColour(SystemColour::Menu)) << name;
    }
    EXPECT_FALSE(control<QSlider>(window, "Slider1")->isEnabled());
    EXPECT_FALSE(control<QSlider>(window, "Slider2")->isEnabled());
    clickEntry(Crate);
    for (const char* name : {"Text5", "Text6", "Text7", "Text8", "Text9", "Text10"}) {
        EXPECT_FALSE(box(name)->isReadOnly()) << name;
        EXPECT_EQ(backColour(box(name)), systemColour(SystemColour::WindowBackground)) << name;
    }
    EXPECT_TRUE(control<QSlider>(window, "Slider1")->isEnabled());
    EXPECT_TRUE(control<QSlider>(window, "Slider2")->isEnabled());
}

TEST_F(Display, CategoryListsFollowTheEntry) {
    QAbstractItemView* ticked = list("List1");
    QAbstractItemView* unticked = list("List3");
    clickEntry(Guard);
    ASSERT_GE(row("List1"), 0);
    EXPECT_EQ(currentText(ticked), "Guard");
    const int untickedBefore = row("List3");
    clickEntry(Crate);
    EXPECT_EQ(currentText(ticked), "Crate");
    EXPECT_EQ(row("List3"), untickedBefore);
    clickEntry(Lamp);
    EXPECT_EQ(currentText(unticked), "Lamp");
    EXPECT_EQ(currentText(ticked), "Crate");
}

TEST_F(Display, SecondOfTwoSameNamedEntriesStaysSelected) {
    clickEntry(Box2);
    EXPECT_EQ(row("List2"), Box2);
    const int listRow = row("List3");
    ASSERT_GE(listRow, 0);
    EXPECT_EQ(window.list3ToList2.at(std::size_t(listRow)), Box2);
    clickEntry(Box);
    EXPECT_EQ(row("List2"), Box);
    EXPECT_EQ(window.list3ToList2.at(std::size_t(row("List3"))), Box);
}

TEST_F(Display, YesToSaveValuesSavesThenShowsTheClickedEntry) {
    clickEntry(Guard);
    window.FlagValueSave = -1;
    window.EditedIndex = Guard;
    dialogs.threeWayAnswers.push_back(Dialogs::Answer::Yes);
    clickEntry(Crate);
    ASSERT_EQ(dialogs.questions().size(), 1u);
    EXPECT_EQ(dialogs.questions()[0].text, "Save values?");
    EXPECT_EQ(dialogs.questions()[0].title, "Values not saved!");
    QAbstractItemView* all = list("List2");
    EXPECT_TRUE(QTest::qWaitFor([all] { return selectedRows(all) == std::vector<int>{Crate}; }));
    EXPECT_EQ(row("List2"), Crate);
    EXPECT_EQ(box("Text17")->text(), "Crate");
    EXPECT_EQ(shownScript(), "crate script");
    EXPECT_EQ(window.FlagValueSave, 0);
    EXPECT_FALSE(window.SavePending);
    EXPECT_FALSE(window.VFL_Blocked);
}

TEST_F(Display, NoToSaveValuesShowsTheClickedEntryAndClearsTheMarks) {
    clickEntry(Guard);
    window.FlagValueSave = -1;
    window.EditedIndex = Guard;
    const std::vector<const char*> marked = {
        "Text5",   "Text10",    "Text13", "Text20",     "Text21",  "Text22", "Text23",
        "Label30", "Label3(0)", "Label9", "Label11(0)", "Label14", "Combo1", "Combo3"};
    for (const char* name : marked)
        setForeColour(control<QWidget>(window, name), StatusRed);
    dialogs.threeWayAnswers.push_back(Dialogs::Answer::No);
    clickEntry(Crate);
    ASSERT_EQ(dialogs.questions().size(), 1u);
    EXPECT_EQ(dialogs.questions()[0].text, "Save values?");
    EXPECT_EQ(dialogs.questions()[0].title, "Values not saved!");
    EXPECT_EQ(row("List2"), Crate);
    EXPECT_EQ(box("Text17")->text(), "Crate");
    EXPECT_EQ(window.FlagValueSave, 0);
    for (const char* name : marked)
        EXPECT_EQ(foreColour(control<QWidget>(window, name)),
                  systemColour(SystemColour::WindowText))
            << name;
    clickEntry(Guard);
    EXPECT_EQ(dialogs.questions().size(), 1u);
}

TEST_F(Display, UnreadableFileShowsNoScript) {
    clickEntry(Crate);
    ASSERT_TRUE(QFile::remove(path));
    clickEntry(Guard);
    EXPECT_EQ(status(), " ---- No Script ---- ");
    EXPECT_EQ(org(), "");
    EXPECT_FALSE(editor()->isEnabled());
    EXPECT_EQ(box("Text17")->text(), "Guard");
    EXPECT_TRUE(dialogs.messages().empty());
    EXPECT_TRUE(dialogs.questions().empty());
}

} // namespace

namespace {

// Frame2 is a panel for the name alone: it lies over the model, the values,
// the dials and the kind frames, and the name stays in view.
TEST_F(Display, NameOnlyPanelCoversEverythingButTheName) {
    clickEntry(Lamp);
    clickEntry(Marker);
    ASSERT_TRUE(frameShown("Frame2"));
    QWidget* frame2 = control<QWidget>(window, "Frame2");
    const auto topAt = [this](QWidget* widget) {
        return window.childAt(widget->mapTo(&window, widget->rect().center()));
    };
    for (const char* name : {"Text2(12)", "Text5", "Text10", "Text12", "Text11", "Shape1", "Shape2",
                             "Slider1", "Text20", "Slider3"}) {
        QWidget* covered = control<QWidget>(window, name);
        QWidget* top = topAt(covered);
        ASSERT_NE(top, nullptr) << name;
        EXPECT_TRUE(top == frame2 || frame2->isAncestorOf(top)) << name;
    }
    EXPECT_EQ(topAt(control<QWidget>(window, "Text17")), control<QWidget>(window, "Text17"));
    EXPECT_TRUE(control<QWidget>(window, "Text17")->isVisible());
}

} // namespace
