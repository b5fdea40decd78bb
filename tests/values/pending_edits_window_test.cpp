// Unsaved values and script text belong to the entry they were typed for:
// they follow it through a re-index, are asked about before anything drops
// them, and Cancel keeps them.
#include <QEvent>
#include <QMessageBox>
#include <QTimer>
#include <functional>

#include "colours.h"
#include "qt_dialogs.h"
#include "value_save.h"
#include "value_window_fixture.h"

namespace {
using namespace entries;
using Answer = Dialogs::Answer;
constexpr int LastBox = 7;

bool isRed(QWidget* control) {
    return foreColour(control) == StatusRed;
}

std::vector<QString> questionTexts(const FakeDialogs& dialogs) {
    std::vector<QString> texts;
    for (const auto& shown : dialogs.questions())
        texts.push_back(shown.text);
    return texts;
}

// Counts how often a widget is shown.
class ShowCounter : public QObject {
public:
    int shown = 0;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show)
            ++shown;
        return QObject::eventFilter(watched, event);
    }
};

class PendingEdits : public ValueWindow {
protected:
    void SetUp() override {
        ValueWindow::SetUp();
        window.deletePauseMs = 0;
        open(scripts::displayScene());
    }
};

TEST_F(PendingEdits, ValuesTypedBeforeALongerScriptSaveStayWithTheirEntry) {
    clickEntry(Guard);
    typeInto("Text21", "55");
    typeAt(Qt::Key_End, "\n// more");
    clickSave();
    EXPECT_TRUE(dialogs.questions().empty()) << "the save itself asks nothing";
    EXPECT_TRUE(dialogs.messages().empty());
    EXPECT_EQ(row("List2"), Guard);
    EXPECT_EQ(box("Text21")->text(), "55");
    EXPECT_TRUE(isRed(box("Text21")));
    const Bytes afterScript = onDisk();
    EXPECT_GT(afterScript.size(), original.size());

    dialogs.threeWayAnswers.push_back(Answer::Yes);
    clickEntry(Crate);
    EXPECT_EQ(questionTexts(dialogs), std::vector<QString>{"Save values?"});
    EXPECT_TRUE(dialogs.messages().empty());
    const Bytes now = onDisk();
    EXPECT_EQ(singleAt(now, *record(Guard).weightPos), 55.0f);
    // Nothing but Guard's weight changed: not the last object, not the init script.
    Bytes expected = afterScript;
    putU32(expected, *record(Guard).weightPos, 0x425C0000); // 55.0
    EXPECT_EQ(now, expected);
    EXPECT_EQ(window.FlagValueSave, 0);
    EXPECT_EQ(box("Text17")->text(), "Crate");
}

TEST_F(PendingEdits, DeletingTheEditedEntryDropsItsValuesWithANote) {
    clickEntry(Box);
    typeInto("Text5", "9");
    dialogs.yesNoAnswers.push_back(true);
    QTest::mouseClick(button("Command1"), Qt::LeftButton);
    ASSERT_EQ(messageTexts(),
              std::vector<QString>{"The values typed for \"Box\" were not saved: the entry is no "
                                   "longer in the file. / Values not saved"});
    EXPECT_EQ(window.FlagValueSave, 0);
    EXPECT_EQ(dialogs.questions().size(), 1u) << "only the deletion's own question";
    EXPECT_EQ(row("List2"), Box) << "the second Box now stands in its place";
    EXPECT_EQ(box("Text5")->text(), "1.5") << "its own translation, not the typed one";
    EXPECT_FALSE(isRed(box("Text5")));
    dialogs.threeWayAnswers.clear();
    clickEntry(Crate);
    EXPECT_EQ(dialogs.questions().size(), 1u) << "nothing pending is left to ask about";
}

