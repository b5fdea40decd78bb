#pragma once
#include <QAbstractItemView>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <string>

#include "load_fixture.h"
#include "mini_scene.h"

// A loaded main window driven through its controls.
class Navigation : public LoadFixture {
protected:
    // Writes `bytes` as the scene and loads it with "&Load".
    void loadScene(const std::vector<std::uint8_t>& bytes) {
        scenePath = writeScene(dir, bytes);
        load(scenePath);
    }

    void click(const char* name) {
        auto* button = control<QAbstractButton>(window, name);
        ASSERT_NE(button, nullptr);
        ASSERT_TRUE(QTest::qWaitFor([button] { return button->isVisible(); })) << name;
        QTest::mouseClick(button, Qt::LeftButton);
    }

    // Replaces the text of a text box by typing.
    void type(const char* name, const QString& text) {
        auto* box = control<QLineEdit>(window, name);
        ASSERT_NE(box, nullptr);
        box->setFocus();
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Delete);
        QTest::keyClicks(box, text);
        ASSERT_EQ(box->text(), text);
    }

    void clickRow(QAbstractItemView* shown, int row) { ::clickRow(shown, row); }

    QString currentText(const char* name) { return ::currentText(list(name)); }

    QString scenePath;
};

namespace navigation {

inline const std::string kValues(8, '\x07');

// An object definition of type 4 whose data ends in `script`.
inline void scripted(SceneWriter& w, const std::string& name, const std::string& script) {
    mini::definition(w, name, 4, kValues, &script);
}

// List2: 0 "Door1", 1 "2zuvav3" (script), 2 "Lamp", 3 "ZuvavCar" (script),
// 4 "Box", 5 "bigZUVAV", 6 "Tom" (script), 7 "GameInit", 8 "ZuvavInit".
inline std::vector<std::uint8_t> searchScene() {
    return mini::scene(
        [](SceneWriter& w) {
            for (const char* name :
                 {"Door1", "2zuvav3", "Lamp", "ZuvavCar", "Box", "bigZUVAV", "Tom"})
                mini::object(w, name);
        },
        [](SceneWriter& w) {
            scripted(w, "2zuvav3", "wait 1\r\n");
            scripted(w, "ZuvavCar", "wait 2\r\n");
            scripted(w, "Tom", "wait 3\r\n");
        },
        [](SceneWriter& w) {
            mini::initScript(w, "GameInit", "end\r\n");
            mini::initScript(w, "ZuvavInit", "end\r\n");
        });
}

} // namespace navigation
