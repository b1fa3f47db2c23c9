// Folder selection and sorting: show-mode tests, the populate rule, sibling order, list texts and
// taking the "Show folders" settings over.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "core/ScanTestUtil.h"
#include "view/FolderSelection.h"

namespace qv {
namespace {

using test::AddFolder;

constexpr std::int64_t kGb = 1024LL * 1024 * 1024;
constexpr platform::FileTime kDay = 864000000000ULL;

struct TreeDeleter {
    void operator()(FolderRecord* root) const { DeleteNode(root); }
};
using Tree = std::unique_ptr<FolderRecord, TreeDeleter>;

TreeViewOptions Options(int mode) {
    TreeViewOptions options;
    options.showMode = mode;
    return options;
}

TEST(CompareFolders, EachModeOrdersAsItsTableSays) {
    Tree tree(AddFolder(nullptr, "root"));
    FolderRecord* a = AddFolder(tree.get(), "alpha");
    FolderRecord* b = AddFolder(tree.get(), "Beta");
    using Values = std::vector<std::tuple<const char*, std::int64_t, std::int64_t>>;  // key, a's, b's
    const std::tuple<const char*, Values, int, int> cases[] = {
        // what, values, mode, sign of a - b
        {"names", {}, SortByName, -1},
        {"5 GB before 3 GB", {{NFA, 5 * kGb, 3 * kGb}}, SortBySize, -1},
        {"equal space: larger bytes first", {{NFA, 4096, 4096}, {MFS, 100, 4000}}, SortBySize, 1},
        {"newer creation first", {{BTM, 200, 100}}, SortByCreated, -1},
        {"newer access first", {{ELT, 100, 300}}, SortByAccess, 1},
        {"mode out of range", {{NFA, 5, 1}}, 4, 0},
    };
    for (const auto& [what, values, mode, expected] : cases) {
        a->attrs.Clear();
        b->attrs.Clear();
        for (const auto& [key, valueA, valueB] : values) {
            WriteStat(a, key, valueA, true);
            WriteStat(b, key, valueB, true);
        }
        const int result = CompareFolders(a, b, mode);
        const int reverse = CompareFolders(b, a, mode);
        EXPECT_EQ(std::make_pair((result > 0) - (result < 0), (reverse > 0) - (reverse < 0)),
                  std::make_pair(expected, -expected))
            << what;
    }
}

TEST(CompareFolders, NamesIgnoreCaseTitlesCountAndValuesMayBeTexts) {
    Tree tree(AddFolder(nullptr, "root"));
    FolderRecord* upper = AddFolder(tree.get(), "DOCS");
    FolderRecord* lower = AddFolder(tree.get(), "docs");
    FolderRecord* files = AddFolder(tree.get(), "{root files}");
    FolderRecord* zeta = AddFolder(tree.get(), "zeta");
    EXPECT_EQ(CompareFolders(upper, lower, SortByName), 0);
    EXPECT_LT(CompareFolders(zeta, files, SortByName), 0);  // '{' follows the letters
    upper->SetName("a = 1 Gb");                             // titles, not plain names, are compared
    EXPECT_LT(CompareFolders(upper, lower, SortByName), 0);
    EXPECT_EQ(CompareFolders(lower, nullptr, SortBySize), 0);
    // A value stored as text is read as a decimal number; 32-bit and 64-bit values compare alike.
    WriteText(files, NFA, "5000", false);
    WriteStat(zeta, NFA, 4000, false);
    EXPECT_LT(CompareFolders(files, zeta, SortBySize), 0);
    files->attrs.Set(BTM, AttrValue(std::int32_t{9}), false);
    WriteStat(zeta, BTM, 10, false);
    EXPECT_GT(CompareFolders(files, zeta, SortByCreated), 0);
}

TEST(ShowMode, EachModeTestsItsStatistic) {
    Tree folder(AddFolder(nullptr, "f"));
    TreeViewOptions options;
    options.accessCutoff = 1000 * kDay;
    const std::tuple<int, const char*, AttrValue, bool> cases[] = {
        // mode, key, value, shown
        {ShowAll, nullptr, AttrValue(), true},
        {ShowTemporary, FCA, AttrValue(std::int32_t{1}), true},
        {ShowTemporary, FCA, AttrValue(std::int64_t{1} << 32), false},  // low 32 bits only
        {ShowLargerThan, NFA, AttrValue(std::int64_t{1048576}), true},
        {ShowLargerThan, NFA, AttrValue(std::int64_t{1048575}), false},
        {ShowNotAccessed, ELT, AttrValue(std::int64_t{1000 * kDay}), true},
        {ShowNotAccessed, ELT, AttrValue(std::int64_t{1000 * kDay + 1}), false},
        {ShowNotAccessed, ELT, AttrValue(std::int64_t{0}), false},  // never accessed
    };
    for (const auto& [mode, key, value, expected] : cases) {
        folder->attrs.Clear();
        if (key != nullptr) {
            folder->attrs.Set(key, value, false);
        }
        options.showMode = mode;
        EXPECT_EQ(MatchesShowMode(options, folder.get()), expected) << mode << " " << value.AsInt64();
    }
    EXPECT_FALSE(MatchesShowMode(options, nullptr));
}

// root -> big (2 MB, temporary) -> small (1 K, temporary), bigger (2 MB); root -> tiny (10 bytes)
// -> hidden (5 MB, temporary): a folder that fails the test hides its whole sub-tree.
TEST(ShownChildrenSorted, PruneFromTheTopSortAndSayWhatCanOpen) {
    Tree root(AddFolder(nullptr, "root"));
    const auto add = [](FolderRecord* parent, const char* name, std::int64_t allocated, std::int32_t temp) {
        FolderRecord* node = AddFolder(parent, name);
        WriteStat(node, NFA, allocated, false);
        node->attrs.Set(FCA, AttrValue(temp), false);
        return node;
    };
    FolderRecord* big = add(root.get(), "big", 2 << 20, 1);
    add(big, "small", 1024, 1);
    add(big, "bigger", 2 << 20, 0);
    FolderRecord* tiny = add(root.get(), "tiny", 10, 0);
    add(tiny, "hidden", 5 << 20, 1);
    const std::pair<int, std::vector<std::string>> cases[] = {
        {ShowAll, {"root", "big", "bigger", "small", "tiny", "hidden"}},
        {ShowTemporary, {"root", "big", "small"}},
        {ShowLargerThan, {"root", "big", "bigger"}},
        {ShowNotAccessed, {"root"}},  // the root is always listed
    };
    for (const auto& [mode, expected] : cases) {
        std::vector<std::string> names;
        for (FolderRecord* record : ShownFoldersSorted(root.get(), Options(mode), SortBySize)) {
            names.emplace_back(record->desc);
        }
        EXPECT_EQ(names, expected) << "mode " << mode;
        EXPECT_EQ(ShownFolders(root.get(), Options(mode)).size(), expected.size()) << "mode " << mode;
    }
    EXPECT_EQ(
        std::make_tuple(HasShownChildren(big, Options(ShowTemporary)), HasShownChildren(big, Options(ShowNotAccessed)),
                        HasShownChildren(nullptr, Options(ShowAll))),
        std::make_tuple(true, false, false));
}

TEST(ShowModeSettings, TextsFollowThresholdAndAgeSettersRefuseOutOfRangeRefreshWhenShown) {
    TreeViewOptions options;
    const platform::FileTime cutoffBefore = options.accessCutoff;
    EXPECT_EQ(SetAgeDays(&options, 0), kDefaultAgeDays);  // not positive: left as it was
    EXPECT_EQ(options.accessCutoff, cutoffBefore);
    EXPECT_EQ(SetAgeDays(&options, 360), 360);
    EXPECT_EQ(options.accessCutoff, AccessCutoffFor(360, platform::TodayMidnightUtc()));
    EXPECT_EQ(SetSizeThresholdKb(&options, 1536), 1536 * 1024);
    EXPECT_EQ(ShowModeEntries(options), (std::vector<std::string>{"all", "containing temporary items",
                                                                  "greater 1.50 MB", "last accessed one year ago"}));
    EXPECT_EQ(SetSizeThresholdKb(&options, -5), 1536 * 1024);  // not positive: left as it was
    EXPECT_GT(SetSizeThresholdKb(&options, INT64_MAX), 0);     // saturates instead of wrapping
    EXPECT_EQ(std::make_tuple(SortModeForEntry(3), SortModeForEntry(4), SortModeEntries().size()),
              std::make_tuple(SortByAccess, SortByName, 4u));
    EXPECT_TRUE(SetShowMode(&options, ShowNotAccessed));
    EXPECT_FALSE(SetShowMode(&options, 4));
    EXPECT_FALSE(SetShowMode(&options, -1));
    EXPECT_EQ(options.showMode, ShowNotAccessed);
    // The settings dialog refreshes the tree only when the shown criterion changed.
    // threshold changed, age changed, selected entry, criterion changed, refresh due
    const std::tuple<bool, bool, int, bool, bool> cases[] = {
        {false, false, ShowLargerThan, false, false}, {true, false, ShowLargerThan, true, true},
        {true, false, ShowAll, true, false},          {false, true, ShowNotAccessed, true, true},
        {false, true, ShowLargerThan, true, false},   {true, false, ShowNotAccessed, true, true},
    };
    for (const auto& [threshold, age, entry, criterionChanged, refreshDue] : cases) {
        const ShowSettingsOutcome outcome = ShowSettingsEffect(threshold, age, entry);
        EXPECT_EQ(std::make_pair(outcome.criterionChanged, outcome.refreshDue),
                  std::make_pair(criterionChanged, refreshDue))
            << threshold << age << entry;
    }
}

}  // namespace
}  // namespace qv
