#include "value_window_fixture.h"

#include "colours.h"
#include "rotation_dial_view.h"
#include "value_save.h"

namespace {
using namespace entries;

bool isRed(QWidget* control) {
    return foreColour(control) == StatusRed;
}

TEST_F(ValueWindow, HumanValuesAreWrittenInPlace) {
    open(scripts::displayScene());
    clickEntry(Guard);
    const IndexRecord before = record(Guard);
    typeInto("Text22", "0.25");
    EXPECT_TRUE(isRed(box("Text22")));
    EXPECT_EQ(window.FlagValueSave, -1);
    EXPECT_EQ(window.EditedIndex, Guard);
    typeInto("Text21", "81.5");
    typeInto("Text23", "17");
    typeInto("Text5", "-0.9991097");
    choose("Combo3", "React when hit");
    EXPECT_TRUE(isRed(combo("Combo3")));
    clickSaveValue();
    EXPECT_TRUE(dialogs.messages().empty());
    // The notice shows until the timer, which runs only once events are processed.
    const QLabel* notice = control<QLabel>(window, "Label1");
    EXPECT_TRUE(notice->isVisible());
    EXPECT_EQ(notice->text(), "SAVED");
    EXPECT_EQ(foreColour(notice), QColor(255, 0, 0));

    const Bytes now = onDisk();
    ASSERT_EQ(now.size(), original.size());
    EXPECT_EQ(now[*before.behaviourPos], 8);
    EXPECT_EQ(now[*before.behaviourPos + 4], 17);
    EXPECT_EQ(singleAt(now, *before.aggressionPos), 0.25f);
    EXPECT_EQ(singleAt(now, *before.weightPos), 81.5f);
    EXPECT_EQ(singleAt(now, *before.translationPos), -0.9991097f);
    std::size_t differing = 0;
    for (std::size_t i = 0; i < now.size(); ++i)
        differing += now[i] != original[i];
    EXPECT_LE(differing, 1u + 1u + 4u + 4u + 4u);
    expectSound(now);

    // The window holds what the file holds, marks are gone, the notice goes again.
    EXPECT_EQ(window.indexedFile, now);
    EXPECT_EQ(record(Guard).sex, 17);
    EXPECT_EQ(window.FlagValueSave, 0);
    EXPECT_FALSE(isRed(box("Text22")));
    EXPECT_FALSE(isRed(combo("Combo3")));
    EXPECT_TRUE(
        QTest::qWaitFor([this] { return !control<QLabel>(window, "Label1")->isVisible(); }));

    // A second save compares the file with what the first one wrote.
    typeInto("Text21", "90");
    clickSaveValue();
    EXPECT_TRUE(dialogs.messages().empty());
    EXPECT_EQ(singleAt(onDisk(), *before.weightPos), 90.0f);
}

TEST_F(ValueWindow, SavingWhatIsShownChangesNoByte) {
    for (const QLocale& locale : {QLocale::c(), QLocale(QLocale::German, QLocale::Germany)}) {
        SCOPED_TRACE(locale.name().toStdString());
        const DefaultLocale shownIn{locale};
        open(scripts::displayScene());
        for (int entry : {Zuvav, Crate, Guard, Empty, Box}) {
            clickEntry(entry);
            QTest::mouseClick(box("Text5"), Qt::LeftButton);
            clickSaveValue();
        }
        EXPECT_TRUE(dialogs.messages().empty());
        // A thing shown without a sound is saved with the first one.
        Bytes expected = original;
        putU32(expected, *record(Crate).soundPos, 0);
        const Bytes now = onDisk();
        EXPECT_EQ(now, expected) << "Guard's behaviour 3, which no item stands for, stays";
        EXPECT_EQ(combo("Combo1")->currentText(), "Lath 1");
        EXPECT_EQ(window.sceneIndex.entries[Zuvav].kind, 35) << "the index keeps the file's kind";
    }
}

TEST_F(ValueWindow, UnderAGermanLocaleNumbersAreShownAndReadWithAComma) {
    const DefaultLocale german{QLocale(QLocale::German, QLocale::Germany)};
    open(scripts::displayScene());
    clickEntry(Lamp);
    EXPECT_EQ(box("Text20")->text(), "2,5");
    EXPECT_EQ(box("Text15")->text(), "127,5");
    EXPECT_EQ(box("Text16")->text(), "63,75");
    EXPECT_EQ(slider("Slider5")->value(), 64) << "63,75 read with the comma";
    clickEntry(Crate);
    EXPECT_EQ(box("Text13")->text(), "7,25");

    clickEntry(Guard);
    EXPECT_EQ(box("Text22")->text(), "0,75");
    const std::size_t t = *record(Guard).translationPos;
    typeInto("Text5", "202,54");
    typeInto("Text7", "0,123456789");
    typeInto("Text22", "+0,5");
    typeInto("Text21", "8,15e1");
    clickSaveValue();
    ASSERT_TRUE(dialogs.messages().empty()) << messageTexts()[0].toStdString();
    const Bytes saved = onDisk();
    EXPECT_EQ(singleAt(saved, t), 202.54f);
    EXPECT_EQ(singleAt(saved, t + 8), 0.123456789f);
    EXPECT_EQ(singleAt(saved, *record(Guard).aggressionPos), 0.5f);
    EXPECT_EQ(singleAt(saved, *record(Guard).weightPos), 81.5f);

    clickEntry(Box);
    clickEntry(Guard);
    EXPECT_EQ(box("Text5")->text(), "202,54");
    EXPECT_EQ(box("Text7")->text(), "0,1234568");
    typeInto("Text6", "1.500");
    clickSaveValue();
    EXPECT_EQ(messageTexts(), std::vector<QString>{"Put numeric / Translation"});
    EXPECT_EQ(onDisk(), saved);
    typeInto("Text6", "-1,5");
    clickSaveValue();
    EXPECT_EQ(messageTexts().size(), 1u);
    const Bytes now = onDisk();
    EXPECT_EQ(singleAt(now, t + 4), -1.5f);
    EXPECT_EQ(singleAt(now, t + 8), 0.123456789f) << "Text7 as shown keeps the stored bits";
    EXPECT_EQ(u32At(now, t + 22), u32At(original, t + 22)) << "Text11 as shown keeps q1";
}

TEST_F(ValueWindow, ChecksShowTheirMessagesInOrderAndWriteNothing) {
    open(scripts::displayScene());
    clickEntry(Guard);
    typeInto("Text8", "");
    typeInto("Text22", "abc");
    clickSaveValue();
    typeInto("Text8", "2");
    clickSaveValue();
    typeInto("Text22", "1.01");
    clickSaveValue();
    typeInto("Text22", "1");
    typeInto("Text21", "inf");
    clickSaveValue();
    typeInto("Text21", "80");
    typeInto("Text23", "256");
    clickSaveValue();
    typeInto("Text23", "x");
    clickSaveValue();
    typeInto("Text23", "3");
    typeInto("Text6", "1e39");
    clickSaveValue();
    typeInto("Text6", "nan");
    clickSaveValue();
    typeInto("Text6", "1");
    typeInto("Text5", "1,5");
    clickSaveValue();
    typeInto("Text5", "1");
    typeInto("Text10", "-");
    clickSaveValue();
    typeInto("Text10", "1");
    typeInto("Text11", "");
    clickSaveValue();
    typeInto("Text11", "180.6");
    clickSaveValue();
    typeInto("Text11", "99999999999");
    clickSaveValue();
    const std::vector<QString> expected = {"Fill all fields / ",
                                           "Put numeric / Aggression",
                                           "Value 0 ... 1 / Agression",
                                           "Put numeric / Weight",
                                           "Value 0 ... 255 / Sex",
                                           "Put numeric / Sex",
                                           "Number out of range / Translation",
                                           "Put numeric / Translation",
                                           "Put numeric / Translation",
                                           "Put numeric / Size",
                                           "Put numeric / Vert Rotation",
                                           "Value -180 ... 180 / Vert Rotation",
                                           "Value -180 ... 180 / Vert Rotation"};
    EXPECT_EQ(messageTexts(), expected);
    EXPECT_EQ(onDisk(), original);
    EXPECT_EQ(window.FlagValueSave, -1) << "the edits are still pending";
    EXPECT_TRUE(isRed(box("Text22")));

    typeInto("Text11", "180.5");
    clickSaveValue();
    EXPECT_EQ(messageTexts().size(), expected.size());
    const Bytes now = onDisk();
    EXPECT_EQ(singleAt(now, *record(Guard).translationPos + 22), float(std::sin(M_PI)))
        << "180.5 rounds to the even 180";
}

TEST_F(ValueWindow, LightValuesChangeOnlyWithACompleteSave) {
    open(scripts::displayScene());
    clickEntry(Lamp);
    const IndexRecord before = record(Lamp);
    typeInto("Text20", "4");
    moveSlider("Slider4", 200);
    typeInto("Text7", "seven");
    clickSaveValue();
    ASSERT_EQ(messageTexts(), std::vector<QString>{"Put numeric / Translation"});
    EXPECT_EQ(record(Lamp).brightness, before.brightness);
    EXPECT_EQ(record(Lamp).colour, before.colour);

    dialogs.threeWayAnswers.push_back(Dialogs::Answer::No);
    clickEntry(Crate);
    clickEntry(Lamp);
    EXPECT_EQ(box("Text20")->text(), "2.5") << "the dropped edit never reached the index";
    EXPECT_EQ(box("Text15")->text(), "127.5");
    EXPECT_EQ(onDisk(), original);

    typeInto("Text20", "4");
    moveSlider("Slider4", 200);
    clickSaveValue();
    const Bytes now = onDisk();
    EXPECT_EQ(singleAt(now, *before.brightnessPos), 4.0f);
    EXPECT_EQ(singleAt(now, *before.colourPos), 1.0f) << "red 255 unchanged";
    EXPECT_EQ(singleAt(now, *before.colourPos + 4), float(200 / 255.0));
    EXPECT_EQ(singleAt(now, *before.colourPos + 8), float(64 / 255.0))
        << "the sliders set all three boxes";
    EXPECT_EQ(0,
              std::memcmp(now.data() + *before.translationPos + 18, LightRotationBytes.data(), 16));
}

TEST_F(ValueWindow, DialsSetTheRotationTheSaveWrites) {
    open(scripts::displayScene());
    clickEntry(Box);
    const IndexRecord before = record(Box);
    ASSERT_EQ(slider("Slider1")->value(), 90) << "the stored q0 is 1";
    moveSlider("Slider1", 91);
    EXPECT_EQ(box("Text3")->text(), "-0.9998477");
    EXPECT_EQ(box("Text4")->text(), "0.01745241");
    moveSlider("Slider1", 90);
    EXPECT_TRUE(isRed(control<QWidget>(window, "Label30")));
    EXPECT_EQ(box("Text3")->text(), "1");
    EXPECT_EQ(box("Text4")->text(), "-6.123234E-17");
    auto* horizontal = control<RotationDialView>(window, "Shape1");
    EXPECT_EQ(horizontal->line("Line11").p2(), QPoint(1800, 3860)) << "2a = 180: down";
    typeInto("Text11", "30");
    moveSlider("Slider2", -90);
    EXPECT_EQ(box("Text12")->text(), "1");
    auto* vertical = control<RotationDialView>(window, "Shape2");
    EXPECT_EQ(vertical->findChild<DialLine*>("Line5")->property("Y2").toInt(), 3360 + 150);
    EXPECT_EQ(record(Box).rotation, before.rotation) << "the index holds the file";
    clickSaveValue();
    const Bytes now = onDisk();
    const std::size_t q = *before.translationPos + 18;
    EXPECT_EQ(singleAt(now, q), 1.0f);
    EXPECT_EQ(singleAt(now, q + 4), 0.5f);
    EXPECT_EQ(singleAt(now, q + 8), -6.123234e-17f);
    EXPECT_EQ(singleAt(now, q + 12), 1.0f);
    EXPECT_FALSE(isRed(control<QWidget>(window, "Label30")));

    clickEntry(Crate);
    clickEntry(Box);
    EXPECT_EQ(box("Text11")->text(), "30");
    EXPECT_EQ(slider("Slider2")->value(), -90) << "q3 = 1 shows as -90";
    EXPECT_EQ(slider("Slider1")->value(), 90);
}

TEST_F(ValueWindow, ADroppedDialTurnIsNotSavedLater) {
    open(scripts::displayScene());
    clickEntry(Box);
    moveSlider("Slider1", 45);
    dialogs.threeWayAnswers.push_back(Dialogs::Answer::No);
    clickEntry(Crate);
    clickEntry(Box);
    typeInto("Text5", "8");
    clickSaveValue();
    const std::size_t t = *record(Box).translationPos;
    Bytes expected = original;
    putU32(expected, t, 0x41000000); // 8.0
    EXPECT_EQ(onDisk(), expected);
}

TEST_F(ValueWindow, ClicksMarkOnlyWhereTheGuardAllows) {
    open(scripts::displayScene());
    clickEntry(GameInit);
    moveSlider("Slider3", 10);
    QTest::mouseClick(box("Text13"), Qt::LeftButton);
    EXPECT_EQ(window.FlagValueSave, 0) << "an init script has no object values";
    EXPECT_FALSE(isRed(control<QWidget>(window, "Label9")));
    QTest::mouseClick(box("Text20"), Qt::LeftButton);
    EXPECT_EQ(window.FlagValueSave, 0) << "no object entry: nothing could be saved";
    EXPECT_FALSE(isRed(box("Text20"))) << "a red field would promise a question";

    clickEntry(Lamp);
    QTest::mouseClick(box("Text11"), Qt::LeftButton);

    EXPECT_TRUE(isRed(control<QWidget>(window, "Label3(0)")));
    window.FlagValueSave = 0;
    // Entered with the keyboard and typed into: marked as a click marks.
    box("Text6")->setFocus();
    QTest::keyClicks(box("Text6"), "5");
    EXPECT_EQ(window.FlagValueSave, -1);
    EXPECT_TRUE(isRed(box("Text6")));
    window.dropValueEdits();

    // Each colour slider marks its own label ("Red", "Green", "Blue") only.
    const std::pair<const char*, const char*> sliders[] = {
        {"Slider3", "Label9"}, {"Slider4", "Label11(0)"}, {"Slider5", "Label14"}};
    for (const auto& [name, label] : sliders) {
        SCOPED_TRACE(name);
        for (const auto& other : sliders)
            setForeColour(control<QWidget>(window, other.second),
                          systemColour(SystemColour::WindowText));
        moveSlider(name, 200);
        for (const auto& other : sliders)
            EXPECT_EQ(isRed(control<QWidget>(window, other.second)),
                      std::string(other.second) == label)
                << other.second;
    }
    moveSlider("Slider3", 255);
    moveSlider("Slider5", 0);
    moveSlider("Slider4", 127);
    moveSlider("Slider4", 128);
    EXPECT_EQ(box("Text14")->text(), "255");
    EXPECT_EQ(box("Text15")->text(), "128");
    EXPECT_EQ(box("Text16")->text(), "0");
    EXPECT_EQ(backColour(control<QWidget>(window, "Picture4")), QColor(255, 128, 0));
}

TEST_F(ValueWindow, NothingIsWrittenWithoutAnEntryOrValues) {
    open(scripts::displayScene());
    clickEntry(Marker);
    QTest::mouseClick(box("Text20"), Qt::LeftButton);
    clickSaveValue();
    clickEntry(Crate);
    window.List2->setCurrentRow(-1);
    QTest::mouseClick(box("Text20"), Qt::LeftButton);
    clickSaveValue();
    // The panel still shows Crate; saving it on Guard's click would write
    // Crate's values into Guard.
    dialogs.threeWayAnswers.push_back(Dialogs::Answer::Yes);
    clickEntry(Guard);
    EXPECT_TRUE(dialogs.messages().empty());
    EXPECT_EQ(onDisk(), original);
    EXPECT_FALSE(window.SavePending);
}

TEST_F(ValueWindow, AFileChangedOnDiskIsReadAgainNotOverwritten) {
    open(scripts::displayScene());
    clickEntry(Guard);
    typeInto("Text21", "70");
    Bytes other = original;
    putU32(other, *record(Crate).weightPos, 0x41200000); // 10.0
    writeScene(dir, other);
    clickSaveValue();
    ASSERT_EQ(dialogs.messages().size(), 1u);
    EXPECT_EQ(dialogs.messages()[0].title, "Values not saved");
    EXPECT_EQ(onDisk(), other);
    EXPECT_EQ(window.indexedFile, other);
    EXPECT_EQ(record(Crate).weight->value(), 10.0f);
    EXPECT_EQ(window.FlagValueSave, 0);
}

TEST_F(ValueWindow, YesToSaveValuesSavesTheEditedEntry) {
    open(scripts::displayScene());
    clickEntry(Guard);
    typeInto("Text21", "55");
    dialogs.threeWayAnswers.push_back(Dialogs::Answer::Yes);
    clickEntry(Crate);
    EXPECT_EQ(singleAt(onDisk(), *record(Guard).weightPos), 55.0f);
    EXPECT_EQ(box("Text17")->text(), "Crate") << "the clicked entry is shown after the save";
    EXPECT_EQ(window.FlagValueSave, 0);
}

} // namespace
