#include <gtest/gtest.h>

#include "addin_fixture.h"
#include "addin_format.h"
#include "mini_json.h"

namespace {
AddinSource minimal() {
    AddinSource s;
    s.title = "T";
    s.mission = "demo";
    return s;
}

std::string refusal(const AddinSource& s) {
    return packAddin(s).error;
}
} // namespace

TEST(AddinPack, RefusesWhatTheFormatCannotHoldNamingTheItem) {
    AddinSource s = minimal();
    s.title = std::string(21, 'x');
    EXPECT_EQ(refusal(s), "The title is 21 characters long; at most 20 fit.");
    s = minimal();
    s.title = std::string(20, 'x');
    EXPECT_EQ(refusal(s), "");
    s.mission = "d\xE2\x82\xAC" + std::string(18, 'x'); // the euro sign is one character
    EXPECT_EQ(refusal(s), "");
    s.mission += "x";
    EXPECT_EQ(refusal(s), "The mission name is 21 characters long; at most 20 fit.");
    s = minimal();
    s.key = "\xE4\xB8\x80"; // a character Windows-1252 lacks
    EXPECT_NE(refusal(s).find("U+4E00"), std::string::npos);

    s = minimal();
    s.patches[1] = std::vector<AddinPatchSource>{{{1}, {}}, {{}, {1}}};
    EXPECT_EQ(refusal(s), "Patch 2 of \"cache\" searches 0 bytes; it must be 1 to 17.");
    (*s.patches[1])[1].search = Bytes(18, 1);
    EXPECT_EQ(refusal(s), "Patch 2 of \"cache\" searches 18 bytes; it must be 1 to 17.");
    (*s.patches[1])[1].search = Bytes(17, 1);
    (*s.patches[1])[1].replacement = Bytes(256, 1);
    EXPECT_EQ(refusal(s), "Patch 2 of \"cache\" replaces with 256 bytes; at most 255 fit.");
    (*s.patches[1])[1].replacement = Bytes(255, 1);
    EXPECT_EQ(refusal(s), "");
    s.patches[2] = std::vector<AddinPatchSource>(256, AddinPatchSource{{1}, {2}});
    EXPECT_EQ(refusal(s), "\"fourds\" has 256 patches; at most 255 fit.");

    s = minimal();
    s.files[1] = {{"../up.wav", {}}};
    EXPECT_NE(refusal(s).find("The file \"../up.wav\" of sounds"), std::string::npos);
    s.files[1] = {{std::string(21, 'n'), {}}};
    EXPECT_NE(refusal(s).find("21 characters long"), std::string::npos);
    s = minimal();
    s.objects = {1};
    EXPECT_EQ(refusal(s), "The key name is empty, but the add-in carries records.");
    s = minimal();
    s.mission.clear();
    EXPECT_EQ(refusal(s), "The mission name is empty.");
}

TEST(AddinPack, HeaderLayout) {
    AddinSource s = minimal();
    s.patches[1] = std::vector<AddinPatchSource>{{{0xAA}, {0xBB, 0xCC}}};
    s.text = "about";
    const Bytes b = packed(s);
    ASSERT_EQ(b.size(), 274u + 276 + 20 + 8 + 5 * 4);
    EXPECT_EQ(std::string(b.begin(), b.begin() + 40),
              "T" + std::string(19, ' ') + "demo" + std::string(16, ' '));
    EXPECT_EQ(Bytes(b.begin() + 40, b.begin() + 48), (Bytes{0, 0, 1, 1, 0, 0, 0, 0}));
    EXPECT_EQ(std::string(b.begin() + 48, b.begin() + 53), "about");
    EXPECT_EQ(Bytes(b.begin() + 274, b.begin() + 278), (Bytes{1, 2, 0xAA, 0}));
    EXPECT_EQ(b[274 + 19], 0xBB);
    EXPECT_EQ(b[274 + 20], 0xCC);
}

class AddinFolder : public AddinGame {};

TEST_F(AddinFolder, FolderPacksLikeTheSourceItDescribes) {
    const fs::path dir = root / "src";
    fs::create_directories(dir / "models");
    fs::create_directories(dir / "tables_en");
    writeBytes(dir / "models" / "b.i3d", {2});
    writeBytes(dir / "models" / "a.i3d", {1});
    writeBytes(dir / "tables_en" / "t.def", {3, 3});
    writeBytes(dir / "obj.bin", {0x10, 0x40, 6, 0, 0, 0});
    const std::string json = R"({"title": "Folder \u00e4", "mission": "demo", "key": "k",
        "objects": "obj.bin",
        "tree": [{"search": "0102 03", "replace": "ff"}], "fourds": []})";
    writeBytes(dir / "addin.json", Bytes(json.begin(), json.end()));
    const FolderRead read = readAddinFolder(dir);
    ASSERT_TRUE(read.source) << read.error;

    AddinSource want;
    want.title = "Folder \xC3\xA4";
    want.mission = "demo";
    want.key = "k";
    want.objects = {0x10, 0x40, 6, 0, 0, 0};
    want.patches[0] = std::vector<AddinPatchSource>{{{1, 2, 3}, {0xFF}}};
    want.patches[2] = std::vector<AddinPatchSource>{};
    want.files[0] = {{"a.i3d", {1}}, {"b.i3d", {2}}};
    want.files[4] = {{"t.def", {3, 3}}};
    EXPECT_EQ(packed(*read.source), packed(want));
}

