#include "qt_dialogs.h"

#include <QFileDialog>
#include <QMessageBox>

void QtDialogs::message(const QString& text, const QString& title) {
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent_);
    box.exec();
}

bool QtDialogs::askYesNo(const QString& text, const QString& title) {
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Yes | QMessageBox::No, parent_);
    return box.exec() == QMessageBox::Yes;
}

QString QtDialogs::openFile(const QString& caption, const QString& filter) {
    // Accepts only an existing file, as the scene and add-in dialogs require.
    return QFileDialog::getOpenFileName(parent_, caption, QString(), filter);
}
