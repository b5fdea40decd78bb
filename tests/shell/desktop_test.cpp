#include <QCheckBox>
#include <QComboBox>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTimer>
#include <QUrl>
#include <functional>

#include "colours.h"
#include "entry_list.h"
#include "frmabout.h"
#include "insertform.h"
#include "load_fixture.h"
#include "qt_dialogs.h"

namespace {

class Desktop : public LoadFixture {
protected:
    void SetUp() override {
        LoadFixture::SetUp();
        scenePath = writeScene(dir, generateScene(options(3)).bytes);
        load(scenePath);
        ASSERT_GT(rowCount(list("List2")), 0);
        activate(&window);
    }

    static void activate(QWidget* target) { activateForKeys(target); }

    static GeneratorOptions options(std::uint32_t seed) {
        GeneratorOptions o;
        o.seed = seed;
        o.objectCount = 30;
        return o;
    }

    template <class T = QWidget> T* named(const char* name) { return control<T>(window, name); }

    // Shows the first ticked entry (its script in Text1).
    void showTickedEntry() {
        const int row = firstRowWith(list("List2"), Qt::Checked);
        ASSERT_GE(row, 0);
        clickRow(list("List2"), row);
        ASSERT_TRUE(window.Text1->isEnabled());
    }

    QByteArray fileBytes() {
        QFile file(scenePath);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll();
    }

    void drop(QWidget* target, const QString& path) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(path)});
        const QPoint at = target->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        ASSERT_TRUE(enter.isAccepted()) << "the drag of one file is taken";
        QDropEvent dropped(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &dropped);
    }

    QString scenePath;
};

// Runs `answer` on the first box the real dialogs show, once it is up.
void onNextBox(const std::function<void(QMessageBox*)>& answer) {
    QTimer::singleShot(0, [answer] {
        QTRY_VERIFY(qobject_cast<QMessageBox*>(QApplication::activeModalWidget()) != nullptr);
        answer(qobject_cast<QMessageBox*>(QApplication::activeModalWidget()));
    });
}

QString visibleText(QMessageBox* box) {
    QTextDocument document;
    document.setHtml(box->text());
    return document.toPlainText();
}

TEST_F(Desktop, RealBoxesShowTitleAndPromptOverTheWindowInUse) {
    QtDialogs real(&window);
    // The title goes into the box as well, the prompt keeps its blanks.
    QString shown;
    QWidget* owner = nullptr;
    onNextBox([&](QMessageBox* box) {
        shown = visibleText(box);
        owner = box->parentWidget();
        box->accept();
    });
    real.message(" **** complete ****", "The entry is no longer in the file");
    EXPECT_EQ(shown, "The entry is no longer in the file\n **** complete ****");
    EXPECT_EQ(owner, &window);

    // A box asked from the insert window stands over the insert window.
    window.insertWindow->show();
    activate(window.insertWindow);
    onNextBox([&](QMessageBox* box) {
        owner = box->parentWidget();
        box->accept();
    });
    real.message("Put numeric", "Name");
    EXPECT_EQ(owner, window.insertWindow);
    window.insertWindow->hide();

    // Enter answers the question's default: No where asked so, else Yes.
    for (const bool noIsDefault : {true, false}) {
        onNextBox([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Return); });
        EXPECT_EQ(real.askYesNo("Do you really want to delete?", "Delete", noIsDefault),
                  !noIsDefault);
    }
    onNextBox([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); });
    EXPECT_FALSE(real.askYesNo("Go on?", "ADDin"));
}

