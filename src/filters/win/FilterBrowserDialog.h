// The filtered files browser (dialog 178, "Filter : <name>"): where a report found the files of
// one filter, which files match it now, and opening, dragging out and deleting them.
#pragma once

#include <windows.h>

#include <cstdint>

#include "core/Report.h"

namespace qv::ui {
class MCMain;
}

namespace qv {

struct FilterBrowserSource {
    Report* report = nullptr;       // whose filters, cluster policy and created text are used
    std::int32_t filterId = 0;      // a filter of the report's set
    FolderRecord* start = nullptr;  // the report folder to start from
    bool destroy = false;           // common:destroy: delete for good instead of into the recycle bin
    bool explore = false;           // common:browse: "Browse" opens an Explorer window
};

// Shows the browser modally over `owner` (`ui` restyles it; null shows plain controls); the modal
// seam sees it as ModalKind::FilterBrowser. Shows nothing and returns false when the report's set is disabled, the
// filter is not in it, or no folder has files of it.
bool ShowFilterBrowser(HWND owner, ui::MCMain* ui, const FilterBrowserSource& source);

}  // namespace qv
