#include <QAbstractItemView>
#include <QCheckBox>
#include <QCompleter>
#include <QTextBlock>
#include <QTextLayout>

#include "demo_mission.h"
#include "script_edit_box.h"
#include "script_find_bar.h"
#include "script_fixture.h"
#include "script_panel.h"
#include "script_syntax.h"
#include "script_text.h"

namespace {

using K = SyntaxKind;

std::vector<SyntaxSpan> spansOf(const std::u16string& line) {
    const std::vector<std::u16string> entries = {u"Paulie21", u"trigger13", u"shutter8.002"};
    return scriptLineSpans(line, [&entries](std::u16string_view name) {
        for (const std::u16string& entry : entries)
            if (entry == name)
                return true;
        return false;
    });
}

TEST(ScriptSyntax, EachKindOfLineGivesItsSpans) {
    const std::vector<std::pair<std::u16string, std::vector<SyntaxSpan>>> lines = {
        {u"// bottle4", {{0, 10, K::Comment}}},
        {u"dim_act 4", {{0, 7, K::Command}, {8, 1, K::Number}}},
        {u"dim_flt 2", {{0, 7, K::Command}, {8, 1, K::Number}}},
        {u"findactor 0, \"Paulie21\"",
         {{0, 9, K::Command}, {10, 1, K::Number}, {13, 10, K::EntryName}}},
        {u"findactor 2, \"nobody\"",
         {{0, 9, K::Command}, {10, 1, K::Number}, {13, 8, K::UnknownName}}},
        {u"label 1", {{0, 5, K::Command}, {6, 1, K::Number}}},
        {u"wait 3000", {{0, 4, K::Command}, {5, 4, K::Number}}},
        {u"act_setstate 1, active", {{0, 12, K::Command}, {13, 1, K::Number}}},
        {u"goto 1", {{0, 4, K::Command}, {5, 1, K::Number}}},
        {u"mission_objectives 3", {{0, 18, K::Command}, {19, 1, K::Number}}},
        {u"end", {{0, 3, K::Command}}},
        // Commands in any letter case, after blanks or a tab.
        {u"\tWAIT -2.5", {{1, 4, K::Command}, {6, 4, K::Number}}},
        // A comment after code; "//" inside quotes is text.
        {u"wait 1 // pause", {{0, 4, K::Command}, {5, 1, K::Number}, {7, 8, K::Comment}}},
        {u"findactor 0, \"a//b\"",
         {{0, 9, K::Command}, {10, 1, K::Number}, {13, 6, K::UnknownName}}},
        // An open quote runs to the end of the line; an empty one is text.
        {u"findactor 1, \"trig", {{0, 9, K::Command}, {10, 1, K::Number}, {13, 5, K::UnknownName}}},
        {u"x \"\"", {{2, 2, K::String}}},
        // Not commands or numbers: words that only contain them.
        {u"waiting x2 1.2.3 a_1", {}},
        {u"", {}},
    };
    for (const auto& [line, spans] : lines)
        EXPECT_EQ(spansOf(line), spans) << QString::fromStdU16String(line).toStdString();
}

TEST(ScriptSyntax, QuotedTextUnderAColumn) {
    const std::u16string line = u"findactor 0, \"Sam\" // \"not\"";
    std::size_t start = 0;
    EXPECT_EQ(quotedAt(line, 14, &start), u"Sam");
    EXPECT_EQ(start, 14u);
    EXPECT_EQ(quotedAt(line, 17, &start), u"Sam");
    EXPECT_EQ(quotedAt(line, 13), u"") << "on the opening quote";
    EXPECT_EQ(quotedAt(line, 24), u"") << "inside a comment";
}

// Every quoted name in the demo mission's scripts is one of its entries (or
// one before a dot), so the demo shows no warning.
TEST(ScriptSyntax, TheDemoMissionNamesOnlyItsEntries) {
    const DemoMission demo = makeDemoMission();
    QStringList names;
    for (const GeneratedObject& object : demo.scene.objects)
        names << QString::fromStdString(object.name);
    for (const GeneratedInitScript& init : demo.scene.initScripts)
        names << QString::fromStdString(init.name);
    ScriptEditBox box;
    box.setEntryNames(names);
    const EntryCheck check = [&box](std::u16string_view name) {
        return box.isEntryName(QString::fromUtf16(name.data(), qsizetype(name.size())));
    };
    int commands = 0;
    int lines = 0;
    for (const GeneratedObject& object : demo.scene.objects) {
        if (object.script != ScriptState::Present)
            continue;
        const auto text = demo.scene.bytes.begin() + std::ptrdiff_t(object.scriptOffset + 4);
        const QString script =
            QString::fromStdString(std::string(text, text + std::ptrdiff_t(object.scriptLength)));
        for (const QString& line : script.split("\r\n")) {
            ++lines;
            for (const SyntaxSpan& span : scriptLineSpans(line.toStdU16String(), check)) {
                EXPECT_NE(span.kind, K::UnknownName) << line.toStdString();
                commands += span.kind == K::Command ? 1 : 0;
            }
        }
    }
    EXPECT_GT(lines, 100);
    EXPECT_GT(commands, lines / 2) << "most lines start with a known command";
}

class ScriptEditor : public LoadFixture {
protected:
    void SetUp() override {
        LoadFixture::SetUp();
        path = writeScene(dir, sampleScene(40, 5).bytes);
        load(path);
        row = firstRowWith(list("List2"), Qt::Checked);
        ASSERT_GE(row, 0);
        clickRow(list("List2"), row);
        box = window.scriptPanel->scriptBox;
        bar = window.scriptPanel->findBar;
        ASSERT_TRUE(box->isEnabled());
        activateForKeys(&window);
    }

