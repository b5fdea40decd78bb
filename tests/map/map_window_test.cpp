// The map in the main window: marks follow the open scene and the selection,
// a click on a mark selects its entry as a click on List2 does.
#include <QAction>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QWheelEvent>

#include "listing_view.h"
#include "map_scene.h"
#include "map_view.h"
#include "window_fixture.h"

namespace {

class MapWindow : public SceneWindow {
protected:
    void SetUp() override {
        SceneWindow::SetUp();
        showMap();
    }
    void showMap() {
        chooseMenu(window, "&View", "&Map");
        ASSERT_TRUE(control<QAction>(window, "ShowMap")->isChecked());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(map()));
    }
    MapView* map() { return control<MapView>(window, "MapView"); }
    QPoint screenOf(int entry) {
        const MapMark* mark = map()->grid().markOf(std::size_t(entry));
        EXPECT_NE(mark, nullptr) << entry;
        return mark ? map()->toScreen(mark->x, mark->z).toPoint() : QPoint();
    }
    void clickMark(int entry) {
        map()->centreOn(entry);
        QTest::mouseClick(map(), Qt::LeftButton, {}, screenOf(entry));
    }
    int placedRow(bool ticked, int after = -1) {
        for (int row = after + 1; row < window.MerkePosGameInit; ++row)
            if (map()->grid().markOf(std::size_t(row)) && rowTicked(list("List2"), row) == ticked)
                return row;
        return -1;
    }
    void saveTranslation(int row, const QString& x, const QString& z) {
        clickRow(list("List2"), row);
        for (auto [box, text] : {std::pair{window.Text5, x}, std::pair{window.Text7, z}}) {
            QTest::mouseClick(box, Qt::LeftButton);
            box->selectAll();
            QTest::keyClicks(box, text);
        }
        QTest::mouseClick(window.SaveValue, Qt::LeftButton);
    }
};

} // namespace

TEST_F(MapWindow, ShowMapAddsAndRemovesTheTabBesideTheListing) {
    auto* tabs = control<QTabWidget>(window, "ListingTabs");
    ASSERT_EQ(tabs->count(), 2);
    EXPECT_EQ(tabs->currentWidget(), map());
    EXPECT_EQ(tabs->widget(0), window.RichTextBox1);
    EXPECT_EQ(tabs->tabText(1), "Map");
    chooseMenu(window, "&View", "&Map");
    EXPECT_FALSE(control<QAction>(window, "ShowMap")->isChecked());
    EXPECT_EQ(tabs->count(), 1);
    EXPECT_FALSE(map()->isVisible());
    EXPECT_TRUE(window.RichTextBox1->isVisible());
}

TEST_F(MapWindow, EveryPlacedObjectIsAMarkAndNothingElse) {
    std::size_t placed = 0;
    for (int row = 0; row < rowCount(list("List2")); ++row) {
        const IndexRecord& record = window.sceneIndex.entries[std::size_t(row)];
        const bool expected =
            row < window.MerkePosGameInit && !record.nameOnly && record.translation.has_value();
        const MapMark* mark = map()->grid().markOf(std::size_t(row));
        ASSERT_EQ(mark != nullptr, expected) << row;
        if (!mark)
            continue;
        ++placed;
        EXPECT_EQ(mark->x, (*record.translation)[0].value());
        EXPECT_EQ(mark->z, (*record.translation)[2].value());
        EXPECT_EQ(mark->ticked, rowTicked(list("List2"), row));
    }
    EXPECT_EQ(map()->grid().marks().size(), placed);
    EXPECT_GT(placed, 20u);
}

TEST_F(MapWindow, ClickingAMarkSelectsItsEntryAndTheListCentresTheMark) {
    const int row = placedRow(false);
    ASSERT_GE(row, 0);
    clickMark(row);
    EXPECT_EQ(currentRow(list("List2")), row);
    EXPECT_EQ(window.Text17->text(), rowText(list("List2"), row));

    const int other = placedRow(true);
    ASSERT_GE(other, 0);
    clickRow(list("List2"), other);
    const QPointF middle(map()->width() / 2.0, map()->height() / 2.0);
    EXPECT_EQ(screenOf(other), middle.toPoint());
    EXPECT_EQ(map()->entryAt(middle), other);
    // While the window works a click on a mark selects nothing.
    window.VFL_Blocked = true;
    clickMark(row);
    window.VFL_Blocked = false;
    EXPECT_EQ(currentRow(list("List2")), other);
}

