#pragma once
#include <QMainWindow>
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "control_array.h"
#include "edit_history.h"
#include "file_access.h"
#include "open_scene.h"
#include "scene_editor.h"
#include "scene_index.h"

class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class EntryListView;
class ListingText;
class ListingView;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSlider;
class QTimer;
class Dialogs;
class RotationDialView;
class ColourSliders;
class SoundCombo;
class BehaviourCombo;
class insertform;
class frmAbout;
class SystemInfoHost;
class ValuePanel;
class ScriptPanel;
class MapView;
class QTabWidget;

// The editor's main window. It owns the working state of the open scene2.bin;
// the handlers of every feature are members, defined in the folder of the
// feature they belong to.
class MDIForm1 : public QMainWindow, public SceneEditor {
    Q_OBJECT
public:
    // With a `startPath`, that file is loaded as "&Load" would load it, once
    // the event loop runs.
    explicit MDIForm1(Dialogs& dialogs, const QString& startPath = {}, QWidget* parent = nullptr);
    ~MDIForm1() override;

    // ---- Working state, shared with the other windows. Flags: -1 true, 0 false.
    std::int16_t FlagValueSave = 0;        // an object value was edited and not saved
    QString filenameanalyse;               // full path of the open scene2.bin
    std::int32_t ModelLenPos = 0;          // objects section length field (0: none)
    std::int32_t GesamtLängeScriptPos = 0; // definitions section length field (0: none)
    int MerkePosGameInit = 0;              // List2 index of the first init script
    float RotationXI = 0;
    float RotationZI = 0;
    float RotationYI = 0;
    float RotationÄI = 0;
    std::int16_t RefreshAll = 0;      // the next re-index ends by showing an entry
    std::int16_t RefreshAllAfter = 0; // that display follows a file change
    int AktIndex = 0;                 // entry remembered across a re-index
    bool VFL_Blocked = false;         // a re-index or file operation is running

    // The open file: its bytes, their index and every edit's outcome.
    OpenScene scene;
    // The index of the open file: one record per List2 entry, in list order.
    const SceneIndex& sceneIndex = scene.index();
    // The bytes the index was built from; writers compare the file with them
    // before writing at indexed positions.
    const std::vector<std::uint8_t>& indexedFile = scene.byteVector();
    // List1 and List3 index -> List2 index.
    std::vector<int> list1ToList2;
    std::vector<int> list3ToList2;

    // ---- State of the handlers.
    QString fileTitle;             // file name of the open scene, as the dialog chose it
    QString pathCopy;              // the path as it was when the file was opened
    bool SavePending = false;      // a question about unsaved edits is being settled
    std::int16_t PanelFilling = 0; // the display is filling Combo1 and Combo3
    int EditedIndex = -1;          // List2 index of the entry whose values were touched
    // Row of the last list-search hit, shared by the three list searches; -1: none.
    int lastListHit = -1;
    int listingSearchPos = 0; // character position where the next listing search starts
    // Rotation the dials set for the edited entry and no save has written
    // yet; the index holds only what the file holds.
    std::optional<std::array<StoredFloat, 4>> pendingRotation;
    int savedNoticeMilliseconds = 1000; // how long "SAVED" stays; tests set 0

    // Re-reads filenameanalyse and rebuilds the lists and the index. The file
    // is read and indexed off the GUI thread (through runBlocked); when it is
    // done the lists show it and, with RefreshAll set, the last entry is shown
    // (then the one at AktIndex when RefreshAllAfter is set) and the script
    // listing is built when Check1 is ticked. When the file cannot be read the
    // lists and the index stay as they were and the failure, with the system's
    // description, is returned.
    [[nodiscard]] FileResult FindModels();

