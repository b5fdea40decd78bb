// Undo and redo of the file changes made in the main window.
#include <QAction>
#include <QPlainTextEdit>

#include "window_fixture.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

class UndoWindow : public SceneWindow {
protected:
    QAction* undo() { return control<QAction>(window, "UndoMenu"); }
    QAction* redo() { return control<QAction>(window, "RedoMenu"); }

    // Presses a key with Ctrl in the main window, as the user does.
    void ctrlKey(QWidget* where, Qt::Key key, Qt::KeyboardModifiers more = {}) {
        window.activateWindow();
        QTest::keyClick(where, key, Qt::ControlModifier | more);
        QCoreApplication::processEvents();
    }

    int objectRow(bool scripted) {
        for (int row = 0; row < window.MerkePosGameInit; ++row)
            if (rowTicked(list("List2"), row) == scripted &&
                !window.sceneIndex.entries[std::size_t(row)].nameOnly)
                return row;
        return -1;
    }

    void saveTranslation(int row, const QString& x) {
        clickRow(list("List2"), row);
        QTest::mouseClick(window.Text5, Qt::LeftButton);
        window.Text5->selectAll();
        QTest::keyClicks(window.Text5, x);
        QTest::mouseClick(window.SaveValue, Qt::LeftButton);
    }

    void expectFileIs(const Bytes& expected, const char* step) {
        EXPECT_EQ(fileBytes(path), expected) << step;
        EXPECT_EQ(window.indexedFile, expected) << step;
    }
};

