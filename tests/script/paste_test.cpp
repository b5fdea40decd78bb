#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QPlainTextEdit>

#include "script_fixture.h"

namespace {

constexpr int Crate = 2;

class Paste : public ScriptWindow {
protected:
    void SetUp() override {
        ScriptWindow::SetUp();
        open(scripts::displayScene());
        clickEntry(Crate);
        ASSERT_EQ(shownScript(), QString::fromStdString(scripts::CrateScript));
    }

    // Copies `text` out of a read-only box with Ctrl+C, as from the listing.
    void copyFromReadOnlyBox(const QString& text) {
        source.setReadOnly(true);
        source.setPlainText(text);
        source.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&source));
        source.setFocus();
        source.selectAll();
        QTest::keyClick(&source, Qt::Key_C, Qt::ControlModifier);
        ASSERT_TRUE(QApplication::clipboard()->mimeData()->hasText());
    }

    QPlainTextEdit source;

    void pasteAtEnd() {
        editor()->setFocus();
        QTest::keyClick(editor(), Qt::Key_End, Qt::ControlModifier);
        QTest::keyClick(editor(), Qt::Key_V, Qt::ControlModifier);
    }
};

TEST_F(Paste, TextCopiedFromAReadOnlyBoxPastesSafely) {
    copyFromReadOnlyBox(QString::fromUtf8("first line\nsecond \u2400 line\ttab"));
    pasteAtEnd();
    const QString expected = QString::fromStdString(scripts::CrateScript) +
                             QString::fromUtf8("first line\nsecond \u2400 line\ttab");
    EXPECT_EQ(shownScript(), expected);
    // The pasted line break is CR LF and the NUL picture one byte.
    EXPECT_EQ(act(), QString::number(scripts::CrateScript.size() + 29));
    EXPECT_EQ(status(), "--- Not Saved! ---");
}

TEST_F(Paste, PastedTextIsPlainAndMappedAsTyped) {
    auto* rich = new QMimeData;
    rich->setHtml("<b>bold</b><table><tr><td>cell</td></tr></table>");
    rich->setText(QString::fromUtf8("a\r\nb\rc\x01"
                                    "d\u2029e"));
    QApplication::clipboard()->setMimeData(rich);
    pasteAtEnd();
    // Line breaks of any platform become line breaks, control bytes their
    // pictures; no formatting arrives.
    EXPECT_EQ(shownScript(), QString::fromStdString(scripts::CrateScript) +
                                 QString::fromUtf8("a\nb\nc\u2401d\ne"));
    EXPECT_EQ(editor()->document()->toHtml().contains("<b>"), false);
    EXPECT_EQ(editor()->document()->toHtml().contains("<table"), false);
}

// A clipboard that holds nothing a text box can take (another program's
// image, or nothing at all) pastes nothing.
TEST_F(Paste, ClipboardWithoutTextPastesNothing) {
    QApplication::clipboard()->setMimeData(new QMimeData);
    pasteAtEnd();
    auto* image = new QMimeData;
    image->setData("image/png", QByteArray("\x89PNG", 4));
    QApplication::clipboard()->setMimeData(image);
    pasteAtEnd();
    EXPECT_EQ(shownScript(), QString::fromStdString(scripts::CrateScript));
    EXPECT_EQ(act(), QString::number(scripts::CrateScript.size()));
}

// The middle button pastes the selection (on X11), through the same mapping.
TEST_F(Paste, MiddleClickPastesTheSelectionSafely) {
    QClipboard* clipboard = QApplication::clipboard();
    if (!clipboard->supportsSelection())
        GTEST_SKIP() << "the platform has no selection clipboard (run under X11)";
    clipboard->setMimeData(new QMimeData, QClipboard::Selection);
    QTest::mouseClick(editor()->viewport(), Qt::MiddleButton, {}, QPoint(5, 5));
    EXPECT_EQ(shownScript(), QString::fromStdString(scripts::CrateScript));
    clipboard->setText(QString::fromUtf8("middle\r\nclick\x02"), QClipboard::Selection);
    QTest::mouseClick(editor()->viewport(), Qt::MiddleButton, {}, QPoint(5, 5));
    EXPECT_TRUE(shownScript().contains(QString::fromUtf8("middle\nclick\u2402")));
    EXPECT_EQ(act(), QString::number(scripts::CrateScript.size() + 14));
}

} // namespace
