#include <QDir>
#include <QSignalSpy>
#include <map>

#include "script_fixture.h"

namespace {

// A script's place in a file and the length fields that cover it.
struct ScriptPlace {
    std::size_t textPos = 0;
    std::size_t textLength = 0;
    std::vector<std::size_t> lengthFields;
};

// The file a save should write: the script replaced, every covering length
// field moved by the change.
Bytes withScript(const Bytes& file, const ScriptPlace& place, const std::string& text) {
    Bytes out(file.begin(), file.begin() + std::ptrdiff_t(place.textPos));
    out.insert(out.end(), text.begin(), text.end());
    out.insert(out.end(), file.begin() + std::ptrdiff_t(place.textPos + place.textLength),
               file.end());
    const auto change = std::int64_t(text.size()) - std::int64_t(place.textLength);
    for (std::size_t field : place.lengthFields)
        putU32(out, field, std::uint32_t(std::int64_t(u32At(out, field)) + change));
    return out;
}

std::string textAt(const Bytes& file, const ScriptPlace& place) {
    return std::string(file.begin() + std::ptrdiff_t(place.textPos),
                       file.begin() + std::ptrdiff_t(place.textPos + place.textLength));
}

class ScriptSave : public ScriptWindow {
protected:
    // A scripted object of a generated scene whose script starts with a
    // printable byte, with a unique name, and whose record has others after it.
    void openGenerated() {
        scene = sampleScene(40, 7);
        std::map<std::string, int> names;
        for (const GeneratedObject& object : scene.objects)
            ++names[object.name];
        for (std::size_t i = 0; i < scene.objects.size(); ++i) {
            const GeneratedObject& o = scene.objects[i];
            if (o.script != ScriptState::Present || o.scriptLength < 16 || names[o.name] > 1)
                continue;
            const std::uint8_t first = scene.bytes[o.scriptOffset + 4];
            if (first < 0x21 || first >= 0x7F)
                continue;
            entry = int(i);
            place.textPos = o.scriptOffset + 4;
            place.textLength = o.scriptLength;
            place.lengthFields = {2, scene.definitionsOffset + 2, o.definitionOffset + 2,
                                  o.dataChunkOffset + 2, o.scriptOffset};
            break;
        }
        ASSERT_GE(entry, 0);
        open(scene.bytes);
        clickEntry(entry);
        ASSERT_EQ(org(), QString::number(place.textLength));
    }

    bool temporaryFileLeft() { return QFile::exists(QDir(dir.path()).filePath("quilltemp.save")); }

    // Checks a save that changed the length: the file, the re-index and the
    // entry shown again.
    void expectSavedAndShownAgain(const Bytes& expected, const QString& shown) {
        const Bytes now = readBytes(path);
        EXPECT_EQ(now, expected);
        expectSound(now);
        EXPECT_FALSE(temporaryFileLeft());
        EXPECT_TRUE(dialogs.messages().empty());
        EXPECT_EQ(status(), " **** Saved ****");
        EXPECT_EQ(foreColour(statusLabel()), StatusGreen);
        EXPECT_EQ(row("List2"), entry);
        EXPECT_EQ(shownScript(), shown);
        EXPECT_EQ(org(), act());
        EXPECT_EQ(window.indexedFile, expected);
        EXPECT_FALSE(window.VFL_Blocked);
        EXPECT_EQ(window.RefreshAll, 0);
        EXPECT_EQ(window.RefreshAllAfter, 0);
    }

