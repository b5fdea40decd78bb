#pragma once
#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QFile>
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

// Gives `target` the keyboard as a window manager would, so that its
// shortcuts work; the offscreen platform leaves a closed menu active otherwise.
inline void activateForKeys(QWidget* target) {
    target->activateWindow();
    QApplication::setActiveWindow(target);
    ASSERT_TRUE(QTest::qWaitForWindowActive(target));
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

// ---- Entry lists (List2, List1, List3) and other item views, through the
// view's model only, so the helpers work whatever view class shows a list.

inline QAbstractItemView* listView(const QObject& root, const QString& name) {
    return control<QAbstractItemView>(root, name);
}

inline int rowCount(const QAbstractItemView* list) {
    return list->model() ? list->model()->rowCount() : 0;
}

inline QString rowText(const QAbstractItemView* list, int row) {
    return list->model()->index(row, 0).data(Qt::DisplayRole).toString();
}

inline bool rowTicked(const QAbstractItemView* list, int row) {
    return list->model()->index(row, 0).data(Qt::CheckStateRole).toInt() == Qt::Checked;
}

inline Qt::CheckState rowCheckState(const QAbstractItemView* list, int row) {
    return Qt::CheckState(list->model()->index(row, 0).data(Qt::CheckStateRole).toInt());
}

// The current row, -1 when there is none.
inline int currentRow(const QAbstractItemView* list) {
    return list->currentIndex().row();
}

inline QString currentText(const QAbstractItemView* list) {
    const int row = currentRow(list);
    return row < 0 ? QString() : rowText(list, row);
}

// The rows shown as selected.
inline std::vector<int> selectedRows(const QAbstractItemView* list) {
    std::vector<int> rows;
    for (const QModelIndex& index : list->selectionModel()->selectedIndexes())
        rows.push_back(index.row());
    return rows;
}

// The first row whose tick is `state`, -1 when there is none.
inline int firstRowWith(const QAbstractItemView* list, Qt::CheckState state) {
    for (int row = 0; row < rowCount(list); ++row)
        if (rowCheckState(list, row) == state)
            return row;
    return -1;
}

// Selects a row as code does (the list's selection event runs at once).
inline void selectRow(QAbstractItemView* list, int row) {
    list->selectionModel()->setCurrentIndex(list->model()->index(row, 0),
                                            QItemSelectionModel::ClearAndSelect);
}

// Clicks a row with the mouse, as the user would (scrolled into view first).
inline void clickRow(QAbstractItemView* list, int row) {
    ASSERT_TRUE(QTest::qWaitFor([list] { return list->isVisible(); }));
    const QModelIndex index = list->model()->index(row, 0);
    ASSERT_TRUE(index.isValid()) << "no row " << row;
    list->scrollTo(index);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(index).center());
}

// Clicks the tick box of a row, as the user would.
inline void clickTickBox(QAbstractItemView* list, int row) {
    const QModelIndex index = list->model()->index(row, 0);
    list->scrollTo(index);
    QStyleOptionViewItem option;
    option.initFrom(list);
    option.rect = list->visualRect(index);
    option.features |= QStyleOptionViewItem::HasCheckIndicator;
    const QRect box =
        list->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, list);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, box.center());
}
