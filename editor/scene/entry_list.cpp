#include "entry_list.h"

#include <QItemSelectionModel>
#include <QSignalBlocker>

#include "cp1252.h"

void EntryListModel::show(const EntryTable* entries, const std::vector<int>* rows) {
    beginResetModel();
    entries_ = entries;
    rows_ = rows;
    endResetModel();
}

int EntryListModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || !entries_)
        return 0;
    return static_cast<int>(rows_ ? rows_->size() : entries_->size());
}

std::optional<std::size_t> EntryListModel::entryAt(int row) const {
    if (!entries_ || row < 0 || row >= rowCount())
        return std::nullopt;
    const std::size_t entry = rows_ ? static_cast<std::size_t>((*rows_)[std::size_t(row)])
                                    : static_cast<std::size_t>(row);
    return entry < entries_->size() ? std::optional(entry) : std::nullopt;
}

QVariant EntryListModel::data(const QModelIndex& index, int role) const {
    const auto entry = entryAt(index.row());
    if (!entry)
        return {};
    if (role == Qt::DisplayRole)
        return QString::fromUtf8(cp1252ToUtf8(entries_->name(*entry)));
    if (role == Qt::CheckStateRole)
        return entries_->ticked(*entry) ? Qt::Checked : Qt::Unchecked;
    return {};
}

Qt::ItemFlags EntryListModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
}

EntryListView::EntryListView(QWidget* parent) : QListView(parent), model_(this) {
    setModel(&model_);
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { emit currentRowChanged(current.row()); });
}

void EntryListView::showEntries(const EntryTable* entries, const std::vector<int>* rows) {
    const QSignalBlocker quiet(this);
    model_.show(entries, rows);
}

int EntryListView::count() const {
    return model_.rowCount();
}

int EntryListView::currentRow() const {
    return currentIndex().row();
}

void EntryListView::setCurrentRow(int row) {
    const QModelIndex target = model_.index(row, 0);
    if (!target.isValid()) {
        selectionModel()->clearCurrentIndex();
        return;
    }
    selectionModel()->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect);
}

void EntryListView::setCurrentRowQuietly(int row) {
    const QSignalBlocker quiet(this);
    setCurrentRow(row);
}

QString EntryListView::itemText(int row) const {
    return model_.data(model_.index(row, 0), Qt::DisplayRole).toString();
}

bool EntryListView::isTicked(int row) const {
    const auto entry = model_.entryAt(row);
    return entry && model_.entries()->ticked(*entry);
}
