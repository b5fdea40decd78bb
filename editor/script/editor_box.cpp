#include "editor_box.h"

#include <QAbstractScrollArea>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <utility>

namespace {

class ClickWatcher : public QObject {
public:
    ClickWatcher(QObject* parent, std::function<void()> onClick)
        : QObject(parent), onClick_(std::move(onClick)) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        // The box has placed its caret and selection by the time the button is released.
        if (event->type() == QEvent::MouseButtonRelease &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
            onClick_();
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> onClick_;
};

} // namespace

std::string editorBoxText(const QPlainTextEdit* box) {
    QString text = box->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, u'\n');
    text.replace(QChar::LineSeparator, u'\n');
    return text.toStdString();
}

void showEditorText(QPlainTextEdit* box, const std::string& utf8) {
    box->setPlainText(QString::fromStdString(utf8));
}

void watchClicks(QAbstractScrollArea* box, std::function<void()> onClick) {
    box->viewport()->installEventFilter(new ClickWatcher(box, std::move(onClick)));
}
