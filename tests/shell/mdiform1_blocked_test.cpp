#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

#include "load_fixture.h"

namespace {

// Long work in a loaded window: the work waits until the test has tried its
// input, so everything below happens while it runs.
class Blocked : public LoadFixture {
protected:
    void SetUp() override {
        LoadFixture::SetUp();
        scene = sampleScene();
        load(writeScene(dir, scene.bytes));
        last = rowCount(list("List2")) - 1;
        ASSERT_GT(last, 2);
    }

    // Runs work that ends when `during` (run on the GUI thread while the work
    // runs) has returned.
    void runWhile(const std::function<void()>& during, const std::function<void()>& done = {}) {
        std::atomic<bool> release{false};
        QTimer::singleShot(0, &window, [&] {
            during();
            release = true;
        });
        window.runBlocked(
            "Testing",
            [&release](std::atomic<int>& progress) {
                progress = 17;
                while (!release)
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
            },
            done);
    }

    QString shownName() { return control<QLineEdit>(window, "Text17")->text(); }

    GeneratedScene scene;
    int last = -1;
};

TEST_F(Blocked, GuardedInputIsIgnoredAndNotReplayed) {
    const QString before = shownName();
    const std::size_t dialogsBefore = dialogs.openDialogs().size();
    bool blockedInside = false;
    bool doneSawUnblocked = false;
    runWhile(
        [&] {
            blockedInside = window.VFL_Blocked;
            clickRow(list("List2"), 0);
            QTest::keyClick(list("List2"), Qt::Key_Down);
            chooseMenu(window, "&File", "&Load");
            chooseMenu(window, "&File", "&Exit");
            QCoreApplication::processEvents();
        },
        [&] { doneSawUnblocked = !window.VFL_Blocked; });

    EXPECT_TRUE(blockedInside);
    EXPECT_TRUE(doneSawUnblocked);
    EXPECT_FALSE(window.VFL_Blocked);
    EXPECT_EQ(dialogs.openDialogs().size(), dialogsBefore) << "no load dialog";
    QTest::qWait(20);
    EXPECT_EQ(dialogs.openDialogs().size(), dialogsBefore) << "not even afterwards";
    EXPECT_TRUE(window.isVisible());
    // The list shows the entry on display again, and the display did not move.
    EXPECT_EQ(currentRow(list("List2")), last);
    EXPECT_EQ(selectedRows(list("List2")), std::vector<int>{last});
    EXPECT_EQ(shownName(), before);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_FALSE(control<QFrame>(window, "Frame1")->isVisible());
    // Afterwards a click shows its entry at once.
    clickRow(list("List2"), 0);
    EXPECT_EQ(shownName(), rowText(list("List2"), 0));
}

TEST_F(Blocked, WindowStaysLiveWithProgressAndUnguardedHandlers) {
    int progressSeen = -1;
    bool panelShown = false;
    bool hourglass = false;
    QString caption;
    bool editorReadOnly = false;
    runWhile([&] {
        auto* bar = control<QProgressBar>(window, "ProgressBar1");
        EXPECT_TRUE(QTest::qWaitFor([bar] { return bar->value() == 17; }));
        progressSeen = bar->value();
        auto* frame1 = control<QFrame>(window, "Frame1");
        panelShown = frame1->isVisible();
        // The panel covers none of the controls beside it.
        const QRect panel(frame1->mapTo(&window, QPoint(0, 0)), frame1->size());
        for (const char* name : {"Text2(10)", "Text2(5)", "Check1", "Text2(3)", "Text1",
                                 "RichTextBox1", "Status", "Text24", "SaveScript", "List2"}) {
            auto* other = control<QWidget>(window, name);
            EXPECT_FALSE(
                panel.intersects(QRect(other->mapTo(&window, QPoint(0, 0)), other->size())))
                << name;
        }
        caption = control<QLabel>(window, "Label3(1)")->text();
        hourglass = QApplication::overrideCursor() != nullptr;
        editorReadOnly = control<QPlainTextEdit>(window, "Text1")->isReadOnly();
        QTest::mouseClick(control<QRadioButton>(window, "Option2"), Qt::LeftButton);
    });
    EXPECT_EQ(progressSeen, 17);
    EXPECT_TRUE(panelShown);
    EXPECT_EQ(caption, "Testing");
    EXPECT_TRUE(hourglass);
    EXPECT_TRUE(editorReadOnly);
    EXPECT_FALSE(control<QPlainTextEdit>(window, "Text1")->isReadOnly());
    // The option button acted while the work ran.
    EXPECT_TRUE(control<QWidget>(window, "Frame6")->isVisible());
}

TEST_F(Blocked, CloseWaitsForTheWork) {
    bool visibleAfterClose = false;
    runWhile([&] {
        window.close();
        QCoreApplication::processEvents();
        visibleAfterClose = window.isVisible();
    });
    EXPECT_TRUE(visibleAfterClose);
    EXPECT_TRUE(QTest::qWaitFor([this] { return !window.isVisible(); }));
}

TEST_F(Blocked, FailedWorkLeavesTheWindowUsable) {
    bool doneRan = false;
    EXPECT_THROW(window.runBlocked(
                     "Failing", [](std::atomic<int>&) { throw std::runtime_error("disk gone"); },
                     [&] { doneRan = true; }),
                 std::runtime_error);
    EXPECT_FALSE(doneRan);
    EXPECT_FALSE(window.VFL_Blocked);
    EXPECT_FALSE(window.workRunning());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_FALSE(control<QFrame>(window, "Frame1")->isVisible());
}

} // namespace
