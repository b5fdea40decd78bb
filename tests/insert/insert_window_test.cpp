#include <QComboBox>
#include <QListWidget>
#include <QLocale>
#include <QRadioButton>
#include <QSlider>

#include "colour_sliders.h"
#include "value_combos.h"
#include "window_fixture.h"

namespace {

class InsertWindow : public SceneWindow {
protected:
    // The first object row whose model field is filled.
    int modelRow() {
        for (int row = 0; row < window.MerkePosGameInit; ++row) {
            clickRow(list("List2"), row);
            if (!window.Text2(12)->text().isEmpty())
                return row;
        }
        return -1;
    }
    void clickInsert() { QTest::mouseClick(form().insert, Qt::LeftButton); }
};

} // namespace

TEST_F(InsertWindow, HumanMenuPresetsTheWindowFromTheSelection) {
    const int row = modelRow();
    ASSERT_GE(row, 0);
    chooseMenu(window, "&Insert", "&Human");
    insertform& w = form();
    ASSERT_TRUE(QTest::qWaitFor([&w] { return w.isVisible(); }));
    EXPECT_EQ(w.windowTitle(), "QXA Insert");
    EXPECT_EQ(w.Label5->text(), "----------------- Human ----------------------");
    EXPECT_EQ(w.modelchoice, "human");
    EXPECT_EQ(w.Text8->text(), window.Text2(12)->text());
    EXPECT_EQ(w.Text1->text(), rowText(list("List2"), row));
    EXPECT_EQ(w.Text2->text(), window.Text5->text());
    EXPECT_EQ(w.Text7->text(), window.Text10->text());
    EXPECT_EQ(w.Text11->text(), window.Text11->text());
    EXPECT_EQ(w.Text12->text(), window.Text12->text());
    EXPECT_TRUE(w.Frame9->isVisible());
    for (QWidget* hidden : {w.Frame1, w.Frame2, w.Frame3, w.Frame4, w.Frame8})
        EXPECT_FALSE(hidden->isVisible()) << hidden->objectName().toStdString();
    EXPECT_EQ(w.Text23->text(), "17");
    EXPECT_EQ(w.Text22->text(), "0.5");
    EXPECT_EQ(w.Text21->text(), "80");
    EXPECT_EQ(w.Combo3->currentText(), "Reaction on Player");
    EXPECT_EQ(w.Combo3->code(), std::optional<int>(16));
}

TEST_F(InsertWindow, ModelFieldStatesCarryOverFromEntryToEntry) {
    insertform& w = form();
    window.LightMenu_Click();
    EXPECT_TRUE(w.Text8->text().isEmpty());
    EXPECT_TRUE(w.Text8->isReadOnly());
    EXPECT_FALSE(w.Text8->isEnabled());
    EXPECT_EQ(backColour(w.Text8), systemColour(SystemColour::ApplicationWorkspace));
    window.CarMenu_Click();
    EXPECT_FALSE(w.Text8->isReadOnly());
    EXPECT_FALSE(w.Text8->isEnabled()) << "car unlocks but does not enable";
    window.DoorMenu_Click();
    EXPECT_TRUE(w.Text8->isEnabled());
    EXPECT_EQ(backColour(w.Text8), systemColour(SystemColour::WindowBackground));
    window.InvisibleWallMenu_Click();
    EXPECT_EQ(w.Text8->text(), "???.i3d");
    EXPECT_TRUE(w.Frame1->isVisible());
    EXPECT_TRUE(w.Frame3->isVisible());
    const QString heading = w.Label5->text();
    window.OtherMenu_Click();
    EXPECT_EQ(w.Label5->text(), heading) << "\"&Other\" leaves the heading";
    EXPECT_EQ(w.modelchoice, "other");
}

TEST_F(InsertWindow, CancelHidesDoorAndLightPanels) {
    insertform& w = form();
    window.DoorMenu_Click();
    window.CarMenu_Click();
    EXPECT_TRUE(w.Frame1->isVisible()) << "car does not hide the door panel";
    QTest::mouseClick(w.cancel, Qt::LeftButton);
    EXPECT_FALSE(w.isVisible());
    EXPECT_TRUE(w.Frame1->isHidden());
    EXPECT_TRUE(w.Frame2->isHidden());
    window.ThingsMenu_Click();
    EXPECT_TRUE(w.Frame8->isVisible());
    EXPECT_TRUE(w.Frame3->isVisible()) << "things leaves Frame3 as it was";
    EXPECT_EQ(w.Combo1->currentText(), "Barrel 2");
    EXPECT_EQ(w.Text18->text(), "80");
}

