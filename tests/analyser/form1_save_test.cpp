#include <QApplication>
#include <QKeyEvent>

#include "analyser_scene.h"
#include "form1_fixture.h"

namespace {

// Bytes a text box could easily lose: lone CR and LF, tab, NUL, DEL, A0 and
// other Windows-1252 letters.
const std::string OddScript =
    std::string("caf\xE9 \xA0x\tq\r\nlone\rcr\nlf\x7F\x01", 24) + "end\r\n";

// Types a character that has no key of its own, as an input method would send it.
void typeCharacter(QWidget* widget, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, text);
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, text);
    QApplication::sendEvent(widget, &release);
}

class Form1Save : public Form1Test {
protected:
    void openAndShow() {
        built =
            AnalyserScene().object("odd", OddScript).object("Tommy", "wait 1\r\nend\r\n").build();
        open(built.bytes);
        chooseAndScan();
        clickItem(list2(), 0);
        ASSERT_EQ(window->scriptLength, static_cast<std::int64_t>(OddScript.size()));
    }
    AnalyserScene::Built built;
};

TEST_F(Form1Save, UnchangedSaveWritesBackExactlyTheBytesRead) {
    openAndShow();
    QTest::mouseClick(find<QPushButton>("Save"), Qt::LeftButton);
    EXPECT_TRUE(dialogs.messages().empty());
    EXPECT_EQ(text2(2)->text(), "     **** Saved ****");
    EXPECT_EQ(onDisk(), built.bytes);
}