TEST_F(MapWindow, AMarkClickedAwayFromUnsavedValuesAsksFirstAndCancelStays) {
    const int row = placedRow(false);
    const int other = placedRow(false, row);
    ASSERT_GE(other, 0);
    clickRow(list("List2"), row);
    QTest::mouseClick(window.Text5, Qt::LeftButton);
    QTest::keyClicks(window.Text5, "7");
    ASSERT_TRUE(window.FlagValueSave);
    dialogs.threeWayAnswers.push_back(Dialogs::Answer::Cancel);
    clickMark(other);
    ASSERT_EQ(dialogs.questions().size(), 1u);
    EXPECT_EQ(dialogs.questions()[0].text, "Save values?");
    EXPECT_EQ(currentRow(list("List2")), row);
    EXPECT_EQ(fileBytes(path), scene.bytes);
}

TEST_F(MapWindow, AValueSaveMovesTheMarkAndUndoMovesItBack) {
    const int row = placedRow(false);
    ASSERT_GE(row, 0);
    const MapMark before = *map()->grid().markOf(std::size_t(row));
    saveTranslation(row, "123.5", "-77.25");
    const MapMark* moved = map()->grid().markOf(std::size_t(row));
    ASSERT_NE(moved, nullptr);
    EXPECT_EQ(moved->x, 123.5f);
    EXPECT_EQ(moved->z, -77.25f);
    chooseMenu(window, "&Edit", "&Undo Save values - " + rowText(list("List2"), row));
    const MapMark* back = map()->grid().markOf(std::size_t(row));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->x, before.x);
    EXPECT_EQ(back->z, before.z);
}

TEST_F(MapWindow, InsertionAddsAMarkAndDeletionRemovesOne) {
    const std::size_t marks = map()->grid().marks().size();
    int row = placedRow(false);
    while (row >= 0 && window.sceneIndex.entries[std::size_t(row)].model.value_or("").empty())
        row = placedRow(false, row);
    ASSERT_GE(row, 0) << "an object with a model, for the car to copy";
    clickRow(list("List2"), row);
    window.CarMenu_Click();
    form().Text1->setText("Map car");
    form().Text2->setText("321");
    form().Text4->setText("-654");
    QTest::mouseClick(form().insert, Qt::LeftButton);
    ASSERT_EQ(map()->grid().marks().size(), marks + 1);
    const int added = currentRow(list("List2"));
    ASSERT_EQ(currentText(list("List2")), "Map car");
    const MapMark* mark = map()->grid().markOf(std::size_t(added));
    ASSERT_NE(mark, nullptr);
    EXPECT_EQ(mark->x, 321.0f);
    EXPECT_EQ(mark->z, -654.0f);
    EXPECT_EQ(mark->kind, MarkKind::Car);

    dialogs.yesNoAnswers.push_back(true);
    QTest::mouseClick(window.Command1, Qt::LeftButton);
    EXPECT_EQ(map()->grid().marks().size(), marks);
    for (const MapMark& m : map()->grid().marks())
        EXPECT_FALSE(m.x == 321.0f && m.z == -654.0f) << "the deleted car's mark is gone";
}

class MapLinks : public LoadFixture {
protected:
    void SetUp() override {
        LoadFixture::SetUp();
        window.Check1->setChecked(false);
        load(writeScene(dir, mapscene::bytes()));
        ASSERT_EQ(rowCount(list("List2")), 8);
        chooseMenu(window, "&View", "&Map");
    }
    MapView* map() { return control<MapView>(window, "MapView"); }
};

