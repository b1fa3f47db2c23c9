// "Show folders" and "Sort by" of the report tree: which folders qualify, how siblings are
// ordered, which folders a populated tree holds, the list texts, and how the settings change them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/FolderRecord.h"
#include "view/ItemTitle.h"

namespace qv {

// The "Show folders" criterion; the value is the list entry's index.
enum ShowMode : std::int32_t { ShowAll = 0, ShowTemporary = 1, ShowLargerThan = 2, ShowNotAccessed = 3 };

// The "Sort by" order; the value is the list entry's index.
enum SortMode : std::int32_t { SortByName = 0, SortBySize = 1, SortByCreated = 2, SortByAccess = 3 };

constexpr std::int64_t kDefaultSizeThreshold = 1048576;
// DescribeShowMode writes at most this many bytes, the terminating zero included.
constexpr std::size_t kShowModeTextSize = 512;

// A statistic read leniently: 'i'/'q' by value, a text by its leading decimal number, else 0.
std::int64_t ReadStatLenient(FolderRecord* record, const char* key);

// Whether `record` qualifies for the options' show mode. Modes outside 0..3 qualify everything;
// a missing record never qualifies.
bool MatchesShowMode(const TreeViewOptions& options, FolderRecord* record);

// Writes the "Show folders" entry of `mode` into `out` (kShowModeTextSize bytes) and returns true;
// an index above 3 (or below 0) writes an empty text.
bool DescribeShowMode(const TreeViewOptions& options, int mode, char* out);

// The "Show folders" entries in list order: DescribeShowMode for 0, 1, ... until one is empty.
std::vector<std::string> ShowModeEntries(const TreeViewOptions& options);

// The four "Sort by" entries in list order.
const std::vector<std::string>& SortModeEntries();

// The sort mode of a "Sort by" entry: 1, 2 and 3 are themselves, anything else is by name.
SortMode SortModeForEntry(int entry);

// Sets the show mode; modes outside 0..3 are refused (false) and the old mode stays.
bool SetShowMode(TreeViewOptions* options, int mode);
// Sets the size threshold to `kilobytes` × 1024 when `kilobytes` > 0 (saturating far beyond any
// disk); returns the threshold now in force, in bytes.
std::int64_t SetSizeThresholdKb(TreeViewOptions* options, std::int64_t kilobytes);
// Sets the age when `days` > 0 and recomputes the access cutoff from today's date; returns the
// age now in force.
std::int32_t SetAgeDays(TreeViewOptions* options, std::int32_t days);

// Orders two display titles ignoring case: negative, 0 or positive.
using NameComparison = int (*)(const char* a, const char* b);
// The portable comparison: bytes compared with ASCII letters folded to lower case. The Windows
// build passes the system's locale-aware comparison instead.
int CompareNamesIgnoringCase(const char* a, const char* b);

// Negative when `a` goes before `b` under `mode`, positive when after, 0 when equal or when either
// record is missing or the mode is outside 0..3. Names ascend; sizes and times descend, a missing
// value counting as 0.
int CompareFolders(FolderRecord* a, FolderRecord* b, int mode, NameComparison compareNames = &CompareNamesIgnoringCase);

// The folders of the tree at `root` that a populated tree shows under the options' show mode, in
// insertion order (a parent before its children, siblings in the report's order). The root is
// always shown and never tested; below it a folder that does not qualify is skipped together with
// everything below it. With mode 0 every folder is shown. An empty list for a null root.
std::vector<FolderRecord*> ShownFolders(FolderRecord* root, const TreeViewOptions& options);

// The same folders with every folder's shown children ordered by CompareFolders under `sortMode`
// (ties keep the report's order): the order in which a tree sorted that way lists them, so a
// tree filled in this order needs no sorting afterwards.
std::vector<FolderRecord*> ShownFoldersSorted(FolderRecord* root,
                                              const TreeViewOptions& options,
                                              int sortMode,
                                              NameComparison compareNames = &CompareNamesIgnoringCase);

// The children of `parent` that the options' show mode shows (no test in mode 0), ordered by
// CompareFolders under `sortMode` with ties in the report's order: the items a tree inserts below
// `parent` when it first opens it. Empty for a null parent.
std::vector<FolderRecord*> ShownChildrenSorted(FolderRecord* parent,
                                               const TreeViewOptions& options,
                                               int sortMode,
                                               NameComparison compareNames = &CompareNamesIgnoringCase);

// Whether `parent` has a child that the options' show mode shows: whether its item can be opened.
bool HasShownChildren(FolderRecord* parent, const TreeViewOptions& options);

// What applying the settings changed for "Show folders".
struct ShowSettingsOutcome {
    bool criterionChanged = false;  // the "Show folders" entries must be rebuilt
    bool refreshDue = false;        // the tree must be re-populated
};
// Decides from the settings' changes (threshold first, then age, as the settings apply them)
// what to redraw; `selectedEntry` is the "Show folders" entry the list currently selects. A
// changed threshold matters while entry 2 is shown; while entry 3 is shown any changed criterion
// re-populates, because the access entry's text follows the criterion too.
ShowSettingsOutcome ShowSettingsEffect(bool thresholdChanged, bool ageChanged, int selectedEntry);

}  // namespace qv
