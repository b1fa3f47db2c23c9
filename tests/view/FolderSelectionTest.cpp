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

std::vector<std::string> Names(const std::vector<FolderRecord*>& records) {
    std::vector<std::string> names;
    for (FolderRecord* record : records) {
        names.emplace_back(record->desc);
    }
    return names;
}

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
        {"names ascend ignoring case", {}, SortByName, -1},
        {"5 GB before 3 GB", {{NFA, 5 * kGb, 3 * kGb}}, SortBySize, -1},
        {"equal space: larger bytes first", {{NFA, 4096, 4096}, {MFS, 100, 4000}}, SortBySize, 1},
        {"equal space and bytes tie", {{NFA, 4096, 4096}, {MFS, 100, 100}}, SortBySize, 0},
        {"newer creation first", {{BTM, 200, 100}}, SortByCreated, -1},
        {"missing creation goes last", {{BTM, 0, 100}}, SortByCreated, 1},
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
        EXPECT_EQ((result > 0) - (result < 0), expected) << what;
        const int reverse = CompareFolders(b, a, mode);
        EXPECT_EQ((reverse > 0) - (reverse < 0), -expected) << what << " (swapped)";
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
    EXPECT_EQ(CompareFolders(nullptr, lower, SortByName), 0);
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
    const std::tuple<const char*, int, const char*, AttrValue, bool> cases[] = {
        // what, mode, key, value, shown
        {"all, nothing set", ShowAll, nullptr, AttrValue(), true},
        {"temporary flag 1", ShowTemporary, FCA, AttrValue(std::int32_t{1}), true},
        {"temporary flag 0", ShowTemporary, FCA, AttrValue(std::int32_t{0}), false},
        {"temporary 64-bit: low 32 bits only", ShowTemporary, FCA, AttrValue(std::int64_t{1} << 32), false},
        {"exactly 1 MB qualifies", ShowLargerThan, NFA, AttrValue(std::int64_t{1048576}), true},
        {"one byte less does not", ShowLargerThan, NFA, AttrValue(std::int64_t{1048575}), false},
        {"accessed at the cutoff", ShowNotAccessed, ELT, AttrValue(std::int64_t{1000 * kDay}), true},
        {"accessed after the cutoff", ShowNotAccessed, ELT, AttrValue(std::int64_t{1000 * kDay + 1}), false},
        {"never accessed", ShowNotAccessed, ELT, AttrValue(std::int64_t{0}), false},
    };
    for (const auto& [what, mode, key, value, expected] : cases) {
        folder->attrs.Clear();
        if (key != nullptr) {
            folder->attrs.Set(key, value, false);
        }
        options.showMode = mode;
        EXPECT_EQ(MatchesShowMode(options, folder.get()), expected) << what;
    }
    EXPECT_FALSE(MatchesShowMode(options, nullptr));
}

// root
// ├── big (2 MB, temporary)
// │   ├── small (1 KB, temporary)
// │   └── bigger (2 MB)
// └── tiny (10 bytes)
//     └── huge-but-hidden (5 MB, impossible after aggregation but shows the pruning)
class ShownFoldersTest : public ::testing::Test {
  protected:
    void SetUp() override {
        FolderRecord* big = Add(m_tree.get(), "big", 2 << 20, 1);
        Add(big, "small", 1024, 1);
        Add(big, "bigger", 2 << 20, 0);
        Add(Add(m_tree.get(), "tiny", 10, 0), "huge-but-hidden", 5 << 20, 1);
    }
    static FolderRecord* Add(FolderRecord* parent, const char* name, std::int64_t allocated, std::int32_t temp) {
        FolderRecord* node = AddFolder(parent, name);
        WriteStat(node, NFA, allocated, false);
        node->attrs.Set(FCA, AttrValue(temp), false);
        return node;
    }
    Tree m_tree{AddFolder(nullptr, "root")};
};

TEST_F(ShownFoldersTest, EachModePrunesFromTheTopButNeverTheRoot) {
    const std::pair<int, std::vector<std::string>> cases[] = {
        {ShowAll, {"root", "big", "small", "bigger", "tiny", "huge-but-hidden"}},
        {ShowTemporary, {"root", "big", "small"}},
        {ShowLargerThan, {"root", "big", "bigger"}},
        {ShowNotAccessed, {"root"}},
    };
    for (const auto& [mode, expected] : cases) {
        EXPECT_EQ(Names(ShownFolders(m_tree.get(), Options(mode))), expected) << "mode " << mode;
    }
    TreeViewOptions options = Options(ShowLargerThan);
    options.sizeThreshold = 100LL << 20;  // the root fails it, yet is always the first item
    EXPECT_EQ(Names(ShownFolders(m_tree.get(), options)), std::vector<std::string>{"root"});
    EXPECT_TRUE(ShownFolders(nullptr, options).empty());
    // A loaded file may put nodes beside the root: they are not walked.
    Tree other(AddFolder(nullptr, "other"));
    m_tree->nextSibling = other.get();
    EXPECT_EQ(Names(ShownFolders(m_tree.get(), Options(ShowAll))), cases[0].second);
    m_tree->nextSibling = nullptr;
}

