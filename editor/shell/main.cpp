#include <QApplication>
#include <QStringList>
#include <QTimer>

#include "mdiform1.h"
#include "qt_dialogs.h"

// quillscope [PATH] opens PATH at start as "&Load" would.
// quillscope --screenshot FILE [PATH] saves a picture of the window once PATH
// is loaded (or at once without PATH) and ends.
int main(int argc, char** argv) {
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
