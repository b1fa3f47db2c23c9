// The difference tree of a report folder and its fresh scan: matching, marking, pruning, titles
// and descriptions, deep trees, odd figures, and the flat list's rows, cells and sort orders.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

#include "RunWithStack.h"
#include "core/ScanTestUtil.h"
#include "view/Comparison.h"
#include "view/DifferenceList.h"

namespace qv {
namespace {

constexpr std::int64_t kMB = 1048576;

// A report-like tree rooted at C:\data. Add("a/b", ...) makes the folder b below a (a must
// exist); `own` >= 0 gives it a files item of that size.
class Tree {
  public:
    Tree() : m_root(test::AddFolder(nullptr, "C:\\data")) { WriteText(m_root, ALC, "C:\\data", false); }
    ~Tree() { DeleteNode(m_root); }
    Tree(const Tree&) = delete;
    Tree& operator=(const Tree&) = delete;

    FolderRecord* Root() const { return m_root; }
    FolderRecord* Add(const std::string& path,
                      std::int64_t size,
                      std::int64_t files = 0,
                      std::int64_t folders = 0,
                      std::int64_t own = -1) {
        FolderRecord* parent = m_root;
        std::string name = path;
        for (std::size_t slash; (slash = name.find('/')) != std::string::npos; name = name.substr(slash + 1)) {
            parent = test::Child(parent, name.substr(0, slash));
        }
        FolderRecord* folder = test::AddFolder(parent, name.c_str());
        WriteText(folder, ALC, (std::string(ReadText(parent, ALC)) + "\\" + name).c_str(), false);
        Figures(folder, size, files, folders);
        if (own >= 0) {
            FolderRecord* item = CreateNode(folder, "files");
            item->SetDesc(("{" + name + " files}").c_str());
            item->group = 1;
            WriteStat(item, MFS, own, false);
        }
        return folder;
    }
    void Figures(FolderRecord* folder, std::int64_t size, std::int64_t files, std::int64_t folders) {
        WriteStat(folder, MFS, size, true);
        WriteStat(folder, LFN, files, true);
        WriteStat(folder, OFN, folders, true);
    }

