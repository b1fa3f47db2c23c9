// What the report window and the folder info panel need from the application: the open reports,
// the presentation options, the current record with its guard flag, the window module and the
// commands that belong to the main shell.
#pragma once

#include <windows.h>

#include <cstdint>

#include "ui/MCMain.h"
#include "core/Report.h"
#include "view/ItemTitle.h"

namespace qv {

class InfoPanel;

// Implemented by the main shell. The report window and the info panel keep a pointer to it and
// never own it; it must outlive both.
class ReportWindowHost {
  public:
    virtual ~ReportWindowHost() = default;

    // The open reports in slot order, index 0 to ReportCount() - 1; null past the count.
    virtual int ReportCount() const = 0;
    virtual Report* ReportAt(int index) const = 0;
    // The one set of presentation options (title flags, show mode, threshold, age, cutoff).
    virtual TreeViewOptions& ViewOptions() = 0;

    // The record selected in the report tree, or null.
    virtual FolderRecord* CurrentRecord() const = 0;
    virtual void SetCurrentRecord(FolderRecord* record) = 0;
    // While set, selection reports from the tree are ignored (the tree is being re-populated).
    virtual bool SelectionGuard() const = 0;
    virtual void SetSelectionGuard(bool on) = 0;
    // The info panel that follows the selection; null when there is none.
    virtual InfoPanel* Panel() const = 0;

    // Runs a command of the shell's handler (32771 open, 32772 create, 32773 save, 32774
    // settings, 32775 filters, 32777 help, 32778 close, 32801 update).
    virtual void RunShellCommand(int commandId) = 0;
    // Closes the open report with this serial, as the toolbar's "Close" asks.
    virtual void CloseReportBySerial(std::int32_t serial) = 0;

    // The window module (the shell's MCMain): shared fonts, colours, tool tips, window class.
    virtual ui::MCMain& Module() = 0;

    // Operations that the host may provide; a host that does not override one leaves it doing nothing.
    // Opens the record's folder in a shell window ("Browse", "Browse Folder").
    virtual void BrowseFolder(FolderRecord* /*record*/) {}
    // "What's new": compares the record's folder with the disk.
    virtual void CompareWithDisk(FolderRecord* /*record*/) {}
    // Edits the record's notes; the caller refreshes titles and buttons afterwards.
    virtual void EditNotes(FolderRecord* /*record*/) {}
    // Prints the tree as on screen from `record`, or the folder's information.
    virtual void PrintTree(FolderRecord* /*record*/) {}
    virtual void PrintFolderInfo(FolderRecord* /*record*/) {}
    // The files a filter of `report` found below `record` ("Show files"), and the filter's
    // description in the read-only filter editor ("Show filters").
    virtual void ShowFilterFiles(Report* /*report*/, std::int32_t /*filterId*/, FolderRecord* /*record*/) {}
    virtual void ShowFilterDescription(Report* /*report*/, std::int32_t /*filterId*/) {}
};

}  // namespace qv
