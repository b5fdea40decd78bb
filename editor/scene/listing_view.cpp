#include "listing_view.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QTextLayout>
#include <algorithm>

#include "script_codec.h"

namespace {
constexpr int Margin = 4; // pixels left of the text
} // namespace

ListingView::ListingView(QWidget* parent) : QAbstractScrollArea(parent) {
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    updateScrollBars();
}

void ListingView::setListing(ListingText text) {
    text_ = std::move(text);
    caret_ = anchor_ = 0;
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    updateScrollBars();
    viewport()->update();
}

QString ListingView::lineText(std::size_t line) const {
    return QString::fromUtf8(scriptBytesToEditorText(text_.line(line)));
}

QString ListingView::toPlainText() const {
    return QString::fromUtf8(scriptBytesToEditorText(text_.bytes()));
}

QString ListingView::selectedText() const {
    const std::size_t from = text_.byteOfCharacter(std::size_t(selectionStart()));
    const std::size_t to = text_.byteOfCharacter(std::size_t(selectionEnd()));
    return QString::fromUtf8(
        scriptBytesToEditorText(std::string_view(text_.bytes()).substr(from, to - from)));
}

void ListingView::select(int anchor, int caret) {
    const auto clamp = [this](int position) {
        return std::min<std::size_t>(std::size_t(std::max(position, 0)), text_.characterCount());
    };
    anchor_ = clamp(anchor);
    caret_ = clamp(caret);
    ensureCaretVisible();
    viewport()->update();
}

void ListingView::copy() const {
    if (selectionStart() == selectionEnd())
        return;
    QApplication::clipboard()->setText(selectedText());
}

// On X11 a selection is offered to the middle button of every program.
void ListingView::offerSelection() const {
    QClipboard* clipboard = QApplication::clipboard();
    if (clipboard->supportsSelection() && selectionStart() != selectionEnd())
        clipboard->setText(selectedText(), QClipboard::Selection);
}

int ListingView::lineHeight() const {
    return std::max(1, fontMetrics().lineSpacing());
}

int ListingView::visibleLines() const {
    return std::max(1, viewport()->height() / lineHeight());
}

void ListingView::updateScrollBars() {
    const int lines = int(std::min<std::size_t>(text_.lineCount(), INT_MAX / 2));
    verticalScrollBar()->setRange(0, std::max(0, lines - visibleLines()));
    verticalScrollBar()->setPageStep(visibleLines());
    verticalScrollBar()->setSingleStep(1);
    // The widest line is estimated from the longest one: measuring every line
    // would cost what the whole listing costs.
    const qint64 widest = qint64(text_.longestLine()) * fontMetrics().averageCharWidth() * 5 / 4;
    const int width = int(std::min<qint64>(widest + 2 * Margin, INT_MAX / 2));
    horizontalScrollBar()->setRange(0, std::max(0, width - viewport()->width()));
    horizontalScrollBar()->setPageStep(viewport()->width());
    horizontalScrollBar()->setSingleStep(fontMetrics().averageCharWidth() * 2);
}

std::unique_ptr<QTextLayout> ListingView::layoutLine(std::size_t line) const {
    auto layout = std::make_unique<QTextLayout>(lineText(line), font());
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    layout->setTextOption(option);
    layout->setCacheEnabled(true);
    layout->beginLayout();
    QTextLine row = layout->createLine();
    if (row.isValid())
        row.setPosition(QPointF(0, 0));
    layout->endLayout();
    return layout;
}

void ListingView::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    const int height = lineHeight();
    const std::size_t first = std::size_t(verticalScrollBar()->value());
    const std::size_t end = std::min(text_.lineCount(), first + std::size_t(visibleLines()) + 1);
    const qreal left = Margin - horizontalScrollBar()->value();
    const std::size_t selFrom = std::size_t(selectionStart());
    const std::size_t selTo = std::size_t(selectionEnd());
    for (std::size_t line = first; line < end; ++line) {
        const auto layout = layoutLine(line);
        const std::size_t start = text_.lineStartCharacter(line);
        const std::size_t length = text_.line(line).size();
        QList<QTextLayout::FormatRange> selection;
        if (selFrom < selTo && selFrom <= start + length && selTo > start) {
            QTextLayout::FormatRange range;
            range.start = int(std::max(selFrom, start) - start);
            range.length = int(std::min(selTo, start + length) - start) - range.start;
            range.format.setBackground(palette().brush(QPalette::Highlight));
            range.format.setForeground(palette().brush(QPalette::HighlightedText));
            selection.push_back(range);
        }
        const QPointF at(left, qreal(int(line - first) * height));
        layout->draw(&painter, at, selection);
        if (hasFocus() && caret_ >= start && caret_ <= start + length)
            layout->drawCursor(&painter, at, int(caret_ - start));
    }
}

void ListingView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void ListingView::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        updateScrollBars();
}