TEST_F(Desktop, EachKeyReachesItsAction) {
    const std::vector<std::pair<QAction*, QKeySequence>> keys = {
        {window.LoadMenu, QKeySequence(Qt::CTRL | Qt::Key_O)},
        {window.ReloadMenu, QKeySequence(Qt::Key_F5)},
        {window.SaveMenu, QKeySequence(Qt::CTRL | Qt::Key_S)},
        {window.FindListMenu, QKeySequence(Qt::CTRL | Qt::Key_L)},
        {window.InfoMenu, QKeySequence(Qt::Key_F1)},
        {window.UndoMenu, QKeySequence(Qt::CTRL | Qt::Key_Z)},
        {window.ExitMenu, QKeySequence(Qt::CTRL | Qt::Key_Q)},
    };
    dialogs.openFileAnswers.push_back({}); // Ctrl+O: cancelled
    for (const auto& [action, key] : keys) {
        SCOPED_TRACE(key.toString().toStdString());
        // Shown in the menu as well.
        EXPECT_TRUE(action->shortcuts().contains(key));
        action->setEnabled(true);
        int triggered = 0;
        const auto counting =
            QObject::connect(action, &QAction::triggered, [&triggered] { ++triggered; });
        activate(&window);
        QTest::keySequence(&window, key);
        EXPECT_EQ(triggered, 1);
        QObject::disconnect(counting);
        if (window.aboutWindow != nullptr)
            window.aboutWindow->close();
    }
    // The open dialog started in the open scene's folder.
    ASSERT_EQ(dialogs.openDialogs().size(), 2u) << "the fixture's load, then Ctrl+O";
    EXPECT_EQ(dialogs.openDialogs()[1].startFolder, QFileInfo(scenePath).absolutePath());
    EXPECT_FALSE(window.isVisible()) << "Ctrl+Q closed the window";
}

TEST_F(Desktop, ControlSSavesTheScriptElseTheValues) {
    showTickedEntry();
    const QByteArray before = fileBytes();
    window.Text1->setFocus();
    QTest::keyClick(window.Text1, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(window.Text1, "x");
    ASSERT_TRUE(window.scriptPending());
    QTest::keySequence(&window, QKeySequence(Qt::CTRL | Qt::Key_S));
    ASSERT_TRUE(QTest::qWaitFor([this] { return !window.VFL_Blocked; }));
    EXPECT_FALSE(window.scriptPending());
    const QByteArray afterScript = fileBytes();
    EXPECT_EQ(afterScript.size(), before.size() + 1) << "the script grew by the typed byte";

    // No typing: the marked values are saved.
    window.Text5->setText("12.5");
    window.valueFieldClicked(window.Text5);
    ASSERT_NE(window.FlagValueSave, 0);
    QTest::keySequence(&window, QKeySequence(Qt::CTRL | Qt::Key_S));
    ASSERT_TRUE(QTest::qWaitFor([this] { return window.FlagValueSave == 0; }));
    const IndexRecord& shown = window.sceneIndex.entries[std::size_t(window.shownRow())];
    ASSERT_TRUE(shown.translation.has_value());
    EXPECT_EQ((*shown.translation)[0].value(), 12.5f);
    EXPECT_NE(fileBytes(), afterScript);
}

TEST_F(Desktop, ReloadReadsTheFileAgainAfterAskingAboutTyping) {
    showTickedEntry();
    const int shown = window.shownRow();
    // Another program writes another scene at the path.
    const GeneratedScene other = generateScene(options(11));
    writeScene(dir, other.bytes);
    QTest::keyClicks(window.Text1, "typed");
    dialogs.threeWayAnswers.push_back(Dialogs::Answer::Cancel);
    QTest::keySequence(&window, QKeySequence(Qt::Key_F5));
    ASSERT_EQ(dialogs.questions().size(), 1u);
    EXPECT_EQ(dialogs.questions()[0].text, "Save script?");
    EXPECT_TRUE(window.scriptPending()) << "Cancel keeps the typing and the file";
    EXPECT_NE(window.indexedFile, other.bytes);

    dialogs.threeWayAnswers.push_back(Dialogs::Answer::No);
    QTest::keySequence(&window, QKeySequence(Qt::Key_F5));
    ASSERT_TRUE(QTest::qWaitFor([this] { return !window.VFL_Blocked; }));
    EXPECT_EQ(window.indexedFile, other.bytes);
    EXPECT_EQ(rowText(list("List2"), 0), expectedEntries(other)[0].name);
    EXPECT_EQ(currentRow(list("List2")), shown) << "the row on display stays selected";
}

TEST_F(Desktop, ControlLGoesToTheSearchOfTheListInFront) {
    const std::vector<std::pair<const char*, const char*>> fronts = {
        {"Option2", "Text18"}, {"Option3", "Text19"}, {"Option1", "Text2(1)"}};
    for (const auto& [option, search] : fronts) {
        QTest::mouseClick(named(option), Qt::LeftButton);
        window.List2->setFocus();
        QTest::keySequence(&window, QKeySequence(Qt::CTRL | Qt::Key_L));
        EXPECT_EQ(QApplication::focusWidget(), named(search)) << option;
    }
}

TEST_F(Desktop, TabReachesEveryControlAndControlTabLeavesTheScript) {
    showTickedEntry();
    window.Option1->setFocus();
    std::vector<QString> reached;
    for (int press = 0; press < 80; ++press) {
        QWidget* focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr);
        if (focus == window.Text1)
            break;
        reached.push_back(focus->objectName());
        QTest::keyClick(focus, Qt::Key_Tab);
    }
    ASSERT_EQ(QApplication::focusWidget(), window.Text1) << "Tab leads to the script box";
    for (const char* name : {"List2", "Text2(1)", "Text5", "SaveValue", "SaveScript"})
        EXPECT_NE(std::find(reached.begin(), reached.end(), name), reached.end()) << name;

    // Tab is a character in the script box.
    const QString before = window.Text1->toPlainText();
    QTest::keyClick(window.Text1, Qt::Key_Tab);
    EXPECT_EQ(window.Text1->toPlainText().size(), before.size() + 1);
    EXPECT_EQ(QApplication::focusWidget(), window.Text1);
    // Ctrl+Tab leads out, on to the listing's controls, which Tab reaches too.
    QTest::keyClick(window.Text1, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(QApplication::focusWidget(), window.Check1);
    for (const char* name : {"Text2(3)", "search2", "RichTextBox1"}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget()->objectName(), name);
    }
    window.Text1->setFocus();
    QTest::keyClick(window.Text1, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), window.SaveScript);
}