TEST_F(PendingEdits, LeavingAnEditedScriptAsksAndCancelStaysWithIt) {
    clickEntry(Crate);
    typeAt(Qt::Key_End, " more");

    dialogs.threeWayAnswers.push_back(Answer::Cancel);
    clickEntry(Guard);
    EXPECT_EQ(questionTexts(dialogs), std::vector<QString>{"Save script?"});
    EXPECT_EQ(dialogs.questions()[0].title, "Script not saved!");
    EXPECT_EQ(row("List2"), Crate);
    QAbstractItemView* all = list("List2");
    EXPECT_TRUE(QTest::qWaitFor([all] { return selectedRows(all) == std::vector<int>{Crate}; }))
        << "the highlight stays on the entry shown";
    EXPECT_EQ(box("Text17")->text(), "Crate");
    EXPECT_EQ(shownScript(), "crate script more");
    EXPECT_EQ(onDisk(), original);

    dialogs.threeWayAnswers.push_back(Answer::Yes);
    clickEntry(Guard);
    EXPECT_EQ(dialogs.questions().size(), 2u);
    EXPECT_EQ(row("List2"), Guard) << "Yes saves, then shows the clicked entry";
    EXPECT_EQ(shownScript(), "guard\nscript");
    const Bytes saved = onDisk();
    EXPECT_EQ(saved.size(), original.size() + 5);
    EXPECT_NE(std::string(saved.begin(), saved.end()).find("crate script more"), std::string::npos);

    typeAt(Qt::Key_End, " dropped");
    dialogs.threeWayAnswers.push_back(Answer::No);
    clickEntry(Crate);
    EXPECT_EQ(dialogs.questions().size(), 3u);
    EXPECT_EQ(onDisk(), saved) << "No writes nothing";
    clickEntry(Guard);
    EXPECT_EQ(dialogs.questions().size(), 3u) << "a declined edit is gone for good";
    EXPECT_EQ(shownScript(), "guard\nscript");
}

TEST_F(PendingEdits, WithValuesAndScriptPendingBothAreAskedValuesFirst) {
    clickEntry(Guard);
    typeInto("Text21", "60");
    typeAt(Qt::Key_End, "!");
    dialogs.threeWayAnswers = {Answer::Yes, Answer::Yes};
    clickEntry(Crate);
    EXPECT_EQ(questionTexts(dialogs), (std::vector<QString>{"Save values?", "Save script?"}));
    EXPECT_TRUE(dialogs.messages().empty());
    const Bytes now = onDisk();
    EXPECT_EQ(now.size(), original.size() + 1);
    const std::string text(now.begin(), now.end());
    EXPECT_NE(text.find("guard\r\nscript!"), std::string::npos);
    EXPECT_EQ(singleAt(now, *record(Guard).weightPos), 60.0f);
    EXPECT_EQ(row("List2"), Crate);

    // Cancel on the second question keeps the script and stays.
    clickEntry(Guard);
    typeInto("Text21", "61");
    typeAt(Qt::Key_End, "?");
    dialogs.threeWayAnswers = {Answer::No, Answer::Cancel};
    clickEntry(Crate);
    EXPECT_EQ(row("List2"), Guard);
    EXPECT_EQ(window.FlagValueSave, 0) << "the values were declined";
    EXPECT_TRUE(shownScript().endsWith("?"));
    EXPECT_EQ(onDisk(), now);
}

TEST_F(PendingEdits, ClosingTheWindowAsksAndCancelKeepsItOpen) {
    clickEntry(Guard);
    typeInto("Text21", "70");
    dialogs.threeWayAnswers.push_back(Answer::Cancel);
    EXPECT_FALSE(window.close());
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(isRed(box("Text21")));
    dialogs.threeWayAnswers.push_back(Answer::Yes);
    EXPECT_TRUE(window.close());
    EXPECT_EQ(questionTexts(dialogs), (std::vector<QString>{"Save values?", "Save values?"}));
    EXPECT_EQ(singleAt(onDisk(), *record(Guard).weightPos), 70.0f);
}

