#include <gtest/gtest.h>

#include "addin_fixture.h"
#include "addin_format.h"

namespace {
ByteView view(const Bytes& b) {
    return ByteView(b.data(), b.size());
}

AddinSource smallSource() {
    AddinSource s;
    s.title = "Small";
    s.mission = "demo";
    s.key = "KeyName";
    s.patches[0] = std::vector<AddinPatchSource>{{{1, 2, 3}, {9, 9}}, {{4}, {}}};
    s.patches[2] = std::vector<AddinPatchSource>{{{5, 6}, Bytes(255, 7)}};
    s.objects = {0x10, 0x40, 6, 0, 0, 0};
    s.definitions = {0x21, 0xAE, 6, 0, 0, 0};
    s.files[0] = {{"a.i3d", {1, 2, 3}}};
    s.files[4] = {{"t.def", {}}, {"u.def", {4}}};
    return s;
}

// The offset of the first embedded file's name in a packed add-in.
std::size_t firstNameOffset(const AddinSource& s, const Bytes& b) {
    const Addin a = *readAddin(view(b)).addin;
    (void)s;
    return a.entries(FileGroup::Models).front().offset - 4 - addin::TextFieldSize;
}
} // namespace

TEST(AddinReader, ReadsWhatThePackerWrote) {
    const AddinSource s = smallSource();
    const Bytes b = packed(s);
    const AddinRead r = readAddin(view(b));
    ASSERT_TRUE(r.addin) << r.error;
    const Addin& a = *r.addin;
    EXPECT_EQ(a.title, "Small");
    EXPECT_EQ(a.mission, "demo");
    EXPECT_EQ(a.key, "KeyName");
    EXPECT_TRUE(a.patches(MissionFile::Tree).flag);
    EXPECT_FALSE(a.patches(MissionFile::Cache).flag);
    EXPECT_TRUE(a.patches(MissionFile::FourDs).flag);
    ASSERT_EQ(a.patches(MissionFile::Tree).patches.size(), 2u);
    EXPECT_EQ(a.patches(MissionFile::Tree).patches[0].search, (Bytes{1, 2, 3}));
    EXPECT_EQ(a.patches(MissionFile::Tree).patches[0].replacement, (Bytes{9, 9}));
    EXPECT_TRUE(a.patches(MissionFile::Tree).patches[1].replacement.empty());
    EXPECT_EQ(a.patches(MissionFile::FourDs).patches[0].replacement, Bytes(255, 7));
    EXPECT_EQ(Bytes(b.begin() + a.objectsOffset, b.begin() + a.objectsOffset + a.objectsLength),
              s.objects);
    EXPECT_EQ(Bytes(b.begin() + a.definitionsOffset,
                    b.begin() + a.definitionsOffset + a.definitionsLength),
              s.definitions);
    ASSERT_EQ(a.entries(FileGroup::TablesEnglish).size(), 2u);
    const AddinEntry& u = a.entries(FileGroup::TablesEnglish)[1];
    EXPECT_EQ(u.name, "u.def");
    EXPECT_EQ(Bytes(b.begin() + u.offset, b.begin() + u.offset + u.length), (Bytes{4}));
    // Layout: the scene data starts after the header and the 3 patch blocks.
    EXPECT_EQ(a.objectsOffset, 274u + 3 * 276 + 20 + 8);
}

TEST(AddinReader, EveryTruncationIsRefusedWithAReason) {
    const Bytes b = packed(smallSource());
    for (std::size_t n = 0; n < b.size(); ++n) {
        const AddinRead r = readAddin(ByteView(b.data(), n));
        ASSERT_FALSE(r.addin) << "accepted " << n << " bytes";
        EXPECT_FALSE(r.error.empty());
    }
    Bytes longer = b;
    longer.push_back(0);
    const AddinRead r = readAddin(view(longer));
    EXPECT_FALSE(r.addin);
    EXPECT_NE(r.error.find("1 bytes after its last embedded file"), std::string::npos) << r.error;
}

