// Tree title composition: padding, pieces, percent rounding, notes and the output cap.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>

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
        DeleteNode(m_parent);
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

TEST_F(TitleTest, NamesSizesAndPercents) {
    constexpr std::uint32_t kSizePercent = TitleSize | TitlePercent;
    constexpr std::uint32_t kPrecise = TitlePercent | TitlePrecisePercent;
    // name, allocated, parent's allocated, flags, title
    const std::tuple<const char*, std::int64_t, std::int64_t, std::uint32_t, const char*> cases[] = {
        {"Windows", 1363652116, 3030338036, kSizePercent, "Windows     = 1.27 Gb, 45%"},
        {"Program Files", 327155712, 2710486429, TitleSize | kPrecise, "Program Files = 312 MB, 12.07%"},
        {"Temp", 0, 100, 0, "Temp"},
        {"Temp", 0, 100, TitleCreated | TitleAccess | TitleNotes | TitleIcon, "Temp        "},  // no dates, notes
        {"abcdefghijkl", 0, 100, TitleIcon, "abcdefghijkl "},
        {"abcdefghijk lmn", 0, 100, TitleIcon, "abcdefghijk lmn"},  // a blank in the 12th place separates
        {"Temp", 0, 4096, kSizePercent, "Temp        = empty"},     // said once
        {"Temp", 4096, 0, kSizePercent, "Temp        = 4 K, empty"},
        // Percents round halves upward; below one (or a hundredth) they read "..1%".
        {"X", 1, 200, TitlePercent, "X           = ..1%"},
        {"X", 5, 200, TitlePercent, "X           = 3%"},
        {"X", 1, 20000, kPrecise, "X           = ..0.01%"},
    };
    for (const auto& [name, allocated, parent, flags, expected] : cases) {
        EXPECT_EQ(Title(flags, Child(name, allocated, parent)), expected) << allocated << "/" << parent;
    }
    FolderRecord* child = Child("Child", 1024, 2048);
    EXPECT_EQ(Title(kSizePercent, m_parent), "Parent      = 2 K");  // the root has no percent piece
    EXPECT_EQ(Title(kPrecise, m_parent), "Parent      ");
    child->SetName(nullptr);
    EXPECT_EQ(Title(TitleIcon, child), "            ");
}

TEST_F(TitleTest, DatesAndNotesFollowTheSizePiecesAndNotesAreCut) {
    FolderRecord* docs = Child("Docs", 1024, 4096);
    WriteStat(docs, BTM, static_cast<std::int64_t>(kMarch15), false);
    WriteStat(docs, ELT, static_cast<std::int64_t>(kJune1), false);
    WriteText(docs, notes, "old\r\nkeep", false);
    EXPECT_EQ(Title(TitleCreated | TitleAccess, docs), "Docs        = cr:" + Date(kMarch15) + ", la:" + Date(kJune1));
    EXPECT_EQ(Title(TitleSize | TitleAccess | TitleNotes, docs),
              "Docs        = 1 K, la:" + Date(kJune1) + " <old _ keep>");
    EXPECT_EQ(Title(TitleSize, docs), "Docs        = 1 K");  // notes only when asked for
    // Notes are cut after 64 bytes.
    const std::string exact(64, 'n');
    // notes, title's notes piece
    const std::pair<std::string, std::string> cases[] = {
        {exact, exact},
        {exact + "m", exact + "..."},
        {std::string(63, 'a') + "\xC3\xA9", std::string(63, 'a') + "..."},  // a character is not split
        {std::string(62, 'a') + "\r\n", std::string(62, 'a') + " _..."},    // CR LF turns into three first
    };
    for (const auto& [text, piece] : cases) {
        WriteText(docs, notes, text.c_str(), true);
        EXPECT_EQ(Title(TitleNotes, docs), "Docs        = <" + piece + ">");
    }
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
    EXPECT_FALSE(FormatItemTitle(options, nullptr, untouched, sizeof untouched) ||
                 FormatItemTitle(options, docs, untouched, 0) || FormatItemTitle(options, docs, nullptr, 512));
    EXPECT_STREQ(untouched, "same");
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
    FolderRecord* files = CreateNode(root, "old files");
    files->SetDesc("{C:\\ files}");
    WriteStat(files, NFA, 2048, false);
    TreeViewOptions options;
    options.titleFlags = TitleSize | TitlePercent;
    RefreshTitles(options, root);
    EXPECT_EQ(std::string(root->name) + "|" + files->name + "|" + parent->name,
              "C:\\         = 8 K|{C:\\ files} = 2 K, 25%|deep        = empty");
    options.titleFlags = 0;
    RefreshTitle(options, files);
    EXPECT_STREQ(files->name, "{C:\\ files}");
    RefreshTitles(options, nullptr);
    DeleteNode(root);
}

}  // namespace
}  // namespace qv
