// The engine of the filtered files browser without its window: where a report found the files
// of one filter (the folder tree and the folder list), which files on disk match the filter now
// (one folder scanned on demand), the two sorts, the three figures, and the delete commands with
// their safety checks and messages. The window and quarvex-cli both drive it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/ClusterPolicy.h"
#include "core/FolderRecord.h"
#include "filters/FilterSet.h"
#include "platform/Platform.h"

namespace qv {

// Sort keys of both lists: the column bit plus kBrowserSortReversed. File list: name, size,
// modified time; folder list: path, number of files, space. 0 keeps the order of building.
constexpr int kBrowserSortName = 1;
constexpr int kBrowserSortSize = 2;
constexpr int kBrowserSortTime = 4;
constexpr int kBrowserSortReversed = 16;
// The key after a click on column 0, 1 or 2: the same column again flips the reversed bit.
int BrowserSortAfterClick(int key, int column);

// The message box types and answers the browser asks with (the program's message box values).
constexpr int kAskOk = 0;
constexpr int kAskYesNoCancel = 3;
constexpr int kAskYesNo = 4;
constexpr int kAnsweredCancel = 2;
constexpr int kAnsweredYes = 6;
constexpr int kAnsweredNo = 7;

// One file that matched the filter when its folder was last scanned.
struct BrowserFile {
    std::string name;      // as the shell shows it
    std::string fileName;  // as the folder lists it
    std::string path;      // folder path, separator, file name
    std::string sortKey;   // of the name
    std::int64_t size = 0;
    std::int64_t allocated = 0;
    platform::FileTime modified = 0;  // last write, else creation, else last access
};

// A folder with own files of the filter (a line of the folder list). Count and space come from
// the report until the folder is scanned, then from the last scan.
struct BrowserEntry {
    std::string path;
    std::string sortKey;  // of the path
    std::int64_t count = 0;
    std::int64_t space = 0;
    std::int64_t bytes = 0;
    int treeItem = -1;
    bool scanned = false;
    std::string finalPath;  // where the path led at the last scan; empty when it could not be listed
    std::vector<BrowserFile> files;
};

// A visited report folder (an item of the folder tree), in walk order; children follow their
// parent. `entry` is its line of the folder list, or -1 when it has no own files.
struct BrowserFolder {
    std::string title;  // the report folder's display text
    std::string path;
    std::int64_t ownCount = 0;
    std::int64_t totalAllocated = 0;
    int parent = -1;
    int firstChild = -1;
    int nextSibling = -1;
    int entry = -1;
};

// The three figures under the lists: space ("%s %s" of FormatSize), count, bytes (grouped).
struct BrowserFigures {
    std::string space;
    std::string count;
    std::string bytes;
};

// What the browser asks of the system around it. The window answers with the program's message
// box, the shell's display names and the shell's delete; tests and the console give their own.
class BrowserHost {
  public:
    virtual ~BrowserHost() = default;
    // Shows a message of type kAsk... and returns the answer (kAnswered...).
    virtual int Ask(const std::string& text, const std::string& caption, int type) = 0;
    // The name under which the shell shows the file `path` (named `fileName` in its folder).
    virtual std::string DisplayName(const std::string& path, const std::string& fileName) = 0;
    struct DeleteOutcome {
        bool succeeded = false;
        bool aborted = false;
    };
    // One delete of all `paths`: permanent or into the recycle bin, quiet (no progress display),
    // confirm (the shell asks first).
    virtual DeleteOutcome Delete(const std::vector<std::string>& paths, bool quiet, bool confirm, bool permanent) = 0;
};

// The report attribute names of one filter's figures.
struct FilterStatKeys {
    std::string total;           // "1N@F:<name>" files of the folder and its sub-folders
    std::string own;             // "4N@F:<name>" the folder's own files
    std::string totalAllocated;  // "3A@F:<name>"
    std::string ownAllocated;    // "6A@F:<name>"
};
FilterStatKeys StatKeysOf(const std::string& filterName);

// One browser: a private copy of one filter of a report, the lists built from the report, and
// the files found on disk. The report must outlive Open; the lists do not point into it.
class FilterBrowserModel {
  public:
    explicit FilterBrowserModel(BrowserHost* host) : m_host(host) {}

    // Copies filter `filterId` of `reportFilters` and builds the lists from `start` down.
    // `policy` is the report's cluster policy; without one the policy is computed for the
    // volume of `rootPath`. False (nothing to show) when the set is missing or disabled, the id
    // is not in it, or no folder has files of the filter.
    bool Open(const FilterSet* reportFilters,
              std::int32_t filterId,
              FolderRecord* start,
              const ClusterPolicy* policy,
              const std::string& rootPath);

    const FilterInfo& Filter() const { return m_filter; }
    bool Temporary() const { return m_filter.temporary; }
    // common:destroy: delete for good instead of into the recycle bin.
    void SetDestroy(bool destroy) { m_destroy = destroy; }
    bool Destroy() const { return m_destroy; }
    const std::string& StartPath() const { return m_startPath; }

    const std::vector<BrowserFolder>& Folders() const { return m_folders; }
    const std::vector<BrowserEntry>& Entries() const { return m_entries; }
    const BrowserEntry& Entry(int index) const { return m_entries[static_cast<std::size_t>(index)]; }

    // Lists the files of entry `index` that match the filter now; returns their number. A folder
    // that cannot be listed has none.
    std::int64_t ScanEntry(int index);
    // Scans the entry unless it was scanned before.
    void EnsureScanned(int index);
    // Re-Scan: every entry again.
    void RescanAll();

    // The display orders (indexes) of an entry's files and of the entries under a sort key.
    std::vector<int> FileOrder(int entry, int key) const;
    std::vector<int> EntryOrder(int key) const;
    // The figures for entry `entry` in the list view, or for tree item `folder` (its total
    // space from the report) in the tree view; -1 for none.
    BrowserFigures Figures(int entry, int folder) const;

    // The paths of the files `files` of entry `entry` that may be deleted now: the filter is
    // temporary, the folder leads where it led at the scan, and each file still exists there as a
    // file (not a folder, not a link). `refused` counts the others.
    std::vector<std::string> DeletablePaths(int entry, const std::vector<int>& files, int* refused) const;
    // "Delete" (the selected files; no progress display suppressed) and "Delete All" (every file
    // of the entry, quietly), each with the messages of the browser; the entry is scanned again.
    void DeleteFiles(int entry, const std::vector<int>& files);
    void DeleteAllFiles(int entry);
    // "Delete Files": every file that matches now in the folders `entries`, after one question.
    void DeleteFolderFiles(const std::vector<int>& entries);

    // The files to open for a selection: all, the first or none, asking when there is more
    // than one.
    std::vector<std::string> FilesToOpen(int entry, const std::vector<int>& files);

  private:
    void Build(FolderRecord* start);
    void DeleteListed(int entry, const std::vector<int>& files, bool quiet);

    BrowserHost* m_host;
    FilterSet m_set;
    FilterInfo m_filter;
    bool m_destroy = false;
    ClusterPolicy m_policy;
    std::string m_startPath;
    std::vector<BrowserFolder> m_folders;
    std::vector<BrowserEntry> m_entries;
};

}  // namespace qv
