// The flat list of a difference tree as the "What's new" dialog and `quarvex-cli diff` show it:
// which nodes get a row, the four cells, the sort modes and the colours of the tree view.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "view/Comparison.h"
#include "view/FolderSelection.h"

namespace qv {

// List sort bits: one per column (path, status, own files, total) and the reversed order.
constexpr int kDiffSortPath = 1;
constexpr int kDiffSortStatus = 2;
constexpr int kDiffSortFiles = 4;
constexpr int kDiffSortSum = 8;
constexpr int kDiffSortReversed = 16;

// The columns in list order.
constexpr const char* kDiffColumnTitles[] = {"Folder", "Status", "Size: Files", "Size: Sum"};

// One row: the node and its first cell (also stored in the node as "listref").
struct DifferenceRow {
    DifferenceNode* node;
    std::string path;
};

// Whether the node gets a row: every node but those whose kind is exactly 0x40 or 0x44.
bool HasDifferenceRow(DifferenceNode* node);

// The rows of the tree at `root`, from the root's first child (or the root without children),
// each node before its children. The first cell is "." and the part of the node's path after the
// root's path (with the root's trailing separator, if it has one), or "*" when the path is not
// longer than the root's. Stores each row's first cell
// in its node as "listref".
std::vector<DifferenceRow> BuildDifferenceRows(DifferenceNode* root);

// The "Status" cell: "deleted", "created", "size", "subf" for other changes, else " ".
std::string DifferenceStatus(DifferenceNode* node);
// The "Size: Files" and "Size: Sum" cells: the change with its sign, or "-".
std::string DifferenceFilesCell(DifferenceNode* node);
std::string DifferenceSumCell(DifferenceNode* node);
// The text of column 0..3 of a row.
std::string DifferenceCell(const DifferenceRow& row, int column);

// Orders two paths or titles ignoring case: negative, 0 or positive.
using TextOrder = std::function<int(const char* a, const char* b)>;

// Negative when row `a` goes before row `b` under `mode`, positive after, 0 when equal. Paths
// and titles are compared with `compareNames` (the system's case-insensitive order on Windows).
int CompareDifferenceRows(const DifferenceRow& a,
                          const DifferenceRow& b,
                          int mode,
                          const TextOrder& compareNames = &CompareNamesIgnoringCase);
// Sorts the rows under `mode`, rows that compare equal keeping their order. Without
// `compareNames` paths and titles compare as the platform orders names (platform::NameSortKey:
// on Windows the system's order, as the "What's new" list shows them).
void SortDifferenceRows(std::vector<DifferenceRow>* rows, int mode, const TextOrder& compareNames);
void SortDifferenceRows(std::vector<DifferenceRow>* rows, int mode);
// The sort mode after a click on column 0..3: the same column flips the reversed bit, another
// column sorts by it alone. Other columns keep the mode.
int DifferenceSortAfterClick(int mode, int column);

// The tree view's text colour of a node (a COLORREF, 0x00BBGGRR).
constexpr std::uint32_t kDiffDeletedColour = 0x808080;  // grey
constexpr std::uint32_t kDiffCreatedColour = 0x000060;  // dark red
constexpr std::uint32_t kDiffSizeColour = 0x700000;     // dark blue
std::uint32_t DifferenceTextColour(DifferenceNode* node);

// The display position of the row whose node has `node`'s "listref" text; for a node without one
// the first of its first-child chain that has one is looked for. -1 when none is found.
int RowOfNode(const std::vector<DifferenceRow>& rows, DifferenceNode* node);

}  // namespace qv
