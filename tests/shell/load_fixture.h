#pragma once
#include <QAbstractItemView>
#include <QLocale>
#include <QTemporaryDir>
#include <vector>

#include "cp1252.h"
#include "fake_dialogs.h"
#include "mdiform1.h"
#include "scene_generator.h"
#include "window_driver.h"

struct ExpectedEntry {
    QString name;
    bool ticked;
};

// The main list a generated scene should give: objects in file order, then
// the init scripts, ticked when they have a script.
inline std::vector<ExpectedEntry> expectedEntries(const GeneratedScene& scene) {
    std::vector<ExpectedEntry> entries;
    for (const GeneratedObject& object : scene.objects)
        entries.push_back(
            {QString::fromUtf8(cp1252ToUtf8(object.name)), object.script == ScriptState::Present});
    for (const GeneratedInitScript& init : scene.initScripts)
        entries.push_back({QString::fromUtf8(cp1252ToUtf8(init.name)), true});
    return entries;
}

inline GeneratedScene sampleScene(std::size_t objects = 40, std::uint32_t seed = 7) {
    GeneratorOptions options;
    options.seed = seed;
    options.objectCount = objects;
    return generateScene(options);
}

// The default locale for the life of the object; the one before comes back.
class DefaultLocale {
public:
    explicit DefaultLocale(const QLocale& locale) { QLocale::setDefault(locale); }
    ~DefaultLocale() { QLocale::setDefault(before_); }
    DefaultLocale(const DefaultLocale&) = delete;
    DefaultLocale& operator=(const DefaultLocale&) = delete;

private:
    QLocale before_;
};

// A shown main window whose open dialog answers from a script. The windows
// read and show numbers in the C locale's format, whatever the machine's.
class LoadFixture : public ::testing::Test {
protected:
    DefaultLocale locale{QLocale::c()};

    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    // Whatever a test did, the window's index is the index of the bytes it
    // holds: no window code patches it.
    void TearDown() override {
        if (window.scene.isOpen()) {
            EXPECT_TRUE(window.sceneIndex == buildSceneIndex(window.scene.bytes()))
                << "the window's index differs from a fresh index of its bytes";
        }
    }

    // "&Load" with the open dialog answering `path` (empty: cancel).
    void load(const QString& path) {
        dialogs.openFileAnswers.push_back(path);
        chooseMenu(window, "&File", "&Load");
        EXPECT_TRUE(QTest::qWaitFor([this] { return dialogs.openFileAnswers.empty(); }));
        EXPECT_FALSE(window.VFL_Blocked);
    }

    QAbstractItemView* list(const char* name) { return listView(window, name); }

    QTemporaryDir dir;
    FakeDialogs dialogs;
    MDIForm1 window{dialogs};
};
