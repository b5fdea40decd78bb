#include <QComboBox>
#include <QListWidget>
#include <QLocale>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <functional>
#include <map>
#include <tuple>

#include "colour_sliders.h"
#include "rotation_dial_view.h"
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

void setQuietly(QLineEdit* field, const QString& text) {
    const QSignalBlocker quiet(field);
    field->setText(text);
}

TEST_F(InsertWindow, EachCategoryEntryPresetsTheWindow) {
    struct Entry {
        const char* menu;
        const char* word;
        const char* heading;                  // nullptr: the heading stays as it was
        const char* noModel;                  // model field when the main window shows no model
        const char* withModel;                // ... when it shows "main.i3d"
        bool editable, enabled, windowColour; // model field after "&Light"
        std::vector<int> show, hide;
    };
    const Entry entries[] = {
        {"&Human",
         "human",
         "----------------- Human ----------------------",
         "Enemy12K.i3d",
         "main.i3d",
         true,
         false,
         false,
         {9},
         {1, 2, 3, 4, 8}},
        {"&Car",
         "car",
         "---------------------- car -----------------------",
         "blackha00.i3d",
         "main.i3d",
         true,
         false,
         true,
         {3},
         {4, 8, 9}},
        {"&Truck",
         "truck",
         "-------------------- truck -----------------------",
         "Truck02.i3d",
         "main.i3d",
         true,
         false,
         true,
         {3},
         {4, 8, 9}},
        {"P&olicecar",
         "policecar",
         "------------------ policecar ---------------------",
         "polimTud00.i3d",
         "main.i3d",
         true,
         false,
         true,
         {3},
         {4, 8, 9}},
        {"&Building",
         "building",
         "------------------ building ----------------------",
         "4build10.i3d",
         "main.i3d",
         true,
         false,
         true,
         {3},
         {4, 8, 9}},
        {"&Door",
         "door",
         "--------------------- door -----------------------",
         "FMVVincOutDoor.i3d",
         "main.i3d",
         true,
         true,
         true,
         {1},
         {3, 4, 8, 9}},
        {"&Things",
         "things",
         "------------------- things -----------------------",
         "xbarel 2.i3d",
         "main.i3d",
         true,
         true,
         true,
         {8},
         {4, 9}},
        {"&Light",
         "light",
         "------------------- light ------------------------",
         "",
         "",
         false,
         false,
         false,
         {2},
         {4, 8, 9}},
        {"&Other", "other", nullptr, "", "", false, false, false, {3}, {4, 8, 9}},
        {"&InvisibleWall",
         "uwall",
         "---------- Invisible Wall ------------------",
         "???.i3d",
         "???.i3d",
         true,
         true,
         true,
         {1, 3},
         {4, 8, 9}},
    };
    insertform& w = form();
    const std::map<int, QGroupBox*> frames = {{1, w.Frame1}, {2, w.Frame2}, {3, w.Frame3},
                                              {4, w.Frame4}, {8, w.Frame8}, {9, w.Frame9}};
    clickRow(list("List2"), 0);
    // Each main window field gets a value of its own, to be found in its own field.
    const std::vector<std::tuple<QLineEdit*, QLineEdit*, QString>> copied = {
        {window.Text5, w.Text2, "1.5"},  {window.Text6, w.Text3, "2.5"},
        {window.Text7, w.Text4, "3.5"},  {window.Text8, w.Text5, "4.5"},
        {window.Text9, w.Text6, "5.5"},  {window.Text10, w.Text7, "6.5"},
        {window.Text3, w.Text9, "-0.5"}, {window.Text4, w.Text10, "0.25"},
        {window.Text11, w.Text11, "30"}, {window.Text12, w.Text12, "0.5"}};
    for (const auto& [from, to, text] : copied)
        setQuietly(from, text);

    for (const Entry& e : entries) {
        SCOPED_TRACE(e.menu);
        // Frames all shown with no model in the main window, then all hidden with one.
        for (const bool shownBefore : {true, false}) {
            window.LightMenu_Click();
            w.hide();
            w.Label5->setText("as it was");
            for (QLineEdit* own : {w.Text21, w.Text22, w.Text23, w.Text18})
                own->setText("x");
            w.Combo3->setCurrentIndex(0);
            w.Combo1->setCurrentIndex(0);
            w.Slider1->setValue(0);
            w.Slider2->setValue(0);
            for (const auto& [number, frame] : frames)
                frame->setVisible(shownBefore);
            setQuietly(window.Text2(12), shownBefore ? "" : "main.i3d");

            // By the action: "&Truck" and "&Things" share their mnemonic.
            menuAction(menuAction(window.menuBar()->actions(), "&Insert")->menu()->actions(),
                       e.menu)
                ->trigger();
            ASSERT_TRUE(w.isVisible());
            EXPECT_EQ(w.windowTitle(), "QXA Insert");
            EXPECT_EQ(w.modelchoice, e.word);
            EXPECT_EQ(w.Label5->text(), e.heading ? e.heading : "as it was");
            EXPECT_EQ(w.Text8->text(), shownBefore ? e.noModel : e.withModel);
            EXPECT_EQ(!w.Text8->isReadOnly(), e.editable);
            EXPECT_EQ(w.Text8->isEnabled(), e.enabled);
            EXPECT_EQ(backColour(w.Text8),
                      systemColour(e.windowColour ? SystemColour::WindowBackground
                                                  : SystemColour::ApplicationWorkspace));
            for (const auto& [number, frame] : frames) {
                const bool shown = std::count(e.show.begin(), e.show.end(), number) != 0;
                const bool hidden = std::count(e.hide.begin(), e.hide.end(), number) != 0;
                EXPECT_EQ(!frame->isHidden(), shown || (!hidden && shownBefore))
                    << "Frame" << number;
            }
            EXPECT_EQ(w.Text1->text(), rowText(list("List2"), 0));
            for (const auto& [from, to, text] : copied)
                EXPECT_EQ(to->text(), text) << to->objectName().toStdString();
            EXPECT_EQ(w.Slider1->value(), 150) << "from q0 -0.5";
            EXPECT_EQ(w.Slider2->value(), -30) << "from q3 0.5";

            const bool human = e.word == std::string("human");
            EXPECT_EQ(w.Text23->text(), human ? "17" : "x");
            EXPECT_EQ(w.Text22->text(), human ? "0.5" : "x");
            EXPECT_EQ(w.Text21->text(), human ? "80" : "x");
            EXPECT_EQ(w.Combo3->currentText(), human ? "Reaction on Player" : "Duck");
            EXPECT_EQ(w.Combo3->code(), std::optional<int>(human ? 16 : 0));
            const bool things = e.word == std::string("things");
            EXPECT_EQ(w.Combo1->currentText(), things ? "Barrel 2" : "Lath 1");
            EXPECT_EQ(w.Text18->text(), things ? "80" : "x");
        }
    }
}

