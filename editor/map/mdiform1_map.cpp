#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>

#include "entry_list.h"
#include "layout_support.h"
#include "listing_view.h"
#include "map_view.h"
#include "mdiform1.h"

namespace {
const QString ListingTab = "Listing";
const QString MapTab = "Map";
} // namespace

void MDIForm1::buildViewMenu() {
    ViewMenu = named(menuBar()->addMenu("&View"), "ViewMenu");
    ShowMap = menuItem(ViewMenu, "&Map", "ShowMap");
    ShowMap->setCheckable(true);
    ShowMap->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_M));
    ShowMap->setToolTip("Shows the scene from above in a tab beside the script listing");
    ShowLinks = menuItem(ViewMenu, "Script &links on the map", "ShowLinks");
    ShowLinks->setCheckable(true);
    ShowLinks->setToolTip("Arrows from each script's owner to the actors it switches");
}

// The listing keeps its place; the map, when shown, is a second tab beside
// it. With one tab the tab bar hides, so the listing looks as it always did.
QWidget* MDIForm1::buildListingTabs(QWidget* listing) {
    listingTabs = named(new QTabWidget, "ListingTabs");
    listingTabs->setTabBarAutoHide(true);
    listingTabs->setDocumentMode(true);
    listingTabs->addTab(listing, ListingTab);
    listingTabs->setToolTip("The script listing and, through View > Map, the map of the scene");
    // The tab bar's own scroll buttons say what they do, like every control.
    for (QToolButton* scroll : listingTabs->tabBar()->findChildren<QToolButton*>())
        scroll->setToolTip("Shows the tabs that do not fit");
    mapView = new MapView(scene, listingTabs);
    mapView->setCurrentEntry([this] { return List2->currentRow(); });
    mapView->hide();
    return listingTabs;
}

void MDIForm1::connectMap() {
    connect(ShowMap, &QAction::toggled, this, [this](bool show) {
        const int at = listingTabs->indexOf(mapView);
        if (show && at < 0) {
            // The tab may size the view at once or only when laid out.
            mapView->fitWhenSized();
            listingTabs->addTab(mapView, MapTab);
            listingTabs->setCurrentWidget(mapView);
            mapView->fitAll();
        } else if (!show && at >= 0) {
            listingTabs->removeTab(at);
            mapView->hide();
        }
    });
    connect(ShowLinks, &QAction::toggled, mapView, &MapView::setShowLinks);
    // A mark selects its entry the way a click on List2 does, questions and all.
    connect(mapView, &MapView::markClicked, this, [this](int entry) {
        if (VFL_Blocked || entry < 0 || entry >= List2->count())
            return;
        pickingOnMap_ = true;
        List2->setCurrentRow(entry);
        pickingOnMap_ = false;
        mapView->update();
    });
    connect(List2, &EntryListView::currentRowChanged, this, [this](int row) {
        if (!pickingOnMap_)
            mapView->centreOn(row);
        mapView->update();
    });
}
