// The scan job: a scan on a worker thread behind the modal progress window (dialog 169), and
// opening a report file, each yielding a finished Report.
//
// One job runs at a time in the process: a CreateReport that starts while another job runs
// returns none at once. The progress window owns the job's state; the worker owns the report
// until the window has closed, and the caller's thread joins it before it looks at the report
// again. The cancel flag is an atomic that the window's Cancel sets and the scanner polls.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "core/Report.h"
#include "core/ReportFile.h"
#include "view/ItemTitle.h"

namespace qv::ui {
class MCMain;
}

namespace qv {

// What a job needs from the application.
struct ScanJobContext {
    HWND owner = nullptr;                      // the main window: the progress window's owner
    std::int64_t userClusterSize = 0;          // "common:cluster"; 0 means automatic clusters
    ui::MCMain* ui = nullptr;                  // the restyled look of the window; may be null
    std::function<void(Report&)> showFilters;  // makes the application show a report's filters
};

// Scans `path` into a new Report with the enabled filters of `filters`. Unless
// `keepDisplayedFilters`, the application is then asked to show the new report's filters.
// None when the scan was cancelled, failed, or another job is running.
std::unique_ptr<Report> CreateReport(const std::string& path,
                                     const FilterSet* filters,
                                     const TreeViewOptions& options,
                                     bool keepDisplayedFilters,
                                     const ScanJobContext& context);

// Runs the scan of `path` into `report` behind the progress window: cluster policy, created
// text, the three passes on the worker. Returns the report's new root, or none (and the report
// keeps no new tree) when cancelled, failed or another job runs.
FolderRecord* RunScanJob(Report* report,
                         const std::string& path,
                         const TreeViewOptions& options,
                         const ScanJobContext& context);

// Opens a report file into a new Report (no worker, no window), for reading and writing; none
// on failure, with the reason in `error`. A report from a file that ended early is returned
// with `error` Incomplete: the caller shows it and says so.
std::unique_ptr<Report> OpenReportFile(const std::string& path,
                                       const TreeViewOptions& options,
                                       ReportFileError* error = nullptr);

// True while a scan job runs.
bool ScanJobRunning();

}  // namespace qv
