// The info panel's texts: value fields, the second row, the visibility rule and the filter rows
// with their sort modes.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "view/Formatters.h"
#include "view/InfoPanelText.h"

namespace qv {
namespace {

constexpr platform::FileTime kMarch15 = 126291312000000000ULL;  // 2001-03-15 12:00 UTC

TEST(InfoTexts, ValueFields) {
    struct SizeCase {
        std::int64_t bytes;
        const char* size;
        const char* used;
    };
    const SizeCase sizes[] = {
        {700, "700 bytes", "700 bytes"},
        {2048, "2 K (2 048)", "2 K"},
        {1365245952, "1.27 Gb (1 365 245 952)", "1.27 Gb"},
        {0, "0", "0"},
        {-5, "0", "0"},
    };
    for (const SizeCase& c : sizes) {
        EXPECT_EQ(SizeText(c.bytes), c.size) << c.bytes;
        EXPECT_EQ(UsedSpaceText(c.bytes), c.used) << c.bytes;
    }
    EXPECT_EQ(CountText(0), "none");
    EXPECT_EQ(CountText(12), "12");
    EXPECT_EQ(CountText(5000000000LL), "5000000000");
    EXPECT_EQ(CreationText(0), "[unknown]");
    std::string date;
    std::string time;
    ASSERT_TRUE(FormatDate(kMarch15, &date));
    ASSERT_TRUE(FormatTime(kMarch15, &time));
    EXPECT_EQ(CreationText(kMarch15), date + " at " + time);
    EXPECT_EQ(LastAccessText(0), "");
    EXPECT_EQ(LastAccessText(kMarch15), date);
}

TEST(InfoTexts, ClusterRow) {
    struct Case {
        const char* what;
        ClusterPolicy policy;
        const char* expected;
    };
    const Case cases[] = {
        {"user 4096", {0, 1, 12, 0}, "user: 4096 bytes"},  {"automatic 512", {0, 1, 9, 1}, "auto: 512 bytes"},
        {"compressed for all wins", {1, 1, 12, 1}, "n/a"}, {"compression not ignored", {0, 0, 12, 1}, "not used"},
        {"hostile shift", {0, 1, 99, 1}, "not used"},      {"negative shift", {0, 1, -3, 0}, "not used"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ClusterText(&c.policy), c.expected) << c.what;
    }
    EXPECT_EQ(ClusterText(nullptr), "not used");
}

// root (scan path "C:\data") with a child "sub" and the root's files item.
class DescribeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_root = CreateNode(nullptr, "C:\\data = 3 K");
        m_root->SetDesc("C:\\data");
        WriteText(m_root, ALC, "C:\\data", false);
        WriteText(m_root, DRM, "3/15/2001 at 12:00", false);
        WriteStat(m_root, MFS, 700, false);
        WriteStat(m_root, NFA, 4096, false);
        WriteStat(m_root, LFN, 3, false);
        WriteStat(m_root, OFN, 0, false);
        WriteStat(m_root, BTM, static_cast<std::int64_t>(kMarch15), false);
        m_child = CreateNode(m_root, "sub");
        m_child->SetDesc("sub");
        WriteText(m_child, ALC, "C:\\data\\sub", false);
        WriteText(m_child, LFN, "42", false);  // text values read as decimal numbers
    }
    void TearDown() override { DeleteNode(m_root); }
    FolderRecord* m_root = nullptr;
    FolderRecord* m_child = nullptr;
};

TEST_F(DescribeTest, TheRootShowsTheClusterRow) {
    const ClusterPolicy user{0, 1, 12, 0};
    const InfoTexts texts = DescribeFolder(m_root, &user);
    EXPECT_EQ(texts.reportCreated, "Created 3/15/2001 at 12:00");
    EXPECT_EQ(texts.name, "C:\\data");
    EXPECT_TRUE(texts.isRoot);
    EXPECT_EQ(texts.secondLabel, "Cluster...................");
    EXPECT_EQ(texts.secondValue, "user: 4096 bytes");
    EXPECT_EQ(texts.size, "700 bytes");
    EXPECT_EQ(texts.usedSpace, "4 K");
    EXPECT_EQ(texts.files, "3");
    EXPECT_EQ(texts.folders, "none");
    EXPECT_EQ(texts.created, CreationText(kMarch15));
    EXPECT_EQ(texts.lastAccessed, "");
}

TEST_F(DescribeTest, AFolderBelowShowsItsFullPath) {
    const InfoTexts texts = DescribeFolder(m_child, nullptr);
    EXPECT_EQ(texts.reportCreated, "");
    EXPECT_EQ(texts.name, "sub");
    EXPECT_FALSE(texts.isRoot);
    EXPECT_EQ(texts.secondLabel, "Full path.................");
    EXPECT_EQ(texts.secondValue, "C:\\data\\sub");
    EXPECT_EQ(texts.fullPath, "C:\\data\\sub");
    EXPECT_EQ(texts.size, "0");
    EXPECT_EQ(texts.files, "42");
    EXPECT_EQ(texts.created, "[unknown]");
    // A path longer than the panel's 511-byte field is cut.
    WriteText(m_child, ALC, std::string(600, 'p').c_str(), true);
    EXPECT_EQ(DescribeFolder(m_child, nullptr).fullPath.size(), 511u);
    EXPECT_EQ(DescribeFolder(nullptr, nullptr).name, "");
}

