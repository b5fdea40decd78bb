// Desktop habits of the main window: keys, the Tab order, dropped files.
#include <QAction>
#include <QCheckBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QUrl>

#include "dialogs.h"
#include "entry_list.h"
#include "listing_view.h"
#include "mdiform1.h"
#include "value_combos.h"

namespace {
// The one local file a drag carries; empty when it carries anything else.
QString droppedFile(const QMimeData* data) {
    if (data == nullptr || !data->hasUrls() || data->urls().size() != 1)
        return {};
    const QUrl url = data->urls().constFirst();
    return url.isLocalFile() ? url.toLocalFile() : QString();
}

bool isAddinFile(const QString& path) {
    return QFileInfo(path).suffix().compare("qxa", Qt::CaseInsensitive) == 0;
}

// In the script box Tab is a character; Ctrl+Tab and Ctrl+Shift+Tab lead out.
class LeaveByControlTab : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (!(key->modifiers() & Qt::ControlModifier))
            return false;
        const bool back = key->key() == Qt::Key_Backtab ||
                          (key->key() == Qt::Key_Tab && (key->modifiers() & Qt::ShiftModifier));
        if (key->key() != Qt::Key_Tab && key->key() != Qt::Key_Backtab)
            return false;
        auto* box = static_cast<QWidget*>(watched);
        QWidget* next = back ? box->previousInFocusChain() : box->nextInFocusChain();
        while (next != box &&
               (!next->isVisible() || !next->isEnabled() || !(next->focusPolicy() & Qt::TabFocus)))
            next = back ? next->previousInFocusChain() : next->nextInFocusChain();
        next->setFocus(back ? Qt::BacktabFocusReason : Qt::TabFocusReason);
        return true;
    }
};
} // namespace

void MDIForm1::setUpDesktop() {
    setAcceptDrops(true);
    Text1->setTabChangesFocus(false);
    Text1->installEventFilter(new LeaveByControlTab(Text1));
    // The listing's tick box, search and view are reached by Tab as well.
    for (QWidget* listing : {static_cast<QWidget*>(Check1), static_cast<QWidget*>(Text2(3)),
                             static_cast<QWidget*>(search2), static_cast<QWidget*>(RichTextBox1)})
        listing->setFocusPolicy(Qt::StrongFocus);
    // Lists and their searches, then the values, the script and the listing.
    const std::initializer_list<QWidget*> order = {
        Option1,    Option2, Option3, List2,     Text2(1), search(1),   List1,     Text18,
        search(2),  List3,   Text19,  search(3), Text17,   Text5,       Text6,     Text7,
        Text8,      Text9,   Text10,  Text3,     Text4,    Text11,      Text12,    Slider1,
        Slider2,    Text20,  Slider3, Slider4,   Slider5,  Text14,      Text15,    Text16,
        Text13,     Combo1,  Text21,  Text22,    Text23,   Combo3,      SaveValue, Command1,
        SaveScript, Text1,   Check1,  Text2(3),  search2,  RichTextBox1};
    QWidget* previous = nullptr;
    for (QWidget* control : order) {
        if (previous != nullptr)
            setTabOrder(previous, control);
        previous = control;
    }
}

QString MDIForm1::sceneFolder() const {
    return filenameanalyse.isEmpty() ? QString() : QFileInfo(filenameanalyse).absolutePath();
}

void MDIForm1::ReloadMenu_Click() {
    if (VFL_Blocked || SavePending || filenameanalyse.isEmpty())
        return;
    if (!settlePendingEdits(List2->currentRow()))
        return;
    const int shown = List2->currentRow();
    if (shown >= 0) {
        AktIndex = shown;
        RefreshAllAfter = -1;
    }
    openScene(filenameanalyse);
}

void MDIForm1::SaveMenu_Click() {
    if (VFL_Blocked || SavePending)
        return;
    if (scriptPending())
        SaveScript_Click();
    else if (FlagValueSave != 0)
        SaveValue_Click();
}

void MDIForm1::FindListMenu_Click() {
    QLineEdit* box = Text2(1);
    if (Option2->isChecked())
        box = Text18;
    else if (Option3->isChecked())
        box = Text19;
    box->setFocus(Qt::ShortcutFocusReason);
    box->selectAll();
}

void MDIForm1::dragEnterEvent(QDragEnterEvent* event) {
    if (!droppedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void MDIForm1::dropEvent(QDropEvent* event) {
    const QString path = droppedFile(event->mimeData());
    if (path.isEmpty() || VFL_Blocked || SavePending)
        return;
    event->acceptProposedAction();
    if (isAddinFile(path)) {
        if (filenameanalyse.isEmpty() || List2->count() == 0) {
            dialogs_.message("Load the mission's scene2.bin first, then drop the add-in on it.",
                             "ADDin");
            return;
        }
        const QString question =
            "Apply the add-in " + QFileInfo(path).fileName() + " to " + filenameanalyse + "?";
        if (dialogs_.askYesNo(question, "ADDin"))
            applyAddin(path);
        return;
    }
    if (!settlePendingEdits(List2->currentRow()))
        return;
    openScene(QFileInfo(path).absoluteFilePath());
}
