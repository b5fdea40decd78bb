#pragma once
#include <QPlainTextEdit>

// The script editor box. Whatever is pasted (Ctrl+V, the middle button, a
// drop) arrives as plain text mapped as typing maps it: line breaks of any
// platform become line breaks (CR LF in the file), other control characters
// their pictures, so a paste gives the bytes the same text typed would give.
// Formatted content is never taken over, and what is copied out is plain text.
class ScriptEditBox : public QPlainTextEdit {
    Q_OBJECT
public:
    using QPlainTextEdit::QPlainTextEdit;

    // `text` as the box takes it from a paste.
    static QString pastedText(const QString& text);

protected:
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;
    QMimeData* createMimeDataFromSelection() const override;
};