TEST_F(InsertWindow, BrowserTurns4dsIntoI3d) {
    insertform& w = form();
    window.CarMenu_Click();
    QTest::mouseClick(w.Browse, Qt::LeftButton);
    EXPECT_TRUE(w.Frame4->isVisible());
    w.Text17->setText("house.4ds");
    QTest::mouseClick(w.Cok, Qt::LeftButton);
    EXPECT_EQ(w.Text8->text(), "house.i3d");
    EXPECT_FALSE(w.Frame4->isVisible());
    QTest::mouseClick(w.Browse, Qt::LeftButton);
    w.Text17->setText("house.4Ds");
    QTest::mouseClick(w.Cok, Qt::LeftButton);
    EXPECT_EQ(w.Text8->text(), "house.4Ds");
    QTest::mouseClick(w.Browse, Qt::LeftButton);
    w.Text17->setText("other.4DS");
    QTest::mouseClick(w.Command1, Qt::LeftButton);
    EXPECT_EQ(w.Text8->text(), "house.4Ds") << "the browser's Cancel only hides it";
    EXPECT_FALSE(w.Frame4->isVisible());
    // A file clicked in the list gives its bare name.
    QTest::mouseClick(w.Browse, Qt::LeftButton);
    const QList<QListWidgetItem*> files = w.File1->findItems("scene2.bin", Qt::MatchExactly);
    if (w.browsedFolder() == QDir(dir.path()).absolutePath()) {
        ASSERT_EQ(files.size(), 1);
        w.File1->setCurrentItem(files[0]);
        w.File1_Click();
        EXPECT_EQ(w.Text17->text(), "scene2.bin");
    }
}

TEST_F(InsertWindow, ColourSlidersUpdateAllThreeFieldsAndThePreview) {
    insertform& w = form();
    window.LightMenu_Click();
    w.Slider3->setValue(255);
    w.Slider5->setValue(0);
    // The user moves the green slider: one step up from 127 with the keyboard.
    w.Slider4->setValue(127);
    w.Slider4->setFocus();
    QTest::keyClick(w.Slider4, Qt::Key_Right);
    EXPECT_EQ(w.Text14->text(), "255");
    EXPECT_EQ(w.Text15->text(), "128");
    EXPECT_EQ(w.Text16->text(), "0");
    EXPECT_EQ(w.colours->previewColour(), QColor(255, 128, 0));
}

TEST_F(InsertWindow, InsertAddsTheObjectAndShowsIt) {
    const int row = modelRow();
    ASSERT_GE(row, 0);
    window.CarMenu_Click();
    insertform& w = form();
    const int before = rowCount(list("List2"));
    const int merke = window.MerkePosGameInit;
    clickInsert();
    ASSERT_EQ(dialogs.messages().size(), 1u);
    EXPECT_EQ(dialogs.messages()[0].title, "Name already known");
    EXPECT_EQ(dialogs.messages()[0].text, "Put another!");
    EXPECT_EQ(fileBytes(path), scene.bytes);

    w.Text1->setText("Brand new car");
    clickInsert();
    ASSERT_EQ(dialogs.messages().size(), 1u) << dialogs.messages().back().text.toStdString();
    EXPECT_EQ(rowCount(list("List2")), before + 1);
    EXPECT_EQ(currentRow(list("List2")), merke);
    EXPECT_EQ(currentText(list("List2")), "Brand new car");
    EXPECT_EQ(status(), " **** Saved ****");
    EXPECT_EQ(foreColour(window.Status), StatusGreen);
    EXPECT_TRUE(w.isVisible()) << "the window stays open";
    EXPECT_EQ(fileBytes(path).size(),
              scene.bytes.size() + 133 + 13 + w.Text8->text().size() + 13 + 13 + 2662);
    EXPECT_FALSE(window.VFL_Blocked);
    clickInsert();
    EXPECT_EQ(dialogs.messages().back().text, "Put another!");
}

TEST_F(InsertWindow, ChecksAnswerThroughTheDialogSeam) {
    ASSERT_GE(modelRow(), 0);
    window.HumanMenu_Click();
    insertform& w = form();
    w.Text1->clear();
    clickInsert();
    ASSERT_EQ(dialogs.messages().size(), 1u);
    EXPECT_EQ(dialogs.messages()[0].title, "Name");
    EXPECT_EQ(dialogs.messages()[0].text, "Put Name");
    w.Text1->setText("Someone");
    w.Text22->setText("1.01");
    clickInsert();
    EXPECT_EQ(dialogs.messages().back().title, "Agression");
    EXPECT_EQ(dialogs.messages().back().text, "Value 0 ... 1");
    w.Text22->setText("0.5");
    w.Text23->setText("300");
    clickInsert();
    EXPECT_EQ(dialogs.messages().back().title, "Sex");
    EXPECT_EQ(dialogs.messages().back().text, "Value 0 ... 255");
    w.Text23->setText("+17");
    w.Text2->setText("1,5");
    clickInsert();
    EXPECT_EQ(dialogs.messages().back().title, "Translation");
    EXPECT_EQ(dialogs.messages().back().text, "Put numeric");
    EXPECT_EQ(fileBytes(path), scene.bytes);
}

