#include "script_panel.h"

#include <QShortcut>

#include <QFontInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>

#include "colours.h"
#include "editor_box.h"
#include "layout_support.h"
#include "script_codec.h"
#include "script_edit_box.h"
#include "script_find_bar.h"

// Few fonts have the control pictures: after the window's own font, the
// boxes take them from a font that does (Windows: Segoe UI Symbol; Debian:
// Symbola, installed with the program).
QFont scriptFont(const QFont& base) {
    QFont font = base;
    // The family the window font resolves to: a generic name such as
    // "Sans Serif" is no family of its own and would let the fallbacks take
    // over every character.
    QStringList families = {QFontInfo(base).family()};
    families << "Segoe UI Symbol"
             << "Symbola";
    font.setFamilies(families);
    return font;
}

ScriptPanel::ScriptPanel(const QFont& windowFont) {
    layout_ = new QGridLayout(this);
    layout_->setContentsMargins(0, 0, 0, 0);

    auto caption = [this](int item, const QString& text, int width) {
        QLineEdit* box = holderBox(QString("Text2(%1)").arg(item), width);
        box->setText(text);
        box->setFrame(false);
        // A caption, not a field: Tab passes it by.
        box->setFocusPolicy(Qt::NoFocus);
        Text2.add(item, box);
        return box;
    };
    auto* lengths = new QHBoxLayout;
    lengths->addWidget(caption(10, "Length", 44));
    lengths->addWidget(caption(8, "org:", 28));
    Text2.add(5, holderBox("Text2(5)", 52));
    lengths->addWidget(Text2(5));
    lengths->addWidget(caption(9, "act:", 28));
    Text2.add(7, holderBox("Text2(7)", 52));
    lengths->addWidget(Text2(7));
    lengths->addStretch(1);
    SaveScript = named(new QPushButton("Save"), "SaveScript");
    lengths->addWidget(SaveScript);
    layout_->addLayout(lengths, 0, 0);

    scriptBox = named(new ScriptEditBox, "Text1");
    Text1 = scriptBox;
    Text1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Text1->setFont(scriptFont(windowFont));
    layout_->addWidget(Text1, 1, 0);
    findBar = new ScriptFindBar(Text1);
    layout_->addWidget(findBar, 2, 0);

    // The keys of the script box and its bar.
    const auto key = [this](const QKeySequence& sequence, auto action) {
        auto* shortcut = new QShortcut(sequence, this);
        shortcut->setContext(Qt::WidgetWithChildrenShortcut);
        connect(shortcut, &QShortcut::activated, this, action);
    };
    key(QKeySequence(Qt::CTRL | Qt::Key_F), [this] { findBar->openFind(); });
    key(QKeySequence(Qt::CTRL | Qt::Key_H), [this] {
        if (Text1->isEnabled())
            findBar->openReplace();
    });
    key(QKeySequence(Qt::Key_F3), [this] {
        if (findBar->FindText->text().isEmpty())
            findBar->openFind();
        else
            findBar->findNext();
    });
    key(QKeySequence(Qt::CTRL | Qt::Key_G), [this] { findBar->openGotoLine(); });
}

void ScriptPanel::addListing(QLayout* header, QWidget* view) {
    layout_->addLayout(header, 0, 1);
    layout_->addWidget(view, 1, 1);
    layout_->setColumnStretch(0, 1);
    layout_->setColumnStretch(1, 1);
}

void ScriptPanel::showScript(const std::optional<std::string>& bytes) {
    setBackColour(Text1, systemColour(SystemColour::WindowBackground));
    Text1->setEnabled(true);
    QFont font = Text1->font();
    font.setPointSize(8);
    font.setBold(false);
    Text1->setFont(font);
    if (!bytes) {
        showNoScript();
        return;
    }
    const QString length = QString::number(bytes->size());
    Text2(5)->setText(length);
    Text2(7)->setText(length);
    showEditorText(Text1, scriptBytesToEditorText(*bytes));
    shownText_ = Text1->toPlainText();
}

void ScriptPanel::showNoScript() {
    Text1->setEnabled(false);
    greyOut();
    Text2(5)->clear();
    Text2(7)->clear();
}

void ScriptPanel::greyOut() {
    setBackColour(Text1, systemColour(SystemColour::InactiveCaptionText));
}

void ScriptPanel::clear() {
    Text1->clear();
    shownText_.clear();
}

std::string ScriptPanel::editedText() const {
    return editorBoxText(Text1);
}

void ScriptPanel::showEditedText(const std::string& utf8) {
    showEditorText(Text1, utf8);
}

bool ScriptPanel::holdsTyping() const {
    return Text1->isEnabled() && Text1->toPlainText() != shownText_;
}

QString ScriptPanel::takeTypingAsShown() {
    QString before = shownText_;
    shownText_ = Text1->toPlainText();
    return before;
}

void ScriptPanel::setShownText(const QString& text) {
    shownText_ = text;
}

void ScriptPanel::dropTyping() {
    Text1->setPlainText(shownText_);
}
