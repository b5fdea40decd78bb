#include "script_edit_box.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QStringListModel>
#include <QSyntaxHighlighter>
#include <QTextBlock>
#include <QToolTip>
#include <QUrl>
#include <utility>

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
    // A dropped file is for the window (it loads a scene or applies an
    // add-in), not text for the script.
    if (source && source->hasUrls() && !source->urls().isEmpty() &&
        source->urls().constFirst().isLocalFile())
        return false;
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

// ---- Colours of the script language, worked out for the lines in view.

namespace {
constexpr int Done = 1;
constexpr int Waiting = -1;

QTextCharFormat formatOf(SyntaxKind kind) {
    QTextCharFormat format;
    switch (kind) {
    case SyntaxKind::Command:
        format.setForeground(QColor(0, 0, 160));
        break;
    case SyntaxKind::Number:
        format.setForeground(QColor(150, 70, 0));
        break;
    case SyntaxKind::String:
        format.setForeground(QColor(0, 110, 0));
        break;
    case SyntaxKind::EntryName:
        format.setForeground(QColor(0, 110, 110));
        break;
    case SyntaxKind::UnknownName:
        format.setForeground(QColor(0, 110, 0));
        format.setUnderlineStyle(QTextCharFormat::WaveUnderline);
        format.setUnderlineColor(QColor(220, 0, 0));
        format.setToolTip(QStringLiteral("No entry of the open scene has this name"));
        break;
    case SyntaxKind::Comment:
        format.setForeground(QColor(110, 110, 110));
        break;
    }
    return format;
}
} // namespace

class ScriptHighlighter : public QSyntaxHighlighter {
public:
    ScriptHighlighter(ScriptEditBox& box) : QSyntaxHighlighter(box.document()), box_(box) {}

    // Lines from `first` to `last` are in view; the others wait.
    void setVisibleLines(int first, int last) {
        first_ = first;
        last_ = last;
    }

protected:
    void highlightBlock(const QString& text) override {
        const int number = currentBlock().blockNumber();
        if (number < first_ || number > last_) {
            setCurrentBlockState(Waiting);
            return;
        }
        const EntryCheck check = [this](std::u16string_view name) {
            return box_.isEntryName(
                QString::fromUtf16(name.data(), static_cast<qsizetype>(name.size())));
        };
        const std::u16string_view line(reinterpret_cast<const char16_t*>(text.utf16()),
                                       static_cast<std::size_t>(text.size()));
        for (const SyntaxSpan& span : scriptLineSpans(line, check))
            setFormat(static_cast<int>(span.start), static_cast<int>(span.length),
                      formatOf(span.kind));
        setCurrentBlockState(Done);
    }

private:
    ScriptEditBox& box_;
    int first_ = 0;
    int last_ = 60;
};

class LineNumberMargin : public QWidget {
public:
    explicit LineNumberMargin(ScriptEditBox* box) : QWidget(box), box_(box) {}
    QSize sizeHint() const override { return {box_->lineNumberWidth(), 0}; }

protected:
    void paintEvent(QPaintEvent* event) override { box_->paintLineNumbers(event); }

private:
    ScriptEditBox* box_;
};

ScriptEditBox::ScriptEditBox(QWidget* parent)
    : QPlainTextEdit(parent), margin_(new LineNumberMargin(this)),
      highlighter_(new ScriptHighlighter(*this)), completer_(new QCompleter(this)),
      names_(new QStringListModel(this)) {
    connect(this, &QPlainTextEdit::blockCountChanged, this,
            [this] { setViewportMargins(lineNumberWidth(), 0, 0, 0); });
    connect(this, &QPlainTextEdit::updateRequest, this, &ScriptEditBox::updateMargin);
    connect(this, &QPlainTextEdit::cursorPositionChanged, this, &ScriptEditBox::showCurrentLine);
    setViewportMargins(lineNumberWidth(), 0, 0, 0);
    completer_->setModel(names_);
    completer_->setWidget(this);
    completer_->setCompletionMode(QCompleter::PopupCompletion);
    completer_->setCaseSensitivity(Qt::CaseInsensitive);
    completer_->setModelSorting(QCompleter::CaseInsensitivelySortedModel);
    connect(completer_, qOverload<const QString&>(&QCompleter::activated), this,
            &ScriptEditBox::complete);
}

