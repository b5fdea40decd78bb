#include "frmabout.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>
#include <algorithm>

#include "dialogs.h"
#include "system_info.h"

namespace {
const QString ApplicationTitle = "Quillscope";
const QString NoSystemInfo = "System-Informationen sind augenblicklich nicht verfügbar.";
const QString Description =
    "Version 4.01\n\n"
    "Mission editor for the game's scene2.bin: lists the objects and scripts of a mission, "
    "edits scripts and object values, inserts and deletes objects, and applies add-ins "
    "(.qxa) with their models, sounds, maps and text tables.";

template <class Widget> Widget* named(Widget* widget, const char* name) {
    widget->setObjectName(name);
    return widget;
}
} // namespace

frmAbout::frmAbout(Dialogs& dialogs, SystemInfoHost& systemInfo, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      dialogs_(dialogs), systemInfo_(systemInfo) {
    setObjectName("frmAbout");
    lblTitle = named(new QLabel, "lblTitle");
    QFont titleFont = lblTitle->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.6);
    titleFont.setBold(true);
    lblTitle->setFont(titleFont);
    lblDescription = named(new QLabel(Description), "lblDescription");
    lblDescription->setWordWrap(true);
    cmdOK = named(new QPushButton("&OK"), "cmdOK");
    cmdOK->setDefault(true);
    cmdSysInfo = named(new QPushButton("&System-Info..."), "cmdSysInfo");

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdSysInfo);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblTitle);
    layout->addWidget(lblDescription);
    layout->addStretch();
    layout->addLayout(buttons);
    // As high as the wrapped description needs with this font, and a line to
    // spare for the rounding of a scaled screen.
    setFixedSize(420, std::max(layout->totalHeightForWidth(420) + fontMetrics().height(), 160));

    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this,
            &frmAbout::cmdOK_Click);
    connect(cmdSysInfo, &QPushButton::clicked, this, &frmAbout::cmdSysInfo_Click);
    Form_Load();
}

void frmAbout::Form_Load() {
    setWindowTitle(ApplicationTitle + "-Info");
    lblTitle->setText(ApplicationTitle);
}

void frmAbout::cmdOK_Click() {
    close();
}

void frmAbout::cmdSysInfo_Click() {
    if (!startSystemInfo(systemInfo_))
        dialogs_.message(NoSystemInfo, ApplicationTitle);
}