    // ---- Long work (saves, re-index, insertion, deletion, add-ins).
    // Work run by runBlocked off the GUI thread. It must not touch widgets or
    // the window's state; it may store a progress step 0 .. 51 (ProgressBar1's
    // range) in `progress`.
    using BlockedWork = std::function<void(std::atomic<int>& progress)>;
    // Runs `work` on a worker thread and returns once it and then `done` (on
    // the GUI thread) have run. Meanwhile VFL_Blocked is true, the pointer is
    // the hourglass, Frame1 shows `caption` and the progress, and the window
    // stays live: input reaches the handlers, the guarded ones ignore it while
    // VFL_Blocked is true, and nothing is kept to replay afterwards (rows the
    // user clicked in the entry lists are set back, Text1 is read-only). A
    // close request waits until the work has ended. `done` runs with
    // VFL_Blocked false and Frame1 hidden. An exception thrown by `work`
    // leaves runBlocked (done is not run) after the same clean-up.
    void runBlocked(const QString& caption, const BlockedWork& work,
                    const std::function<void()>& done = {});
    // True while runBlocked is running work.
    bool workRunning() const { return blockedDepth_ > 0; }

    // ---- Every change of the open file goes through runEdit.
    using WindowEdit = ::WindowEdit;
    enum class EditResult { Saved, Refused, ChangedOnDisk };
    // How the history takes a saved edit.
    enum class HistoryStepKind { Record, Undo, Redo };
    // Runs the edit with VFL_Blocked set, lets the open scene take up the
    // outcome, then refreshes the views: a refusal shows its reason, a file
    // changed on disk is read again, a saved edit is adopted without reading
    // the file again and the pending edits follow their entry.
    EditResult runEdit(const WindowEdit& edit, HistoryStepKind step = HistoryStepKind::Record);

    // ---- The open scene as the insert window uses it.
    const OpenScene& openScene() const override { return scene; }
    bool readyForEdit() const override;
    bool settleBeforeChange() override;
    void runSceneEdit(const WindowEdit& edit) override;

    // ---- Unsaved edits. They belong to the entry on display (shownEntry).
    // The entry the value panel and the script box show, by its record.
    std::optional<EntryKey> shownEntry;
    // The List2 row of the entry on display; -1 when none.
    int shownRow() const;
    // The script box holds typing that is not saved: its text differs from
    // the script the display put there.
    bool scriptPending() const;
    // Asks about every unsaved edit of the entry on display ("Save values?",
    // then "Save script?"): Yes saves it, No drops it. False when the user
    // cancelled or a save failed: then nothing was dropped. `showAfter` is
    // the row shown after a save that changes lengths.
    bool settlePendingEdits(int showAfter);
    // Drops the marked values and the dial turns for good.
    void dropValueEdits();
    // The window's history of saved edits of the open file.
    EditHistory history;
    void UndoMenu_Click();
    void RedoMenu_Click();
    // Saves the panel's values / the script box into the entry at `entry`.
    bool saveValuesOf(int entry);
    bool saveScriptOf(int entry, int showAfter);

    // ---- Handlers.
    void LoadMenu_Click();
    // Reads the open file from disk again, asking about unsaved edits first;
    // the entry on display stays selected where it still exists.
    void ReloadMenu_Click();
    // Ctrl+S: the script's Save when the script box holds unsaved text, else
    // the value Save when values are marked.
    void SaveMenu_Click();
    // Ctrl+L: to the search box of the list in front.
    void FindListMenu_Click();
    void ExitMenu_Click();
    void List2_Click();
    void SaveValue_Click();
    // Value panel edits: only the user's clicks mark a field as edited.
    void Slider1_Click();
    void Slider2_Click();
    void Slider3_Click();
    void Slider4_Click();
    void Slider5_Click();
    void Combo1_Click();
    void Combo3_Click();
    void valueFieldClicked(QWidget* field); // a mouse click into a value text box
    void SaveScript_Click();
    void Text1_Change();
    void Text1_Click();
    void RichTextBox1_Click();
    void Command1_Click(); // "Delete"

