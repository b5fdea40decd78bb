#pragma once
#include <QAbstractScrollArea>
#include <memory>

#include "listing_text.h"

class QTextLayout;

// The script listing box: a read-only view over the listing's bytes that lays
// out only the lines on screen, so a listing of many megabytes costs what the
// screen shows. It keeps a caret and a selection (mouse, keyboard), copies
// plain text (Ctrl+C, and the selection on X11) and is searched by the window.
// Positions are character positions in the text shown (a line break is one
// character, a control byte its picture).
class ListingView : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit ListingView(QWidget* parent = nullptr);

    void setListing(ListingText text);
    void clear() { setListing(ListingText()); }
    const ListingText& listing() const { return text_; }
    bool isEmpty() const { return text_.bytes().empty(); }

    // The whole text as shown; for small listings and checks only.
    QString toPlainText() const;
    QString lineText(std::size_t line) const;

    int caretPosition() const { return int(caret_); }
    int selectionStart() const { return int(std::min(anchor_, caret_)); }
    int selectionEnd() const { return int(std::max(anchor_, caret_)); }
    QString selectedText() const;
    // Selects from `anchor` to `caret` and scrolls the caret into view.
    void select(int anchor, int caret);
    void setCaret(int position) { select(position, position); }
    void copy() const;

    // The caret's place in the viewport, and the position under a point.
    QRect caretRect() const;
    int positionAt(const QPoint& point) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    int lineHeight() const;
    int visibleLines() const;
    void updateScrollBars();
    void ensureCaretVisible();
    std::unique_ptr<QTextLayout> layoutLine(std::size_t line) const;
    void moveCaret(std::size_t position, bool extend);
    void offerSelection() const;

    ListingText text_;
    std::size_t caret_ = 0;
    std::size_t anchor_ = 0;
    bool selecting_ = false;
};