TEST_F(InsertWindow, DoorAndLightEntriesPresetFromTheSelectedEntry) {
    ASSERT_GE(modelRow(), 0);
    insertform& w = form();
    const auto insertNew = [&](void (MDIForm1::*entry)(), const QString& name,
                               const std::function<void()>& fill) {
        (window.*entry)();
        w.Text1->setText(name);
        fill();
        clickInsert();
        EXPECT_TRUE(dialogs.messages().empty()) << name.toStdString();
        EXPECT_EQ(currentText(list("List2")), name);
        return currentRow(list("List2"));
    };
    struct Door {
        const char* caption;
        QRadioButton* sound;
        QRadioButton* before; // checked before the entry runs
    };
    const Door doors[] = {{"brass", w.Option2, w.Option1},
                          {"glass", w.Option3, w.Option2},
                          {"wood", w.Option1, w.Option3}};
    std::vector<int> doorRows;
    for (const Door& d : doors)
        doorRows.push_back(insertNew(&MDIForm1::DoorMenu_Click, QString("Door of ") + d.caption,
                                     [&d] { d.sound->setChecked(true); }));
    for (std::size_t i = 0; i < std::size(doors); ++i) {
        SCOPED_TRACE(doors[i].caption);
        EXPECT_EQ(doors[i].sound->text(), doors[i].caption);
        clickRow(list("List2"), doorRows[i]);
        doors[i].before->setChecked(true);
        window.DoorMenu_Click();
        EXPECT_TRUE(doors[i].sound->isChecked());
    }

    const int lamp = insertNew(&MDIForm1::LightMenu_Click, "Lamp of kind 2", [&w] {
        w.Option4->setChecked(true);
        w.Text13->setText("2.5");
        w.colours->showComponents({"255", "51", "0"});
    });
    struct Light {
        int row;
        QRadioButton* kind;
        QRadioButton* before;
        const char* brightness;
        std::array<const char*, 3> colour;
        std::array<int, 3> sliders;
    };
    const Light lights[] = {
        {lamp, w.Option4, w.Option5, "2.5", {"255", "51", "0"}, {255, 51, 0}},
        {doorRows[0], w.Option5, w.Option4, "0", {"0", "0", "0"}, {0, 0, 0}}, // no light values
    };
    for (const Light& l : lights) {
        SCOPED_TRACE(l.row);
        clickRow(list("List2"), l.row);
        l.before->setChecked(true);
        w.Text13->setText("x");
        window.LightMenu_Click();
        EXPECT_TRUE(l.kind->isChecked());
        EXPECT_EQ(w.Text13->text(), l.brightness);
        EXPECT_EQ(w.Text14->text(), l.colour[0]);
        EXPECT_EQ(w.Text15->text(), l.colour[1]);
        EXPECT_EQ(w.Text16->text(), l.colour[2]);
        EXPECT_EQ(w.Slider3->value(), l.sliders[0]);
        EXPECT_EQ(w.Slider4->value(), l.sliders[1]);
        EXPECT_EQ(w.Slider5->value(), l.sliders[2]);
        EXPECT_EQ(w.colours->previewColour(), QColor(l.sliders[0], l.sliders[1], l.sliders[2]));
    }
}

