#include "qt_dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QTextDocument>

namespace {
// Window managers cut long titles short, and some show none: the box repeats
// its title as a bold first line, above the prompt as it was given (blanks
// and line breaks kept).
QString boxText(const QString& text, const QString& title) {
    QString shown;
    if (!title.trimmed().isEmpty())
        shown = "<p style=\"white-space:pre-wrap\"><b>" + title.toHtmlEscaped() + "</b></p>";
    return shown + Qt::convertFromPlainText(text, Qt::WhiteSpacePre);
}
} // namespace

QWidget* QtDialogs::owner() const {
    // The box belongs to the window the user is in (the insert window's
    // messages stand over the insert window), else to the main window.
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    QWidget* active = QApplication::activeWindow();
    if (active != nullptr && active->windowType() != Qt::Popup &&
        active->windowType() != Qt::ToolTip)
        return active;
    return parent_;
}

int QtDialogs::ask(const QString& text, const QString& title, int buttons, int defaultButton,
                   int escapeButton) const {
    QMessageBox box(QMessageBox::NoIcon, title, QString(), QMessageBox::StandardButtons(buttons),
                    owner());
    box.setTextFormat(Qt::RichText);
    box.setText(boxText(text, title));
    box.setObjectName("QuillMessageBox");
    if (defaultButton != 0)
        box.setDefaultButton(QMessageBox::StandardButton(defaultButton));
    if (escapeButton != 0)
        box.setEscapeButton(QMessageBox::StandardButton(escapeButton));
    return box.exec();
}

void QtDialogs::message(const QString& text, const QString& title) {
    ask(text, title, QMessageBox::Ok, QMessageBox::Ok, QMessageBox::Ok);
}

bool QtDialogs::askYesNo(const QString& text, const QString& title, bool noIsDefault) {
    const int answer = ask(text, title, QMessageBox::Yes | QMessageBox::No,
                           noIsDefault ? QMessageBox::No : QMessageBox::Yes, QMessageBox::No);
    return answer == QMessageBox::Yes;
}

Dialogs::Answer QtDialogs::askYesNoCancel(const QString& text, const QString& title) {
    switch (ask(text, title, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                QMessageBox::Yes, QMessageBox::Cancel)) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return Answer::Cancel;
    }
}

QString QtDialogs::openFile(const QString& caption, const QString& filter,
                            const QString& startFolder) {
    // Accepts only an existing file, as the scene and add-in dialogs require.
    return QFileDialog::getOpenFileName(owner(), caption, startFolder, filter);
}
