// The filter editor (dialog 174, "File Filters") and the save and load dialogs of filter files.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "filters/FilterSet.h"

namespace qv::ui {
class MCMain;
}

namespace qv {

// What the editor starts from. Without write back the editor is read-only: the commands that
// change the set are hidden and the boxes disabled.
struct FilterEditorSource {
    const FilterSet* set = nullptr;  // a copy of this set, or, when null,
    std::string file;                // the filter file loaded from this path
    bool writeBack = false;
    std::int32_t idToSelect = 0;  // below 1: the first line
    std::string filtersFolder;    // where the Save and Load dialogs start ("" for the default)
};

// Shows the editor modally over `owner` (`ui` restyles it; null shows plain controls); the modal
// seam sees it as ModalKind::FilterEditor. True when OK was pressed with write back on; `result`
// then holds the edited filters.
bool ShowFilterEditor(HWND owner, ui::MCMain* ui, const FilterEditorSource& source, FilterSet* result);

// The system save dialog "Save Filters to file" for filter files, proposing the set's remembered
// name, starting in `folder` when it exists; saves on confirmation and then remembers the chosen
// name. True when saved.
bool SaveFiltersWithDialog(HWND owner, FilterSet* set, const std::string& folder);
// The open dialog "Open Filters File"; loads the chosen file when it exists. True when loaded.
bool LoadFiltersWithDialog(HWND owner, FilterSet* set, const std::string& folder);

}  // namespace qv
