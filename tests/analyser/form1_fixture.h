#pragma once
// A Trellis window on a scene in a temporary folder, driven as its user drives it.
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <memory>

#include "fake_dialogs.h"
#include "form1.h"
#include "script_box.h"
#include "window_driver.h"

class Form1Test : public ::testing::Test {
protected:
    // Writes the scene and opens the window on its folder.
    void open(const std::vector<std::uint8_t>& bytes, const QString& name = "scene2.bin") {
        path = writeScene(dir, bytes, name);
        window = std::make_unique<Form1>(dialogs, dir.path());
        window->Timer1->setInterval(0);
        window->Timer4->setInterval(0);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    template <class Control> Control* find(const char* name) {
        return control<Control>(*window, QString::fromUtf8(name));
    }
    QLineEdit* text2(int item) {
        return find<QLineEdit>(("Text2(" + std::to_string(item) + ")").c_str());
    }
    QListWidget* list2() { return find<QListWidget>("List2"); }
    ScriptBox* text1() { return find<ScriptBox>("Text1"); }

    static void clickItem(QListWidget* list, int row) {
        QListWidgetItem* item = list->item(row);
        list->scrollToItem(item);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(item).center());
    }
    static void doubleClickItem(QListWidget* list, int row) {
        QListWidgetItem* item = list->item(row);
        const QPoint at = list->visualItemRect(item).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    }

    // Double-clicks the scene in File1 and presses "Start"; waits for the scan.
    void chooseAndScan() {
        auto* files = find<QListWidget>("File1");
        const auto found = files->findItems(QFileInfo(path).fileName(), Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1);
        doubleClickItem(files, files->row(found.front()));
        start();
    }
    void start() {
        QSignalSpy scanned(window.get(), &Form1::scanned);
        QTest::mouseClick(find<QPushButton>("Command2"), Qt::LeftButton);
        ASSERT_TRUE(scanned.wait(5000));
    }
    void buildTree() { QTest::mouseClick(find<QPushButton>("Command1"), Qt::LeftButton); }

    std::vector<std::uint8_t> onDisk() const {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray all = file.readAll();
        return std::vector<std::uint8_t>(all.begin(), all.end());
    }

    static QColor textColour(QLineEdit* box) { return box->palette().color(QPalette::Text); }

    QTemporaryDir dir;
    QString path;
    FakeDialogs dialogs;
    std::unique_ptr<Form1> window;
};
