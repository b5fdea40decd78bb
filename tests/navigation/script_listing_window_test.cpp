#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <string_view>

#include "colours.h"
#include "listing_view.h"
#include "navigation_fixture.h"
#include "script_codec.h"

namespace {

using navigation::scripted;

const std::string kTom = "dim_act 1\r\nfindactor 1, \"Tom\"\r\nend\r\n";
const std::string kShade = "wait 100\r\nend\r\n";
const std::string kLong = "act_setstate 1, active\r\n";
const std::string kInit = "dim_flt 3\r\nend\r\n";
const std::string kName40 = "LampPostsWithAVeryLongNameOfFortyLetters";
const std::string kName44 = "GameInitsWithAVeryLongNameOfFortyFourLetters";

// Objects "Tom" (17 stars), "Box" (no script), "Lampshade" (14 stars), a
// 40-letter name (a negative count: the 14 stars again); init scripts
// "GameInit" (18 stars) and a 44-letter name (no stars).
std::vector<std::uint8_t> listingScene(const std::string& tomScript = kTom) {
    return mini::scene(
        [](SceneWriter& w) {
            for (const std::string& name :
                 {std::string("Tom"), std::string("Box"), std::string("Lampshade"), kName40})
                mini::object(w, name);
        },
        [&](SceneWriter& w) {
            scripted(w, "Tom", tomScript);
            mini::definition(w, "Box", 4, navigation::kValues);
            scripted(w, "Lampshade", kShade);
            scripted(w, kName40, kLong);
        },
        [](SceneWriter& w) {
            mini::initScript(w, "GameInit", kInit);
            mini::initScript(w, kName44, kInit);
        });
}

QString entry(int stars, const std::string& name, const std::string& text) {
    const QString starText(stars, '*');
    return "\n\n" + starText + " -- " + QString::fromStdString(name) + " -- " + starText + "\n" +
           QString::fromStdString(text).replace("\r\n", "\n");
}

QString expectedListing(const std::string& tomScript = kTom) {
    return entry(17, "Tom", tomScript) + entry(14, "Lampshade", kShade) +
           entry(14, kName40, kLong) + entry(18, "GameInit", kInit) + entry(0, kName44, kInit);
}

ListingView* listingBox(const QObject& window) {
    return control<ListingView>(window, "RichTextBox1");
}

TEST_F(Navigation, ListingShowsEveryScriptUnderItsStarredName) {
    ASSERT_EQ(kName40.size(), 40u);
    ASSERT_EQ(kName44.size(), 44u);
    QFont large = listingBox(window)->font();
    large.setPointSize(14);
    large.setBold(true);
    listingBox(window)->setFont(large);

    loadScene(listingScene());
    EXPECT_EQ(listingBox(window)->toPlainText(), expectedListing());
    EXPECT_EQ(listingBox(window)->font().pointSize(), 8);
    EXPECT_FALSE(listingBox(window)->font().bold());
    auto* status = control<QLabel>(window, "Status");
    EXPECT_EQ(status->text(), " ---- Ready ---- ");
    EXPECT_EQ(foreColour(status), StatusGreen);
    EXPECT_FALSE(window.VFL_Blocked);
}

TEST_F(Navigation, ListingIsRebuiltOnlyWhileCheck1IsTicked) {
    loadScene(listingScene());
    ASSERT_EQ(listingBox(window)->toPlainText(), expectedListing());
    auto* check1 = control<QCheckBox>(window, "Check1");
    ASSERT_TRUE(check1->isChecked());

    const std::string changed = "dim_act 2\r\nend\r\n";
    writeScene(dir, listingScene(changed));
    QTest::mouseClick(check1, Qt::LeftButton);
    ASSERT_FALSE(check1->isChecked());
    window.RefreshAll = -1;
    ASSERT_TRUE(window.FindModels());
    EXPECT_EQ(listingBox(window)->toPlainText(), "");

    QTest::mouseClick(check1, Qt::LeftButton);
    ASSERT_TRUE(check1->isChecked());
    window.RefreshAll = -1;
    ASSERT_TRUE(window.FindModels());
    EXPECT_EQ(listingBox(window)->toPlainText(), expectedListing(changed));
    EXPECT_FALSE(window.VFL_Blocked);
}

// Walks the shown listing along the scene's scripts: each under a line of
// equal star runs around " -- name -- ", with its text after it.
void expectListingOf(const GeneratedScene& scene, const QString& shown) {
    qsizetype at = 0;
    std::size_t entries = 0;
    auto expectEntry = [&](const std::string& name, std::size_t textPos, std::size_t length) {
        ++entries;
        ASSERT_EQ(shown.mid(at, 2), "\n\n") << name;
        at += 2;
        const qsizetype lineEnd = shown.indexOf('\n', at);
        ASSERT_GE(lineEnd, 0) << name;
        const QString line = shown.mid(at, lineEnd - at);
        const QString mark = " -- " + QString::fromUtf8(cp1252ToUtf8(name)) + " -- ";
        const qsizetype markAt = line.indexOf(mark);
        ASSERT_GE(markAt, 0) << line.toStdString();
        const QString stars = line.left(markAt);
        EXPECT_EQ(stars.count('*'), stars.size()) << name;
        EXPECT_EQ(line.mid(markAt + mark.size()), stars) << name;
        at = lineEnd + 1;
        const std::string_view bytes(reinterpret_cast<const char*>(scene.bytes.data()) + textPos,
                                     length);
        const QString text = QString::fromUtf8(scriptBytesToEditorText(bytes));
        ASSERT_EQ(shown.mid(at, text.size()), text) << name;
        at += text.size();
    };
    for (const GeneratedObject& object : scene.objects)
        if (object.script == ScriptState::Present)
            expectEntry(object.name, object.scriptOffset + 4, object.scriptLength);
    for (const GeneratedInitScript& init : scene.initScripts)
        expectEntry(init.name, init.textOffset, init.textLength);
    EXPECT_GT(entries, 0u);
    EXPECT_EQ(at, shown.size());
}

TEST_F(Navigation, ListingOfAGeneratedSceneHoldsEveryScript) {
    const GeneratedScene scene = sampleScene(60, 11);
    loadScene(scene.bytes);
    expectListingOf(scene, listingBox(window)->toPlainText());
}

TEST_F(Navigation, ListingOfTwentyThousandEntriesIsBuiltInOnePass) {
    const GeneratedScene scene = sampleScene(20000, 3);
    QElapsedTimer clock;
    clock.start();
    loadScene(scene.bytes);
    const qint64 elapsed = clock.elapsed();
    RecordProperty("load_with_listing_ms", int(elapsed));
    expectListingOf(scene, listingBox(window)->toPlainText());
    // Generous even for a slow machine; a listing built entry by entry in the
    // box takes far longer.
    EXPECT_LT(elapsed, 20000);
}

} // namespace