TEST_F(Desktop, EscapeClosesTheAboutBoxAndCancelsTheInsertWindow) {
    window.InfoMenu_Click();
    ASSERT_NE(window.aboutWindow, nullptr);
    activate(window.aboutWindow);
    QTest::keyClick(window.aboutWindow, Qt::Key_Escape);
    EXPECT_FALSE(window.aboutWindow->isVisible());

    window.HumanMenu_Click();
    ASSERT_TRUE(window.insertWindow->isVisible());
    activate(window.insertWindow);
    QTest::keyClick(window.insertWindow, Qt::Key_Escape);
    EXPECT_FALSE(window.insertWindow->isVisible());
}

// The controls a user works with, in `root`, that have no tooltip.
std::vector<std::string> withoutTip(const QWidget& root) {
    std::vector<std::string> missing;
    for (const QWidget* w : root.findChildren<QWidget*>()) {
        const auto* box = qobject_cast<const QLineEdit*>(w);
        const bool works =
            (box != nullptr && box->focusPolicy() != Qt::NoFocus) ||
            qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QAbstractSlider*>(w) ||
            qobject_cast<const QComboBox*>(w) || qobject_cast<const QAbstractItemView*>(w) ||
            qobject_cast<const QPlainTextEdit*>(w);
        const bool hidden = box != nullptr && !box->isVisibleTo(&root) && box->isHidden();
        if (works && !hidden && w->toolTip().isEmpty() && !w->objectName().isEmpty() &&
            !w->objectName().startsWith("qt_"))
            missing.push_back(w->objectName().toStdString());
    }
    return missing;
}

