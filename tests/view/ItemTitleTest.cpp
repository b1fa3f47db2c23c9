// Tree title composition: padding, pieces, percent rounding, notes and the output cap.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "attr/AttrTree.h"
#include "view/Formatters.h"
#include "view/ItemTitle.h"

namespace qv {
namespace {

constexpr platform::FileTime kMarch15 = 126291312000000000ULL;  // 2001-03-15 12:00 UTC
constexpr platform::FileTime kJune1 = 126989424000000000ULL;    // 2003-06-01 12:00 UTC

std::string Date(platform::FileTime time) {
    std::string text;
    EXPECT_TRUE(FormatDate(time, &text));
    return text;
}

// A parent folder with one child; the tree is freed at the end of each test.
class TitleTest : public ::testing::Test {
  protected:
    void TearDown() override { DeleteNode(m_parent); }

    FolderRecord* Child(const char* name, std::int64_t allocated, std::int64_t parentAllocated) {
        m_parent = CreateNode(nullptr, "Parent");
        WriteStat(m_parent, NFA, parentAllocated, false);
        FolderRecord* child = CreateNode(m_parent, name);
        WriteStat(child, NFA, allocated, false);
        return child;
    }

    std::string Title(std::uint32_t flags, FolderRecord* record) {
        TreeViewOptions options;
        options.titleFlags = flags;
        char buffer[512];
        EXPECT_TRUE(FormatItemTitle(options, record, buffer, sizeof buffer));
        return buffer;
    }

