#include "script_box.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QSignalBlocker>
#include <QTextBlock>

#include "script_view_text.h"

namespace {

QString fromView(const std::string& utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

// toPlainText() would turn a no-break space into a blank; the raw text keeps
// every character, with U+2029 between paragraphs.
std::string toView(QString raw) {
    raw.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    raw.replace(QChar::LineSeparator, QLatin1Char('\n'));
    return raw.toStdString();
}

} // namespace

ScriptBox::ScriptBox(QWidget* parent) : QPlainTextEdit(parent) {
    setLineWrapMode(QPlainTextEdit::NoWrap);
    connect(this, &QPlainTextEdit::textChanged, this, &ScriptBox::keepWithinLimit);
}

void ScriptBox::loadScript(const std::string& bytes) {
    const QSignalBlocker blocker(this);
    maxBytes_ = bytes.size();
    setPlainText(fromView(scriptToView(bytes)));
    accepted_ = document()->toRawText();
}

void ScriptBox::clearScript() {
    const QSignalBlocker blocker(this);
    maxBytes_ = 0;
    clear();
    accepted_.clear();
}

std::string ScriptBox::viewText() const {
    return toView(document()->toRawText());
}

std::size_t ScriptBox::byteLength() const {
    return viewByteLength(viewText());
}

std::size_t ScriptBox::selectedBytes() const {
    return viewByteLength(toView(textCursor().selectedText()));
}

void ScriptBox::keyPressEvent(QKeyEvent* event) {
    QString typed = event->text();
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        typed = QStringLiteral("\n");
    const bool inserts =
        !typed.isEmpty() && (typed == "\n" || typed == "\t" || typed.at(0).isPrint());
    if (inserts && !event->matches(QKeySequence::Undo) &&
        byteLength() - selectedBytes() + viewByteLength(typed.toStdString()) > maxBytes_) {
        QApplication::beep();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void ScriptBox::insertFromMimeData(const QMimeData* source) {
    if (!source->hasText())
        return;
    // As much of the pasted text as fits.
    const std::size_t room = maxBytes_ - std::min(maxBytes_, byteLength() - selectedBytes());
    const QString text = source->text();
    qsizetype fits = 0;
    std::size_t used = 0;
    while (fits < text.size()) {
        const std::size_t one = text.at(fits) == QLatin1Char('\n') ? 2 : 1;
        if (used + one > room)
            break;
        used += one;
        fits += text.at(fits).isHighSurrogate() && fits + 1 < text.size() ? 2 : 1;
    }
    if (fits < text.size())
        QApplication::beep();
    if (fits > 0)
        insertPlainText(text.left(fits));
}

// Whatever else changed the text (input methods, drops): an edit beyond the
// limit is taken back.
void ScriptBox::keepWithinLimit() {
    const QString now = document()->toRawText();
    if (viewByteLength(toView(now)) <= maxBytes_) {
        accepted_ = now;
        return;
    }
    const int position = textCursor().position();
    const QSignalBlocker blocker(this);
    QString restore = accepted_;
    restore.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    setPlainText(restore);
    QTextCursor cursor = textCursor();
    cursor.setPosition(std::min(position, static_cast<int>(document()->characterCount() - 1)));
    setTextCursor(cursor);
    QApplication::beep();
}
