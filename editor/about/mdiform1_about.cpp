#include "dialogs.h"
#include "frmabout.h"
#include "mdiform1.h"
#include "system_info.h"

void MDIForm1::InfoMenu_Click() {
    // One about box, shown without blocking the main window.
    if (!aboutWindow)
        aboutWindow = new frmAbout(dialogs_, systemInfo ? *systemInfo : platformSystemInfo(), this);
    aboutWindow->show();
    aboutWindow->raise();
    aboutWindow->activateWindow();
}
