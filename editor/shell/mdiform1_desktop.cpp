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
#include "layout_support.h"
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
    setToolTips(this,
                {{"Option1", "Show every entry of the scene"},
                 {"Option2", "Show only the entries that have a script"},
                 {"Option3", "Show only the entries without a script"},
                 {"List2", "Every entry of the scene in file order; ticked: it has a script"},
                 {"List1", "The entries that have a script"},
                 {"List3", "The entries without a script"},
                 {"Text2(1)", "Text to find in the list (Ctrl+L)"},
                 {"Text18", "Text to find in the list (Ctrl+L)"},
                 {"Text19", "Text to find in the list (Ctrl+L)"},
                 {"search(1)", "Find the next entry whose name holds the text"},
                 {"search(2)", "Find the next entry whose name holds the text"},
                 {"search(3)", "Find the next entry whose name holds the text"},
                 {"Text17", "The entry's name"},
                 {"Text2(12)", "The entry's model file"},
                 {"Text5", "Translation X, in scene units"},
                 {"Text6", "Translation Y (height), in scene units"},
                 {"Text7", "Translation Z, in scene units"},
                 {"Text8", "Size X, a factor (1 = the model's own size)"},
                 {"Text9", "Size Y, a factor (1 = the model's own size)"},
                 {"Text10", "Size Z, a factor (1 = the model's own size)"},
                 {"Text3", "Rot. X: q0 of the rotation quaternion (set by the horizontal dial)"},
                 {"Text4", "Rot. Y: q2 of the rotation quaternion (set by the horizontal dial)"},
                 {"Text12", "Rot. Z: q3 of the rotation quaternion (set by the vertical dial)"},
                 {"Text11", "Vertical angle in whole degrees, -180 to 180"},
                 {"Slider1", "Horizontal angle, in whole degrees"},
                 {"Slider2", "Vertical angle, in whole degrees"},
                 {"SaveValue", "Save the values of the entry on display into the file (Ctrl+S)"},
                 {"Command1", "Delete the entry on display from the file"},
                 {"Text20", "Light brightness, 0 to 5"},
                 {"Slider3", "Light colour: red, 0 to 255"},
                 {"Slider4", "Light colour: green, 0 to 255"},
                 {"Slider5", "Light colour: blue, 0 to 255"},
                 {"Text14", "Light colour: red, 0 to 255"},
                 {"Text15", "Light colour: green, 0 to 255"},
                 {"Text16", "Light colour: blue, 0 to 255"},
                 {"Text13", "Weight of the thing"},
                 {"Combo1", "Sound the thing makes"},
                 {"Text21", "Weight of the human"},
                 {"Text22", "Aggression of the human, 0 to 1"},
                 {"Text23", "Sex of the human, as a number"},
                 {"Combo3", "Behaviour of the human"},
                 {"SaveScript", "Save the script in the box into the file; the file may grow or "
                                "shrink (Ctrl+S)"},
                 {"Text1", "The entry's script. Tab types a tab; Ctrl+Tab leaves the box"},
                 {"Text2(5)", "org: the script's length in the file, in bytes"},
                 {"Text2(7)", "act: the length of the script in the box, in bytes"},
                 {"Check1", "Show the listing of every script of the file"},
                 {"Text2(3)", "Text to find in the listing"},
                 {"search2", "Find the next place in the listing that holds the text"},
                 {"RichTextBox1", "Every script of the file; click a script to show its entry"},
                 {"Text24", "Number of definition names in the file"}});
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
