#pragma once
#include <QComboBox>
#include <QSlider>
#include <bit>
#include <cstring>

#include "entry_list.h"
#include "script_fixture.h"

// The display scene's entries: 0 Lamp (light), 1 Zuvav, 2 Crate (thing),
// 3 Marker (name only), 4 Guard (human), 5 Empty, 6 Box, 7 Box, 8 GameInit.
namespace entries {
inline constexpr int Lamp = 0;
inline constexpr int Zuvav = 1;
inline constexpr int Crate = 2;
inline constexpr int Marker = 3;
inline constexpr int Guard = 4;
inline constexpr int Empty = 5;
inline constexpr int Box = 6;
inline constexpr int GameInit = 8;
} // namespace entries

inline float singleAt(const Bytes& bytes, std::size_t pos) {
    return std::bit_cast<float>(u32At(bytes, pos));
}

// The value panel driven as its user drives it: fields are clicked into and
// typed over, sliders moved with the keys, list items chosen with the keys.
class ValueWindow : public ScriptWindow {
protected:
    void SetUp() override {
        ScriptWindow::SetUp();
        window.savedNoticeMilliseconds = 0;
    }

    IndexRecord record(int entry) { return window.sceneIndex.entries.at(std::size_t(entry)); }

    // Clicks into the field, selects all and types `text` over it.
    void typeInto(const char* name, const QString& text) {
        QLineEdit* field = box(name);
        QTest::mouseClick(field, Qt::LeftButton);
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(field, text);
        if (text.isEmpty())
            QTest::keyClick(field, Qt::Key_Delete);
    }

    QSlider* slider(const char* name) { return control<QSlider>(window, name); }
    QComboBox* combo(const char* name) { return control<QComboBox>(window, name); }

    // Moves the slider step by step with the arrow keys, as a user holding a
    // key does.
    void moveSlider(const char* name, int target) {
        QSlider* s = slider(name);
        s->setFocus();
        Qt::Key towards = Qt::Key_Up;
        for (int step = 0; step < 400 && s->value() != target; ++step) {
            const int before = s->value();
            QTest::keyClick(s, towards);
            const bool closer = std::abs(s->value() - target) < std::abs(before - target);
            if (!closer)
                towards = towards == Qt::Key_Up ? Qt::Key_Down : Qt::Key_Up;
        }
        EXPECT_EQ(s->value(), target) << name;
    }

    // Chooses the item with the keyboard, as the user does.
    void choose(const char* name, const QString& item) {
        QComboBox* c = combo(name);
        c->setFocus();
        const int target = c->findText(item);
        ASSERT_GE(target, 0);
        if (c->currentIndex() < 0)
            QTest::keyClick(c, Qt::Key_Down);
        for (int step = 0; step < 20 && c->currentIndex() != target; ++step)
            QTest::keyClick(c, c->currentIndex() < target ? Qt::Key_Down : Qt::Key_Up);
        EXPECT_EQ(c->currentIndex(), target);
    }

    void clickSaveValue() { QTest::mouseClick(button("SaveValue"), Qt::LeftButton); }

    Bytes onDisk() { return readBytes(path); }

    // The messages shown so far, as "prompt / title".
    std::vector<QString> messageTexts() {
        std::vector<QString> texts;
        for (const auto& shown : dialogs.messages())
            texts.push_back(shown.text + " / " + shown.title);
        return texts;
    }
};
