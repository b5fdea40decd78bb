#include <QApplication>
#include <iostream>
#include <string>
#include <vector>

#include "form1.h"
#include "qt_dialogs.h"
#include "trellis_cli.h"

// trellis                     opens the window
// trellis scan|tree ... SCENE prints what the window would show (no window)
int main(int argc, char** argv) {
    if (argc > 1)
        return runTrellisCommand(std::vector<std::string>(argv + 1, argv + argc), std::cout,
                                 std::cerr);
    QApplication app(argc, argv);
    QtDialogs dialogs;
    Form1 window(dialogs);
    dialogs.setParent(&window);
    window.show();
    return QApplication::exec();
}