TEST_F(MapLinks, TheOverlayDrawsOneArrowPerLink) {
    map()->grab();
    EXPECT_TRUE(map()->drawnArrows().empty()) << "no arrows until asked for";
    chooseMenu(window, "&View", "Script &links on the map");
    map()->fitAll();
    map()->grab();
    using Arrow = std::pair<std::size_t, std::size_t>;
    // Guard -> Gate, Guard -> Lamp, Gate -> Guard.
    EXPECT_EQ(map()->drawnArrows(), (std::vector<Arrow>{{0, 1}, {0, 2}, {1, 0}}));
    EXPECT_EQ(map()->marksInView(), 6);
    EXPECT_EQ(map()->drawnMarks(), 6);
    chooseMenu(window, "&View", "Script &links on the map");
    map()->grab();
    EXPECT_TRUE(map()->drawnArrows().empty());
}

TEST_F(MapLinks, FitShowsEveryMarkAndTheScaleBarIsARoundLength) {
    map()->fitAll();
    for (const MapMark& mark : map()->grid().marks()) {
        const QPointF at = map()->toScreen(mark.x, mark.z);
        EXPECT_TRUE(QRectF(map()->rect()).contains(at)) << mark.entry;
    }
    // The scene spans 80 units across and 75 up.
    const double units = map()->scaleBarUnits();
    EXPECT_LE(units * map()->pixelsPerUnit(), 100.0);
    EXPECT_GT(units * map()->pixelsPerUnit(), 20.0);
    const double mantissa = units / std::pow(10.0, std::floor(std::log10(units)));
    EXPECT_TRUE(mantissa == 1 || mantissa == 2 || mantissa == 5) << units;
}

TEST_F(MapLinks, TheWheelZoomsAtThePointer) {
    map()->fitAll();
    // Gate, away from the middle in both directions.
    const QPointF gate = map()->toScreen(-30, 5);
    const double scale = map()->pixelsPerUnit();
    QWheelEvent wheel(gate, map()->mapToGlobal(gate), {}, {0, 240}, Qt::NoButton, {},
                      Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(map(), &wheel);
    EXPECT_DOUBLE_EQ(map()->pixelsPerUnit(), scale * 1.25 * 1.25);
    EXPECT_NEAR(map()->toScreen(-30, 5).x(), gate.x(), 1e-6);
    EXPECT_NEAR(map()->toScreen(-30, 5).y(), gate.y(), 1e-6);
    QTest::keyClick(map(), Qt::Key_F);
    EXPECT_DOUBLE_EQ(map()->pixelsPerUnit(), scale);
}

TEST_F(MapLinks, DraggingPansAndIsNoClick) {
    map()->fitAll();
    const QPointF guard = map()->toScreen(10, 20);
    const QPoint from = guard.toPoint();
    QTest::mousePress(map(), Qt::LeftButton, {}, from);
    QTest::mouseMove(map(), from + QPoint(10, 0));
    QTest::mouseMove(map(), from + QPoint(30, 15));
    QTest::mouseRelease(map(), Qt::LeftButton, {}, from + QPoint(30, 15));
    EXPECT_NEAR(map()->toScreen(10, 20).x(), guard.x() + 30, 1e-6);
    EXPECT_NEAR(map()->toScreen(10, 20).y(), guard.y() + 15, 1e-6);
    EXPECT_NE(currentRow(list("List2")), 0) << "a drag selects nothing";
}

// Zoomed far out every mark falls within a pixel: the squares of the level
// of detail are fixed to the screen, so the cluster touches at most four of
// them, and one mark is drawn for each; the others are only counted.
TEST_F(MapLinks, ZoomedFarOutOneMarkStandsForAllInItsSquare) {
    map()->fitAll();
    map()->grab();
    EXPECT_EQ(map()->drawnMarks(), 6);
    for (int press = 0; press < 30; ++press)
        QTest::keyClick(map(), Qt::Key_Minus);
    ASSERT_LT(80 * map()->pixelsPerUnit(), 1.0);
    map()->grab();
    EXPECT_EQ(map()->marksInView(), 6);
    EXPECT_GE(map()->drawnMarks(), 1);
    EXPECT_LE(map()->drawnMarks(), 4);
}

// Shown for the first time, the map is fitted to the size it is shown at.
TEST_F(MapLinks, ShownTheMapFitsTheWholeScene) {
    QCoreApplication::processEvents();
    const double shown = map()->pixelsPerUnit();
    map()->fitAll();
    EXPECT_DOUBLE_EQ(map()->pixelsPerUnit(), shown);
}
