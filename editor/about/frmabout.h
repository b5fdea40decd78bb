#pragma once
#include <QWidget>

class Dialogs;
class QLabel;
class QPushButton;
class SystemInfoHost;

// The about box of Quillscope. It is shown without blocking the main window
// and can start the system information viewer.
class frmAbout : public QWidget {
    Q_OBJECT
public:
    frmAbout(Dialogs& dialogs, SystemInfoHost& systemInfo, QWidget* parent = nullptr);

    QLabel* lblTitle;
    QLabel* lblDescription;
    QPushButton* cmdOK;
    QPushButton* cmdSysInfo;

    void cmdOK_Click();
    void cmdSysInfo_Click();

private:
    void Form_Load();

    Dialogs& dialogs_;
    SystemInfoHost& systemInfo_;
};
