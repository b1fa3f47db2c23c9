// Every text the folder info panel shows for a record, its visibility rule and its filter rows
// (building, sorting, header clicks), as plain functions that need no window.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/ClusterPolicy.h"
#include "core/FolderRecord.h"
#include "filters/FilterSet.h"

namespace qv {

constexpr const char* kFullPathLabel = "Full path.................";
constexpr const char* kClusterLabel = "Cluster...................";

// The "Notes" button's text colour (a COLORREF: 0x00BBGGRR) when the folder has notes.
constexpr std::uint32_t kNotesColour = 0x800000;

// Which group of the panel's controls a control belongs to, for the visibility rule.
enum class InfoControlGroup {
    Always,          // buttons, the report line, name, second row, used space, size, files, separators
    FolderOnly,      // Folders, Created, Last accessed: hidden for a files item
    FilterBlock,     // the filter list and its two buttons: shown with the filter list
    HiddenCheckBox,  // "Show file filters": never visible, it only mirrors the list flag
};

// Whether a control of `group` is visible: nothing without a record.
bool InfoControlVisible(InfoControlGroup group, bool hasRecord, bool filesItem, bool filterListShown);

// The texts of the panel's value fields for one record.
struct InfoTexts {
    std::string reportCreated;  // "Created %s" or empty
    std::string name;           // the plain folder name
    std::string fullPath;       // the ALC path (the Name field's tool tip), at most 511 bytes
    bool isRoot = false;        // second row: cluster (root) or full path (below)
    std::string secondLabel;
    std::string secondValue;
    std::string usedSpace;
    std::string size;
    std::string files;  // with the read-error mark in parentheses when there is one
    std::string folders;
    std::string created;
    std::string lastAccessed;
};

// Fills every value text for `record`; `policy` is the cluster policy of the record's report
// (null when it has none).
InfoTexts DescribeFolder(FolderRecord* record, const ClusterPolicy* policy);

// "n/a", "auto: N bytes", "user: N bytes" or "not used"; "not used" also for a missing policy or
// a cluster shift outside 0..62.
std::string ClusterText(const ClusterPolicy* policy);
// "2 K (2 048)", "700 bytes", "0".
std::string SizeText(std::int64_t bytes);
// "1.27 Gb" or "0".
std::string UsedSpaceText(std::int64_t allocated);
// The number, or "none" for 0.
std::string CountText(std::int64_t count);
// "<date> at <time>" of a creation time, or "[unknown]".
std::string CreationText(std::uint64_t fileTime);
// The date of the latest access, or empty.
std::string LastAccessText(std::uint64_t fileTime);

// True when the record's notes attribute is a non-empty text.
bool HasNotes(FolderRecord* record);

// One row of the filter list: the three column texts and the sort keys.
struct FilterRow {
    std::string name;   // "01. Temporary files [temp]"
    std::string space;  // "12 K" or "-"
    std::string count;  // "3" or "-"
    std::int64_t allocated = 0;
    std::int64_t files = 0;
    std::int32_t id = 0;
};

// One row per filter of `filters`, by position, with the record's sub-tree totals for it.
std::vector<FilterRow> BuildFilterRows(const FilterSet& filters, FolderRecord* record);

// Row sort modes: the column bit plus kRowSortReversed for the reversed order.
constexpr int kRowSortName = 1;
constexpr int kRowSortSpace = 2;
constexpr int kRowSortCount = 4;
constexpr int kRowSortReversed = 16;

// Orders two texts: negative, 0 or positive. Names of filter rows are compared case-sensitively;
// the Windows build passes the system's locale-aware comparison.
using TextComparison = int (*)(const char* a, const char* b);

// -1 when row `a` goes before row `b` under `mode`, 1 when after, 0 when the mode keeps the order.
int CompareFilterRows(const FilterRow& a, const FilterRow& b, int mode, TextComparison compareText = nullptr);

// The display order of `rows` (indexes into rows) sorted under `mode`.
std::vector<int> SortedRowOrder(const std::vector<FilterRow>& rows, int mode, TextComparison compareText = nullptr);

// The row sort mode after a click on header `column` (0 name, 1 space, 2 count): the same column
// again flips the reversed bit, another column sorts by it alone. Unknown columns keep the mode.
int RowSortAfterHeaderClick(int mode, int column);

// The display position of the row of filter `id` in `order`, or -1.
int DisplayRowOfFilter(const std::vector<FilterRow>& rows, const std::vector<int>& order, std::int32_t id);

}  // namespace qv
