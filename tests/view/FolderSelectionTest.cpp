// Folder selection and sorting: show-mode tests, the populate rule, sibling order, list texts and
// taking the "Show folders" settings over.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "view/FolderSelection.h"

namespace qv {
namespace {

constexpr std::int64_t kGb = 1024LL * 1024 * 1024;
constexpr platform::FileTime kDay = 864000000000ULL;

// Owns a tree made in the test; folders carry name = desc = their plain name.
class Tree {
  public:
    Tree() : m_root(CreateNode(nullptr, "root")) { m_root->SetDesc("root"); }
    ~Tree() { DeleteNode(m_root); }
    Tree(const Tree&) = delete;
    Tree& operator=(const Tree&) = delete;

    FolderRecord* Root() const { return m_root; }
    static FolderRecord* Add(FolderRecord* parent, const char* name) {
        FolderRecord* node = CreateNode(parent, name);
        node->SetDesc(name);
        return node;
    }

  private:
    FolderRecord* m_root;
};

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
    Tree tree;
    FolderRecord* a = Tree::Add(tree.Root(), "alpha");
    FolderRecord* b = Tree::Add(tree.Root(), "Beta");
    struct Case {
        const char* what;
        std::int64_t nfaA, nfaB, mfsA, mfsB, btmA, btmB, eltA, eltB;
        int mode;
        int expected;  // sign
    };
    const Case cases[] = {
        {"names ascend ignoring case", 0, 0, 0, 0, 0, 0, 0, 0, SortByName, -1},
        {"5 GB before 3 GB", 5 * kGb, 3 * kGb, 0, 0, 0, 0, 0, 0, SortBySize, -1},
        {"100 MB after 3 GB", 100 << 20, 3 * kGb, 0, 0, 0, 0, 0, 0, SortBySize, 1},
        {"equal space: larger bytes first", 4096, 4096, 100, 4000, 0, 0, 0, 0, SortBySize, 1},
        {"equal space and bytes tie", 4096, 4096, 100, 100, 0, 0, 0, 0, SortBySize, 0},
        {"newer creation first", 0, 0, 0, 0, 200, 100, 0, 0, SortByCreated, -1},
        {"missing creation goes last", 0, 0, 0, 0, 0, 100, 0, 0, SortByCreated, 1},
        {"newer access first", 0, 0, 0, 0, 0, 0, 100, 300, SortByAccess, 1},
        {"equal access tie", 0, 0, 0, 0, 0, 0, 7, 7, SortByAccess, 0},
        {"mode out of range", 5, 1, 0, 0, 0, 0, 0, 0, 4, 0},
        {"negative mode", 5, 1, 0, 0, 0, 0, 0, 0, -1, 0},
    };
    for (const Case& c : cases) {
        for (const auto& [key, valueA, valueB] : {std::tuple{NFA, c.nfaA, c.nfaB}, std::tuple{MFS, c.mfsA, c.mfsB},
                                                  std::tuple{BTM, c.btmA, c.btmB}, std::tuple{ELT, c.eltA, c.eltB}}) {
            WriteStat(a, key, valueA, true);
            WriteStat(b, key, valueB, true);
        }
        const int result = CompareFolders(a, b, c.mode);
        EXPECT_EQ((result > 0) - (result < 0), c.expected) << c.what;
        const int reverse = CompareFolders(b, a, c.mode);
        EXPECT_EQ((reverse > 0) - (reverse < 0), -c.expected) << c.what << " (swapped)";
    }
}

TEST(CompareFolders, NamesIgnoreCaseAndFilesItemsSortByTheirTitle) {
    Tree tree;
    FolderRecord* upper = Tree::Add(tree.Root(), "DOCS");
    FolderRecord* lower = Tree::Add(tree.Root(), "docs");
    FolderRecord* files = Tree::Add(tree.Root(), "{root files}");
    FolderRecord* zeta = Tree::Add(tree.Root(), "zeta");
    EXPECT_EQ(CompareFolders(upper, lower, SortByName), 0);
    EXPECT_LT(CompareFolders(lower, zeta, SortByName), 0);
    EXPECT_LT(CompareFolders(zeta, files, SortByName), 0);  // '{' follows the letters
    // A files item competes on its figures like any folder.
    WriteStat(files, NFA, 10 * kGb, false);
    WriteStat(zeta, NFA, kGb, false);
    EXPECT_LT(CompareFolders(files, zeta, SortBySize), 0);
    // Titles, not plain names, are compared: a title with a size piece still sorts by its name.
    upper->SetName("a = 1 Gb");
    EXPECT_LT(CompareFolders(upper, lower, SortByName), 0);
}

TEST(CompareFolders, MissingRecordsAndTextValues) {
    Tree tree;
    FolderRecord* a = Tree::Add(tree.Root(), "a");
    FolderRecord* b = Tree::Add(tree.Root(), "b");
    EXPECT_EQ(CompareFolders(nullptr, b, SortByName), 0);
    EXPECT_EQ(CompareFolders(a, nullptr, SortBySize), 0);
    // A value stored as text is read as a decimal number.
    WriteText(a, NFA, "5000", false);
    WriteStat(b, NFA, 4000, false);
    EXPECT_LT(CompareFolders(a, b, SortBySize), 0);
    // 32-bit and 64-bit values compare alike.
    a->attrs.Set(BTM, AttrValue(std::int32_t{9}), false);
    WriteStat(b, BTM, 10, false);
    EXPECT_GT(CompareFolders(a, b, SortByCreated), 0);
}

TEST(ShowMode, EachModeTestsItsStatistic) {
    Tree tree;
    FolderRecord* folder = Tree::Add(tree.Root(), "f");
    TreeViewOptions options;
    options.accessCutoff = 1000 * kDay;
    struct Case {
        const char* what;
        int mode;
        const char* key;
        AttrValue value;
        bool expected;
    };
    const Case cases[] = {
        {"all, nothing set", ShowAll, nullptr, AttrValue(), true},
        {"temporary flag 1", ShowTemporary, FCA, AttrValue(std::int32_t{1}), true},
        {"temporary flag 0", ShowTemporary, FCA, AttrValue(std::int32_t{0}), false},
        {"temporary flag as text", ShowTemporary, FCA, AttrValue("1"), true},
        {"temporary 64-bit: low 32 bits only", ShowTemporary, FCA, AttrValue(std::int64_t{1} << 32), false},
        {"temporary flag missing", ShowTemporary, nullptr, AttrValue(), false},
        {"exactly 1 MB qualifies", ShowLargerThan, NFA, AttrValue(std::int64_t{1048576}), true},
        {"one byte less does not", ShowLargerThan, NFA, AttrValue(std::int64_t{1048575}), false},
        {"space missing", ShowLargerThan, nullptr, AttrValue(), false},
        {"accessed at the cutoff", ShowNotAccessed, ELT, AttrValue(std::int64_t{1000 * kDay}), true},
        {"accessed after the cutoff", ShowNotAccessed, ELT, AttrValue(std::int64_t{1000 * kDay + 1}), false},
        {"never accessed", ShowNotAccessed, ELT, AttrValue(std::int64_t{0}), false},
        {"unknown mode shows all", 7, nullptr, AttrValue(), true},
    };
    for (const Case& c : cases) {
        folder->attrs.Clear();
        if (c.key != nullptr) {
            folder->attrs.Set(c.key, c.value, false);
        }
        options.showMode = c.mode;
        EXPECT_EQ(MatchesShowMode(options, folder), c.expected) << c.what;
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
        FolderRecord* big = Add(m_tree.Root(), "big", 2 << 20, 1);
        Add(big, "small", 1024, 1);
        Add(big, "bigger", 2 << 20, 0);
        FolderRecord* tiny = Add(m_tree.Root(), "tiny", 10, 0);
        Add(tiny, "huge-but-hidden", 5 << 20, 1);
    }
    static FolderRecord* Add(FolderRecord* parent, const char* name, std::int64_t allocated, std::int32_t temp) {
        FolderRecord* node = Tree::Add(parent, name);
        WriteStat(node, NFA, allocated, false);
        node->attrs.Set(FCA, AttrValue(temp), false);
        return node;
    }
    Tree m_tree;
};

TEST_F(ShownFoldersTest, EachModePrunesFromTheTop) {
    struct Case {
        int mode;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {ShowAll, {"root", "big", "small", "bigger", "tiny", "huge-but-hidden"}},
        {ShowTemporary, {"root", "big", "small"}},
        {ShowLargerThan, {"root", "big", "bigger"}},
        {ShowNotAccessed, {"root"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Names(ShownFolders(m_tree.Root(), Options(c.mode))), c.expected) << "mode " << c.mode;
    }
}

TEST_F(ShownFoldersTest, TheRootIsNeverTested) {
    // The root fails every criterion here, yet it is always the first item.
    WriteStat(m_tree.Root(), NFA, 0, false);
    TreeViewOptions options = Options(ShowLargerThan);
    options.sizeThreshold = 100LL << 20;
    EXPECT_EQ(Names(ShownFolders(m_tree.Root(), options)), std::vector<std::string>{"root"});
    EXPECT_TRUE(ShownFolders(nullptr, options).empty());
}

TEST_F(ShownFoldersTest, AStaleFolderUnderAFreshParentStaysHidden) {
    TreeViewOptions options = Options(ShowNotAccessed);
    options.accessCutoff = 1000 * kDay;
    FolderRecord* big = m_tree.Root()->firstChild;
    WriteStat(big, ELT, 2000 * kDay, false);              // fresh because of "bigger"
    WriteStat(big->firstChild, ELT, 10 * kDay, false);    // stale
    WriteStat(big->lastChild, ELT, 2000 * kDay, false);   // fresh
    WriteStat(big->nextSibling, ELT, 500 * kDay, false);  // "tiny": stale
    EXPECT_EQ(Names(ShownFolders(m_tree.Root(), options)), (std::vector<std::string>{"root", "tiny"}));
}

TEST_F(ShownFoldersTest, SortedListHoldsTheSameFoldersWithSiblingsInOrder) {
    // Sizes: big 2 MB (small 1 K, bigger 2 MB), tiny 10 B (huge-but-hidden 5 MB).
    const std::pair<int, std::vector<std::string>> cases[] = {
        {SortByName, {"root", "big", "bigger", "small", "tiny", "huge-but-hidden"}},
        {SortBySize, {"root", "big", "bigger", "small", "tiny", "huge-but-hidden"}},
    };
    for (const auto& [mode, expected] : cases) {
        EXPECT_EQ(Names(ShownFoldersSorted(m_tree.Root(), Options(ShowAll), mode)), expected) << mode;
    }
    // Reversing the sizes of the root's children reverses their order, subtrees travelling along.
    WriteStat(m_tree.Root()->lastChild, NFA, 3 << 20, true);
    EXPECT_EQ(Names(ShownFoldersSorted(m_tree.Root(), Options(ShowAll), SortBySize)),
              (std::vector<std::string>{"root", "tiny", "huge-but-hidden", "big", "bigger", "small"}));
    // Pruning is the same as unsorted; ties (all 0 here) keep the report's order.
    for (int mode : {ShowTemporary, ShowLargerThan, ShowNotAccessed}) {
        std::vector<std::string> sorted = Names(ShownFoldersSorted(m_tree.Root(), Options(mode), SortByCreated));
        EXPECT_EQ(sorted, Names(ShownFolders(m_tree.Root(), Options(mode)))) << mode;
    }
    EXPECT_TRUE(ShownFoldersSorted(nullptr, Options(ShowAll), SortByName).empty());
}

// A tree opened one folder at a time, each folder's shown children in sort order, lists the same
// folders in the same order as the whole-tree list, and a folder can be opened exactly when it
// has shown children. The tree mixes case in names and has ties in every statistic.
TEST(ShownChildrenSorted, OpeningFolderByFolderGivesTheWholeTreeList) {
    Tree tree;
    std::vector<FolderRecord*> all = {tree.Root()};
    std::uint32_t seed = 12345;
    const auto next = [&seed](std::uint32_t range) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % range;
    };
    const char* names[] = {"alpha", "Beta", "beta", "GAMMA", "delta", "Delta", "eps"};
    for (int i = 0; i < 120; ++i) {
        FolderRecord* parent = all[next(static_cast<std::uint32_t>(all.size()))];
        FolderRecord* node = Tree::Add(parent, names[next(7)]);
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
            for (std::vector<FolderRecord*> pending = {tree.Root()}; !pending.empty();) {
                opened.push_back(pending.back());
                pending.pop_back();
                const std::vector<FolderRecord*> children = ShownChildrenSorted(opened.back(), options, sortMode);
                pending.insert(pending.end(), children.rbegin(), children.rend());
            }
            EXPECT_EQ(opened, ShownFoldersSorted(tree.Root(), options, sortMode))
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

TEST(ShownFolders, ASiblingOfTheRootIsNotWalked) {
    Tree tree;
    Tree::Add(tree.Root(), "child");
    FolderRecord* other = CreateNode(nullptr, "other");
    other->SetDesc("other");
    tree.Root()->nextSibling = other;  // a loaded file may put nodes beside the root
    other->prevSibling = tree.Root();
    EXPECT_EQ(Names(ShownFolders(tree.Root(), Options(ShowAll))), (std::vector<std::string>{"root", "child"}));
    tree.Root()->nextSibling = nullptr;
    other->prevSibling = nullptr;
    DeleteNode(other);
}

TEST(ShowModeTexts, EntriesFollowThresholdAndAge) {
    TreeViewOptions options;
    EXPECT_EQ(ShowModeEntries(options), (std::vector<std::string>{"all", "containing temporary items", "greater 1 MB",
                                                                  "last accessed 6 months ago"}));
    SetAgeDays(&options, 360);
    char text[kShowModeTextSize] = "x";
    EXPECT_TRUE(DescribeShowMode(options, ShowNotAccessed, text));
    EXPECT_STREQ(text, "last accessed one year ago");
    SetSizeThresholdKb(&options, 1536);
    EXPECT_TRUE(DescribeShowMode(options, ShowLargerThan, text));
    EXPECT_STREQ(text, "greater 1.50 MB");
    EXPECT_TRUE(DescribeShowMode(options, 4, text));
    EXPECT_STREQ(text, "");
    EXPECT_EQ(SortModeEntries(), (std::vector<std::string>{"name", "size", "creation date", "last access date"}));
    const std::pair<int, SortMode> entries[] = {{0, SortByName},   {1, SortBySize}, {2, SortByCreated},
                                                {3, SortByAccess}, {4, SortByName}, {-1, SortByName}};
    for (const auto& [entry, mode] : entries) {
        EXPECT_EQ(SortModeForEntry(entry), mode) << entry;
    }
}

TEST(ShowModeSetters, RefuseOutOfRangeAndOnlyReadNonPositive) {
    TreeViewOptions options;
    EXPECT_TRUE(SetShowMode(&options, ShowNotAccessed));
    EXPECT_FALSE(SetShowMode(&options, 4));
    EXPECT_FALSE(SetShowMode(&options, -1));
    EXPECT_EQ(options.showMode, ShowNotAccessed);

    EXPECT_EQ(SetSizeThresholdKb(&options, 0), kDefaultSizeThreshold);
    EXPECT_EQ(SetSizeThresholdKb(&options, -5), kDefaultSizeThreshold);
    EXPECT_EQ(SetSizeThresholdKb(&options, 5 * 1024), 5LL << 20);
    EXPECT_GT(SetSizeThresholdKb(&options, INT64_MAX), 0);  // saturates instead of wrapping

    const platform::FileTime cutoffBefore = options.accessCutoff;
    EXPECT_EQ(SetAgeDays(&options, 0), kDefaultAgeDays);
    EXPECT_EQ(options.accessCutoff, cutoffBefore);
    EXPECT_EQ(SetAgeDays(&options, 190), 190);
    EXPECT_EQ(options.accessCutoff, AccessCutoffFor(190, platform::TodayMidnightUtc()));
    EXPECT_EQ(cutoffBefore - options.accessCutoff, 10 * kDay);
}

TEST(ShowSettingsEffect, RefreshOnlyWhenTheShownCriterionChanged) {
    struct Case {
        const char* what;
        bool thresholdChanged, ageChanged;
        int selectedEntry;
        bool criterionChanged, refreshDue;
    };
    const Case cases[] = {
        {"nothing changed", false, false, ShowLargerThan, false, false},
        {"threshold while size entry shown", true, false, ShowLargerThan, true, true},
        {"threshold while all shown", true, false, ShowAll, true, false},
        {"threshold while temporary shown", true, true, ShowTemporary, true, false},
        {"age while access entry shown", false, true, ShowNotAccessed, true, true},
        {"age while size entry shown", false, true, ShowLargerThan, true, false},
        {"threshold while access entry shown", true, false, ShowNotAccessed, true, true},
    };
    for (const Case& c : cases) {
        const ShowSettingsOutcome outcome = ShowSettingsEffect(c.thresholdChanged, c.ageChanged, c.selectedEntry);
        EXPECT_EQ(outcome.criterionChanged, c.criterionChanged) << c.what;
        EXPECT_EQ(outcome.refreshDue, c.refreshDue) << c.what;
    }
}

}  // namespace
}  // namespace qv