// A tree opened one folder at a time, each folder's shown children in sort order, lists the same
// folders in the same order as the whole-tree list, and a folder can be opened exactly when it
// has shown children. The tree mixes case in names and has ties in every statistic.
TEST(ShownChildrenSorted, OpeningFolderByFolderGivesTheWholeTreeList) {
    Tree tree(AddFolder(nullptr, "root"));
    std::vector<FolderRecord*> all = {tree.get()};
    std::uint32_t seed = 12345;
    const auto next = [&seed](std::uint32_t range) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % range;
    };
    const char* names[] = {"alpha", "Beta", "beta", "GAMMA", "delta", "Delta", "eps"};
    for (int i = 0; i < 120; ++i) {
        FolderRecord* node = AddFolder(all[next(static_cast<std::uint32_t>(all.size()))], names[next(7)]);
        WriteStat(node, NFA, 4096 * static_cast<std::int64_t>(next(4)), false);
        WriteStat(node, MFS, static_cast<std::int64_t>(next(3)), false);
        WriteStat(node, BTM, static_cast<std::int64_t>(next(3)), false);
        WriteStat(node, ELT, static_cast<std::int64_t>(next(4)) * 500 * kDay, false);
        node->attrs.Set(FCA, AttrValue(static_cast<std::int32_t>(next(2))), false);
        all.push_back(node);
    }
    for (int showMode : {ShowAll, ShowTemporary, ShowLargerThan, ShowNotAccessed}) {
        TreeViewOptions options = Options(showMode);
        options.sizeThreshold = 8192;
        options.accessCutoff = 1000 * kDay;
        for (int sortMode : {SortByName, SortBySize, SortByCreated, SortByAccess}) {
            std::vector<FolderRecord*> opened;
            for (std::vector<FolderRecord*> pending = {tree.get()}; !pending.empty();) {
                opened.push_back(pending.back());
                pending.pop_back();
                const std::vector<FolderRecord*> children = ShownChildrenSorted(opened.back(), options, sortMode);
                pending.insert(pending.end(), children.rbegin(), children.rend());
            }
            EXPECT_EQ(opened, ShownFoldersSorted(tree.get(), options, sortMode))
                << "show " << showMode << " sort " << sortMode;
        }
        std::size_t openable = 0;
        for (FolderRecord* node : all) {
            const bool hasShown = !ShownChildrenSorted(node, options, SortByName).empty();
            EXPECT_EQ(HasShownChildren(node, options), hasShown) << node->desc << " show " << showMode;
            openable += hasShown ? 1 : 0;
        }
        EXPECT_GT(openable, 0u) << showMode;  // the tree really has folders to open in every mode
        EXPECT_LT(openable, all.size()) << showMode;
    }
    EXPECT_TRUE(ShownChildrenSorted(nullptr, Options(ShowAll), SortByName).empty());
    EXPECT_FALSE(HasShownChildren(nullptr, Options(ShowAll)));
}

// The texts that depend on the threshold and age; out-of-range modes and entries refused.
TEST(ShowModeSettings, TextsFollowThresholdAndAgeAndSettersRefuseOutOfRange) {
    TreeViewOptions options;
    EXPECT_EQ(ShowModeEntries(options)[3], "last accessed 6 months ago");
    const platform::FileTime cutoffBefore = options.accessCutoff;
    EXPECT_EQ(SetAgeDays(&options, 0), kDefaultAgeDays);  // not positive: left as it was
    EXPECT_EQ(options.accessCutoff, cutoffBefore);
    EXPECT_EQ(SetAgeDays(&options, 360), 360);
    EXPECT_EQ(options.accessCutoff, AccessCutoffFor(360, platform::TodayMidnightUtc()));
    char text[kShowModeTextSize] = "x";
    EXPECT_TRUE(DescribeShowMode(options, ShowNotAccessed, text));
    EXPECT_STREQ(text, "last accessed one year ago");
    EXPECT_EQ(SetSizeThresholdKb(&options, 1536), 1536 * 1024);
    EXPECT_TRUE(DescribeShowMode(options, ShowLargerThan, text));
    EXPECT_STREQ(text, "greater 1.50 MB");
    EXPECT_TRUE(DescribeShowMode(options, 4, text));
    EXPECT_STREQ(text, "");
    EXPECT_EQ(SetSizeThresholdKb(&options, -5), 1536 * 1024);  // not positive: left as it was
    EXPECT_GT(SetSizeThresholdKb(&options, INT64_MAX), 0);     // saturates instead of wrapping
    EXPECT_EQ(SortModeEntries().size(), 4u);
    for (const auto& [entry, mode] : {std::pair{3, SortByAccess}, {4, SortByName}, {-1, SortByName}}) {
        EXPECT_EQ(SortModeForEntry(entry), mode) << entry;
    }
    EXPECT_TRUE(SetShowMode(&options, ShowNotAccessed));
    EXPECT_FALSE(SetShowMode(&options, 4));
    EXPECT_FALSE(SetShowMode(&options, -1));
    EXPECT_EQ(options.showMode, ShowNotAccessed);
}

TEST(ShowSettingsEffect, RefreshOnlyWhenTheShownCriterionChanged) {
    // what, threshold changed, age changed, selected entry, criterion changed, refresh due
    const std::tuple<const char*, bool, bool, int, bool, bool> cases[] = {
        {"nothing changed", false, false, ShowLargerThan, false, false},
        {"threshold while size entry shown", true, false, ShowLargerThan, true, true},
        {"threshold while all shown", true, false, ShowAll, true, false},
        {"age while access entry shown", false, true, ShowNotAccessed, true, true},
        {"age while size entry shown", false, true, ShowLargerThan, true, false},
        {"threshold while access entry shown", true, false, ShowNotAccessed, true, true},
    };
    for (const auto& [what, threshold, age, entry, criterionChanged, refreshDue] : cases) {
        const ShowSettingsOutcome outcome = ShowSettingsEffect(threshold, age, entry);
        EXPECT_EQ(outcome.criterionChanged, criterionChanged) << what;
        EXPECT_EQ(outcome.refreshDue, refreshDue) << what;
    }
}

}  // namespace
}  // namespace qv
