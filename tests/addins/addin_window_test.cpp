#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <gtest/gtest.h>

#include <functional>

#include "addin_fixture.h"
#include "colours.h"
#include "load_fixture.h"

namespace {
// Records, at each question, what the loading panel shows.
class PanelDialogs : public FakeDialogs {
public:
    MDIForm1* window = nullptr;
    std::vector<std::pair<QString, QString>> captionsAtQuestions;
    // Run at a question, as another program would act while the box is up.
    std::function<void()> atQuestion;
    bool askYesNo(const QString& text, const QString& title, bool noIsDefault) override {
        captionsAtQuestions.emplace_back(window->Label3(1)->text(), window->Label3(2)->text());
        if (atQuestion)
            atQuestion();
        return FakeDialogs::askYesNo(text, title, noIsDefault);
    }
};
} // namespace

class AddinWindow : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        root = fs::path(dir.path().toStdString());
        mission = root / "game" / "missions" / "demo";
        fs::create_directories(mission);
        writeBytes(mission / "scene2.bin", demo.scene.bytes);
        writeBytes(mission / "tree.klz", demo.treeKlz);
        writeBytes(mission / "cache.bin", demo.cacheBin);
        writeBytes(mission / "scene.4ds", demo.scene4ds);
        dialogs.window = &window;
        window.addinPauseMs = 0;
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        QObject::connect(window.ProgressBar1, &QProgressBar::valueChanged,
                         [this](int v) { progress.push_back(v); });
        dialogs.openFileAnswers.push_back(
            QString::fromStdString((mission / "scene2.bin").string()));
        chooseMenu(window, "&File", "&Load");
        ASSERT_TRUE(QTest::qWaitFor([this] { return rowCount(listView(window, "List2")) > 0; }));
    }

    QString addin(const Bytes& bytes, const std::string& name = "test.qxa") {
        const fs::path p = root / name;
        writeBytes(p, bytes);
        return QString::fromStdString(p.string());
    }

    // "&ADDin" with the open dialog answering `path`; waits until the run has ended.
    void runAddin(const QString& path) {
        dialogs.openFileAnswers.push_back(path);
        chooseMenu(window, "&ADDin");
        EXPECT_TRUE(QTest::qWaitFor([this] { return dialogs.openFileAnswers.empty(); }));
        EXPECT_TRUE(QTest::qWaitFor([this] { return !window.VFL_Blocked; }));
    }

    // After an add-in too, the window's index is the index of its bytes.
    void TearDown() override {
        if (window.scene.isOpen()) {
            EXPECT_TRUE(window.sceneIndex == buildSceneIndex(window.scene.bytes()));
        }
    }

    QTemporaryDir dir;
    fs::path root, mission;
    DemoMission demo = makeDemoMission();
    PanelDialogs dialogs;
    MDIForm1 window{dialogs};
    std::vector<int> progress;
};

TEST_F(AddinWindow, AppliesReindexesAndShowsTheFirstNewObject) {
    QAbstractItemView* list2 = listView(window, "List2");
    const int before = rowCount(list2);
    const int firstNew = window.MerkePosGameInit;
    const AddinSource source = demoAddinSource();
    progress.clear();
    runAddin(addin(packed(source)));

    EXPECT_TRUE(dialogs.messages().empty());
    const auto opened = dialogs.openDialogs();
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_TRUE(opened[1].text.contains("*.qxa"));
    EXPECT_EQ(rowCount(list2), before + 2);
    EXPECT_EQ(rowText(list2, firstNew), QString::fromStdString(source.key));
    EXPECT_EQ(currentRow(list2), firstNew);
    EXPECT_EQ(window.Status->text(), " **** complete ****");
    EXPECT_EQ(foreColour(window.Status), StatusGreen);
    EXPECT_FALSE(window.Frame1->isVisible());
    EXPECT_EQ(readBytes(mission / "scene2.bin"), Bytes(window.indexedFile));
    EXPECT_EQ(readBytes(mission / "tree.klz.sav"), demo.treeKlz);
    EXPECT_TRUE(fs::exists(root / "game" / "models" / "addin_car.i3d"));
    // The progress moves through the steps in order.
    std::vector<int> steps;
    for (int v : progress)
        if (v == 5 || v == 10 || v == 15 || v == 25 || v == 35 || v == 45)
            steps.push_back(v);
    EXPECT_EQ(steps, (std::vector<int>{5, 10, 15, 25, 35, 45}));
}

