#include "value_window_fixture.h"

#include "quill_runner.h"
#include "value_save.h"

namespace {

// What the user types, and the same as quill's options.
struct Typed {
    QString t5 = "12.5", t6 = "-3", t7 = "1e2", t8 = "0.75", t9 = "2", t10 = "3.25";
    QString angle = "-45.4";
};

TEST_F(ValueWindow, QuillWritesTheBytesTheWindowWrites) {
    const GeneratedScene scene = sampleScene(60, 21);
    open(scene.bytes);
    const QString copy = dir.filePath("copy.bin");
    ASSERT_TRUE(QFile::copy(path, copy));

    std::map<std::uint8_t, int> firstOfKind;
    for (std::size_t i = 0; i < window.sceneIndex.entries.size(); ++i) {
        const IndexRecord& r = window.sceneIndex.entries[i];
        if (r.translationPos && !r.nameOnly && std::int64_t(i) < window.MerkePosGameInit &&
            !firstOfKind.count(r.kind) && r.name != "Zuvav" &&
            (r.kind != HumanKind || r.behaviourPos) && (r.kind != ThingKind || r.soundPos) &&
            (r.kind != LightKind || (r.colourPos && r.brightnessPos)))
            firstOfKind[r.kind] = int(i);
    }
    ASSERT_TRUE(firstOfKind.count(LightKind) && firstOfKind.count(HumanKind) &&
                firstOfKind.count(ThingKind));

    const Typed typed;
    for (const auto& [kind, entry] : firstOfKind) {
        SCOPED_TRACE(int(kind));
        clickEntry(entry);
        typeInto("Text5", typed.t5);
        typeInto("Text6", typed.t6);
        typeInto("Text7", typed.t7);
        typeInto("Text8", typed.t8);
        typeInto("Text9", typed.t9);
        typeInto("Text10", typed.t10);
        typeInto("Text11", typed.angle);
        std::vector<std::string> options = {"--translation", "12.5,-3,1e2",      "--size",
                                            "0.75,2,3.25",   "--vertical-angle", "-45.4"};
        if (kind == LightKind) {
            typeInto("Text20", "4.5");
            moveSlider("Slider3", slider("Slider3")->value() == 10 ? 11 : 10);
            moveSlider("Slider4", 200);
            moveSlider("Slider5", 33);
            const std::string colour = std::to_string(slider("Slider3")->value()) + ",200,33";
            options.insert(options.end(), {"--brightness", "4.5", "--colour", colour});
        } else if (kind == ThingKind) {
            typeInto("Text13", "66.6");
            choose("Combo1", "Wood");
            options.insert(options.end(), {"--weight", "66.6", "--sound", "6"});
        } else if (kind == HumanKind) {
            typeInto("Text22", "0.3");
            typeInto("Text21", "77");
            typeInto("Text23", "29");
            choose("Combo3", "Afraid");
            options.insert(options.end(), {"--aggression", "0.3", "--weight", "77", "--sex", "29",
                                           "--behaviour", "128"});
        }
        clickSaveValue();
        ASSERT_TRUE(dialogs.messages().empty()) << messageTexts().front().toStdString();

        std::vector<std::string> args = {"values", "set", copy.toStdString(),
                                         std::to_string(entry)};
        args.insert(args.end(), options.begin(), options.end());
        const QuillRun run = quill(args);
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(readBytes(copy), onDisk());
    }
    EXPECT_NE(onDisk(), original);
    expectSound(onDisk());
}

} // namespace
