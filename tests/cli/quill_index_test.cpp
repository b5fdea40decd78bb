#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string_view>
#include <utility>

#include "json_text.h"
#include "mini_scene.h"
#include "minimal_scene.h"
#include "quill_runner.h"
#include "scene_generator.h"

namespace {
namespace fs = std::filesystem;

std::string writeTemp(const std::vector<std::uint8_t>& b, const std::string& name) {
    const fs::path p = fs::temp_directory_path() / ("quill_index_test_" + name);
    std::ofstream(p, std::ios::binary)
        .write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
    return p.string();
}

TEST(QuillIndex, JsonCarriesNamesFloatsAndNulls) {
    const std::string name = "Caf\xE9\x80\"q\\\x81\x7F";
    const auto b = mini::scene([&](SceneWriter& w) {
        mini::object(w, name, 2, [](SceneWriter& w) {
            w.beginChunk(0x4040);
            w.chunkFloats(0x0026, {0.1f, NAN, -INFINITY});
            w.endChunk();
        });
        mini::object(w, "t\tx\r\x01\n");
        mini::object(w, "say \"hi\"");
        mini::object(w, "back\\slash");
    });
    const QuillRun r = quill({"index", "--json", writeTemp(b, "json.bin")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("\"name\":\"Caf\xC3\xA9\xE2\x82\xAC\\\"q\\\\\xC2\x81\x7F\""),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("{\"index\":1,\"name\":\"t\\t"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"name_only\":false,\"kind\":255,\"record_pos\":"), std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("\"name\":\"t\\tx\\r\\u0001\\n\""), std::string::npos)
        << "control bytes as Trellis writes them";
    EXPECT_NE(r.out.find("\"name\":\"say \\\"hi\\\"\","), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"name\":\"back\\\\slash\","), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"colour\":[0.1,\"nan\",\"-inf\"]"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"translation\":[1.5,-2,3.25]"), std::string::npos);
    EXPECT_NE(r.out.find("\"brightness\":null"), std::string::npos);
    EXPECT_NE(r.out.find("\"GesamtL\xC3\xA4ngeScriptPos\":null"), std::string::npos);
    EXPECT_NE(r.out.find("\"MerkePosGameInit\":5"), std::string::npos);
    EXPECT_NE(r.out.find("\"record_pos\":12,"), std::string::npos);
}

// The pieces the JSON is written with, against texts written out here: every
// digit count of a position, and the UTF-8 of Windows-1252 bytes.
TEST(QuillIndex, NumbersAndNamesAsJsonText) {
    const std::pair<std::uint32_t, std::string_view> numbers[] = {
        {0, "0"},
        {7, "7"},
        {10, "10"},
        {99, "99"},
        {100, "100"},
        {909, "909"},
        {1000, "1000"},
        {65535, "65535"},
        {100001, "100001"},
        {9999999, "9999999"},
        {10000000, "10000000"},
        {123456789, "123456789"},
        {999999999, "999999999"},
        {1000000000, "1000000000"},
        {4294967295u, "4294967295"},
    };
    for (const auto& [value, text] : numbers) {
        char buf[16];
        EXPECT_EQ(std::string_view(buf, writeJsonUnsigned(buf, value)), text) << value;
    }
    const std::pair<std::string_view, std::string_view> names[] = {
        {"", "\"\""},
        {"Tommy", "\"Tommy\""},
        {"a\"b", "\"a\\\"b\""},
        {"a\\b", "\"a\\\\b\""},
        {"\x1f\x7f", "\"\\u001f\x7f\""},
        {"x\x10", "\"x\\u0010\""},
        {"\x80\x81\x9f\xa0\xe9\xff", "\"\xE2\x82\xAC\xC2\x81\xC5\xB8\xC2\xA0\xC3\xA9\xC3\xBF\""},
        {"\x99x\x8c", "\"\xE2\x84\xA2x\xC5\x92\""},
    };
    for (const auto& [bytes, text] : names) {
        std::string buf(jsonTextRoom(bytes.size()), '?');
        EXPECT_EQ(std::string_view(buf.data(), writeJsonText(buf.data(), bytes)), text) << bytes;
        EXPECT_EQ(jsonText(bytes), text) << bytes;
    }
}

// Enough objects that the output passes through its buffer several times.
TEST(QuillIndex, FloatsReadBackBitForBit) {
    const auto g = generateScene({11, 300, std::nullopt});
    const QuillRun r = quill({"index", "--json", writeTemp(g.bytes, "floats.bin")});
    ASSERT_EQ(r.status, 0);
    ASSERT_GT(r.out.size(), std::size_t{2} << 16);
    EXPECT_EQ(r.out.substr(r.out.size() - 4), "}]}\n");
    std::size_t entries = 0; // each entry follows the one before, none lost or doubled
    for (std::size_t at = 0; (at = r.out.find("{\"index\":", at)) != std::string::npos; ++at) {
        const std::string number = std::to_string(entries++) + ",";
        EXPECT_EQ(r.out.compare(at + 9, number.size(), number), 0) << number;
        EXPECT_EQ(r.out[at - 1], entries == 1 ? '[' : ',') << number;
    }
    EXPECT_EQ(r.out.find(",}"), std::string::npos);
    EXPECT_EQ(r.out.find(",]"), std::string::npos);
    EXPECT_EQ(entries, g.objects.size() + g.initScripts.size());
    // Every placement value, in order: the same values recur across a
    // scene, and each must come out as its own text.
    std::size_t at = 0;
    std::size_t checked = 0;
    const auto readBack = [&](const std::string& key, const float* want, std::size_t n,
                              const std::string& name) {
        at = r.out.find("\"" + key + "\":[", at);
        ASSERT_NE(at, std::string::npos) << name;
        const char* p = r.out.c_str() + at + key.size() + 4;
        for (std::size_t i = 0; i < n; ++i) {
            char* end = nullptr;
            const float x = std::strtof(p, &end);
            ASSERT_NE(end, p) << name << " " << key;
            EXPECT_EQ(std::bit_cast<std::uint32_t>(x), std::bit_cast<std::uint32_t>(want[i]))
                << name << " " << key << "[" << i << "]";
            EXPECT_EQ(*end, i + 1 < n ? ',' : ']') << name;
            p = end + 1;
            ++checked;
        }
    };
    for (const auto& o : g.objects) {
        if (o.nameOnly)
            continue;
        readBack("translation", o.translation.data(), 3, o.name);
        readBack("rotation", o.rotation.data(), 4, o.name);
        readBack("size", o.size.data(), 3, o.name);
    }
    EXPECT_GT(checked, 1000u);
}