    GeneratedScene scene;
    int entry = -1;
    ScriptPlace place;
};

TEST_F(ScriptSave, SameLengthWritesOnlyTheChangedBytesWithoutReindex) {
    openGenerated();
    QSignalSpy reindexed(&window, &MDIForm1::indexed);
    const char first = char(original[place.textPos]);
    const char other = first == 'Q' ? 'Z' : 'Q';
    editor()->setFocus();
    QTest::keyClick(editor(), Qt::Key_Home, Qt::ControlModifier);
    QTest::keyClick(editor(), Qt::Key_Right, Qt::ShiftModifier);
    type(QString(QChar(other)));
    EXPECT_EQ(act(), org());
    clickSave();
    Bytes expected = original;
    expected[place.textPos] = std::uint8_t(other);
    EXPECT_EQ(readBytes(path), expected);
    EXPECT_EQ(status(), " **** Saved ****");
    EXPECT_EQ(foreColour(statusLabel()), StatusGreen);
    EXPECT_EQ(reindexed.count(), 0);
    EXPECT_TRUE(dialogs.messages().empty());

    // The next save checks the file against what was written.
    QTest::keyClick(editor(), Qt::Key_Home, Qt::ControlModifier);
    QTest::keyClick(editor(), Qt::Key_Right, Qt::ShiftModifier);
    type(QString(QChar(first)));
    clickSave();
    EXPECT_TRUE(dialogs.messages().empty());
    EXPECT_EQ(readBytes(path), original);
    EXPECT_EQ(reindexed.count(), 0);
}

TEST_F(ScriptSave, LongerScriptGrowsTheFileAndIsShownAgain) {
    openGenerated();
    QSignalSpy reindexed(&window, &MDIForm1::indexed);
    const QString before = shownScript();
    typeAt(Qt::Key_End, "\n// grown");
    EXPECT_EQ(act(), QString::number(place.textLength + 10));
    clickSave();
    expectSavedAndShownAgain(withScript(original, place, textAt(original, place) + "\r\n// grown"),
                             before + "\n// grown");
    EXPECT_EQ(org(), QString::number(place.textLength + 10));
    EXPECT_EQ(reindexed.count(), 1);
}

TEST_F(ScriptSave, ShorterScriptShrinksTheFileThroughTheTemporaryFile) {
    openGenerated();
    replaceAll("short text");
    clickSave();
    expectSavedAndShownAgain(withScript(original, place, "short text"), "short text");
    EXPECT_EQ(org(), "10");
    EXPECT_LT(readBytes(path).size(), original.size());
}

TEST_F(ScriptSave, InitScriptAtTheEndOfTheFileGrowsWithoutATail) {
    scene = sampleScene(30, 9);
    ASSERT_FALSE(scene.initScripts.empty());
    const GeneratedInitScript& last = scene.initScripts.back();
    ASSERT_EQ(last.textOffset + last.textLength, scene.bytes.size());
    entry = int(scene.objects.size() + scene.initScripts.size() - 1);
    place.textPos = last.textOffset;
    place.textLength = last.textLength;
    place.lengthFields = {2, scene.initScriptsOffset + 2, last.recordOffset + 2};
    open(scene.bytes);
    ASSERT_EQ(row("List2"), entry);
    const QString before = shownScript();
    typeAt(Qt::Key_End, "\n// init grown");
    clickSave();
    expectSavedAndShownAgain(
        withScript(original, place, textAt(original, place) + "\r\n// init grown"),
        before + "\n// init grown");
}

TEST_F(ScriptSave, EveryByteComesBackExactly) {
    // The index takes a script whose first four bytes are printable.
    std::string special = "abcd\r\ne\rf\ng\th\xA0i \x01\x7F";
    for (int byte = 0x80; byte <= 0xFF; ++byte)
        special += char(byte);
    special += "\r\nend";
    const std::string after = "after script";
    open(mini::scene(
        [](SceneWriter& w) {
            mini::object(w, "Special");
            mini::object(w, "After");
        },
        [&](SceneWriter& w) {
            mini::definition(w, "Special", 4, std::string(8, '\x07'), &special);
            mini::definition(w, "After", 4, std::string(8, '\x07'), &after);
        }));
    entry = 0;
    clickEntry(entry);
    ASSERT_EQ(org(), QString::number(special.size()));
    EXPECT_EQ(act(), org());
    EXPECT_TRUE(editor()->document()->toRawText().contains(QChar(0xA0)));

    // Unchanged: nothing in the file changes.
    clickSave();
    EXPECT_EQ(status(), " **** Saved ****");
    EXPECT_EQ(readBytes(path), original);

    // An edit and its inverse give back the file.
    std::size_t textPos = 0;
    while (std::string(original.begin() + std::ptrdiff_t(textPos),
                       original.begin() + std::ptrdiff_t(textPos + 4)) != "abcd")
        ++textPos;
    place.textPos = textPos;
    place.textLength = special.size();
    place.lengthFields = {2, 0, 0, 0, textPos - 4};
    const QString shown = shownScript();
    typeAt(Qt::Key_End, "X");
    clickSave();
    const Bytes grown = readBytes(path);
    expectSound(grown);
    EXPECT_EQ(grown.size(), original.size() + 1);
    EXPECT_EQ(std::string(grown.begin() + std::ptrdiff_t(textPos),
                          grown.begin() + std::ptrdiff_t(textPos + special.size() + 1)),
              special + "X");
    EXPECT_EQ(org(), QString::number(special.size() + 1));
    EXPECT_EQ(shownScript(), shown + "X");

    typeAt(Qt::Key_End, "");
    QTest::keyClick(editor(), Qt::Key_Backspace);
    clickSave();
    EXPECT_EQ(readBytes(path), original);
    EXPECT_EQ(org(), QString::number(special.size()));
    EXPECT_TRUE(dialogs.messages().empty());
}

TEST_F(ScriptSave, CharacterOutsideWindows1252IsRefused) {
    openGenerated();
    QSignalSpy reindexed(&window, &MDIForm1::indexed);
    typeAt(Qt::Key_End, QString::fromUtf8("Ω"));
    clickSave();
    ASSERT_EQ(dialogs.messages().size(), 1u);
    EXPECT_EQ(dialogs.messages()[0].text,
              QString::fromUtf8("The script holds the character \"Ω\" (U+03A9), which a scene "
                                "file cannot store. Nothing was saved."));
    EXPECT_EQ(dialogs.messages()[0].title, "Script not saved");
    EXPECT_EQ(readBytes(path), original);
    EXPECT_FALSE(window.VFL_Blocked);
    EXPECT_EQ(status(), "--- Not Saved! ---");
    EXPECT_EQ(reindexed.count(), 0);
    EXPECT_TRUE(shownScript().endsWith(QString::fromUtf8("Ω")));
}

TEST_F(ScriptSave, NothingHappensWhileBlockedOrWithoutEntries) {
    openGenerated();
    typeAt(Qt::Key_End, "more");
    window.VFL_Blocked = true;
    clickSave();
    window.VFL_Blocked = false;
    EXPECT_EQ(readBytes(path), original);
    EXPECT_TRUE(dialogs.messages().empty());
    EXPECT_EQ(status(), "--- Not Saved! ---");

    // Loading another file asks about the unsaved script first.
    dialogs.threeWayAnswers.push_back(Dialogs::Answer::No);
    open(mini::scene({}));
    ASSERT_EQ(dialogs.questions().size(), 1u);
    EXPECT_EQ(dialogs.questions()[0].text, "Save script?");
    ASSERT_EQ(rowCount(list("List2")), 0);
    type("text");
    clickSave();
    EXPECT_EQ(readBytes(path), original);
    EXPECT_TRUE(dialogs.messages().empty());
}

} // namespace