TEST_F(InsertWindow, UnderAGermanLocaleNumbersAreShownAndReadWithAComma) {
    const DefaultLocale german{QLocale(QLocale::German, QLocale::Germany)};
    ASSERT_GE(modelRow(), 0);
    window.HumanMenu_Click();
    insertform& w = form();
    EXPECT_EQ(w.Text22->text(), "0,5");
    EXPECT_EQ(w.Text2->text(), window.Text5->text());
    EXPECT_TRUE(w.Text2->text().contains(',')) << w.Text2->text().toStdString();
    w.Text1->setText("Komma");
    w.Text2->setText("1.500");
    clickInsert();
    ASSERT_EQ(dialogs.messages().size(), 1u);
    EXPECT_EQ(dialogs.messages()[0].title, "Translation");
    EXPECT_EQ(dialogs.messages()[0].text, "Put numeric");
    EXPECT_EQ(fileBytes(path), scene.bytes);

    w.Text2->setText("+1,5");
    w.Text3->setText(" 2,5e1");
    w.Text21->setText("81,5");
    w.Slider1->setValue(45);
    clickInsert();
    EXPECT_EQ(w.Text9->text(), "0,7071068");
    ASSERT_EQ(dialogs.messages().size(), 1u) << dialogs.messages().back().text.toStdString();
    const IndexRecord& e =
        window.sceneIndex.entries[static_cast<std::size_t>(currentRow(list("List2")))];
    EXPECT_EQ(e.name, "Komma");
    EXPECT_EQ(e.translation->at(0).value(), 1.5f);
    EXPECT_EQ(e.translation->at(1).value(), 25.0f);
    EXPECT_EQ(e.aggression->value(), 0.5f);
    EXPECT_EQ(e.weight->value(), 81.5f);
    EXPECT_EQ(e.rotation->at(0).value(), 0.7071068f);
}

TEST_F(InsertWindow, TheDialActionsRunBeforeTheChecks) {
    ASSERT_GE(modelRow(), 0);
    window.OtherMenu_Click();
    insertform& w = form();
    w.Text1->setText("Dial test");
    w.Slider1->setValue(90);
    w.Slider2->setValue(-90);
    w.Text11->setText("30");
    clickInsert();
    EXPECT_EQ(w.Text9->text(), "1");
    EXPECT_EQ(w.Text12->text(), "1");
    ASSERT_TRUE(dialogs.messages().empty()) << dialogs.messages()[0].text.toStdString();
    const IndexRecord& e =
        window.sceneIndex.entries[static_cast<std::size_t>(currentRow(list("List2")))];
    EXPECT_EQ(e.name, "Dial test");
    EXPECT_EQ(e.rotation->at(0).value(), 1.0f);
    EXPECT_EQ(e.rotation->at(1).value(), 0.5f);
    EXPECT_EQ(e.rotation->at(3).value(), 1.0f);
}

TEST(InsertWindowEmpty, MenuEntriesDoNothingWithoutAScene) {
    FakeDialogs dialogs;
    MDIForm1 window{dialogs};
    window.HumanMenu_Click();
    window.LightMenu_Click();
    EXPECT_FALSE(window.insertWindow->isVisible());
    EXPECT_TRUE(window.insertWindow->modelchoice.isEmpty());
}

TEST_F(InsertWindow, AFileChangedOnDiskIsNotWrittenButReadAgain) {
    ASSERT_GE(modelRow(), 0);
    window.ThingsMenu_Click();
    form().Text1->setText("Barrel on a changed file");
    auto changed = scene.bytes;
    changed.back() ^= 0x01;
    writeScene(dir, changed);
    clickInsert();
    EXPECT_EQ(fileBytes(path), changed);
    ASSERT_EQ(dialogs.messages().size(), 1u);
    EXPECT_EQ(dialogs.messages()[0].title, "Insert");
    EXPECT_EQ(window.indexedFile, changed) << "the window shows the file as it is now";
    EXPECT_FALSE(window.VFL_Blocked);
}

TEST_F(InsertWindow, IgnoredWhileTheMainWindowWorks) {
    ASSERT_GE(modelRow(), 0);
    window.CarMenu_Click();
    form().Text1->setText("Blocked car");
    window.VFL_Blocked = true;
    clickInsert();
    window.VFL_Blocked = false;
    EXPECT_TRUE(dialogs.messages().empty());
    EXPECT_EQ(fileBytes(path), scene.bytes);
}