TEST_F(UndoWindow, EveryKindOfChangeIsUndoneAndRedoneByteForByte) {
    const int plain = objectRow(false);
    const int scripted = objectRow(true);
    ASSERT_GE(plain, 0);
    ASSERT_GE(scripted, 0);
    const QString plainName = rowText(list("List2"), plain);
    const QString scriptedName = rowText(list("List2"), scripted);
    std::vector<Bytes> states{scene.bytes};
    EXPECT_FALSE(undo()->isEnabled());

    saveTranslation(plain, "12.5");
    states.push_back(fileBytes(path));
    EXPECT_EQ(undo()->text(), "&Undo Save values - " + plainName);

    clickRow(list("List2"), scripted);
    window.Text1->setFocus();
    QTest::keyClick(window.Text1, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(window.Text1, " // undo me");
    QTest::mouseClick(window.SaveScript, Qt::LeftButton);
    states.push_back(fileBytes(path));
    EXPECT_EQ(undo()->text(), "&Undo Save script - " + scriptedName);

    window.CarMenu_Click();
    form().Text1->setText("Undo car");
    QTest::mouseClick(form().insert, Qt::LeftButton);
    states.push_back(fileBytes(path));
    EXPECT_EQ(undo()->text(), "&Undo Insert - Undo car");

    clickRow(list("List2"), plain);
    dialogs.yesNoAnswers.push_back(true);
    QTest::mouseClick(window.Command1, Qt::LeftButton);
    states.push_back(fileBytes(path));
    EXPECT_EQ(undo()->text(), "&Undo Delete - " + plainName);
    ASSERT_TRUE(dialogs.messages().empty()) << dialogs.messages()[0].title.toStdString();
    for (std::size_t i = 1; i < states.size(); ++i)
        ASSERT_NE(states[i], states[i - 1]) << "step " << i << " changed the file";

    for (std::size_t i = states.size() - 1; i > 0; --i) {
        undo()->trigger();
        expectFileIs(states[i - 1], "undo");
    }
    EXPECT_FALSE(undo()->isEnabled());
    EXPECT_EQ(redo()->text(), "&Redo Save values - " + plainName);
    EXPECT_EQ(rowCount(list("List2")), int(expectedEntries(scene).size()));
    for (std::size_t i = 1; i < states.size(); ++i) {
        redo()->trigger();
        expectFileIs(states[i], "redo");
    }
    EXPECT_FALSE(redo()->isEnabled());
    EXPECT_TRUE(dialogs.messages().empty());
}

TEST_F(UndoWindow, CtrlZInTheScriptBoxUndoesTypingBeforeSavedChanges) {
    const int scripted = objectRow(true);
    ASSERT_GE(scripted, 0);
    saveTranslation(scripted, "3");
    const Bytes saved = fileBytes(path);
    const QString script = window.Text1->toPlainText();
    window.Text1->setFocus();
    QTest::keyClicks(window.Text1, "typed");
    ASSERT_NE(window.Text1->toPlainText(), script);

    ctrlKey(window.Text1, Qt::Key_Z);
    EXPECT_EQ(window.Text1->toPlainText(), script) << "the box's own typing goes first";
    EXPECT_EQ(fileBytes(path), saved);

    ctrlKey(window.Text1, Qt::Key_Z);
    expectFileIs(scene.bytes, "then the saved change");
    EXPECT_NE(window.Text5->text(), "3") << "the panel shows the file's value again";
    // Outside the box the keys reach the window's Undo and Redo at once.
    ctrlKey(list("List2"), Qt::Key_Z, Qt::ShiftModifier);
    expectFileIs(saved, "Ctrl+Shift+Z redoes it");
    EXPECT_EQ(window.Text5->text(), "3");
    ctrlKey(list("List2"), Qt::Key_Z);
    ctrlKey(list("List2"), Qt::Key_Y);
    expectFileIs(saved, "Ctrl+Y redoes it");
}

TEST_F(UndoWindow, TheEntryOnDisplayStaysShownThoughItsRecordMoves) {
    const int scripted = objectRow(true);
    clickRow(list("List2"), scripted);
    window.Text1->setFocus();
    QTest::keyClicks(window.Text1, "longer");
    QTest::mouseClick(window.SaveScript, Qt::LeftButton);
    // The last init script lies behind the grown script: the undo moves its
    // record, and it is not the first entry behind the change.
    const int init = rowCount(list("List2")) - 1;
    ASSERT_GT(init, window.MerkePosGameInit);
    clickRow(list("List2"), init);
    const QString shown = window.Text1->toPlainText();
    undo()->trigger();
    expectFileIs(scene.bytes, "undone");
    EXPECT_EQ(currentRow(list("List2")), init);
    EXPECT_EQ(window.Text1->toPlainText(), shown);
}

TEST_F(UndoWindow, AFileChangedByAnotherProgramIsNotUndone) {
    const int plain = objectRow(false);
    saveTranslation(plain, "7");
    Bytes other = fileBytes(path);
    other[other.size() - 1] ^= 0x20;
    writeScene(dir, other);
    undo()->trigger();
    ASSERT_EQ(dialogs.messages().size(), 1u);
    EXPECT_EQ(dialogs.messages()[0].title, "Not undone");
    EXPECT_EQ(fileBytes(path), other);
    EXPECT_EQ(window.indexedFile, other) << "the file was read again";
    EXPECT_FALSE(undo()->isEnabled()) << "the history no longer leads to this file";
    EXPECT_FALSE(redo()->isEnabled());
}

TEST_F(UndoWindow, UndoAsksAboutUnsavedValuesFirst) {
    const int plain = objectRow(false);
    saveTranslation(plain, "5");
    const Bytes saved = fileBytes(path);
    QTest::mouseClick(window.Text6, Qt::LeftButton);
    QTest::keyClicks(window.Text6, "1");
    dialogs.threeWayAnswers.push_back(Dialogs::Answer::Cancel);
    undo()->trigger();
    EXPECT_EQ(fileBytes(path), saved) << "Cancel undoes nothing";
    EXPECT_EQ(window.FlagValueSave, -1);
    dialogs.threeWayAnswers.push_back(Dialogs::Answer::No);
    undo()->trigger();
    expectFileIs(scene.bytes, "No drops the typing and undoes");
    EXPECT_EQ(dialogs.questions().size(), 2u);
}

} // namespace