TEST_F(InsertWindow, DisplaySlidersPositionTheDialsFromStoredComponents) {
    insertform& w = form();
    window.OtherMenu_Click();
    const auto keepTexts = [&w] {
        for (QLineEdit* t : {w.Text9, w.Text10, w.Text11, w.Text12})
            t->setText("kept");
    };
    const auto textsKept = [&w] {
        for (QLineEdit* t : {w.Text9, w.Text10, w.Text11, w.Text12})
            EXPECT_EQ(t->text(), "kept") << t->objectName().toStdString();
    };
    // Horizontal: the slider from arcsin(q0), Line11 (500 twips from the
    // centre 1800, 3360) at twice the unrounded angle.
    struct Horizontal {
        const char* q0;
        int slider;
        QPoint line11;
    };
    const Horizontal horizontal[] = {
        {"0", 0, {1800, 2860}},    {"0.7071068", 45, {2300, 3360}}, {"-0.5", 150, {1367, 3110}},
        {"-1", 90, {1800, 3860}},  // nudged by its magnitude: the sign is lost
        {"abc", 10, {1971, 2890}}, // not a number: the dial stays at 10
    };
    for (const Horizontal& h : horizontal) {
        SCOPED_TRACE(h.q0);
        w.Slider1->setValue(10);
        keepTexts();
        w.DisplaySlider1(h.q0);
        EXPECT_EQ(w.Slider1->value(), h.slider);
        EXPECT_EQ(w.Shape1->line("Line11").p2(), h.line11);
        textsKept();
    }
    // Vertical: the slider from -arcsin(q3), Line5 (150 twips from the centre
    // 3360, 3360) at twice the unrounded angle; nothing for "", "Text12".
    struct Vertical {
        const char* q3;
        int slider;
        QPoint line5;
    };
    const Vertical vertical[] = {
        {"0.5", -30, {3230, 3285}},   {"2", 0, {3360, 3210}},    {"", 45, {3510, 3360}},
        {"Text12", 45, {3510, 3360}}, {"abc", 45, {3510, 3360}},
    };
    for (const Vertical& v : vertical) {
        SCOPED_TRACE(v.q3);
        w.Slider2->setValue(45);
        keepTexts();
        w.DisplaySlider2(v.q3);
        EXPECT_EQ(w.Slider2->value(), v.slider);
        EXPECT_EQ(w.Shape2->line("Line5").p2(), v.line5);
        textsKept();
    }
}

TEST_F(InsertWindow, CancelHidesDoorAndLightPanels) {
    insertform& w = form();
    window.LightMenu_Click();
    window.DoorMenu_Click();
    window.CarMenu_Click();
    EXPECT_TRUE(w.Frame1->isVisible()) << "car does not hide the door panel";
    EXPECT_TRUE(w.Frame2->isVisible()) << "nor the light panel";
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
    // Only an exact "4ds" or "4DS" ending turns into "i3d".
    const std::pair<const char*, const char*> chosen[] = {{"house.4ds", "house.i3d"},
                                                          {"house.4DS", "house.i3d"},
                                                          {"HOUSE.4dS", "HOUSE.4dS"},
                                                          {"house.4Ds", "house.4Ds"}};
    for (const auto& [file, model] : chosen) {
        QTest::mouseClick(w.Browse, Qt::LeftButton);
        EXPECT_TRUE(w.Frame4->isVisible());
        w.Text17->setText(file);
        QTest::mouseClick(w.Cok, Qt::LeftButton);
        EXPECT_EQ(w.Text8->text(), model);
        EXPECT_FALSE(w.Frame4->isVisible());
    }
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
