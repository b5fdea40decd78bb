#pragma once
// The main window with a generated scene loaded, for the insertion and
// deletion window tests.
#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "colours.h"
#include "insertform.h"
#include "load_fixture.h"

inline std::vector<std::uint8_t> fileBytes(const QString& path) {
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray b = f.readAll();
    return std::vector<std::uint8_t>(b.begin(), b.end());
}

class SceneWindow : public LoadFixture {
protected:
    void SetUp() override {
        LoadFixture::SetUp();
        window.deletePauseMs = 0;
        window.Check1->setChecked(false);
        scene = sampleScene(40, 19);
        path = writeScene(dir, scene.bytes);
        load(path);
        ASSERT_GT(rowCount(list("List2")), 0);
    }

    insertform& form() { return *window.insertWindow; }
    QString status() const { return window.Status->text(); }
    // The first object row that is ticked (has a script).
    int scriptedRow() { return firstRowWith(list("List2"), Qt::Checked); }

    GeneratedScene scene;
    QString path;
};
