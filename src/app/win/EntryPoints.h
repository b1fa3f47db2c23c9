// Entry points through which the main shell opens windows that it does not own: the filter
// editor, the four file tools, printing, the comparison, the notes and the info panel's filter
// buttons. The shell fills those it has a window for when it starts, keeping any set before (tests
// set their own); until one is set, its command does nothing visible.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "core/FolderRecord.h"
#include "core/Report.h"
#include "filters/FilterSet.h"

namespace qv {

// What the filter editor is asked to edit.
struct FilterEditorRequest {
    // The set the editor starts from (the current filter set for "Edit &Filters..."); null when
    // it starts from `file`.
    const FilterSet* filters = nullptr;
    // A filter file to load first ("&Load Filters" items, dropped ".mcf" files); empty for none.
    std::string file;
    // When confirming may replace the current filter set ("&Load Filters", "Edit &Filters...");
    // false for a dropped filter file and a report's filters, which the editor only shows.
    bool hasTarget = false;
    // The filter whose line is selected first (below 1: the first line).
    std::int32_t idToSelect = 0;
};

struct ShellEntryPoints {
    // Runs the filter editor; true when the user confirmed, with the edited filters in `result`.
    std::function<bool(HWND owner, const FilterEditorRequest& request, FilterSet* result)> filterEditor;
    // Shows where filter `filterId` of `report` found files below `record`, and the files.
    std::function<void(HWND owner, Report* report, std::int32_t filterId, FolderRecord* record)> filterBrowser;
    // Opens a file tool (its command id 32802 to 32805) with a start path, or an empty one.
    std::function<void(HWND owner, int toolCommand, const std::string& startPath)> tool;
    // Prints the folder's information (32780) or the tree branch as on screen (32797).
    std::function<void(HWND owner, int printCommand, FolderRecord* record)> print;
    // "What's new" for a record of `report`.
    std::function<void(HWND owner, Report* report, FolderRecord* record)> compare;
    // Edits a record's notes; true when they changed (the shell then rebuilds the record's title).
    std::function<bool(HWND owner, FolderRecord* record)> editNotes;
};

}  // namespace qv
