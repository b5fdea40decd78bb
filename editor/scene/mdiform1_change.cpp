#include "mdiform1_change.h"

#include <QCheckBox>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>

#include "colours.h"
#include "entry_list.h"
#include "listing_view.h"
#include "mdiform1.h"
#include "script_panel.h"

QString systemText(const std::string& description) {
    return QString::fromLocal8Bit(description.c_str());
}

FileResult reindexAfterChange(MDIForm1& w, int aktIndex, const QString& done) {
    w.showNormalPointer();
    w.AktIndex = aktIndex;
    w.RefreshAllAfter = -1;
    w.Status->clear();
    w.VFL_Blocked = true;
    w.RefreshAll = -1;
    if (w.Check1->isChecked())
        w.RichTextBox1->clear();
    w.scriptPanel->clear();
    setForeColour(w.Text5, systemColour(SystemColour::WindowText));
    const FileResult indexed = w.FindModels();
    if (!indexed) {
        w.RefreshAllAfter = 0;
        w.VFL_Blocked = false;
        return indexed;
    }
    setForeColour(w.Status, StatusGreen);
    w.Status->setText(done);
    w.VFL_Blocked = false;
    return {};
}

void pauseWithEvents(int milliseconds) {
    if (milliseconds <= 0)
        return;
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}
