#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "entry_list.h"
#include "mdiform1.h"

void MDIForm1::connectNavigation() {
    // An option button runs its handler whenever it becomes the chosen one,
    // by mouse, keyboard or code.
    const auto onChosen = [this](QRadioButton* option, void (MDIForm1::*handler)()) {
        connect(option, &QRadioButton::toggled, this, [this, handler](bool chosen) {
            if (chosen)
                (this->*handler)();
        });
    };
    onChosen(Option1, &MDIForm1::Option1_Click);
    onChosen(Option2, &MDIForm1::Option2_Click);
    onChosen(Option3, &MDIForm1::Option3_Click);
    connect(List1, &EntryListView::currentRowChanged, this, &MDIForm1::List1_Click);
    connect(List3, &EntryListView::currentRowChanged, this, &MDIForm1::List3_Click);
    for (const auto& [item, button] : search.items())
        connect(button, &QPushButton::clicked, this, [this, item = item] { search_Click(item); });
    connect(search2, &QPushButton::clicked, this, &MDIForm1::search2_Click);
    // Enter in a search box runs its search.
    connect(Text2(1), &QLineEdit::returnPressed, this, [this] { search_Click(1); });
    connect(Text18, &QLineEdit::returnPressed, this, [this] { search_Click(2); });
    connect(Text19, &QLineEdit::returnPressed, this, [this] { search_Click(3); });
    connect(Text2(3), &QLineEdit::returnPressed, this, &MDIForm1::search2_Click);
}

void MDIForm1::Option1_Click() {
    Frame6->hide();
    Frame7->hide();
}

void MDIForm1::Option2_Click() {
    Frame6->show();
    Frame7->hide();
}

void MDIForm1::Option3_Click() {
    Frame6->hide();
    Frame7->show();
}

namespace {

// Selects in List2 the entry that `map` gives for `row`; selecting runs the
// selection display.
void selectMapped(EntryListView* List2, const std::vector<int>& map, int row) {
    if (row < 0 || row >= static_cast<int>(map.size()))
        return;
    const int entry = map[static_cast<std::size_t>(row)];
    if (entry < List2->count())
        List2->setCurrentRow(entry);
}

} // namespace

void MDIForm1::List1_Click() {
    selectMapped(List2, list1ToList2, List1->currentRow());
}

void MDIForm1::List3_Click() {
    selectMapped(List2, list3ToList2, List3->currentRow());
}

void MDIForm1::search_Click(int Index) {
    if (VFL_Blocked || List2->count() == 0)
        return;
    EntryListView* searched = List2;
    QString wanted = Text2(1)->text();
    if (Index == 2) {
        searched = List1;
        wanted = Text18->text();
    } else if (Index == 3) {
        searched = List3;
        wanted = Text19->text();
    }
    for (int row = lastListHit + 1; row < searched->count(); ++row) {
        if (searched->itemText(row).contains(wanted, Qt::CaseInsensitive)) {
            lastListHit = row;
            // In List1 and List3 the selection moves List2 through the maps.
            searched->setCurrentRow(row);
            return;
        }
    }
    lastListHit = -1;
}