TEST(QuillIndex, TextListingAndUnreadableFiles) {
    const auto b = mini::scene([](SceneWriter& w) { mini::object(w, "Tom"); });
    const QuillRun listing = quill({"index", writeTemp(b, "text.bin")});
    EXPECT_EQ(listing.out, "0\t[ ]\t255\tTom\n");

    const QuillRun missing = quill({"index", "--json", "/nonexistent/scene2.bin"});
    EXPECT_EQ(missing.status, 2);
    EXPECT_TRUE(missing.out.empty());
    EXPECT_NE(missing.err.find("/nonexistent/scene2.bin"), std::string::npos);
    EXPECT_EQ(std::count(missing.err.begin(), missing.err.end(), '\n'), 1);

#ifndef _WIN32
    // It reports size 0, yet holds text: all of it is read (and lists nothing).
    const QuillRun unsized = quill({"index", "--json", "/proc/self/status"});
    EXPECT_EQ(unsized.status, 0) << unsized.err;
    EXPECT_EQ(unsized.out.rfind("{\"file_length\":", 0), 0u) << unsized.out;
    EXPECT_EQ(unsized.out.find("{\"file_length\":0,"), std::string::npos) << unsized.out;
#endif
}

// A file system call that throws ends the command with a message, not an abort.
TEST(QuillUsage, FileSystemFailuresAreMessages) {
    const QuillRun r = quill({"addin", "apply", "", "x.qxa"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err.rfind("quill: cannot make absolute path: ", 0), 0u) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
}

TEST(QuillUsage, HelpAndVersionGoToStandardOutputAndWrongCallsToStandardError) {
    // The usage is checked at its start and end, the version line whole.
    const struct {
        const char* arg;
        std::string start, end;
    } answers[] = {
        {"--help", "usage: quill index", "ENTRY is a list index or an exact entry name.\n"},
        {"-h", "usage: quill index", "ENTRY is a list index or an exact entry name.\n"},
        {"--version", "quill 4.01\n", "quill 4.01\n"},
    };
    for (const auto& a : answers) {
        const QuillRun r = quill({a.arg});
        EXPECT_EQ(r.status, 0) << a.arg;
        EXPECT_EQ(r.out.rfind(a.start, 0), 0u) << r.out;
        ASSERT_GE(r.out.size(), a.end.size());
        EXPECT_EQ(r.out.substr(r.out.size() - a.end.size()), a.end) << r.out;
        EXPECT_EQ(r.err, "");
    }
    // Readable files, so that a call taken as valid would succeed.
    const std::string scene =
        writeTemp(mini::scene([](SceneWriter& w) { mini::object(w, "a"); }), "usage.bin");
    const std::string other =
        writeTemp(mini::scene([](SceneWriter& w) { mini::object(w, "b"); }), "usage2.bin");
    for (const std::vector<std::string>& wrong :
         {std::vector<std::string>{},
          {"index"},
          {"frobnicate", "x"},
          {"--help", "index"},
          {"--version", "index"},
          {"version"},
          {"index", scene, other},
          {"index", "--json", scene, other},
          {"addin", "apply", scene, other, "extra"},
          {"addin", "apply", scene, other, "--yes", "extra"},
          {"addin", "apply", scene}}) {
        const QuillRun r = quill(wrong);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err.rfind("usage: quill", 0), 0u) << r.err;
    }
    fs::remove(scene);
    fs::remove(other);
}

TEST(QuillVerify, ReportsOkOrProblemsWithExitStatus) {
    auto b = mini::scene([](SceneWriter& w) { mini::object(w, "Tom"); });
    const QuillRun good = quill({"verify", writeTemp(b, "good.bin")});
    EXPECT_EQ(good.status, 0);
    EXPECT_EQ(good.out.rfind("ok", 0), 0u);
    b[2] ^= 1;
    const QuillRun bad = quill({"verify", writeTemp(b, "bad.bin")});
    EXPECT_EQ(bad.status, 1);
    EXPECT_EQ(bad.out.rfind("2: ", 0), 0u) << bad.out;

    const MinimalScene many = minimalRecordScene(MinimalRecords::InitScripts, 1002 * 6);
    const QuillRun counted = quill({"verify", writeTemp(many.bytes, "many.bin")});
    EXPECT_EQ(counted.status, 1);
    EXPECT_EQ(std::count(counted.out.begin(), counted.out.end(), '\n'), 1001);
    const std::string last = "6006: record 0xAE51 lies outside its section\n"
                             "... and 2 more problems\n";
    ASSERT_GE(counted.out.size(), last.size());
    EXPECT_EQ(counted.out.substr(counted.out.size() - last.size()), last);
}
} // namespace
