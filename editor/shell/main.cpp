#include <QApplication>
#include <QStringList>
#include <QTimer>
#include <cstdio>
#include <cstring>

#include "mdiform1.h"
#include "qs_version.h"
#include "qt_dialogs.h"

namespace {

constexpr char Usage[] = "usage: quillscope [SCENE]\n"
                         "       quillscope --screenshot PNG [SCENE]\n"
                         "       quillscope --help | --version\n"
                         "SCENE is a mission's scene2.bin, loaded at start.\n";

// --help and --version are answered before any window exists, so they work
// without a display. Returns the exit status, or -1 to go on to the window.
int answerWithoutWindow(int argc, char** argv) {
    if (argc != 2)
        return -1;
    if (std::strcmp(argv[1], "--version") == 0) {
        std::printf("Quillscope %s\n", QsVersion);
        return 0;
    }
    if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        std::fputs(Usage, stdout);
        return 0;
    }
    return -1;
}

} // namespace

// quillscope [PATH] opens PATH at start as "&Load" would.
// quillscope --screenshot FILE [PATH] saves a picture of the window once PATH
// is loaded (or at once without PATH) and ends.
int main(int argc, char** argv) {
    if (const int status = answerWithoutWindow(argc, argv); status >= 0)
        return status;
    QApplication app(argc, argv);
    QStringList arguments = QApplication::arguments().mid(1);
    QString screenshot;
    if (arguments.size() >= 2 && arguments.front() == "--screenshot") {
        screenshot = arguments.at(1);
        arguments = arguments.mid(2);
    }
    const QString path = arguments.value(0);

    QtDialogs dialogs;
    MDIForm1 window(dialogs, path);
    dialogs.setParent(&window);
    window.show();

    if (!screenshot.isEmpty()) {
        auto grab = [&window, screenshot] {
            QTimer::singleShot(300, &window, [&window, screenshot] {
                window.grab().save(screenshot);
                QApplication::quit();
            });
        };
        if (path.isEmpty())
            grab();
        else
            QObject::connect(&window, &MDIForm1::indexed, &window, grab);
    }
    return QApplication::exec();
}