TEST_F(AddinWindow, AppliedAgainAsksAndNoStopsWithoutChanges) {
    const QString path = addin(packed(demoAddinSource()));
    runAddin(path);
    const TreeSnapshot once = snapshot(root);
    const int rows = rowCount(listView(window, "List2"));
    dialogs.yesNoAnswers = {false};
    runAddin(path);
    const auto questions = dialogs.questions();
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0].text,
              "**Sorry, cannot mod your tree.klz!! Maybe it's modded already. Go on? **");
    ASSERT_EQ(dialogs.captionsAtQuestions.size(), 1u);
    EXPECT_EQ(dialogs.captionsAtQuestions[0].first, "Demo add-in");
    EXPECT_EQ(dialogs.captionsAtQuestions[0].second, "  --- Analyse tree.klz ---");
    EXPECT_EQ(snapshot(root), once);
    EXPECT_EQ(rowCount(listView(window, "List2")), rows);
    EXPECT_FALSE(window.Frame1->isVisible());
    EXPECT_FALSE(window.VFL_Blocked);
}

// A write that fails after the scene was written: the window says the files
// were put back and keeps the scene it had, which is again the one on disk.
TEST_F(AddinWindow, AFailedRunIsPutBackAndTheSceneStaysAsItWas) {
    AddinSource s = demoAddinSource();
    s.patches[1] = std::vector<AddinPatchSource>{{{0xEE, 0xEF}, {0}}}; // cache.bin: a question
    const QString path = addin(packed(s));
    const int rows = rowCount(listView(window, "List2"));
    // The maps folder the run would make is taken by a file meanwhile.
    dialogs.atQuestion = [this] { writeBytes(root / "game" / "maps", {1}); };
    dialogs.yesNoAnswers = {true};
    runAddin(path);
    const auto messages = dialogs.messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "****** Can't find - maps- ******");
    EXPECT_EQ(messages[0].title.toStdString(),
              "File exists. The files this add-in had changed were put back.");
    EXPECT_EQ(readBytes(mission / "scene2.bin"), demo.scene.bytes);
    EXPECT_EQ(readBytes(mission / "tree.klz"), demo.treeKlz);
    EXPECT_FALSE(fs::exists(root / "game" / "models"));
    EXPECT_EQ(Bytes(window.indexedFile), demo.scene.bytes);
    EXPECT_EQ(rowCount(listView(window, "List2")), rows);
    EXPECT_FALSE(window.Frame1->isVisible());
    EXPECT_FALSE(window.VFL_Blocked);
}

TEST_F(AddinWindow, RefusedAddinsShowTheirMessageAndWriteNothing) {
    const Bytes good = packed(demoAddinSource());
    const QString truncated = addin(Bytes(good.begin(), good.begin() + 400));
    const TreeSnapshot before = snapshot(root);
    runAddin(truncated);
    AddinSource other = demoAddinSource();
    other.mission = "other";
    runAddin(addin(packed(other), "other.qxa"));
    const auto messages = dialogs.messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].text, "****** Can't find - test.qxa- ******");
    EXPECT_TRUE(messages[0].title.startsWith("The add-in ends inside"))
        << messages[0].title.toStdString();
    EXPECT_EQ(messages[1].text, "** This ADDin is for Mission - other");
    TreeSnapshot after = snapshot(root);
    after.files.erase("other.qxa");
    EXPECT_EQ(after, before);
    EXPECT_FALSE(window.Frame1->isVisible());
}

TEST_F(AddinWindow, CancelIsSilentAndNothingRunsWithoutAScene) {
    runAddin(QString());
    EXPECT_TRUE(dialogs.messages().empty());
    FakeDialogs fresh;
    MDIForm1 empty{fresh};
    empty.ADDinMenu_Click();
    EXPECT_TRUE(fresh.shown.empty());
}
