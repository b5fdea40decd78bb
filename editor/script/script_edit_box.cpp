#include "script_edit_box.h"

#include <QMimeData>

namespace {
// Control pictures stand for the bytes 00 .. 1F and 7F (see script_codec.h).
constexpr char16_t FirstPicture = 0x2400;
constexpr char16_t DeletePicture = 0x2421;
} // namespace

QString ScriptEditBox::pastedText(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c == u'\r') {
            if (i + 1 < text.size() && text.at(i + 1) == u'\n')
                ++i;
            out += u'\n';
        } else if (c == u'\n' || c == QChar::ParagraphSeparator || c == QChar::LineSeparator) {
            out += u'\n';
        } else if (c < 0x20 && c != u'\t') {
            out += QChar(char16_t(FirstPicture + c));
        } else if (c == 0x7F) {
            out += QChar(DeletePicture);
        } else {
            out += text.at(i);
        }
    }
    return out;
}

bool ScriptEditBox::canInsertFromMimeData(const QMimeData* source) const {
    return source && source->hasText();
}

void ScriptEditBox::insertFromMimeData(const QMimeData* source) {
    if (!source || !source->hasText())
        return;
    insertPlainText(pastedText(source->text()));
    ensureCursorVisible();
}

QMimeData* ScriptEditBox::createMimeDataFromSelection() const {
    auto* plain = new QMimeData;
    plain->setText(textCursor().selectedText().replace(QChar::ParagraphSeparator, u'\n'));
    return plain;
}