void ScriptEditBox::setEntryNames(const QStringList& names) {
    entryNames_ = QSet<QString>(names.begin(), names.end());
    undotted_.clear();
    for (const QString& name : names)
        if (const qsizetype dot = name.indexOf(u'.'); dot > 0)
            undotted_.insert(name.left(dot));
    completerStale_ = true;
    // The checks of names change: every line is worked out again when in view.
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next())
        block.setUserState(Waiting);
    highlightVisible();
}

int ScriptEditBox::lineNumberWidth() const {
    int digits = 1;
    for (int count = std::max(1, blockCount()); count >= 10; count /= 10)
        ++digits;
    return 8 + fontMetrics().horizontalAdvance(QLatin1Char('9')) * std::max(digits, 3);
}

int ScriptEditBox::highlightedBlocks() const {
    int done = 0;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next())
        done += block.userState() == Done ? 1 : 0;
    return done;
}

void ScriptEditBox::resizeEvent(QResizeEvent* event) {
    QPlainTextEdit::resizeEvent(event);
    const QRect inside = contentsRect();
    margin_->setGeometry(QRect(inside.left(), inside.top(), lineNumberWidth(), inside.height()));
    highlightVisible();
}

bool ScriptEditBox::event(QEvent* event) {
    // A quoted name that is no entry says so in a tooltip.
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        QTextCursor at = cursorForPosition(help->pos() - QPoint(viewportMargins().left(), 0));
        const QString name = quotedUnder(at);
        if (!name.isEmpty() && !isEntryName(name)) {
            QToolTip::showText(help->globalPos(),
                               "No entry of the open scene is named \"" + name + "\"", this);
            return true;
        }
        QToolTip::hideText();
        if (toolTip().isEmpty())
            return true;
    }
    return QPlainTextEdit::event(event);
}

void ScriptEditBox::updateMargin(const QRect& rect, int dy) {
    if (dy != 0)
        margin_->scroll(0, dy);
    else
        margin_->update(0, rect.y(), margin_->width(), rect.height());
    if (rect.contains(viewport()->rect()))
        setViewportMargins(lineNumberWidth(), 0, 0, 0);
    highlightVisible();
}

void ScriptEditBox::highlightVisible() {
    QTextBlock block = firstVisibleBlock();
    if (!block.isValid())
        return;
    const int lineHeight = std::max(1, fontMetrics().lineSpacing());
    const int first = block.blockNumber();
    const int last = first + viewport()->height() / lineHeight + 2;
    highlighter_->setVisibleLines(first, last);
    for (; block.isValid() && block.blockNumber() <= last; block = block.next())
        if (block.userState() != Done)
            highlighter_->rehighlightBlock(block);
}

void ScriptEditBox::paintLineNumbers(QPaintEvent* event) {
    QPainter painter(margin_);
    painter.fillRect(event->rect(), palette().color(QPalette::Window));
    painter.setPen(palette().color(QPalette::PlaceholderText));
    QTextBlock block = firstVisibleBlock();
    int top = qRound(blockBoundingGeometry(block).translated(contentOffset()).top());
    int bottom = top + qRound(blockBoundingRect(block).height());
    while (block.isValid() && top <= event->rect().bottom()) {
        if (block.isVisible() && bottom >= event->rect().top())
            painter.drawText(0, top, margin_->width() - 4, fontMetrics().height(), Qt::AlignRight,
                             QString::number(block.blockNumber() + 1));
        block = block.next();
        top = bottom;
        bottom = top + qRound(blockBoundingRect(block).height());
    }
}

