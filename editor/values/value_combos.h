#pragma once
#include <QComboBox>
#include <optional>

// The sound and behaviour lists of the value panels (main window and insert
// window alike). Each item's data is its code (value_lists.h).
//
// Use: `auto* Combo1 = new SoundCombo("Combo1");` and place it in a layout.
// showCode() sets the list from a stored code without any user signal; the
// user's choice of an item raises QComboBox::activated, which is the "click"
// the edit marks listen to. code() is the selected item's code, or nothing
// while no item is selected.

class SoundCombo : public QComboBox {
    Q_OBJECT
public:
    explicit SoundCombo(const QString& objectName, QWidget* parent = nullptr);
    // The item at position `code` (codes 0 to 8 are the item positions); any
    // other code, such as 255 for a stored -1, leaves no item selected.
    void showCode(int code);
    std::optional<int> code() const;
};

class BehaviourCombo : public QComboBox {
    Q_OBJECT
public:
    explicit BehaviourCombo(const QString& objectName, QWidget* parent = nullptr);
    // The item with this code; a byte that is no item's code (not a single
    // bit) selects the first item.
    void showCode(int code);
    std::optional<int> code() const;
    // The list shows a stored byte that is no item's code and the user has
    // not chosen an item since: saving keeps the stored byte.
    bool showsUnlistedCode() const { return unlisted_; }

private:
    bool unlisted_ = false;
};
