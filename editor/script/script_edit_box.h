#pragma once
#include <QPlainTextEdit>
#include <QSet>

#include "script_syntax.h"

class QCompleter;
class QStringListModel;
class ScriptHighlighter;

// The script editor box. Whatever is pasted (Ctrl+V, the middle button, a
// drop) arrives as plain text mapped as typing maps it: line breaks of any
// platform become line breaks (CR LF in the file), other control characters
// their pictures, so a paste gives the bytes the same text typed would give.
// Formatted content is never taken over, and what is copied out is plain text.
//
// For writing code it shows line numbers and the current line, colours the
// script language (only the lines in view), underlines quoted names that are
// no entry of the open scene, completes entry names inside quotes (Ctrl+Space,
// or after a quote) and follows a Ctrl+click on a quoted name. All of it works
// on the text only: what is saved is the text, byte for byte.
class ScriptEditBox : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit ScriptEditBox(QWidget* parent = nullptr);

    // `text` as the box takes it from a paste.
    static QString pastedText(const QString& text);

    // The names of the open scene's entries, for the name checks and completion.
    void setEntryNames(const QStringList& names);
    // A name is an entry's when an entry has it, or has it before a dot
    // ("shutter8" for "shutter8.002").
    bool isEntryName(const QString& name) const {
        return entryNames_.contains(name) || undotted_.contains(name);
    }
    // The completion popup, with the names of the scene, for tests.
    QCompleter* completer() {
        fillCompleter();
        return completer_;
    }
    // Width of the line-number margin, in pixels.
    int lineNumberWidth() const;
    // Blocks whose colours have been worked out; the rest wait until they are in view.
    int highlightedBlocks() const;

signals:
    // A Ctrl+click on a quoted name that is an entry.
    void entryLinkActivated(const QString& name);

protected:
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;
    QMimeData* createMimeDataFromSelection() const override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override;

private:
    friend class LineNumberMargin;
    void paintLineNumbers(QPaintEvent* event);
    void updateMargin(const QRect& rect, int dy);
    void showCurrentLine();
    void startCompletion();
    // Gives the popup the names set last, sorted: done when it is first
    // wanted, not on every load.
    void fillCompleter();
    void complete(const QString& name);
    void highlightVisible();
    // The quoted text under the cursor, with the cursor on its first character.
    QString quotedUnder(QTextCursor& at) const;

    QWidget* margin_;
    ScriptHighlighter* highlighter_;
    QCompleter* completer_;
    QStringListModel* names_;
    QSet<QString> entryNames_;
    QSet<QString> undotted_;
    bool completerStale_ = false; // entryNames_ changed since the popup was filled
};