void ScriptEditBox::showCurrentLine() {
    QList<QTextEdit::ExtraSelection> selections;
    if (isEnabled()) {
        QTextEdit::ExtraSelection line;
        line.format.setBackground(QColor(255, 250, 205));
        line.format.setProperty(QTextFormat::FullWidthSelection, true);
        line.cursor = textCursor();
        line.cursor.clearSelection();
        selections.append(line);
    }
    setExtraSelections(selections);
}

QString ScriptEditBox::quotedUnder(QTextCursor& at) const {
    const QTextBlock block = at.block();
    const QString text = block.text();
    const std::u16string_view line(reinterpret_cast<const char16_t*>(text.utf16()),
                                   static_cast<std::size_t>(text.size()));
    std::size_t start = 0;
    const std::u16string_view quoted =
        quotedAt(line, static_cast<std::size_t>(at.positionInBlock()), &start);
    if (quoted.empty())
        return {};
    at.setPosition(block.position() + static_cast<int>(start));
    return QString::fromUtf16(quoted.data(), static_cast<qsizetype>(quoted.size()));
}

void ScriptEditBox::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && (event->modifiers() & Qt::ControlModifier)) {
        QTextCursor at = cursorForPosition(event->position().toPoint());
        const QString name = quotedUnder(at);
        if (!name.isEmpty() && isEntryName(name)) {
            emit entryLinkActivated(name);
            event->accept();
            return;
        }
    }
    QPlainTextEdit::mousePressEvent(event);
}

void ScriptEditBox::keyPressEvent(QKeyEvent* event) {
    QAbstractItemView* popup = completer_->popup();
    if (popup->isVisible()) {
        switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            event->ignore(); // the popup takes them
            return;
        default:
            break;
        }
    }
    const bool ask = event->key() == Qt::Key_Space && (event->modifiers() & Qt::ControlModifier);
    if (!ask)
        QPlainTextEdit::keyPressEvent(event);
    if (isReadOnly() || !isEnabled())
        return;
    if (ask || event->text() == QStringLiteral("\"") || popup->isVisible())
        startCompletion();
}

void ScriptEditBox::fillCompleter() {
    if (!std::exchange(completerStale_, false))
        return;
    QStringList sorted(entryNames_.begin(), entryNames_.end());
    sorted.sort(Qt::CaseInsensitive);
    names_->setStringList(sorted);
}

void ScriptEditBox::startCompletion() {
    // Inside quotes: what was typed since the opening quote is the prefix.
    QTextCursor cursor = textCursor();
    const QString before = cursor.block().text().left(cursor.positionInBlock());
    const qsizetype quote = before.lastIndexOf(u'"');
    if (quote < 0 || before.count(u'"') % 2 == 0) {
        completer_->popup()->hide();
        return;
    }
    const QString prefix = before.mid(quote + 1);
    fillCompleter();
    completer_->setCompletionPrefix(prefix);
    if (completer_->completionCount() == 0) {
        completer_->popup()->hide();
        return;
    }
    QRect at = cursorRect();
    at.setWidth(completer_->popup()->sizeHintForColumn(0) +
                completer_->popup()->verticalScrollBar()->sizeHint().width());
    completer_->complete(at);
}

void ScriptEditBox::complete(const QString& name) {
    QTextCursor cursor = textCursor();
    const QString before = cursor.block().text().left(cursor.positionInBlock());
    const qsizetype typed = before.size() - before.lastIndexOf(u'"') - 1;
    const QString after = cursor.block().text().mid(cursor.positionInBlock());
    cursor.movePosition(QTextCursor::Left, QTextCursor::KeepAnchor, static_cast<int>(typed));
    QString text = name;
    if (!after.startsWith(u'"'))
        text += u'"';
    cursor.insertText(text);
    setTextCursor(cursor);
}
