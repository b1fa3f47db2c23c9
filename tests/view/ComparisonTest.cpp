// The difference tree of a report folder and its fresh scan: matching, marking, pruning, titles
// and descriptions, deep trees, odd figures, and the flat list's rows, cells and sort orders.
#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <limits>
#include <sstream>
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
    // One folder per line: "path size [files [folders [own]]]", parents before their children.
    void Build(std::initializer_list<const char*> lines) {
        for (const char* line : lines) {
            std::istringstream in(line);
            std::string path;
            std::int64_t figures[4] = {0, 0, 0, -1};
            in >> path >> figures[0] >> figures[1] >> figures[2] >> figures[3];
            Add(path, figures[0], figures[1], figures[2], figures[3]);
        }
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
        tree->Build({"a 1048576 2 1 100", "a/b 10 1"});
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
    fresh.Figures(fresh.Root(), 20 * kMB + 13107200 - 1572864 + 204800, 10, 7);
    // Docs is deleted and New created; Windows grows by 12.5 MB below; Temp gets a sub-folder;
    // Count one more file of the same size in total; "Mixed" and "mixed" are different folders;
    // below P only the number of files changes: marked, yet no title.
    old.Build({"Docs 1572864 3", "Windows 2097152 2 1 500", "Windows/sys 1048576 1", "Temp 0 0 1", "Same 1048576 1",
               "Count 1048576 1", "Mixed 1048576", "P 10 2 1", "P/c 10 2"});
    fresh.Build({"New 204800 1", "Windows 15204352 3 1 500", "Windows/sys 14155776 2", "Temp 0 0 2", "Temp/t 0",
                 "Same 1048576 1", "Count 1048576 2", "mixed 1048576", "P 10 3 1", "P/c 10 3"});
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
    old.Build({"gone 4000 4 3 1000", "gone/a 1000 1", "gone/b 2000 2 1 0", "gone/b/c 2000 2"});
    Diff diff(old, fresh);
    // gone is 0x01 | 0x04 | 0x08 | 0x40; b's own files are 0 bytes: no 0x08.
    const std::vector<std::string> expected = {"C:\\data|64", "  gone [ -3.91 K]|77", "    a [ -1000 bytes]|13",
                                               "    b [ -1.95 K]|69", "      c [ -1.95 K]|13"};
    EXPECT_EQ(Dump(diff.root), expected);
    DifferenceNode* gone = diff.root->firstChild;
    EXPECT_EQ(ReadStat(gone, kDiffFilesSizeKey), -1000);
    EXPECT_FALSE(gone->lastChild->attrs.Find(kDiffFilesSizeKey));
    EXPECT_EQ(Description(gone), " Deleted    -3.91 K   -4 files   -3 folders");
}

TEST(Compare, DescriptionsCountFilesAndFolders) {
    // old folder, new folder, tree title, description
    const std::tuple<const char*, const char*, const char*, const char*> cases[] = {
        {"x 100 1", "x 1124 2", "x [ +1 K]", " +1 K   +1 file"},
        {"x 5000 5", "x 4100 2", "x [ -900 bytes]", " -900 bytes   -3 files"},
        {"x 10 1 2", "x 10 1 1", "x", "    -1 folder"},
        {"x 10 1", "x 10 1 7", "x", "    +7 folders"}};
    for (const auto& [oldFolder, newFolder, treeTitle, expected] : cases) {
        Tree old;
        Tree fresh;
        old.Build({oldFolder});
        fresh.Build({newFolder});
        Diff diff(old, fresh);
        DifferenceNode* node = diff.root->firstChild;
        ASSERT_NE(node, nullptr) << expected;
        const std::string before = node->name;
        const std::string description = Description(node);  // the title then carries the same text
        EXPECT_EQ(std::make_tuple(before, description, std::string(node->name), DifferenceTreeTitle(node)),
                  std::make_tuple(treeTitle, expected, "x [" + description + "]", treeTitle));
    }
}

TEST(Compare, MatchesTheFirstNamesakeOnEitherSide) {
    // Two old folders of one name both match the first new one; the second new one is not
    // created because the old side has the name. A folder without children is its own files.
    Tree old;
    Tree fresh;
    old.Build({"x 100", "x 300"});
    fresh.Build({"x 100", "x 999"});
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
    old.Build({"b 3000 3", "A 100 1 2 100", "A/gone 0", "A/sub 0"});  // b shrinks, c is created
    fresh.Build({"b 1000 1", "A 5100 2 1 200", "A/sub 5000 1", "c 7000 1"});
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
