// The folder info panel's texts: value fields, the cluster row, a folder's description, the
// visibility rules and the filter rows with their sorting.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "TestUtil.h"
#include "view/Formatters.h"
#include "view/InfoPanelText.h"

namespace qv {
namespace {

constexpr platform::FileTime kMarch15 = 126291312000000000ULL;  // 2001-03-15 12:00 UTC

// Size, used space, count and access texts; 700 bytes, "none", "[unknown]" and "" are in the
// descriptions below.
TEST(InfoTexts, ValueFields) {
    EXPECT_EQ(SizeText(1365245952) + "|" + UsedSpaceText(1365245952) + "|" + SizeText(-5) + "|" + UsedSpaceText(-5) +
                  "|" + CountText(5000000000LL),
              "1.27 Gb (1 365 245 952)|1.27 Gb|0|0|5000000000");
}

TEST(InfoTexts, ClusterRow) {
    const std::pair<ClusterPolicy, const char*> cases[] = {  // "user: 4096 bytes" is in the description below
        {{0, 1, 9, 1}, "auto: 512 bytes"},
        {{1, 1, 12, 1}, "n/a"},       // compressed for all wins
        {{0, 0, 12, 1}, "not used"},  // compression not ignored
        {{0, 1, 99, 1}, "not used"},
    };
    for (const auto& [policy, expected] : cases) {
        EXPECT_EQ(ClusterText(&policy), expected) << policy.clusterShift;
    }
    EXPECT_EQ(ClusterText(nullptr), "not used");
}

TEST(InfoTexts, DescribeTheRootAndAFolderBelow) {
    FolderRecord* root = CreateNode(nullptr, "C:\\data = 3 K");
    root->SetDesc("C:\\data");
    WriteText(root, ALC, "C:\\data", false);
    WriteText(root, DRM, "3/15/2001 at 12:00", false);
    WriteStat(root, MFS, 700, false);
    WriteStat(root, NFA, 4096, false);
    WriteStat(root, LFN, 3, false);
    WriteStat(root, BTM, static_cast<std::int64_t>(kMarch15), false);
    FolderRecord* child = CreateNode(root, "sub");
    child->SetDesc("sub");
    WriteText(child, ALC, std::string(600, 'p').c_str(), false);
    WriteText(child, LFN, "42", false);  // text values read as decimal numbers

    const ClusterPolicy user{0, 1, 12, 0};
    const InfoTexts texts = DescribeFolder(root, &user);
    EXPECT_EQ(std::tie(texts.isRoot, texts.reportCreated, texts.name, texts.secondLabel, texts.secondValue),
              std::make_tuple(true, "Created 3/15/2001 at 12:00", "C:\\data", "Cluster...................",
                              "user: 4096 bytes"));
    EXPECT_EQ(std::tie(texts.size, texts.usedSpace, texts.files, texts.folders, texts.lastAccessed),
              std::make_tuple("700 bytes", "4 K", "3", "none", ""));
    EXPECT_EQ(texts.created, platform::LocalDateText(kMarch15) + " at " + platform::LocalTimeText(kMarch15));

    const InfoTexts below = DescribeFolder(child, nullptr);
    // The full path is cut to the panel's 511-byte field.
    EXPECT_EQ(std::tie(below.isRoot, below.reportCreated, below.name, below.secondLabel, below.files, below.created,
                       below.fullPath, below.secondValue),
              std::make_tuple(false, "", "sub", "Full path.................", "42", "[unknown]", std::string(511, 'p'),
                              std::string(511, 'p')));
    EXPECT_EQ(DescribeFolder(nullptr, nullptr).name, "");

    // Read-error marks follow the file count; "error here" wins.
    const std::tuple<std::int32_t, const char*> marks[] = {
        {kErrorBelow, "3 (error below)"}, {kErrorHere, "3 (error here)"}, {kErrorHere | kErrorBelow, "3 (error here)"},
        {0, "3"}};
    for (const auto& [mark, files] : marks) {
        root->attrs.Set(ERR, AttrValue(mark), true);
        EXPECT_EQ(DescribeFolder(root, nullptr).files, files) << mark;
    }
    DeleteNode(root);
}

TEST(InfoVisibility, FilesItemsHideThreeRowsAndTheCheckBoxNeverShows) {
    using G = InfoControlGroup;
    // group, has a record, is a files item, filter list shown, visible
    const std::tuple<G, bool, bool, bool, bool> cases[] = {
        {G::Always, false, false, true, false},      {G::FilterBlock, false, false, true, false},
        {G::Always, true, true, false, true},        {G::FolderOnly, true, false, true, true},
        {G::FolderOnly, true, true, true, false},    {G::FilterBlock, true, false, true, true},
        {G::FilterBlock, true, false, false, false}, {G::HiddenCheckBox, true, false, true, false},
    };
    for (const auto& [group, hasRecord, filesItem, listShown, expected] : cases) {
        EXPECT_EQ(InfoControlVisible(group, hasRecord, filesItem, listShown), expected)
            << static_cast<int>(group) << hasRecord << filesItem << listShown;
    }
    FolderRecord* record = CreateNode(nullptr, "r");
    WriteText(record, notes, "", false);
    const bool emptyCounts = HasNotes(record);  // only a non-empty text counts
    WriteText(record, notes, "keep", true);
    EXPECT_EQ(std::make_tuple(emptyCounts, HasNotes(record), HasNotes(nullptr)), std::make_tuple(false, true, false));
    DeleteNode(record);
}

// Three filters: "Temporary" (temporary, 8 K in 3 files), "Backup" (nothing), "Logs" (8 K in 5 files).
TEST(FilterRows, RowsCarryTheFolderTotalsAndHeaderClicksSortThem) {
    FilterSet filters;
    test::FillFilters(&filters, {test::Filter("Temporary", "*.x", true, 1), test::Filter("Backup", "*.x", false, 2),
                                 test::Filter("Logs", "*.x", false, 3)});
    FolderRecord* record = CreateNode(nullptr, "folder");
    WriteStat(record, FilterKey(kFilterAllocated, "Temporary").c_str(), 8192, false);
    WriteStat(record, FilterKey(kFilterFiles, "Temporary").c_str(), 3, false);
    WriteStat(record, FilterKey(kFilterAllocated, "Logs").c_str(), 8192, false);
    record->attrs.Set(FilterKey(kFilterFiles, "Logs").c_str(), AttrValue(std::int32_t{5}), false);
    const std::vector<FilterRow> rows = BuildFilterRows(filters, record);
    EXPECT_TRUE(BuildFilterRows(FilterSet(), record).empty());
    DeleteNode(record);
    ASSERT_EQ(rows.size(), 3u);
    // (id, name, space, count, files); Logs' 32-bit count reads like a 64-bit one.
    const auto row = [&](int i) {
        return std::make_tuple(rows[i].id, rows[i].name, rows[i].space, rows[i].count, rows[i].files);
    };
    EXPECT_EQ(row(0), std::make_tuple(1, "01. Temporary [temp]", "8 K", "3", 3));
    EXPECT_EQ(row(1), std::make_tuple(2, "02. Backup", "-", "-", 0));
    EXPECT_EQ(row(2), std::make_tuple(3, "03. Logs", "8 K", "5", 5));

    const auto orderOf = [&rows](int mode) {
        std::string names;
        for (int index : SortedRowOrder(rows, mode)) {
            names += rows[index].name.substr(0, 2);
        }
        return names;
    };
    int mode = kRowSortName;
    EXPECT_EQ(orderOf(mode), "010203");
    // column clicked, resulting mode, order; equal spaces go by name
    const std::tuple<int, int, const char*> clicks[] = {
        {1, kRowSortSpace, "010302"},                     // "Space": largest first
        {1, kRowSortSpace | kRowSortReversed, "020103"},  // again: smallest first
        {2, kRowSortCount, "030102"},                     // "Num": most files first
        {0, kRowSortName, "010203"},
        {0, kRowSortName | kRowSortReversed, "030201"},
        {3, kRowSortName | kRowSortReversed, "030201"},  // no such column
    };
    for (const auto& [column, expectedMode, order] : clicks) {
        mode = RowSortAfterHeaderClick(mode, column);
        EXPECT_EQ(mode, expectedMode) << column;
        EXPECT_EQ(orderOf(mode), order) << column;
    }
    EXPECT_EQ(orderOf(8), "010203");
    const std::vector<int> order = SortedRowOrder(rows, kRowSortCount);
    EXPECT_EQ(std::make_tuple(DisplayRowOfFilter(rows, order, 3), DisplayRowOfFilter(rows, order, 2),
                              DisplayRowOfFilter(rows, order, 9)),
              std::make_tuple(0, 2, -1));
}

}  // namespace
}  // namespace qv