    // "&Insert" menu entries: preset the insert window and show it.
    void HumanMenu_Click();
    void CarMenu_Click();
    void TruckMenu_Click();
    void PolicecarMenu_Click();
    void BuildingMenu_Click();
    void DoorMenu_Click();
    void ThingsMenu_Click();
    void LightMenu_Click();
    void OtherMenu_Click();
    void InvisibleWallMenu_Click();
    // The preset step every entry runs: the selected object's values into the
    // insert window.
    void PresetInsertForm();
    // Milliseconds the deletion waits, events running, before it writes
    // (tests set 0).
    int deletePauseMs = 500;
    void ADDinMenu_Click();
    // "&ADDin" with `chosen` in place of the open dialog's answer (a dropped
    // file); empty: the dialog asks.
    void applyAddin(const QString& chosen);
    void InfoMenu_Click();

    void Option1_Click();
    void Option2_Click();
    void Option3_Click();
    void List1_Click();
    void List3_Click();
    void search_Click(int Index); // 1: List2, 2: List1, 3: List3
    void search2_Click();

    // The mouse pointer over the program: hourglass while a file is worked on.
    void showHourglass();
    void showNormalPointer();

    // ---- Menus.
    QMenu* FileMenu;
    QAction* LoadMenu;
    QAction* ReloadMenu;
    QAction* SaveMenu;
    QAction* ExitMenu;
    QMenu* EditMenu;
    QAction* UndoMenu;
    QAction* RedoMenu;
    QAction* FindListMenu;
    QMenu* ViewMenu;
    QAction* ShowMap;   // shows the map tab beside the script listing
    QAction* ShowLinks; // draws the script links on the map
    QMenu* InsertMenu;
    QAction* HumanMenu;
    QAction* CarMenu;
    QAction* TruckMenu;
    QAction* PolicecarMenu;
    QAction* BuildingMenu;
    QAction* DoorMenu;
    QAction* ThingsMenu;
    QAction* LightMenu;
    QAction* OtherMenu;
    QAction* InvisibleWallMenu;
    QAction* ADDinMenu;
    QAction* InfoMenu;

    // ---- Entry lists and their searches.
    QRadioButton* Option1; // "All": List2 in front
    QRadioButton* Option2; // "Scripts": Frame6 in front
    QRadioButton* Option3; // "Things": Frame7 in front
    EntryListView* List2;  // every entry, ticked when it has a script
    QGroupBox* Frame6;
    EntryListView* List1; // the ticked entries
    QLineEdit* Text18;
    QGroupBox* Frame7;
    EntryListView* List3; // the unticked entries
    QLineEdit* Text19;
    ControlArray<QPushButton> search; // 1: List2, 2: List1, 3: List3

    // ---- The panels; the members below point at their controls.
    ValuePanel* valuePanel;
    ScriptPanel* scriptPanel;

    // ---- Script editor and script listing.
    QPlainTextEdit* Text1;
    ControlArray<QLineEdit>
        Text2; // 1, 3: search texts; 5, 7: lengths; 8, 9, 10: captions; 12: model
    QPushButton* SaveScript;
    ListingView* RichTextBox1; // the script listing, a view over its bytes
    QPushButton* search2;
    QCheckBox* Check1;
    // The listing and, when ShowMap is ticked, the map as tabs.
    QTabWidget* listingTabs = nullptr;
    MapView* mapView = nullptr; // the scene from above

    // ---- Status line.
    QLabel* Status;
    QLabel* Label4;    // path of the open file
    QLineEdit* Text24; // number of definition names