TEST_F(PendingEdits, LoadingAndAddinsAskFirstAndCancelKeepsTheEdits) {
    const std::vector<std::pair<const char*, std::function<void()>>> actions = {
        {"Load", [this] { window.LoadMenu_Click(); }},
        {"ADDin", [this] { window.ADDinMenu_Click(); }},
    };
    clickEntry(Guard);
    typeInto("Text21", "77");
    for (const auto& [name, run] : actions) {
        SCOPED_TRACE(name);
        dialogs.threeWayAnswers.push_back(Answer::Cancel);
        const std::size_t asked = dialogs.questions().size();
        const std::size_t opened = dialogs.openDialogs().size();
        run();
        EXPECT_EQ(dialogs.questions().size(), asked + 1);
        EXPECT_EQ(dialogs.questions().back().text, "Save values?");
        EXPECT_EQ(dialogs.openDialogs().size(), opened) << "Cancel stops before the file dialog";
        EXPECT_TRUE(isRed(box("Text21")));
        EXPECT_EQ(box("Text21")->text(), "77");
    }
    EXPECT_EQ(onDisk(), original);
}

TEST_F(PendingEdits, ADeclinedDialTurnIsNotWrittenByALaterSave) {
    clickEntry(Box);
    moveSlider("Slider1", 45);
    dialogs.threeWayAnswers.push_back(Answer::No);
    clickEntry(Crate);
    clickEntry(Box);
    clickSaveValue();
    EXPECT_EQ(onDisk(), original) << "the panel shows the stored rotation again";
}

TEST_F(PendingEdits, ALightWithoutALightBlockSavesItsCommonValues) {
    open(mini::scene([](SceneWriter& w) { mini::object(w, "Bulb", 2); }));
    clickEntry(0);
    ASSERT_EQ(record(0).kind, LightKind);
    ASSERT_FALSE(record(0).brightnessPos);
    typeInto("Text5", "3");
    clickSaveValue();
    EXPECT_TRUE(dialogs.messages().empty()) << messageTexts().front().toStdString();
    const Bytes now = onDisk();
    const std::size_t t = *record(0).translationPos;
    EXPECT_EQ(singleAt(now, t), 3.0f);
    EXPECT_EQ(0, std::memcmp(now.data() + t + 18, LightRotationBytes.data(), 16));
}

TEST_F(PendingEdits, ZuvavSavesNoThingValuesAndTheIndexKeepsItsKind) {
    clickEntry(Zuvav);
    typeInto("Text5", "4");
    // The thing fields are not its panel's: whatever they hold is not saved.
    box("Text13")->setText("99");
    clickSaveValue();
    EXPECT_TRUE(dialogs.messages().empty());
    const Bytes now = onDisk();
    Bytes expected = original;
    putU32(expected, *record(Zuvav).translationPos, 0x40800000); // 4.0
    EXPECT_EQ(now, expected) << "its weight 12.5 and sound 3 stay";
    EXPECT_EQ(record(Zuvav).kind, ThingKind);
}

TEST_F(PendingEdits, TheSoundIsChosenOnlyWhenTheSaveWrites) {
    clickEntry(Crate);
    ASSERT_EQ(combo("Combo1")->currentIndex(), -1);
    typeInto("Text13", "heavy");
    clickSaveValue();
    EXPECT_EQ(messageTexts(), std::vector<QString>{"Put numeric / Weight"});
    EXPECT_EQ(combo("Combo1")->currentIndex(), -1) << "a refused save changes no field";
    typeInto("Text13", "8");
    clickSaveValue();
    EXPECT_EQ(combo("Combo1")->currentText(), "Lath 1");
    EXPECT_EQ(u32At(onDisk(), *record(Crate).soundPos), 0u);
}

TEST_F(PendingEdits, TheValueWriteRunsWhileTheWindowIsBlocked) {
    ShowCounter frame;
    control<QWidget>(window, "Frame1")->installEventFilter(&frame);
    clickEntry(Guard);
    typeInto("Text21", "42");
    clickSaveValue();
    EXPECT_EQ(singleAt(onDisk(), *record(Guard).weightPos), 42.0f);
    EXPECT_EQ(frame.shown, 1) << "the loading panel shows while the write runs";
    EXPECT_FALSE(window.VFL_Blocked);
}

TEST_F(PendingEdits, EscapeOnTheRealQuestionCancels) {
    QtDialogs real(&window);
    QTimer::singleShot(0, [] {
        if (QWidget* box = QApplication::activeModalWidget())
            QTest::keyClick(box, Qt::Key_Escape);
    });
    EXPECT_EQ(real.askYesNoCancel("Save values?", "Values not saved!"), Answer::Cancel);
}

} // namespace
