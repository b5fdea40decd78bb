#pragma once
#include <QAbstractItemView>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QTextDocument>
#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "colours.h"
#include "load_fixture.h"
#include "mini_scene.h"
#include "scene_verify.h"

using Bytes = std::vector<std::uint8_t>;

// Failure output shows texts as text.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

inline Bytes readBytes(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    const QByteArray all = file.readAll();
    return Bytes(all.begin(), all.end());
}

inline std::uint32_t u32At(const Bytes& bytes, std::size_t pos) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | bytes.at(pos + std::size_t(i));
    return value;
}

inline void putU32(Bytes& bytes, std::size_t pos, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i)
        bytes.at(pos + i) = std::uint8_t(value >> (8 * i));
}

inline void expectSound(const Bytes& bytes) {
    const VerifyReport report = verifyScene(ByteView(bytes.data(), bytes.size()));
    for (const VerifyProblem& problem : report.problems)
        ADD_FAILURE() << "at " << problem.offset << ": " << problem.what;
}

namespace scripts {

// Definition data of a thing (kind 35): weight at 10, sound code at 22.
inline std::string thingValues(float weight, std::uint8_t sound) {
    std::string values(30, '\0');
    const std::uint32_t bits = floatBits(weight);
    std::memcpy(values.data() + 10, &bits, 4);
    values[22] = char(sound);
    return values;
}

// Definition data of a human (kind 27): behaviour at 1, sex at 5, aggression
// at 41, weight at 65.
inline std::string humanValues(std::uint8_t behaviour, std::uint8_t sex, float aggression,
                               float weight) {
    std::string values(70, '\0');
    values[1] = char(behaviour);
    values[5] = char(sex);
    const std::uint32_t aggressionBits = floatBits(aggression);
    const std::uint32_t weightBits = floatBits(weight);
    std::memcpy(values.data() + 41, &aggressionBits, 4);
    std::memcpy(values.data() + 65, &weightBits, 4);
    return values;
}

// An object record like mini::object with a rotation of our choosing.
inline void rotatedObject(SceneWriter& w, const std::string& name, std::array<float, 4> q) {
    w.beginChunk(0x4010);
    w.chunkU32(0x4011, 9);
    w.chunkString(0x0010, name);
    w.chunkFloats(0x0020, {4.0f, 5.0f, 6.0f});
    w.chunkFloats(0x0022, {q[0], q[1], q[2], q[3]});
    w.chunkFloats(0x002D, {2.0f, 2.0f, 2.0f});
    w.chunkString(0x2012, name + ".i3d");
    w.endChunk();
}

inline void nameOnly(SceneWriter& w, const std::string& name) {
    w.beginChunk(0x4010);
    w.chunkString(0x0010, name);
    w.endChunk();
}

inline void light(SceneWriter& w, const std::string& name) {
    mini::object(w, name, 2, [](SceneWriter& x) {
        x.beginChunk(0x4040);
        x.chunkU32(0x4041, 1);
        x.chunkFloats(0x0026, {1.0f, 0.5f, 0.25f});
        x.chunkFloats(0x4042, {2.5f});
        x.endChunk();
    });
}

inline const std::string CrateScript = "crate script";
inline const std::string GuardScript = "guard\r\nscript";
inline const std::string NoScript;

// The init-script section is made 0x2020 bytes long, so the four bytes after
// the empty script of "Empty" (the section's id and length) pass the index's
// test for a script start.
inline std::string initText(std::size_t pad) {
    return "init text\r\nline two" + std::string(pad, 'i');
}

inline Bytes buildDisplayScene(std::size_t pad) {
    return mini::scene(
        [](SceneWriter& w) {
            light(w, "Lamp");
            mini::object(w, "Zuvav");
            mini::object(w, "Crate");
            nameOnly(w, "Marker");
            mini::object(w, "Guard");
            mini::object(w, "Empty");
            mini::object(w, "Box");
            mini::object(w, "Box");
        },
        [](SceneWriter& w) {
            mini::definition(w, "Zuvav", 35, thingValues(12.5f, 3));
            mini::definition(w, "Crate", 35, thingValues(7.25f, 0xFF), &CrateScript);
            mini::definition(w, "Guard", 27, humanValues(3, 30, 0.75f, 80.0f), &GuardScript);
            mini::definition(w, "Empty", 4, std::string(8, '\x07'), &NoScript);
        },
        [pad](SceneWriter& w) { mini::initScript(w, "GameInit", initText(pad)); });
}

// List2: 0 Lamp, 1 Zuvav, 2 Crate (script), 3 Marker (name only), 4 Guard
// (script), 5 Empty (script of length 0), 6 Box, 7 Box, 8 GameInit.
inline std::size_t displayInitPad() {
    const Bytes plain = buildDisplayScene(0);
    std::size_t section = 0;
    while (section + 1 < plain.size() && !(plain[section] == 0x50 && plain[section + 1] == 0xAE))
        ++section;
    return 0x2020 - u32At(plain, section + 2);
}

inline Bytes displayScene() {
    return buildDisplayScene(displayInitPad());
}

// The init script as the box shows it.
inline QString displayInitShown() {
    return QString::fromStdString(initText(displayInitPad())).replace("\r\n", "\n");
}

} // namespace scripts

// A loaded main window, driven through its controls.
class ScriptWindow : public LoadFixture {
protected:
    void open(const Bytes& bytes) {
        original = bytes;
        path = writeScene(dir, bytes);
        load(path);
    }

    void clickEntry(int row) {
        clickRow(list("List2"), row);
        QCoreApplication::processEvents();
    }

    void clickSave() { QTest::mouseClick(button("SaveScript"), Qt::LeftButton); }

    // Types into the script editor box; characters beyond ASCII arrive as key
    // events that carry only their text, as a keyboard layout delivers them.
    void type(const QString& text) {
        QPlainTextEdit* box = editor();
        box->setFocus();
        for (const QChar c : text) {
            if (c == u'\n') {
                QTest::keyClick(box, Qt::Key_Return);
            } else if (c.unicode() < 0x80) {
                QTest::keyClicks(box, QString(c));
            } else {
                QTest::sendKeyEvent(QTest::Press, box, Qt::Key_unknown, QString(c), {});
                QTest::sendKeyEvent(QTest::Release, box, Qt::Key_unknown, QString(c), {});
            }
        }
    }

    // Moves the caret with Ctrl and a key, then types.
    void typeAt(Qt::Key where, const QString& text) {
        editor()->setFocus();
        QTest::keyClick(editor(), where, Qt::ControlModifier);
        type(text);
    }

    void replaceAll(const QString& text) {
        editor()->setFocus();
        QTest::keyClick(editor(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(editor(), Qt::Key_Delete);
        type(text);
    }

    QLineEdit* box(const char* name) { return control<QLineEdit>(window, name); }
    QPushButton* button(const char* name) { return control<QPushButton>(window, name); }
    QPlainTextEdit* editor() { return control<QPlainTextEdit>(window, "Text1"); }
    QLabel* statusLabel() { return control<QLabel>(window, "Status"); }
    QString status() { return statusLabel()->text(); }
    QString org() { return box("Text2(5)")->text(); }
    QString act() { return box("Text2(7)")->text(); }
    QString shownScript() { return editor()->toPlainText(); }
    int row(const char* listName) { return currentRow(list(listName)); }

    QString path;
    Bytes original;
};
