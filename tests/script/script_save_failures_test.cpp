#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>
#include <cerrno>
#include <system_error>

#include "script_fixture.h"

namespace {

constexpr int Crate = 2;
constexpr int Guard = 4;

const QString ChangedKeptEdit =
    "The file was changed by another program since it was loaded. Nothing was saved. The file "
    "was read again; your edit is still in the script box.";
const QString ChangedEditDropped = "The file was changed by another program since it was "
                                   "loaded. Nothing was saved. The file was read again.";

QString systemDescription(int error) {
    return QString::fromLocal8Bit(std::generic_category().message(error).c_str());
}

class SaveFailures : public ScriptWindow {
protected:
    void SetUp() override {
        ScriptWindow::SetUp();
        open(scripts::displayScene());
        clickEntry(Crate);
        typeAt(Qt::Key_End, " edited");
        ASSERT_EQ(act(), QString::number(scripts::CrateScript.size() + 7));
    }

    // Another program writes the file.
    void replaceFile(const Bytes& bytes) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
    }

    std::size_t positionOf(const std::string& text) {
        const std::string all(original.begin(), original.end());
        const std::size_t at = all.find(text);
        EXPECT_NE(at, std::string::npos) << text;
        return at;
    }
};

TEST_F(SaveFailures, FileChangedOnDiskWritesNothingAndReadsTheFileAgain) {
    // Another program changes the guard's script, same length.
    Bytes changed = original;
    changed[positionOf(scripts::GuardScript)] = 'G';
    replaceFile(changed);
    QSignalSpy reindexed(&window, &MDIForm1::indexed);
    const QString edited = shownScript();
    clickSave();
    ASSERT_EQ(dialogs.messages().size(), 1u);
    EXPECT_EQ(dialogs.messages()[0].text, ChangedKeptEdit);
    EXPECT_EQ(dialogs.messages()[0].title, "Script not saved");
    EXPECT_EQ(readBytes(path), changed);
    EXPECT_EQ(reindexed.count(), 1);
    EXPECT_EQ(window.indexedFile, changed);
    EXPECT_FALSE(window.VFL_Blocked);
    EXPECT_EQ(row("List2"), Crate);
    EXPECT_EQ(shownScript(), edited);
    EXPECT_EQ(org(), QString::number(scripts::CrateScript.size()));
    EXPECT_EQ(act(), QString::number(scripts::CrateScript.size() + 7));
    EXPECT_EQ(status(), "--- Not Saved! ---");

    // Saving again now writes the edit into the file as it is.
    clickSave();
    EXPECT_EQ(dialogs.messages().size(), 1u);
    EXPECT_EQ(status(), " **** Saved ****");
    const Bytes saved = readBytes(path);
    expectSound(saved);
    const std::string all(saved.begin(), saved.end());
    EXPECT_NE(all.find(scripts::CrateScript + " edited"), std::string::npos);
    EXPECT_NE(all.find("Guard\r\nscript"), std::string::npos);
}

TEST_F(SaveFailures, FileReplacedByAnotherSceneDropsTheEdit) {
    const Bytes other = mini::scene([](SceneWriter& w) { mini::object(w, "Solo"); });
    replaceFile(other);
    clickSave();
    ASSERT_EQ(dialogs.messages().size(), 1u);
    EXPECT_EQ(dialogs.messages()[0].text, ChangedEditDropped);
    EXPECT_EQ(dialogs.messages()[0].title, "Script not saved");
    EXPECT_EQ(readBytes(path), other);
    EXPECT_EQ(rowCount(list("List2")), 1);
    EXPECT_EQ(box("Text17")->text(), "Solo");
    EXPECT_EQ(window.RefreshAllAfter, 0);
}

TEST_F(SaveFailures, FailedReplaceShowsCloseFileAndLeavesTheFile) {
    // A directory in the way of the save lock.
    QDir folder(dir.path());
    const QString lock = QFileInfo(path).fileName() + ".quilltemp.save.lock";
    ASSERT_TRUE(folder.mkpath(lock + "/kept"));
    QSignalSpy reindexed(&window, &MDIForm1::indexed);
    const QString edited = shownScript();
    clickSave();
    ASSERT_EQ(dialogs.messages().size(), 1u);
    EXPECT_EQ(dialogs.messages()[0].text, "****** Close File ******");
    EXPECT_TRUE(dialogs.messages()[0].title.contains("is a folder, not an empty lock file"))
        << dialogs.messages()[0].title.toStdString();
    EXPECT_EQ(readBytes(path), original);
    EXPECT_TRUE(folder.exists(lock + "/kept"));
    EXPECT_FALSE(window.VFL_Blocked);
    EXPECT_EQ(reindexed.count(), 0);
    EXPECT_EQ(shownScript(), edited);
    EXPECT_EQ(status(), "--- Not Saved! ---");
}

TEST_F(SaveFailures, MissingFileShowsCloseFile) {
    ASSERT_TRUE(QFile::remove(path));
    clickSave();
    ASSERT_EQ(dialogs.messages().size(), 1u);
    EXPECT_EQ(dialogs.messages()[0].text, "****** Close File ******");
    EXPECT_EQ(dialogs.messages()[0].title, systemDescription(ENOENT));
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_FALSE(window.VFL_Blocked);
    // The edit that could not be saved is still the user's: leaving it asks.
    dialogs.threeWayAnswers.push_back(Dialogs::Answer::No);
    clickEntry(Guard);
    ASSERT_EQ(dialogs.questions().size(), 1u);
    EXPECT_EQ(dialogs.questions()[0].text, "Save script?");
    EXPECT_EQ(status(), " ---- No Script ---- ");
}

} // namespace