    FolderRecord* m_parent = nullptr;
};

TEST_F(TitleTest, ExamplesOfTheEnglishLocale) {
    FolderRecord* windows = Child("Windows", 1363652116, 3030338036);
    WriteStat(windows, BTM, static_cast<std::int64_t>(kMarch15), false);
    EXPECT_EQ(Title(TitleSize | TitlePercent | TitleCreated, windows),
              "Windows     = 1.27 Gb, 45%, cr:" + Date(kMarch15));

    windows->SetName("Program Files");
    WriteStat(windows, NFA, 327155712, true);
    WriteStat(m_parent, NFA, 2710486429, true);
    EXPECT_EQ(Title(TitleSize | TitlePercent | TitlePrecisePercent, windows), "Program Files = 312 MB, 12.07%");

    windows->SetName("Docs");
    WriteText(windows, notes, "old\r\nkeep", false);
    EXPECT_EQ(Title(TitleNotes, windows), "Docs        = <old _ keep>");
}

TEST_F(TitleTest, NameOnlyTitles) {
    FolderRecord* temp = Child("Temp", 0, 100);
    EXPECT_EQ(Title(0, temp), "Temp");
    EXPECT_EQ(Title(TitleIcon, temp), "Temp        ");
    EXPECT_EQ(Title(TitleCreated | TitleAccess | TitleNotes | TitleIcon, temp), "Temp        ");  // no dates, no notes

    temp->SetName("abcdefghijkl");
    EXPECT_EQ(Title(TitleIcon, temp), "abcdefghijkl ");
    temp->SetName("abcdefghijk lmn");  // a blank in the 12th place already separates
    EXPECT_EQ(Title(TitleIcon, temp), "abcdefghijk lmn");
    temp->SetName(nullptr);
    EXPECT_EQ(Title(TitleIcon, temp), "            ");
}

TEST_F(TitleTest, EmptyFolderSaysEmptyOnce) {
    FolderRecord* temp = Child("Temp", 0, 4096);
    EXPECT_EQ(Title(TitleSize, temp), "Temp        = empty");
    EXPECT_EQ(Title(TitleSize | TitlePercent, temp), "Temp        = empty");
    EXPECT_EQ(Title(TitlePercent, temp), "Temp        = empty");
    WriteStat(temp, NFA, 4096, true);
    WriteStat(m_parent, NFA, 0, true);
    EXPECT_EQ(Title(TitleSize | TitlePercent, temp), "Temp        = 4 K, empty");
}

TEST_F(TitleTest, RootHasNoPercentPiece) {
    FolderRecord* child = Child("Child", 1024, 2048);
    (void)child;
    EXPECT_EQ(Title(TitleSize | TitlePercent, m_parent), "Parent      = 2 K");
    EXPECT_EQ(Title(TitlePercent | TitlePrecisePercent, m_parent), "Parent      ");
}

TEST_F(TitleTest, PercentRoundsHalvesUpward) {
    const struct {
        std::int64_t allocated;
        std::int64_t parent;
        bool precise;
        const char* piece;
    } cases[] = {
        {1, 200, false, "..1%"},       {199, 20000, false, "..1%"}, {1, 100, false, "1%"},
        {3, 200, false, "2%"},         {5, 200, false, "3%"},       {199, 200, false, "100%"},
        {1, 20000, true, "..0.01%"},   {1, 10000, true, "0.01%"},   {4523, 10000, true, "45.23%"},
        {20000, 10000, false, "200%"},
    };
    for (const auto& c : cases) {
        FolderRecord* child = Child("X", c.allocated, c.parent);
        EXPECT_EQ(Title(TitlePercent | (c.precise ? TitlePrecisePercent : 0), child),
                  std::string("X           = ") + c.piece)
            << c.allocated << "/" << c.parent;
        DeleteNode(m_parent);
        m_parent = nullptr;
    }
}

TEST_F(TitleTest, DatesAndNotesFollowTheSizePieces) {
    FolderRecord* docs = Child("Docs", 1024, 4096);
    WriteStat(docs, BTM, static_cast<std::int64_t>(kMarch15), false);
    WriteStat(docs, ELT, static_cast<std::int64_t>(kJune1), false);
    WriteText(docs, notes, "keep", false);
    EXPECT_EQ(Title(TitleCreated | TitleAccess, docs), "Docs        = cr:" + Date(kMarch15) + ", la:" + Date(kJune1));
    EXPECT_EQ(Title(TitleSize | TitleAccess | TitleNotes, docs), "Docs        = 1 K, la:" + Date(kJune1) + " <keep>");
    EXPECT_EQ(Title(TitleSize, docs), "Docs        = 1 K");  // notes only when asked for
}

TEST_F(TitleTest, NotesAreCutAfter64Bytes) {
    FolderRecord* docs = Child("Docs", 0, 0);
    const std::string exact(64, 'n');
    WriteText(docs, notes, exact.c_str(), false);
    EXPECT_EQ(Title(TitleNotes, docs), "Docs        = <" + exact + ">");

    WriteText(docs, notes, (exact + "m").c_str(), true);
    EXPECT_EQ(Title(TitleNotes, docs), "Docs        = <" + exact + "...>");

    // 63 bytes and a two-byte character: the cut does not split the character.
    WriteText(docs, notes, (std::string(63, 'a') + "\xC3\xA9").c_str(), true);
    EXPECT_EQ(Title(TitleNotes, docs), "Docs        = <" + std::string(63, 'a') + "...>");

    // A CR LF at the end of the 64 bytes turns into three characters before the cut.
    WriteText(docs, notes, (std::string(62, 'a') + "\r\n").c_str(), true);
    EXPECT_EQ(Title(TitleNotes, docs), "Docs        = <" + std::string(62, 'a') + " _...>");
}

TEST_F(TitleTest, AttributeTypesAreReadAsTheRecordDefinesThem) {
    FolderRecord* docs = Child("Docs", 0, 0);
    docs->attrs.Clear();
    docs->attrs.Set(NFA, AttrValue(std::int32_t{2048}), false);
    docs->attrs.Set(notes, AttrValue(std::int32_t{7}), false);
    EXPECT_EQ(Title(TitleSize | TitleNotes, docs), "Docs        = 2 K");
    docs->attrs.Clear();
    docs->attrs.Set(NFA, AttrValue("5000"), false);
    docs->attrs.Set(notes, AttrValue(""), false);
    EXPECT_EQ(Title(TitleSize | TitleNotes, docs), "Docs        = empty");
}

TEST_F(TitleTest, OutputIsBoundedByTheBufferAndTheCap) {
    FolderRecord* docs = Child("Documents", 1024, 0);
    TreeViewOptions options;
    options.titleFlags = TitleSize;
    char small[10];
    ASSERT_TRUE(FormatItemTitle(options, docs, small, sizeof small));
    EXPECT_STREQ(small, "Documents");

    const std::string longName(2000, 'x');
    docs->SetName(longName.c_str());
    static char big[4096];
    std::memset(big, '#', sizeof big);
    ASSERT_TRUE(FormatItemTitle(options, docs, big, sizeof big));
    EXPECT_EQ(std::strlen(big), kMaxTitleBytes - 1);
    EXPECT_EQ(big[kMaxTitleBytes], '#');

    char untouched[8] = "same";
    EXPECT_FALSE(FormatItemTitle(options, nullptr, untouched, sizeof untouched));
    EXPECT_FALSE(FormatItemTitle(options, docs, untouched, 0));
    EXPECT_STREQ(untouched, "same");
    EXPECT_FALSE(FormatItemTitle(options, docs, nullptr, 512));
}

// Titles of a whole tree: each built from the plain name, children before their parent.
TEST(RefreshTitles, RebuildsEveryTitleFromThePlainName) {
    FolderRecord* root = CreateNode(nullptr, "stale root title");
    root->SetDesc("C:\\");
    WriteStat(root, NFA, 8192, false);
    FolderRecord* parent = root;
    for (int depth = 0; depth < 100000; ++depth) {  // deep enough to break a recursive walk
        parent = CreateNode(parent, "stale");
        parent->SetDesc("deep");
    }
    FolderRecord* a = CreateNode(root, "old a");
    a->SetDesc("a");
    WriteStat(a, NFA, 4096, false);
    FolderRecord* files = CreateNode(root, "old files");
    files->SetDesc("{C:\\ files}");
    WriteStat(files, NFA, 2048, false);

    TreeViewOptions options;
    options.titleFlags = TitleSize | TitlePercent;
    RefreshTitles(options, root);
    EXPECT_STREQ(root->name, "C:\\         = 8 K");
    EXPECT_STREQ(a->name, "a           = 4 K, 50%");
    EXPECT_STREQ(files->name, "{C:\\ files} = 2 K, 25%");
    EXPECT_STREQ(parent->name, "deep        = empty");

    options.titleFlags = 0;
    RefreshTitle(options, a);
    EXPECT_STREQ(a->name, "a");
    RefreshTitles(options, nullptr);
    DeleteNode(root);
}

}  // namespace
}  // namespace qv
