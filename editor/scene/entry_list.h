#pragma once
#include <QAbstractListModel>
#include <QListView>
#include <optional>
#include <vector>

#include "scene_index.h"

// The rows of one entry list over the index: no item per entry, so a list of
// 45,000 entries costs what its visible rows cost. Row r shows the entry
// `rows[r]` of the index, or entry r when the list shows every entry.
class EntryListModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    // `entries` must outlive the model or the next call; `rows` null: every entry.
    void show(const EntryTable* entries, const std::vector<int>* rows);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    // Ticks are the index's, not the user's: rows are not user-checkable.
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // The index entry that row shows, or none.
    std::optional<std::size_t> entryAt(int row) const;
    const EntryTable* entries() const { return entries_; }

private:
    const EntryTable* entries_ = nullptr;
    const std::vector<int>* rows_ = nullptr;
};

// An entry list (List2, List1, List3). The selection event is
// currentRowChanged: selecting a row from code raises it at once, except when
// that row is already the current one.
class EntryListView : public QListView {
    Q_OBJECT
public:
    explicit EntryListView(QWidget* parent = nullptr);

    // Shows the entries without raising the selection event; the list has
    // no current row afterwards.
    void showEntries(const EntryTable* entries, const std::vector<int>* rows);
    void clear() { showEntries(nullptr, nullptr); }

    int count() const;
    int currentRow() const;
    void setCurrentRow(int row);
    // Moves the current row without raising the selection event.
    void setCurrentRowQuietly(int row);
    QString itemText(int row) const;
    bool isTicked(int row) const;

signals:
    void currentRowChanged(int row);

private:
    EntryListModel model_;
};