TEST_F(Form1Save, TypingBeyondTheLoadedLengthIsRefused) {
    openAndShow();
    text1()->setFocus();
    QTest::keyClick(text1(), Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(text1(), "xyz");
    QTest::keyClick(text1(), Qt::Key_Return);
    EXPECT_EQ(text1()->byteLength(), OddScript.size());
    EXPECT_EQ(text2(1)->text(), text2(0)->text());
}

TEST_F(Form1Save, ShorterTextIsRefusedWithLengthDifferent) {
    openAndShow();
    text1()->setFocus();
    QTest::keyClick(text1(), Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(text1(), Qt::Key_Backspace);
    EXPECT_EQ(text2(1)->text(), QString::number(OddScript.size() - 2)); // a line break is two bytes
    EXPECT_EQ(text2(2)->text(), "     ---- Not Saved! ----");
    EXPECT_EQ(textColour(text2(2)), QColor(255, 0, 0));
    EXPECT_TRUE(window->dirty);
    QTest::mouseClick(find<QPushButton>("Save"), Qt::LeftButton);
    ASSERT_EQ(dialogs.messages().size(), 1u);
    EXPECT_EQ(dialogs.messages()[0].text, "****** Length different ******");
    EXPECT_EQ(onDisk(), built.bytes);
}

TEST_F(Form1Save, SameLengthEditChangesOnlyTheScriptBytes) {
    openAndShow();
    text1()->setFocus();
    QTest::keyClick(text1(), Qt::Key_Home, Qt::ControlModifier);
    QTest::keyClick(text1(), Qt::Key_Delete);
    QTest::keyClicks(text1(), "K");
    EXPECT_EQ(text2(1)->text(), text2(0)->text());
    QTest::mouseClick(find<QPushButton>("Save"), Qt::LeftButton);
    EXPECT_TRUE(dialogs.messages().empty());
    const auto after = onDisk();
    ASSERT_EQ(after.size(), built.bytes.size());
    auto expected = built.bytes;
    expected[built.scriptOffsets[0]] = 'K';
    EXPECT_EQ(after, expected);
    EXPECT_EQ(text2(2)->text(), "     **** Saved ****");
    EXPECT_FALSE(window->dirty);

    // The written bytes are the reference now: a second save goes through.
    QTest::keyClick(text1(), Qt::Key_Home, Qt::ControlModifier);
    QTest::keyClick(text1(), Qt::Key_Delete);
    QTest::keyClicks(text1(), "L");
    QTest::mouseClick(find<QPushButton>("Save"), Qt::LeftButton);
    EXPECT_TRUE(dialogs.messages().empty());
    expected[built.scriptOffsets[0]] = 'L';
    EXPECT_EQ(onDisk(), expected);
}

TEST_F(Form1Save, AFileChangedOnDiskSinceTheScanIsNotWritten) {
    openAndShow();
    auto changed = built.bytes;
    changed[10] ^= 0x01;
    writeScene(dir, changed);
    QTest::mouseClick(find<QPushButton>("Save"), Qt::LeftButton);
    ASSERT_EQ(dialogs.messages().size(), 1u);
    EXPECT_EQ(dialogs.messages()[0].text, "****** File not saved ******");
    EXPECT_EQ(onDisk(), changed);
}

TEST_F(Form1Save, CharactersOutsideWindows1252AreRefused) {
    openAndShow();
    text1()->setFocus();
    QTest::keyClick(text1(), Qt::Key_Home, Qt::ControlModifier);
    QTest::keyClick(text1(), Qt::Key_Delete);
    typeCharacter(text1(), QString::fromUtf8("\xE2\x82\xAC")); // the euro sign has a byte: 80
    QTest::mouseClick(find<QPushButton>("Save"), Qt::LeftButton);
    EXPECT_TRUE(dialogs.messages().empty());
    EXPECT_EQ(onDisk()[built.scriptOffsets[0]], 0x80);

    QTest::keyClick(text1(), Qt::Key_Home, Qt::ControlModifier);
    QTest::keyClick(text1(), Qt::Key_Delete);
    typeCharacter(text1(), QString::fromUtf8("\xD0\x96")); // Cyrillic Zhe has none
    const auto before = onDisk();
    QTest::mouseClick(find<QPushButton>("Save"), Qt::LeftButton);
    ASSERT_EQ(dialogs.messages().size(), 1u);
    EXPECT_EQ(dialogs.messages()[0].title, "****** File not saved ******");
    EXPECT_EQ(onDisk(), before);
}

TEST_F(Form1Save, ATextTheScanWouldCutShortIsRefusedAndNothingIsWritten) {
    built = AnalyserScene().object("bottle4", "wait 3000\r\nend\r\n").build();
    open(built.bytes);
    chooseAndScan();
    clickItem(list2(), 0);
    text1()->setFocus();
    QTest::keyClick(text1(), Qt::Key_Home, Qt::ControlModifier);
    for (int i = 0; i < 5; ++i)
        QTest::keyClick(text1(), Qt::Key_Right);
    QTest::keyClick(text1(), Qt::Key_Delete);
    QTest::keyClick(text1(), Qt::Key_Delete);
    QTest::keyClicks(text1(), "4");
    typeCharacter(text1(), QString::fromUtf8("\xC2\xAE")); // the registered sign is the byte AE
    ASSERT_EQ(text2(1)->text(), text2(0)->text());
    QTest::mouseClick(find<QPushButton>("Save"), Qt::LeftButton);
    ASSERT_EQ(dialogs.messages().size(), 1u);
    EXPECT_EQ(dialogs.messages()[0].title, "****** File not saved ******");
    EXPECT_TRUE(dialogs.messages()[0].text.contains("would not find this script again whole"))
        << dialogs.messages()[0].text.toStdString() << "|"
        << dialogs.messages()[0].title.toStdString();
    EXPECT_EQ(onDisk(), built.bytes);
    EXPECT_EQ(text2(2)->text(), "     ---- Not Saved! ----");
    EXPECT_TRUE(window->dirty);
}

TEST_F(Form1Save, SaveWithNothingShownDoesNothing) {
    built = AnalyserScene().object("lamp", "").build();
    open(built.bytes);
    chooseAndScan();
    clickItem(list2(), 0);
    QTest::mouseClick(find<QPushButton>("Save"), Qt::LeftButton);
    EXPECT_TRUE(dialogs.messages().empty());
    EXPECT_EQ(onDisk(), built.bytes);
}

} // namespace