    // ---- Value panel.
    QLineEdit* Text17; // entry name
    QGroupBox* Frame2; // shown for entries listed by name only
    QLineEdit* Text5;
    QLineEdit* Text6;
    QLineEdit* Text7;
    QLineEdit* Text8;
    QLineEdit* Text9;
    QLineEdit* Text10;
    QLineEdit* Text3;            // q0
    QLineEdit* Text4;            // q2
    QLineEdit* Text11;           // vertical angle in degrees
    QLineEdit* Text12;           // q3
    QSlider* Slider1;            // horizontal dial
    QSlider* Slider2;            // vertical dial
    RotationDialView* Shape1;    // horizontal dial figure: Line7, Line9 .. Line12
    RotationDialView* Shape2;    // vertical dial figure: Line1 .. Line5
    ControlArray<QLabel> Label3; // 0: "Vert"; 1, 2: captions in Frame1
    QLabel* Label30;             // "Horz"
    QPushButton* SaveValue;
    QPushButton* Command1; // "Delete"
    QLabel* Label1;        // "SAVED"

    QGroupBox* Frame3; // light
    QLineEdit* Text20; // brightness
    QSlider* Slider3;
    QSlider* Slider4;
    QSlider* Slider5;
    QLineEdit* Text14;
    QLineEdit* Text15;
    QLineEdit* Text16;
    QLabel* Label9;               // "Red"
    ControlArray<QLabel> Label11; // 0: "Green"
    QLabel* Label14;              // "Blue"
    QLabel* Picture4;             // colour swatch
    ColourSliders* lightColours;  // Slider3 .. Slider5, Text14 .. Text16 and Picture4

    QGroupBox* Frame8;  // thing
    QLineEdit* Text13;  // weight
    SoundCombo* Combo1; // sound, item data = code

    QGroupBox* Frame9;      // human
    QLineEdit* Text21;      // weight
    QLineEdit* Text22;      // aggression
    QLineEdit* Text23;      // sex
    BehaviourCombo* Combo3; // behaviour, item data = code

    // ---- Loading panel.
    QFrame* Frame1;
    QProgressBar* ProgressBar1;

    insertform* insertWindow = nullptr;
    frmAbout* aboutWindow = nullptr; // made on first use
    // Where the about box reads the registry and starts programs; null: the system's.
    SystemInfoHost* systemInfo = nullptr;
    // The half-second pauses of an add-in run, in milliseconds.
    int addinPauseMs = 500;

signals:
    // A re-index has finished and the lists show the file.
    void indexed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    // A dropped scene2.bin is loaded, a dropped add-in applied.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    // Places the loading panel Frame1 whenever it is shown.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenus();
    void buildViewMenu();
    QWidget* buildListingTabs(QWidget* listing);
    void connectMap();
    bool pickingOnMap_ = false; // a click on the map is selecting its entry
    // Shows the open scene's index in the lists and the position members.
    void showIndexInLists();
    void refreshHistoryActions();
    void displayRowFromCode(int row);
    int rowAfterHistoryStep(const Edit& edit);
    void runHistoryStep(HistoryStepKind kind);
    bool showingFromCode_ = false;
    void buildControls();
    QWidget* buildListPanel();
    QWidget* buildScriptPanel();
    QWidget* buildStatusLine();
    QWidget* buildValuePanel();
    void buildLoadingPanel(QWidget* over);
    void placeLoadingPanel();

    void MDIForm_Load();
    // Keys, the Tab order and drops.
    void setUpDesktop();
    // The open scene's folder, where the file dialogs start; empty: none open.
    QString sceneFolder() const;
    void MDIForm_Resize();
    void openScene(const QString& path);
    void emptyEntryLists();
    void fillEntryLists();
    void connectScriptHandlers();
    void connectNavigation();
    void showScriptListing(ListingText listing);
    void connectInsertAndDelete();
    void connectValueHandlers();
    bool valueEditAllowed() const;
    void markValueEdit(QWidget* marked);

    Dialogs& dialogs_;
    bool hourglass_ = false;
    int blockedDepth_ = 0;
    bool checkLoadedFile_ = false; // the next FindModels runs the whole-file check
    bool closeAfterWork_ = false;
    QTimer* savedNotice_ = nullptr;
};
