#pragma once
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTemporaryDir>
#include <QTest>
#include <cstdint>
#include <gtest/gtest.h>
#include <vector>

// Helpers that drive a window as its user does: controls are found by their
// object names, menus are chosen with the keyboard through their mnemonics.

template <class Control> Control* control(const QObject& root, const QString& name) {
    auto* found = root.findChild<Control*>(name);
    if (!found)
        ADD_FAILURE() << "no control " << name.toStdString();
    return found;
}

inline QAction* menuAction(const QList<QAction*>& actions, const QString& text) {
    for (QAction* action : actions)
        if (action->text() == text)
            return action;
    ADD_FAILURE() << "no menu item " << text.toStdString();
    return nullptr;
}

// The key of the letter after '&' in a menu text.
inline int mnemonicKey(const QString& text) {
    const qsizetype amp = text.indexOf('&');
    return Qt::Key_A + (text.at(amp + 1).toUpper().unicode() - 'A');
}

// Chooses a top-level menu command, or an item of a top-level menu, with Alt
// and the mnemonic letters.
inline void chooseMenu(QMainWindow& window, const QString& menu, const QString& item = {}) {
    // Menu shortcuts reach the window that has the keyboard focus.
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitFor(
        [&window] { return QGuiApplication::focusWindow() == window.windowHandle(); }));
    QAction* top = menuAction(window.menuBar()->actions(), menu);
    ASSERT_NE(top, nullptr);
    if (item.isEmpty()) {
        QTest::keyClick(&window, Qt::Key(mnemonicKey(menu)), Qt::AltModifier);
        return;
    }
    ASSERT_NE(top->menu(), nullptr);
    ASSERT_NE(menuAction(top->menu()->actions(), item), nullptr);
    QTest::keyClick(&window, Qt::Key(mnemonicKey(menu)), Qt::AltModifier);
    QMenu* popup = top->menu();
    ASSERT_TRUE(QTest::qWaitFor([popup] { return popup->isVisible(); }));
    QTest::keyClick(popup, Qt::Key(mnemonicKey(item)));
}

// Writes `bytes` as scene2.bin in `dir` and returns its path.
inline QString writeScene(const QTemporaryDir& dir, const std::vector<std::uint8_t>& bytes,
                          const QString& name = "scene2.bin") {
    const QString path = dir.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
    return path;
}

// Clicks the tick box of a list item, as the user would.
inline void clickTickBox(QListWidget* list, QListWidgetItem* item) {
    list->scrollToItem(item);
    QStyleOptionViewItem option;
    option.initFrom(list);
    option.rect = list->visualItemRect(item);
    option.features |= QStyleOptionViewItem::HasCheckIndicator;
    const QRect box =
        list->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, list);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, box.center());
}
