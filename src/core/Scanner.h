// The folder scanner: the walk that turns a folder tree on disk into a report's folder records,
// the totals pass that adds files items and sub-tree totals, and the finishing pass that sets
// latest access, temporary marks, size classes and titles.
//
// None of the passes recurses along the tree: each keeps its own stack, so a tree of any depth
// is handled on a small thread stack. The walk never changes the process's current directory;
// it lists every folder once, counting the files and creating the sub-folder records in listing
// order, and opens each sub-folder from its parent's open folder (see platform::FolderHandle):
// on POSIX, and under Wine, at any depth and never through a symbolic link, which is counted as
// a file of its own size. A folder's own dates come from its parent's listing, read before the
// folder itself is listed. The walk runs on several threads that take folders from one shared
// stack; the tree, its order and its figures are the same whatever their number.
//
// A folder that cannot be opened or listed keeps its dates (and its path when it could be
// entered), reads as empty and gets the mark "error here" (ERR); its ancestors get "error
// below". Folders on pseudo file systems (proc, sysfs, ...) below the root are shown empty
// without being entered, and so are all other file systems when the control says so.
//
// Limitations: on Windows a folder whose path the system refuses (too long) is recorded as one
// that cannot be read. Directory entries that are links or junctions (reparse points) are
// entered there, except when they lead back to the scan root, below it, or to or below a link
// already entered on the way; those are recorded like folders that cannot be entered, so the
// walk always ends.
#pragma once

#include <atomic>
#include <functional>
#include <string>

#include "core/FolderRecord.h"
#include "core/Report.h"
#include "core/TitleComposer.h"

namespace qv {

// Shows the progress of a scan: the current folder or phase, and whether Cancel is enabled.
// Called on the scanning thread, or on any of the walking threads, one call at a time.
using ScanProgress = std::function<void(const char* text, bool cancelEnabled)>;

// What the caller of a scan supplies; every part may be left empty. The cancel flag is written
// by another thread and polled where the passes check it; a stale read only delays the stop.
struct ScanControl {
    const std::atomic<int>* cancel = nullptr;  // non-zero asks the passes to stop
    ScanProgress progress;                     // the path of every fourth folder entered
    // When not zero, a folder's path is shown only once this many milliseconds have passed since
    // the last one: a display that costs more than a folder's scan then does not slow the walk.
    unsigned progressPauseMs = 0;
    TitleComposer titles;                      // names the records in the finishing pass; none keeps names
    // Told the full path of every folder that could not be read, and why ("Permission denied").
    std::function<void(const char* path, const char* reason)> unreadable;
    // Keeps the walk on the root's file system: folders where another one is mounted are shown
    // empty, as `du -x` leaves them out.
    bool oneFileSystem = false;
    // Called with a folder's full path just before the walk opens it; tests change the tree there.
    std::function<void(const char* path)> beforeOpen;
    // Threads the walk uses: 0 for one per hardware thread, at most 8. The callbacks above are
    // then called from any of them, one call at a time.
    unsigned threads = 0;
};

// Walks the folder `path` into `record` (already linked into the tree) and everything below it:
// direct file counts, sizes, allocated space, per-filter counts, dates and the temporary mark.
// Returns the top of the tree, or null when cancelled or when path or record is missing.
FolderRecord* ScanFolder(Report* report, const char* path, FolderRecord* record, const ScanControl& control);

// Adds the files items and turns the direct values of a freshly walked tree into sub-tree
// totals (the direct per-filter values are kept under the 4-6 codes). Returns the record, or
// null when cancelled or missing.
FolderRecord* AddTotals(Report* report, FolderRecord* record, const ScanControl& control);

// Sets latest access, temporary marks, size classes, the report serial and the display titles
// of the sub-tree. Returns the record, or null when cancelled or missing.
FolderRecord* FinishTree(Report* report, FolderRecord* record, const ScanControl& control);

// The three passes one after another on a new root named `path`, with the phase texts of the
// scan job ("Collecting Statistics...", "Finalizing...", "Initializing tree items..."). On
// success the new tree becomes the report's root and is returned; on cancel or failure the
// partial tree is deleted, the report keeps its previous root and the result is null.
FolderRecord* ScanReport(Report* report, const std::string& path, const ScanControl& control);

}  // namespace qv