TEST_F(Desktop, EveryControlSaysWhatItHolds) {
    EXPECT_EQ(withoutTip(window), std::vector<std::string>{});
    EXPECT_EQ(withoutTip(*window.insertWindow), std::vector<std::string>{});
    // The rotation boxes name their quaternion parts, the angle box its unit,
    // and the two Save buttons what they save.
    const std::vector<std::pair<QWidget*, QString>> says = {
        {window.Text3, "q0"},
        {window.Text4, "q2"},
        {window.Text12, "q3"},
        {window.Text11, "degrees"},
        {window.SaveValue, "values"},
        {window.SaveScript, "script"},
        {window.insertWindow->Text11, "degrees"}};
    for (const auto& [control, words] : says)
        EXPECT_TRUE(control->toolTip().contains(words)) << control->objectName().toStdString();
}

TEST_F(Desktop, DeleteQuestionDefaultsToNo) {
    clickRow(list("List2"), 0);
    dialogs.yesNoAnswers.push_back(false);
    QTest::mouseClick(window.Command1, Qt::LeftButton);
    ASSERT_EQ(dialogs.questions().size(), 1u);
    EXPECT_TRUE(dialogs.questions()[0].noIsDefault);
}

TEST_F(Desktop, DroppedSceneLoadsAfterTheQuestionAboutTyping) {
    const GeneratedScene other = generateScene(options(5));
    QTemporaryDir second;
    const QString otherPath = writeScene(second, other.bytes);
    showTickedEntry();
    QTest::keyClicks(window.Text1, "typed");
    dialogs.threeWayAnswers.push_back(Dialogs::Answer::No);
    // Dropped on the script box, the file still reaches the window.
    drop(window.Text1, otherPath);
    ASSERT_TRUE(QTest::qWaitFor([this] { return !window.VFL_Blocked; }));
    EXPECT_EQ(dialogs.questions().size(), 1u);
    EXPECT_EQ(window.filenameanalyse, otherPath);
    EXPECT_EQ(rowCount(list("List2")), int(expectedEntries(other).size()));
}

TEST_F(Desktop, DroppedAddinIsAppliedAfterAYes) {
    // An add-in for another mission: the run stops at its mission check, so
    // the message shows the dropped file reached the add-in command.
    std::vector<std::uint8_t> addin(274 + 48, 0);
    const std::string mission = "elsewhere";
    std::copy(mission.begin(), mission.end(), addin.begin() + 20);
    const QString addinPath = writeScene(dir, addin, "other.QXA");

    dialogs.yesNoAnswers.push_back(false);
    drop(&window, addinPath);
    ASSERT_EQ(dialogs.questions().size(), 1u);
    EXPECT_TRUE(dialogs.questions()[0].text.contains("other.QXA"));
    EXPECT_TRUE(dialogs.messages().empty()) << "No leaves the add-in alone";

    const std::size_t openDialogs = dialogs.openDialogs().size();
    dialogs.yesNoAnswers.push_back(true);
    drop(&window, addinPath);
    ASSERT_TRUE(QTest::qWaitFor([this] { return !dialogs.messages().empty(); }));
    EXPECT_EQ(dialogs.openDialogs().size(), openDialogs) << "no open dialog for a dropped add-in";
    EXPECT_EQ(dialogs.messages()[0].text, "** This ADDin is for Mission - elsewhere");
}

TEST_F(Desktop, LoadingClearsMarksAndNamesAFileThatIsNoScene) {
    showTickedEntry();
    window.Slider2_Click();
    ASSERT_NE(foreColour(window.Label3(0)), systemColour(SystemColour::WindowText));
    // Not a scene: bytes without any of the scene's sections.
    const QString notScene = writeScene(dir, std::vector<std::uint8_t>(4000, 0x41), "cache.bin");
    dialogs.threeWayAnswers.push_back(Dialogs::Answer::No);
    load(notScene);
    EXPECT_EQ(foreColour(window.Label3(0)), systemColour(SystemColour::WindowText));
    EXPECT_EQ(window.Status->text(), " ---- Not a scene: no objects or scripts found ---- ");
    EXPECT_EQ(foreColour(window.Status), StatusRed);
    // A scene again is ready.
    load(scenePath);
    EXPECT_NE(window.Status->text(), " ---- Not a scene: no objects or scripts found ---- ");
}

} // namespace