  private:
    FolderRecord* m_root;
};

struct Diff {
    Diff(Tree& old, Tree& fresh) : root(Compare(old.Root(), fresh.Root())) {}
    ~Diff() { DeleteNode(root); }
    Diff(const Diff&) = delete;
    Diff& operator=(const Diff&) = delete;
    DifferenceNode* root;
};

// Every node as "title|kind" in pre-order, indented by depth.
std::vector<std::string> Dump(DifferenceNode* root) {
    std::vector<std::string> lines;
    std::vector<std::pair<DifferenceNode*, int>> pending{{root, 0}};
    while (!pending.empty()) {
        auto [node, depth] = pending.back();
        pending.pop_back();
        lines.push_back(std::string(2 * depth, ' ') + node->name + "|" + std::to_string(node->kind));
        for (DifferenceNode* child = node->lastChild; child != nullptr; child = child->prevSibling) {
            pending.emplace_back(child, depth + 1);
        }
    }
    return lines;
}

std::string Description(DifferenceNode* node) {
    std::string text;
    FormatDifference(node, &text);
    return text;
}

TEST(Compare, UnchangedFolderGivesTheRootAlone) {
    Tree old;
    Tree fresh;
    for (Tree* tree : {&old, &fresh}) {
        tree->Figures(tree->Root(), 3 * kMB, 5, 2);
        tree->Add("a", kMB, 2, 1, 100);
        tree->Add("a/b", 10, 1);
    }
    WriteText(old.Root(), DRM, "3/15/2001 at 12:00", false);
    Diff diff(old, fresh);
    ASSERT_NE(diff.root, nullptr);
    EXPECT_EQ(Dump(diff.root), std::vector<std::string>{"C:\\data|0"});
    EXPECT_EQ(std::string(ReadText(diff.root, DRM)) + "|" + ReadText(diff.root, ALC) + "|" + Description(diff.root) +
                  "|" + BuildDifferenceRows(diff.root).at(0).path,
              "3/15/2001 at 12:00|C:\\data| No changes|*");  // the root alone has a row
}

TEST(Compare, ChangesGiveTheTreeTheirTitlesAndKinds) {
    Tree old;
    Tree fresh;
    old.Figures(old.Root(), 20 * kMB, 10, 6);
    old.Add("Docs", 1572864, 3, 0);          // deleted
    old.Add("Windows", 2 * kMB, 2, 1, 500);  // grows by 12.5 MB below
    old.Add("Windows/sys", kMB, 1);
    old.Add("Temp", 0, 0, 1);  // one sub-folder more
    old.Add("Same", kMB, 1);
    old.Add("Count", kMB, 1);  // one more file of the same size in total
    old.Add("Mixed", kMB);     // "Mixed" and "mixed" are different folders
    old.Add("P", 10, 2, 1);    // only the number of files below changes: marked, yet no title
    old.Add("P/c", 10, 2);
    fresh.Figures(fresh.Root(), 20 * kMB + 13107200 - 1572864 + 204800, 10, 7);
    fresh.Add("New", 204800, 1);  // created
    fresh.Add("Windows", 2 * kMB + 13107200, 3, 1, 500);
    fresh.Add("Windows/sys", kMB + 13107200, 2);
    fresh.Add("Temp", 0, 0, 2);
    fresh.Add("Temp/t", 0);
    fresh.Add("Same", kMB, 1);
    fresh.Add("Count", kMB, 2);
    fresh.Add("mixed", kMB);
    fresh.Add("P", 10, 3, 1);
    fresh.Add("P/c", 10, 3);
    Diff diff(old, fresh);
    // Created folders come first below their parent, then the old folders in their order; a
    // created or deleted node's title shows the size change alone.
    const std::vector<std::string> expected = {
        "C:\\data [ +11.20 MB]|68",  "  New [ +200 K]|14",      "  mixed [ +1 MB]|14", "  Docs [ -1.50 MB]|13",
        "  Windows [ +12.50 MB]|68", "    sys [ +12.50 MB]|12", "  Temp|64",           "    t|2",
        "  Mixed [ -1 MB]|13",       "  P|64"};
    EXPECT_EQ(Dump(diff.root), expected);
}

TEST(Compare, DeletedFolderBringsEverySubFolder) {
    Tree old;
    Tree fresh;
    old.Add("gone", 4000, 4, 3, 1000);
    old.Add("gone/a", 1000, 1);
    old.Add("gone/b", 2000, 2, 1, 0);
    old.Add("gone/b/c", 2000, 2);
    Diff diff(old, fresh);
    const std::vector<std::string> expected = {
        "C:\\data|64",
        "  gone [ -3.91 K]|77",  // 0x01 | 0x04 | 0x08 | 0x40
        "    a [ -1000 bytes]|13",
        "    b [ -1.95 K]|69",  // its own files are 0 bytes: no 0x08
        "      c [ -1.95 K]|13",
    };
    EXPECT_EQ(Dump(diff.root), expected);
    DifferenceNode* gone = diff.root->firstChild;
    EXPECT_EQ(ReadStat(gone, kDiffFilesSizeKey), -1000);
    EXPECT_FALSE(gone->lastChild->attrs.Find(kDiffFilesSizeKey));
    EXPECT_EQ(Description(gone), " Deleted    -3.91 K   -4 files   -3 folders");
}

TEST(Compare, DescriptionsCountFilesAndFolders) {
    struct Case {
        std::int64_t oldSize, newSize, oldFiles, newFiles, oldFolders, newFolders;
        const char* treeTitle;
        const char* description;
    };
    const Case cases[] = {
        {100, 1124, 1, 2, 0, 0, "x [ +1 K]", " +1 K   +1 file"},
        {5000, 4100, 5, 2, 0, 0, "x [ -900 bytes]", " -900 bytes   -3 files"},
        {10, 10, 1, 1, 2, 1, "x", "    -1 folder"},
        {10, 10, 1, 1, 0, 7, "x", "    +7 folders"},
    };
    for (const Case& c : cases) {
        Tree old;
        Tree fresh;
        old.Add("x", c.oldSize, c.oldFiles, c.oldFolders);
        fresh.Add("x", c.newSize, c.newFiles, c.newFolders);
        Diff diff(old, fresh);
        DifferenceNode* node = diff.root->firstChild;
        ASSERT_NE(node, nullptr) << c.description;
        const std::string before = node->name;
        const std::string description = Description(node);  // the title then carries the same text
        EXPECT_EQ(std::make_tuple(before, description, std::string(node->name), DifferenceTreeTitle(node)),
                  std::make_tuple(c.treeTitle, c.description, "x [" + description + "]", c.treeTitle));
    }
}

TEST(Compare, MatchesTheFirstNamesakeOnEitherSide) {
    // Two old folders of one name both match the first new one; the second new one is not
    // created because the old side has the name. A folder without children is its own files.
    Tree old;
    Tree fresh;
    old.Add("x", 100);
    old.Add("x", 300);
    fresh.Add("x", 100);
    fresh.Add("x", 999);
    Diff diff(old, fresh);
    EXPECT_EQ(Dump(diff.root), (std::vector<std::string>{"C:\\data|64", "  x [ -200 bytes]|12"}));
}

TEST(Compare, OddFiguresCountAsZeroAndNeverOverflow) {
    Tree old;
    Tree fresh;
    FolderRecord* text = old.Add("text", 0);
    WriteText(text, MFS, "123", true);  // a text is no number
    fresh.Add("text", 0);
    old.Add("huge", std::numeric_limits<std::int64_t>::min());
    fresh.Add("huge", 1);
    FolderRecord* bare = CreateNode(old.Root(), "bare");  // no figures, no path
    bare->SetDesc("bare");
    Diff diff(old, fresh);
    ASSERT_NE(diff.root, nullptr);
    EXPECT_EQ(Dump(diff.root).back(), "  bare|1");  // deleted, with nothing to tell but its state
    EXPECT_EQ(DifferenceSumCell(diff.root->firstChild), "-8589934592 Gb");  // wrapped, never a crash
    EXPECT_EQ(Compare(nullptr, fresh.Root()), nullptr);
}

TEST(Compare, TenThousandLevelsOnAOneMegabyteStack) {
    constexpr int kDepth = 10000;
    Tree old;
    Tree fresh;
    FolderRecord* oldNode = old.Root();
    FolderRecord* freshNode = fresh.Root();
    for (int level = 0; level < kDepth; ++level) {
        oldNode = CreateNode(oldNode, "d");
        freshNode = CreateNode(freshNode, "d");
        for (FolderRecord* node : {oldNode, freshNode}) {
            node->SetDesc("d");
            WriteStat(node, MFS, node == freshNode && level + 1 == kDepth ? 2000 : 1000, false);
        }
    }
    std::vector<std::size_t> sizes;
    ASSERT_TRUE(test::RunWithStack(1 << 20, [&] {
        Tree empty;
        for (FolderRecord* against : {fresh.Root(), empty.Root()}) {
            DifferenceNode* root = Compare(old.Root(), against);
            sizes.push_back(BuildDifferenceRows(root).size());
            DeleteNode(root);
        }
    }));
    // The changed leaf with its 9,999 ancestors (kind 0x40 each, no row); then all deleted.
    EXPECT_EQ(sizes, (std::vector<std::size_t>{1, kDepth}));
}

// ---- the flat list ----

TEST(DifferenceList, RowsCellsColoursAndSortModes) {
    Tree old;
    Tree fresh;
    old.Add("b", 3000, 3, 0);  // shrinks
    old.Add("A", 100, 1, 2, 100);
    old.Add("A/gone", 0);
    old.Add("A/sub", 0);
    fresh.Add("b", 1000, 1, 0);
    fresh.Add("A", 5100, 2, 1, 200);
    fresh.Add("A/sub", 5000, 1);
    fresh.Add("c", 7000, 1);                         // created
    WriteText(old.Root(), ALC, "C:\\data\\", true);  // as a report opened from its file has it
    Diff diff(old, fresh);
    std::vector<DifferenceRow> rows = BuildDifferenceRows(diff.root);
    // Pre-order, created folders first below each parent; every row stores its first cell as
    // "listref". The root (kind exactly 0x40) has no row.
    const std::vector<std::vector<std::string>> expected = {
        {".\\c", "created", "+6.84 K", "+6.84 K"},   {".\\b", "size", "-1.95 K", "-1.95 K"},
        {".\\A", "size", "+100 bytes", "+4.88 K"},   {".\\A\\gone", "deleted", "-", "-"},
        {".\\A\\sub", "size", "+4.88 K", "+4.88 K"}};
    std::vector<std::vector<std::string>> cells;
    std::vector<std::uint32_t> colours;
    for (const DifferenceRow& row : rows) {
        cells.push_back(
            {DifferenceCell(row, 0), DifferenceCell(row, 1), DifferenceCell(row, 2), DifferenceCell(row, 3)});
        colours.push_back(DifferenceTextColour(row.node));
        EXPECT_EQ(ReadText(row.node, kDiffListRefKey), row.path);
    }
    EXPECT_EQ(cells, expected);
    EXPECT_EQ(colours, (std::vector<std::uint32_t>{kDiffCreatedColour, kDiffSizeColour, kDiffSizeColour,
                                                   kDiffDeletedColour, kDiffSizeColour}));
    // The root has no row (its first child's is used), no colour and the status "subf".
    EXPECT_EQ(std::make_tuple(RowOfNode(rows, rows[3].node), RowOfNode(rows, diff.root),
                              DifferenceTextColour(diff.root), DifferenceStatus(diff.root)),
              std::make_tuple(3, 0, 0u, "subf"));

    const std::pair<int, std::string> sorts[] = {
        {kDiffSortPath, ".\\A .\\A\\gone .\\A\\sub .\\b .\\c "},
        // Status, higher first; equal status by title, never reversed.
        {kDiffSortStatus, ".\\A\\gone .\\c .\\A .\\b .\\A\\sub "},
        {kDiffSortStatus | kDiffSortReversed, ".\\A .\\b .\\A\\sub .\\c .\\A\\gone "},
        // Own files and total, larger first; equal values by path, never reversed.
        {kDiffSortFiles, ".\\c .\\A\\sub .\\A .\\A\\gone .\\b "},
        {kDiffSortSum | kDiffSortReversed, ".\\b .\\A\\gone .\\A .\\A\\sub .\\c "}};
    for (const auto& [mode, order] : sorts) {
        SortDifferenceRows(&rows, mode);
        std::string paths;
        for (const DifferenceRow& row : rows) {
            paths += row.path + " ";
        }
        EXPECT_EQ(paths, order) << "mode " << mode;
    }
    const int clicks[][3] = {{1, 0, 17}, {17, 2, 4}, {8, 9, 8}};
    for (const auto& click : clicks) {
        EXPECT_EQ(DifferenceSortAfterClick(click[0], click[1]), click[2]);
    }
}

}  // namespace
}  // namespace qv