TEST_F(AddinFolder, MistakesInTheFolderAreNamed) {
    const fs::path dir = root / "src";
    fs::create_directories(dir);
    auto errorFor = [&](const std::string& json) {
        writeBytes(dir / "addin.json", Bytes(json.begin(), json.end()));
        return readAddinFolder(dir).error;
    };
    EXPECT_EQ(errorFor(R"({"mission": "demo", "tre": []})"),
              "addin.json has an unknown item \"tre\".");
    EXPECT_EQ(errorFor(R"({"mission": "demo", "cache": [{"search": "0g", "replace": ""}]})"),
              "Patch 1 of \"cache\"'s search is not hexadecimal bytes.");
    EXPECT_EQ(errorFor(R"({"mission": "demo", "cache": [{"search": "012", "replace": ""}]})"),
              "Patch 1 of \"cache\"'s search has an odd number of hexadecimal digits.");
    EXPECT_NE(errorFor(R"({"mission": "demo", "objects": "missing.bin"})").find("missing.bin"),
              std::string::npos);
    EXPECT_NE(errorFor(R"({"mission": "demo",)").find("line 1"), std::string::npos);
    fs::create_directories(dir / "maps" / "sub");
    EXPECT_NE(errorFor(R"({"mission": "demo"})").find("is not a file"), std::string::npos);
}

TEST_F(AddinFolder, SymbolicLinksInTheFolderAreRefusedNamingTheFile) {
    const fs::path outside = root / "outside";
    fs::create_directories(outside);
    writeBytes(outside / "secret.bin", {0x10, 0x40, 6, 0, 0, 0});
    fs::create_directories(root / "empty");
    const std::string plain = R"({"mission": "demo"})";
    struct Case {
        const char* what;
        std::string json;
        fs::path link, target, named;
    };
    const fs::path dir = root / "src";
    for (const Case& c : {
             Case{"a file of a group", plain, "models/a.i3d", outside / "secret.bin",
                  "models/a.i3d"},
             Case{"a group folder", plain, "sounds", outside, "sounds"},
             Case{"an empty group folder", plain, "maps", root / "empty", "maps"},
             Case{"the records", R"({"mission": "demo", "objects": "obj.bin"})", "obj.bin",
                  outside / "secret.bin", "obj.bin"},
             Case{"a folder on the records' way",
                  R"({"mission": "demo", "objects": "in/secret.bin"})", "in", outside, "in"},
             Case{"addin.json", "", "addin.json", outside / "secret.bin", "addin.json"},
         }) {
        SCOPED_TRACE(c.what);
        fs::remove_all(dir);
        fs::create_directories(dir / "models");
        if (!c.json.empty())
            writeBytes(dir / "addin.json", Bytes(c.json.begin(), c.json.end()));
        fs::create_symlink(c.target, dir / c.link);
        const FolderRead read = readAddinFolder(dir);
        EXPECT_FALSE(read.source);
        EXPECT_NE(read.error.find((dir / c.named).string()), std::string::npos) << read.error;
        EXPECT_NE(read.error.find("symbolic link"), std::string::npos) << read.error;
    }
    fs::remove_all(dir);
    fs::create_directories(dir);
    for (const char* name : {"../outside/secret.bin", "/etc/hostname"}) {
        const std::string json = std::string(R"({"mission": "demo", "objects": ")") + name + "\"}";
        writeBytes(dir / "addin.json", Bytes(json.begin(), json.end()));
        EXPECT_NE(readAddinFolder(dir).error.find("is not inside"), std::string::npos) << name;
    }
}

TEST(MiniJson, ParsesTheValuesAddinJsonUses) {
    const JsonParse p =
        parseJson(R"( {"a": [1, -2.5e1, true, false, null, "x\n\"\u20AC\ud83d\ude00"]} )");
    ASSERT_TRUE(p.value) << p.error;
    const JsonValue* a = p.value->member("a");
    ASSERT_TRUE(a);
    ASSERT_EQ(a->array.size(), 6u);
    EXPECT_EQ(a->array[1].number, -25);
    EXPECT_TRUE(a->array[2].boolean);
    EXPECT_EQ(a->array[5].string, "x\n\"\xE2\x82\xAC\xF0\x9F\x98\x80");
    for (const char* bad : {"", "{", "[1,]", "{\"a\" 1}", "{\"a\":1,\"a\":2}", "\"\\ud800\"", "tru",
                            "1 2", "\"a\nb\""})
        EXPECT_FALSE(parseJson(bad).value) << bad;
    EXPECT_FALSE(parseJson(std::string(1000, '[')).value);
}