QRect ListingView::caretRect() const {
    const std::size_t line = text_.lineOfCharacter(caret_);
    const auto layout = layoutLine(line);
    const qreal x = layout->lineAt(0).cursorToX(int(caret_ - text_.lineStartCharacter(line)));
    const int y = (int(line) - verticalScrollBar()->value()) * lineHeight();
    return QRect(int(x) + Margin - horizontalScrollBar()->value(), y, 1, lineHeight());
}

int ListingView::positionAt(const QPoint& point) const {
    const qint64 row = verticalScrollBar()->value() + std::max(0, point.y()) / lineHeight();
    const std::size_t line = std::min<std::size_t>(std::size_t(row), text_.lineCount() - 1);
    const auto layout = layoutLine(line);
    const qreal x = point.x() - Margin + horizontalScrollBar()->value();
    const int column = layout->lineAt(0).xToCursor(x);
    return int(text_.lineStartCharacter(line) + std::size_t(std::max(column, 0)));
}

void ListingView::ensureCaretVisible() {
    const std::size_t line = text_.lineOfCharacter(caret_);
    QScrollBar* vertical = verticalScrollBar();
    if (int(line) < vertical->value())
        vertical->setValue(int(line));
    else if (int(line) >= vertical->value() + visibleLines())
        vertical->setValue(int(line) - visibleLines() + 1);
    const QRect caret = caretRect();
    QScrollBar* horizontal = horizontalScrollBar();
    if (caret.left() < 0)
        horizontal->setValue(horizontal->value() + caret.left() - Margin);
    else if (caret.right() > viewport()->width() - Margin)
        horizontal->setValue(horizontal->value() + caret.right() - viewport()->width() +
                             4 * Margin);
}

void ListingView::moveCaret(std::size_t position, bool extend) {
    caret_ = std::min(position, text_.characterCount());
    if (!extend)
        anchor_ = caret_;
    ensureCaretVisible();
    viewport()->update();
}

void ListingView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return QAbstractScrollArea::mousePressEvent(event);
    selecting_ = true;
    moveCaret(std::size_t(positionAt(event->position().toPoint())),
              event->modifiers() & Qt::ShiftModifier);
}

void ListingView::mouseMoveEvent(QMouseEvent* event) {
    if (selecting_ && (event->buttons() & Qt::LeftButton))
        moveCaret(std::size_t(positionAt(event->position().toPoint())), true);
}

void ListingView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && selecting_) {
        selecting_ = false;
        offerSelection();
    }
    QAbstractScrollArea::mouseReleaseEvent(event);
}

void ListingView::mouseDoubleClickEvent(QMouseEvent* event) {
    // A double click selects the word under the pointer.
    const std::size_t at = std::size_t(positionAt(event->position().toPoint()));
    const std::size_t line = text_.lineOfCharacter(at);
    const std::string_view bytes = text_.line(line);
    const std::size_t start = text_.lineStartCharacter(line);
    const auto isWord = [&](std::size_t column) {
        const auto c = static_cast<unsigned char>(bytes[column]);
        return std::isalnum(c) || c == '_' || c >= 0xC0;
    };
    std::size_t from = at - start;
    std::size_t to = from;
    while (from > 0 && isWord(from - 1))
        --from;
    while (to < bytes.size() && isWord(to))
        ++to;
    anchor_ = start + from;
    moveCaret(start + to, true);
    offerSelection();
}

void ListingView::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy))
        return copy();
    if (event->matches(QKeySequence::SelectAll)) {
        anchor_ = 0;
        moveCaret(text_.characterCount(), true);
        return offerSelection();
    }
    const bool extend = event->modifiers() & Qt::ShiftModifier;
    const bool whole = event->modifiers() & Qt::ControlModifier;
    const std::size_t line = text_.lineOfCharacter(caret_);
    const std::size_t column = caret_ - text_.lineStartCharacter(line);
    const auto onLine = [this, column](std::size_t target) {
        return text_.lineStartCharacter(target) + std::min(column, text_.line(target).size());
    };
    const std::size_t page = std::size_t(visibleLines());
    switch (event->key()) {
    case Qt::Key_Left:
        return moveCaret(caret_ > 0 ? caret_ - 1 : 0, extend);
    case Qt::Key_Right:
        return moveCaret(caret_ + 1, extend);
    case Qt::Key_Up:
        return moveCaret(line > 0 ? onLine(line - 1) : caret_, extend);
    case Qt::Key_Down:
        return moveCaret(line + 1 < text_.lineCount() ? onLine(line + 1) : caret_, extend);
    case Qt::Key_PageUp:
        return moveCaret(onLine(line > page ? line - page : 0), extend);
    case Qt::Key_PageDown:
        return moveCaret(onLine(std::min(line + page, text_.lineCount() - 1)), extend);
    case Qt::Key_Home:
        return moveCaret(whole ? 0 : text_.lineStartCharacter(line), extend);
    case Qt::Key_End:
        return moveCaret(whole ? text_.characterCount()
                               : text_.lineStartCharacter(line) + text_.line(line).size(),
                         extend);
    default:
        QAbstractScrollArea::keyPressEvent(event);
    }
}

void ListingView::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void ListingView::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}
