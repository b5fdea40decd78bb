#include "value_combos.h"

#include "value_lists.h"

namespace {
template <std::size_t N> void fill(QComboBox* combo, const std::array<CodedItem, N>& items) {
    for (const CodedItem& item : items)
        combo->addItem(QString::fromLatin1(item.text.data(), qsizetype(item.text.size())),
                       item.code);
    combo->setCurrentIndex(-1);
}

std::optional<int> selectedCode(const QComboBox* combo) {
    if (combo->currentIndex() < 0)
        return std::nullopt;
    return combo->currentData().toInt();
}
} // namespace

SoundCombo::SoundCombo(const QString& objectName, QWidget* parent) : QComboBox(parent) {
    setObjectName(objectName);
    fill(this, SoundItems);
}

void SoundCombo::showCode(int code) {
    setCurrentIndex(code >= 0 && code < count() ? itemData(code).toInt() : -1);
}

std::optional<int> SoundCombo::code() const {
    return selectedCode(this);
}

BehaviourCombo::BehaviourCombo(const QString& objectName, QWidget* parent) : QComboBox(parent) {
    setObjectName(objectName);
    fill(this, BehaviourItems);
    connect(this, &QComboBox::activated, this, [this] { unlisted_ = false; });
}

void BehaviourCombo::showCode(int code) {
    const std::optional<int> item = itemWithCode(BehaviourItems, code);
    setCurrentIndex(item.value_or(0));
    unlisted_ = !item;
}

std::optional<int> BehaviourCombo::code() const {
    return selectedCode(this);
}