TEST(AddinReader, CountsAndLengthsBeyondTheFileAreRefused) {
    const AddinSource s = smallSource();
    Bytes b = packed(s);
    const Addin a = *readAddin(view(b)).addin;
    // The object byte count claims more than the file holds.
    Bytes big = b;
    const std::size_t countAt = a.objectsOffset - 8;
    big[countAt + 3] = 0x7F;
    EXPECT_NE(readAddin(view(big)).error.find("object records"), std::string::npos);
    // A file count of 2^32 - 1 is refused before anything is reserved.
    Bytes many = b;
    const std::size_t groupAt = a.definitionsOffset + a.definitionsLength;
    for (int i = 0; i < 4; ++i)
        many[groupAt + i] = 0xFF;
    EXPECT_NE(readAddin(view(many)).error.find("has room for"), std::string::npos);
}

TEST(AddinReader, SearchLengthsAreCheckedOnlyForFilesItPatches) {
    Bytes b = packed(smallSource());
    Bytes zero = b;
    zero[addin::HeaderSize] = 0; // tree.klz's first block: search length 0
    EXPECT_NE(readAddin(view(zero)).error.find("search length is 0"), std::string::npos);
    Bytes eighteen = b;
    eighteen[addin::HeaderSize] = 18;
    EXPECT_FALSE(readAddin(view(eighteen)).addin);
    // With tree.klz's flag off, its blocks are only passed over.
    zero[addin::FlagsOffset] = 0;
    const AddinRead r = readAddin(view(zero));
    ASSERT_TRUE(r.addin) << r.error;
    EXPECT_TRUE(r.addin->patches(MissionFile::Tree).patches.empty());
}

TEST(AddinReader, NamesThatCouldLeaveTheirDirectoryAreRefused) {
    const AddinSource s = smallSource();
    const Bytes b = packed(s);
    const std::size_t at = firstNameOffset(s, b);
    for (const std::string bad :
         {"/etc/passwd", "..\\..\\x.dll", "../x", "a/b", "a\\b", "C:x.i3d", "..", ".", "a..b",
          "CON", "nul.txt", "Com1.dat", "x\x01y", "a*b", "dot."}) {
        Bytes changed = b;
        std::string field = bad;
        field.resize(addin::TextFieldSize, ' ');
        std::copy(field.begin(), field.end(), changed.begin() + static_cast<std::ptrdiff_t>(at));
        const AddinRead r = readAddin(view(changed));
        EXPECT_FALSE(r.addin) << "accepted " << bad;
        EXPECT_NE(r.error.find("not a plain file name"), std::string::npos) << r.error;
    }
    Bytes blank = b;
    std::fill_n(blank.begin() + static_cast<std::ptrdiff_t>(at), addin::TextFieldSize, ' ');
    EXPECT_NE(readAddin(view(blank)).error.find("empty"), std::string::npos);
    for (const std::string good : {"car.i3d", ".hidden", "Äpfel.def", "con2.txt", "lpt.x"})
        EXPECT_FALSE(embeddedNameProblem(good)) << good;
}

TEST(AddinReader, RecordsWithoutAKeyAreRefused) {
    Bytes b = packed(smallSource());
    const Addin a = *readAddin(view(b)).addin;
    std::fill_n(b.begin() + static_cast<std::ptrdiff_t>(a.objectsOffset - 28), 20, ' ');
    EXPECT_NE(readAddin(view(b)).error.find("no key name"), std::string::npos);
}

TEST(AddinReader, HeaderFieldsLoseTrailingBlanksAndZeros) {
    EXPECT_EQ(trimField("demo    "), "demo");
    EXPECT_EQ(trimField(std::string("demo\0\0 ", 7)), "demo");
    EXPECT_EQ(trimField("  de mo"), "  de mo");
}