TEST(InfoVisibility, FilesItemsHideThreeRowsAndTheCheckBoxNeverShows) {
    using G = InfoControlGroup;
    struct Case {
        G group;
        bool hasRecord, filesItem, listShown, expected;
    };
    const Case cases[] = {
        {G::Always, false, false, true, false},      {G::FilterBlock, false, false, true, false},
        {G::Always, true, true, false, true},        {G::FolderOnly, true, false, true, true},
        {G::FolderOnly, true, true, true, false},    {G::FilterBlock, true, false, true, true},
        {G::FilterBlock, true, false, false, false}, {G::HiddenCheckBox, true, false, true, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(InfoControlVisible(c.group, c.hasRecord, c.filesItem, c.listShown), c.expected)
            << static_cast<int>(c.group) << c.hasRecord << c.filesItem << c.listShown;
    }
}

TEST(InfoNotes, OnlyANonEmptyTextCounts) {
    FolderRecord* record = CreateNode(nullptr, "r");
    EXPECT_FALSE(HasNotes(record));
    WriteText(record, notes, "", false);
    EXPECT_FALSE(HasNotes(record));
    WriteText(record, notes, "keep", true);
    EXPECT_TRUE(HasNotes(record));
    EXPECT_FALSE(HasNotes(nullptr));
    DeleteNode(record);
}

// Three filters: "Temporary" (temporary, 8 K in 3 files), "Backup" (nothing), "Logs" (8 K in 5 files).
class FilterRowsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_filters.SetEditing(true);
        AddFilter("Temporary", 1, true);
        AddFilter("Backup", 2, false);
        AddFilter("Logs", 3, false);
        m_filters.SetEditing(false);
        m_record = CreateNode(nullptr, "folder");
        WriteStat(m_record, FilterKey(kFilterAllocated, "Temporary").c_str(), 8192, false);
        WriteStat(m_record, FilterKey(kFilterFiles, "Temporary").c_str(), 3, false);
        WriteStat(m_record, FilterKey(kFilterAllocated, "Logs").c_str(), 8192, false);
        m_record->attrs.Set(FilterKey(kFilterFiles, "Logs").c_str(), AttrValue(std::int32_t{5}), false);
    }
    void TearDown() override { DeleteNode(m_record); }
    void AddFilter(const char* name, int id, bool temporary) {
        FilterInfo info;
        info.name = name;
        info.masks = "*.x";
        info.id = id;
        info.temporary = temporary;
        ASSERT_NE(m_filters.AddFilter(info), 0);
    }
    std::vector<std::string> Order(const std::vector<FilterRow>& rows, int mode) {
        std::vector<std::string> names;
        for (int index : SortedRowOrder(rows, mode)) {
            names.push_back(rows[index].name);
        }
        return names;
    }
    FilterSet m_filters;
    FolderRecord* m_record = nullptr;
};

TEST_F(FilterRowsTest, RowsCarryTheFolderTotals) {
    const std::vector<FilterRow> rows = BuildFilterRows(m_filters, m_record);
    ASSERT_EQ(rows.size(), 3u);
    // (id, name, space, count, files); Logs' 32-bit count reads like a 64-bit one.
    const auto row = [&](int i) {
        return std::make_tuple(rows[i].id, rows[i].name, rows[i].space, rows[i].count, rows[i].files);
    };
    EXPECT_EQ(row(0), std::make_tuple(1, "01. Temporary [temp]", "8 K", "3", 3));
    EXPECT_EQ(row(1), std::make_tuple(2, "02. Backup", "-", "-", 0));
    EXPECT_EQ(row(2), std::make_tuple(3, "03. Logs", "8 K", "5", 5));
    EXPECT_TRUE(BuildFilterRows(FilterSet(), m_record).empty());
}

TEST_F(FilterRowsTest, HeaderClicksSortAndReverse) {
    const std::vector<FilterRow> rows = BuildFilterRows(m_filters, m_record);
    int mode = kRowSortName;
    EXPECT_EQ(Order(rows, mode), (std::vector<std::string>{"01. Temporary [temp]", "02. Backup", "03. Logs"}));
    mode = RowSortAfterHeaderClick(mode, 1);  // "Space": largest first, equal spaces by name
    EXPECT_EQ(mode, kRowSortSpace);
    EXPECT_EQ(Order(rows, mode), (std::vector<std::string>{"01. Temporary [temp]", "03. Logs", "02. Backup"}));
    mode = RowSortAfterHeaderClick(mode, 1);  // again: smallest first, equal spaces still by name
    EXPECT_EQ(mode, kRowSortSpace | kRowSortReversed);
    EXPECT_EQ(Order(rows, mode), (std::vector<std::string>{"02. Backup", "01. Temporary [temp]", "03. Logs"}));
    mode = RowSortAfterHeaderClick(mode, 2);  // "Num": most files first
    EXPECT_EQ(mode, kRowSortCount);
    EXPECT_EQ(Order(rows, mode), (std::vector<std::string>{"03. Logs", "01. Temporary [temp]", "02. Backup"}));
    mode = RowSortAfterHeaderClick(mode, 0);
    mode = RowSortAfterHeaderClick(mode, 0);  // name reversed
    EXPECT_EQ(Order(rows, mode), (std::vector<std::string>{"03. Logs", "02. Backup", "01. Temporary [temp]"}));
    EXPECT_EQ(RowSortAfterHeaderClick(mode, 3), mode);
    EXPECT_EQ(Order(rows, 8), (std::vector<std::string>{"01. Temporary [temp]", "02. Backup", "03. Logs"}));
}

TEST_F(FilterRowsTest, SelectedFilterIsFoundInTheDisplayOrder) {
    const std::vector<FilterRow> rows = BuildFilterRows(m_filters, m_record);
    const std::vector<int> order = SortedRowOrder(rows, kRowSortCount);
    EXPECT_EQ(DisplayRowOfFilter(rows, order, 3), 0);
    EXPECT_EQ(DisplayRowOfFilter(rows, order, 2), 2);
    EXPECT_EQ(DisplayRowOfFilter(rows, order, 9), -1);
}

}  // namespace
}  // namespace qv
