#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <unistd.h>

#include "file_access.h"
#include "load_fixture.h"

namespace {

const QString FileUsedByAnother = "****** File used by another ******";

class LoadErrors : public LoadFixture {
protected:
    // Loads a good scene first, so the tests see that a failed load keeps it.
    void SetUp() override {
        LoadFixture::SetUp();
        scene = sampleScene();
        goodPath = writeScene(dir, scene.bytes);
        load(goodPath);
        ASSERT_EQ(rowCount(list("List2")), int(expectedEntries(scene).size()));
    }

    // The failure's description is the message's title.
    void expectRefused(const QString& path) {
        ASSERT_EQ(dialogs.messages().size(), 1u);
        const FakeDialogs::Shown shown = dialogs.messages()[0];
        EXPECT_EQ(shown.text, FileUsedByAnother);
        const FileResult probe = probeReadWrite(QFile::encodeName(path).toStdString());
        EXPECT_FALSE(probe.ok);
        EXPECT_FALSE(shown.title.isEmpty());
        EXPECT_EQ(shown.title, QString::fromLocal8Bit(probe.error));
        EXPECT_FALSE(window.VFL_Blocked);
        EXPECT_EQ(rowCount(list("List2")), int(expectedEntries(scene).size()));
        EXPECT_EQ(rowCount(list("List1")) + rowCount(list("List3")), rowCount(list("List2")));
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
        // The file on display is still the one the lists and the index describe.
        EXPECT_EQ(window.filenameanalyse, goodPath);
        EXPECT_EQ(window.fileTitle, QFileInfo(goodPath).fileName());
        EXPECT_EQ(control<QLabel>(window, "Label4")->text(), goodPath);
    }

    // A second load can be tried at once.
    void expectSecondLoadWorks() {
        load(goodPath);
        EXPECT_EQ(window.filenameanalyse, goodPath);
        EXPECT_EQ(rowCount(list("List2")), int(expectedEntries(scene).size()));
        EXPECT_EQ(control<QLabel>(window, "Status")->text(), " ---- Ready ---- ");
    }

    GeneratedScene scene;
    QString goodPath;
};

TEST_F(LoadErrors, DirectoryIsRefused) {
    const QString path = dir.filePath("folder.bin");
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.bin"));
    load(path);
    expectRefused(path);
    expectSecondLoadWorks();
}

TEST_F(LoadErrors, MissingFileIsRefused) {
    const QString path = dir.filePath("gone.bin");
    load(path);
    expectRefused(path);
    expectSecondLoadWorks();
}

TEST_F(LoadErrors, ReadOnlyFileIsRefused) {
    if (geteuid() == 0)
        GTEST_SKIP() << "file permissions do not bind the superuser";
    const QString path = writeScene(dir, scene.bytes, "locked.bin");
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup |
                                                QFileDevice::ReadOther));
    load(path);
    expectRefused(path);
    expectSecondLoadWorks();
}

} // namespace
