#include <QSignalSpy>

#include "mini_scene.h"
#include "window_fixture.h"

namespace {

class DeleteWindow : public SceneWindow {
protected:
    void clickDelete() { QTest::mouseClick(window.Command1, Qt::LeftButton); }
};

} // namespace

TEST_F(DeleteWindow, YesRemovesTheObjectAndShowsTheEntryNowInItsPlace) {
    const int row = scriptedRow();
    ASSERT_GE(row, 0);
    ASSERT_LT(row, window.MerkePosGameInit);
    clickRow(list("List2"), row);
    const QString name = rowText(list("List2"), row);
    const QString next = rowText(list("List2"), row + 1);
    const int count = rowCount(list("List2"));
    dialogs.yesNoAnswers.push_back(true);
    clickDelete();
    ASSERT_EQ(dialogs.questions().size(), 1u);
    EXPECT_EQ(dialogs.questions()[0].text,
              "Do you really want to delete\r\n\r\n- " + name + " - ?");
    EXPECT_EQ(dialogs.questions()[0].title, "Delete Model");
    EXPECT_TRUE(dialogs.messages().empty());
    EXPECT_EQ(rowCount(list("List2")), count - 1);
    EXPECT_EQ(currentRow(list("List2")), row);
    EXPECT_EQ(currentText(list("List2")), next);
    EXPECT_EQ(status(), " **** Deleted ****");
    EXPECT_EQ(foreColour(window.Status), StatusGreen);
    EXPECT_FALSE(window.VFL_Blocked);
    const auto onDisk = fileBytes(path);
    EXPECT_LT(onDisk.size(), scene.bytes.size());
    EXPECT_EQ(onDisk, window.indexedFile);
}

TEST_F(DeleteWindow, NoLeavesEverything) {
    clickRow(list("List2"), 2);
    dialogs.yesNoAnswers.push_back(false);
    clickDelete();
    EXPECT_EQ(dialogs.questions().size(), 1u);
    EXPECT_EQ(fileBytes(path), scene.bytes);
    EXPECT_EQ(currentRow(list("List2")), 2);
}

TEST_F(DeleteWindow, InitScriptsCannotBeDeleted) {
    clickRow(list("List2"), window.MerkePosGameInit);
    clickDelete();
    EXPECT_TRUE(dialogs.questions().empty());
    ASSERT_EQ(dialogs.messages().size(), 1u);
    EXPECT_EQ(dialogs.messages()[0].text, "Could not be deleted!");
    EXPECT_EQ(dialogs.messages()[0].title, "Delete Model");
    EXPECT_EQ(fileBytes(path), scene.bytes);
}

TEST_F(DeleteWindow, AFileChangedOnDiskIsNotWrittenButReadAgain) {
    clickRow(list("List2"), 1);
    auto changed = scene.bytes;
    changed.back() ^= 0x01;
    writeScene(dir, changed);
    QSignalSpy reindexed(&window, &MDIForm1::indexed);
    dialogs.yesNoAnswers.push_back(true);
    clickDelete();
    EXPECT_EQ(fileBytes(path), changed);
    EXPECT_EQ(reindexed.count(), 1);
    ASSERT_EQ(dialogs.messages().size(), 1u);
    EXPECT_EQ(dialogs.messages()[0].title, "Delete Model");
    EXPECT_FALSE(window.VFL_Blocked);
}

TEST_F(DeleteWindow, AFailedWriteShowsCloseFile) {
    clickRow(list("List2"), 1);
    ASSERT_TRUE(QFile::remove(path));
    dialogs.yesNoAnswers.push_back(true);
    clickDelete();
    ASSERT_EQ(dialogs.messages().size(), 1u);
    EXPECT_EQ(dialogs.messages()[0].text, "****** Close File ******");
    EXPECT_FALSE(dialogs.messages()[0].title.isEmpty());
    EXPECT_FALSE(window.VFL_Blocked);
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(DeleteWindow, IgnoredWhileBlocked) {
    clickRow(list("List2"), 1);
    window.VFL_Blocked = true;
    clickDelete();
    window.VFL_Blocked = false;
    EXPECT_TRUE(dialogs.questions().empty());
    EXPECT_TRUE(dialogs.messages().empty());
}

TEST_F(DeleteWindow, DeletingTheLastEntryOfAFileWithoutInitScriptsShowsTheOneBefore) {
    load(writeScene(dir, mini::scene([](SceneWriter& w) {
                        mini::object(w, "First");
                        mini::object(w, "Second");
                        mini::object(w, "Third");
                    })));
    ASSERT_EQ(rowCount(list("List2")), 3);
    clickRow(list("List2"), 2);
    dialogs.yesNoAnswers.push_back(true);
    clickDelete();
    EXPECT_TRUE(dialogs.messages().empty());
    ASSERT_EQ(rowCount(list("List2")), 2);
    EXPECT_EQ(currentRow(list("List2")), 1);
    EXPECT_EQ(window.Text17->text(), "Second") << "the panel shows an entry of the file";
}
