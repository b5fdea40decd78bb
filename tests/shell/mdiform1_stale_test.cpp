#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSlider>

#include "load_fixture.h"
#include "rotation_dial.h"

namespace {

// After any load the window shows only the loaded file.
class Stale : public LoadFixture {
protected:
    void SetUp() override {
        LoadFixture::SetUp();
        load(writeScene(dir, sampleScene().bytes));
        ASSERT_GT(rowCount(list("List2")), 0);
        ASSERT_FALSE(box("Text17")->text().isEmpty());
    }

    QLineEdit* box(const char* name) { return control<QLineEdit>(window, name); }
    QString label4() { return control<QLabel>(window, "Label4")->text(); }

    void expectNothingOfTheOldFile() {
        for (const char* name : {"List2", "List1", "List3"})
            EXPECT_EQ(rowCount(list(name)), 0) << name;
        for (const char* name : {"Text17", "Text2(12)", "Text5", "Text8", "Text3", "Text11",
                                 "Text20", "Text14", "Text13", "Text21", "Text2(5)", "Text2(7)"})
            EXPECT_TRUE(box(name)->text().isEmpty()) << name;
        EXPECT_TRUE(control<QPlainTextEdit>(window, "Text1")->toPlainText().isEmpty());
        for (const char* name : {"Frame2", "Frame3", "Frame8", "Frame9"})
            EXPECT_FALSE(control<QGroupBox>(window, name)->isVisible()) << name;
        EXPECT_EQ(control<QLabel>(window, "Status")->text(),
                  " ---- Not a scene: no objects or scripts found ---- ");
        EXPECT_TRUE(dialogs.messages().empty());
    }
};

TEST_F(Stale, TextFileIsNotASceneFile) {
    const std::string text = "This is a text file.\r\nNothing here.\r\n";
    const QString path =
        writeScene(dir, std::vector<std::uint8_t>(text.begin(), text.end()), "notes.bin");
    load(path);
    EXPECT_EQ(label4(), path + " (not a scene file)");
    EXPECT_EQ(window.filenameanalyse, path);
    expectNothingOfTheOldFile();
}

TEST_F(Stale, EmptyFileAndRandomBytesAreNoSceneFiles) {
    const QString empty = writeScene(dir, {}, "empty.bin");
    load(empty);
    EXPECT_EQ(label4(), empty + " (not a scene file)");
    expectNothingOfTheOldFile();

    load(writeScene(dir, sampleScene().bytes));
    std::vector<std::uint8_t> noise(4000);
    std::uint32_t state = 12345;
    for (std::uint8_t& byte : noise) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<std::uint8_t>((state >> 16) | 0x01); // never a 00 40 pair
    }
    const QString random = writeScene(dir, noise, "random.bin");
    load(random);
    EXPECT_EQ(label4(), random + " (not a scene file)");
    expectNothingOfTheOldFile();
}

TEST_F(Stale, DamagedFileIsNamedWithItsFault) {
    std::vector<std::uint8_t> bytes = sampleScene(10, 4).bytes;
    const std::size_t real = bytes.size();
    const std::uint32_t claimed = std::uint32_t(real + 143);
    for (int i = 0; i < 4; ++i)
        bytes[std::size_t(2 + i)] = std::uint8_t(claimed >> (8 * i));
    const QString path = writeScene(dir, bytes, "damaged.bin");
    load(path);
    EXPECT_EQ(label4(),
              path + QString(" (damaged: header length %1, file %2 bytes)").arg(claimed).arg(real));
    // Its entries are listed all the same.
    EXPECT_GT(rowCount(list("List2")), 0);
    EXPECT_EQ(control<QLabel>(window, "Status")->text(), " ---- Ready ---- ");
}

TEST_F(Stale, SceneFileHasNoNote) {
    EXPECT_EQ(label4(), window.filenameanalyse);
}

// An init script has no rotation: the dials rest at the identity rotation and
// the angle field stays empty, whatever the object before it showed.
TEST_F(Stale, InitScriptShowsTheDialsAtRest) {
    auto* horizontal = control<QSlider>(window, "Slider1");
    auto* vertical = control<QSlider>(window, "Slider2");
    const int restH = horizontalFromStored(1.0f).slider;
    const int restV = verticalFromStored(0.0f, 0.0f).slider;
    int turned = -1;
    for (int row = 0; row < window.MerkePosGameInit && turned < 0; ++row) {
        clickRow(list("List2"), row);
        if (horizontal->value() != restH && vertical->value() != restV &&
            !box("Text11")->text().isEmpty())
            turned = row;
    }
    ASSERT_GE(turned, 0) << "the sample scene has a turned object";
    ASSERT_LT(window.MerkePosGameInit, rowCount(list("List2")));
    clickRow(list("List2"), window.MerkePosGameInit);
    EXPECT_EQ(box("Text17")->text(), rowText(list("List2"), window.MerkePosGameInit));
    EXPECT_EQ(horizontal->value(), restH);
    EXPECT_EQ(vertical->value(), restV);
    EXPECT_TRUE(box("Text11")->text().isEmpty());
    for (const char* name : {"Text3", "Text4", "Text12"})
        EXPECT_TRUE(box(name)->text().isEmpty()) << name;
}

} // namespace
