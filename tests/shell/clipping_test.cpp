#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <functional>
#include <map>
#include <set>

#include "frmabout.h"
#include "insertform.h"
#include "load_fixture.h"

namespace {

// The shown controls of `root` whose text does not fit their rectangle, as
// "name: text". Labels that wrap must fit their height; a text box must show
// its whole text; a button its caption.
std::vector<std::string> clippedTexts(const QWidget& root) {
    std::vector<std::string> clipped;
    const auto note = [&clipped](const QWidget* w, const QString& text) {
        clipped.push_back(w->objectName().toStdString() + ": " + text.toStdString());
    };
    for (const QWidget* w : root.findChildren<QWidget*>()) {
        if (!w->isVisibleTo(&root) || w->width() <= 0)
            continue;
        const QFontMetrics metrics = w->fontMetrics();
        if (const auto* label = qobject_cast<const QLabel*>(w)) {
            const QString text = label->text();
            if (text.isEmpty() || label->textFormat() == Qt::RichText)
                continue;
            const QRect inside = label->contentsRect();
            if (label->wordWrap()) {
                if (label->heightForWidth(label->width()) > label->height())
                    note(w, text);
            } else {
                for (const QString& line : text.split('\n'))
                    if (metrics.horizontalAdvance(line) > inside.width())
                        note(w, line);
            }
        } else if (const auto* box = qobject_cast<const QLineEdit*>(w)) {
            // The frame and the box's own margins take about 4 pixels a side.
            const int room = box->width() - (box->hasFrame() ? 8 : 2);
            if (!box->text().isEmpty() && metrics.horizontalAdvance(box->text()) > room)
                note(w, box->text());
        } else if (const auto* button = qobject_cast<const QAbstractButton*>(w)) {
            if (!button->text().isEmpty() && button->sizeHint().width() > button->width() + 1)
                note(w, button->text());
        }
    }
    return clipped;
}

std::string joined(const std::vector<std::string>& items) {
    std::string all;
    for (const std::string& item : items)
        all += "\n  " + item;
    return all;
}

class Clipping : public LoadFixture {
protected:
    void SetUp() override {
        LoadFixture::SetUp();
        load(writeScene(dir, sampleScene(60, 3).bytes));
        ASSERT_GT(rowCount(list("List2")), 0);
    }
};

TEST_F(Clipping, MainWindowShowsEveryTextWhole) {
    // Every entry's values, each kind frame among them.
    std::set<std::string> clipped;
    for (int row = 0; row < rowCount(list("List2")); ++row) {
        clickRow(list("List2"), row);
        for (const std::string& one : clippedTexts(window))
            clipped.insert(one);
    }
    EXPECT_TRUE(clipped.empty()) << joined({clipped.begin(), clipped.end()});
}

TEST_F(Clipping, AboutBoxShowsEveryTextWhole) {
    window.InfoMenu_Click();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.aboutWindow));
    const std::vector<std::string> clipped = clippedTexts(*window.aboutWindow);
    EXPECT_TRUE(clipped.empty()) << joined(clipped);
}

TEST_F(Clipping, InsertWindowShowsEveryTextWholeInEveryCategory) {
    const std::vector<std::pair<const char*, std::function<void()>>> categories = {
        {"human", [this] { window.HumanMenu_Click(); }},
        {"car", [this] { window.CarMenu_Click(); }},
        {"truck", [this] { window.TruckMenu_Click(); }},
        {"policecar", [this] { window.PolicecarMenu_Click(); }},
        {"building", [this] { window.BuildingMenu_Click(); }},
        {"door", [this] { window.DoorMenu_Click(); }},
        {"things", [this] { window.ThingsMenu_Click(); }},
        {"light", [this] { window.LightMenu_Click(); }},
        {"other", [this] { window.OtherMenu_Click(); }},
        {"uwall", [this] { window.InvisibleWallMenu_Click(); }},
    };
    // A rotated object is selected, so the angle box holds a long number.
    for (int row = 0; row < rowCount(list("List2")); ++row) {
        clickRow(list("List2"), row);
        if (window.Text11->text().size() > 8)
            break;
    }
    std::map<QString, int> columnOf;
    for (const auto& [name, choose] : categories) {
        SCOPED_TRACE(name);
        choose();
        insertform& form = *window.insertWindow;
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        // A window manager keeps the size the window had: room to spare.
        form.resize(form.sizeHint().width() + 150, form.height());
        QApplication::processEvents();
        const std::vector<std::string> clipped = clippedTexts(form);
        EXPECT_TRUE(clipped.empty()) << joined(clipped);
        // Every text box keeps its column whatever the category.
        for (const QLineEdit* box : form.findChildren<QLineEdit*>()) {
            if (!box->isVisibleTo(&form))
                continue;
            const int x = box->mapTo(&form, QPoint(0, 0)).x();
            const auto [at, first] = columnOf.emplace(box->objectName(), x);
            EXPECT_EQ(at->second, x) << box->objectName().toStdString() << " moved";
        }
        form.hide();
    }
}

} // namespace