    // The format the box gives the character at `column` of line `line`.
    QTextCharFormat formatAt(int line, int column) {
        const QTextBlock block = box->document()->findBlockByNumber(line);
        for (const QTextLayout::FormatRange& range : block.layout()->formats())
            if (column >= range.start && column < range.start + range.length)
                return range.format;
        return {};
    }

    QString path;
    int row = -1;
    ScriptEditBox* box = nullptr;
    ScriptFindBar* bar = nullptr;
};

TEST_F(ScriptEditor, NamesOfTheSceneAreCheckedAndUnknownOnesUnderlined) {
    const QString known = rowText(list("List2"), 0);
    box->setPlainText("findactor 0, \"" + known + "\"\nfindactor 1, \"NoSuchActor\"");
    QApplication::processEvents();
    EXPECT_EQ(formatAt(0, 15).underlineStyle(), QTextCharFormat::NoUnderline);
    EXPECT_EQ(formatAt(1, 15).underlineStyle(), QTextCharFormat::WaveUnderline);
    EXPECT_FALSE(formatAt(1, 15).toolTip().isEmpty());
    EXPECT_NE(formatAt(0, 0).foreground(), QBrush()) << "the command is coloured";
}

TEST_F(ScriptEditor, OnlyTheLinesInViewAreColoured) {
    QString many;
    for (int line = 0; line < 5000; ++line)
        many += "wait " + QString::number(line) + "\n";
    box->setPlainText(many);
    QApplication::processEvents();
    EXPECT_GT(box->highlightedBlocks(), 0);
    EXPECT_LT(box->highlightedBlocks(), 200);
    bar->gotoLine(4000);
    QApplication::processEvents();
    EXPECT_NE(formatAt(3999, 0).foreground(), QBrush()) << "a line scrolled into view";
    EXPECT_LT(box->highlightedBlocks(), 400);
    EXPECT_GT(box->lineNumberWidth(), box->fontMetrics().horizontalAdvance("999"));
}

TEST_F(ScriptEditor, ReplaceAllOfANameIsSavedAndReadBack) {
    const QString script = "findactor 0, \"Old\"\nact_setstate 0, active\nfindactor 1, \"Old\"\n"
                           "// Old, old, OLD and Older stay\nend";
    box->setPlainText(script);
    box->setFocus();
    QTest::keyClick(box, Qt::Key_H, Qt::ControlModifier);
    ASSERT_TRUE(bar->isVisible());
    bar->FindText->setText("\"Old\"");
    bar->ReplaceText->setText("\"New\"");
    bar->MatchCase->setChecked(true);
    EXPECT_EQ(bar->replaceAll(), 2);
    // Whole words with case: only the word "Old" of the comment.
    bar->FindText->setText("Old");
    bar->ReplaceText->setText("Gone");
    bar->WholeWord->setChecked(true);
    EXPECT_EQ(bar->replaceAll(), 1);
    const QString expected = "findactor 0, \"New\"\nact_setstate 0, active\nfindactor 1, \"New\"\n"
                             "// Gone, old, OLD and Older stay\nend";
    EXPECT_EQ(box->toPlainText(), expected);
    // One step of the box's undo takes a whole replace back.
    box->undo();
    EXPECT_TRUE(box->toPlainText().contains("// Old, old"));
    box->redo();
    // A box the user cannot change (as while the window works) is not changed.
    box->setReadOnly(true);
    bar->FindText->setText("New");
    EXPECT_EQ(bar->replaceAll(), 0);
    bar->replaceOne();
    EXPECT_EQ(box->toPlainText(), expected);
    box->setReadOnly(false);

    QTest::mouseClick(window.SaveScript, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([this] { return !window.VFL_Blocked; }));
    const Bytes file = readBytes(path);
    const auto saved = readScript(ByteView(file.data(), file.size()),
                                  buildSceneIndex(ByteView(file.data(), file.size())),
                                  std::size_t(window.shownRow()));
    ASSERT_TRUE(saved.has_value());
    std::string crlf = expected.toStdString();
    for (std::size_t at = crlf.find('\n'); at != std::string::npos; at = crlf.find('\n', at + 2))
        crlf.replace(at, 1, "\r\n");
    EXPECT_EQ(*saved, crlf);
}

TEST_F(ScriptEditor, FindNextWrapsAndGotoLineMovesTheCursor) {
    box->setPlainText("wait 1\nlabel 2\nwait 3\nend");
    box->setFocus();
    QTest::keyClick(box, Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(bar->FindText->isVisible());
    EXPECT_FALSE(bar->ReplaceText->isVisible()) << "Ctrl+F finds only";
    bar->FindText->setText("wait");
    box->setFocus();
    for (const int expected : {0, 2, 0}) { // after the last, from the top again
        QTest::keyClick(box, Qt::Key_F3);
        EXPECT_EQ(box->textCursor().blockNumber(), expected);
        EXPECT_EQ(box->textCursor().selectedText(), "wait");
    }
    bar->FindText->setText("nothing");
    EXPECT_FALSE(bar->findNext());
    EXPECT_EQ(bar->FindStatus->text(), "Not found");

    QTest::keyClick(box, Qt::Key_G, Qt::ControlModifier);
    ASSERT_TRUE(bar->GotoLine->isVisible());
    bar->GotoLine->setText("4");
    QTest::keyClick(bar->GotoLine, Qt::Key_Return);
    EXPECT_EQ(box->textCursor().blockNumber(), 3);
    EXPECT_FALSE(bar->gotoLine(9));
}

TEST_F(ScriptEditor, NamesCompleteInsideQuotes) {
    const QString wanted = rowText(list("List2"), 0);
    box->setPlainText("");
    box->setFocus();
    QTest::keyClicks(box, "findactor 0, \"" + wanted.left(wanted.size() - 1));
    QCompleter* completer = box->completer();
    ASSERT_TRUE(completer->popup()->isVisible()) << "typing after a quote offers names";
    EXPECT_GE(completer->completionCount(), 1);
    emit completer->activated(wanted);
    EXPECT_EQ(box->toPlainText(), "findactor 0, \"" + wanted + "\"");
    // Outside quotes Ctrl+Space offers nothing.
    completer->popup()->hide();
    QTest::keyClick(box, Qt::Key_Space, Qt::ControlModifier);
    EXPECT_FALSE(completer->popup()->isVisible());
}

TEST_F(ScriptEditor, ControlClickOnANameSelectsThatEntry) {
    const int target = row == 0 ? 1 : 0;
    const QString name = rowText(list("List2"), target);
    box->setPlainText("findactor 0, \"" + name + "\"");
    window.scriptPanel->setShownText(box->toPlainText()); // nothing to ask about
    QTextCursor at(box->document());
    at.setPosition(16);
    const QPoint inside = box->cursorRect(at).center();
    QTest::mouseClick(box->viewport(), Qt::LeftButton, Qt::ControlModifier, inside);
    EXPECT_EQ(currentRow(list("List2")), target);
}

} // namespace
