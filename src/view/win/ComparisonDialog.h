// "What's new": the fresh scan of a report's folder, its comparison with the report, and the
// dialog (template 182, context menu 188) that shows the difference as a tree or a flat list.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "core/Report.h"
#include "core/win/ScanJob.h"
#include "view/Comparison.h"
#include "view/ItemTitle.h"

namespace qv::ui {
class MCMain;
}

namespace qv {

// What the comparison needs from the application.
struct WhatsNewContext {
    ui::MCMain* ui = nullptr;  // fonts, tool tips, the tree's window class
    ScanJobContext scan;       // the fresh scan's progress window and cluster size
    TreeViewOptions options;   // travel with the scan's filters
    // Opens a folder in a shell window ("Browse"); may be empty.
    std::function<void(const std::string& path)> browse;
};

// The message shown for a folder that is gone from disk, and its caption.
constexpr const char* kGoneFolderMessage =
    "This operation is valid only for existing folders!\nPlease choose one of parent (existing) folders for this "
    "operation.";
constexpr const char* kGoneFolderCaption = "Message";

// "What's new" for `record` of `report`: a folder gone from disk gets the message; otherwise (a
// files item standing for its folder) the folder is scanned afresh with the report's filters
// behind the progress window, compared with the record, and the dialog shows the difference.
// A missing report, a cancelled or failed scan end the command silently. The fresh report and the
// difference tree are freed before returning; the report is not changed. Returns the dialog's
// result (1 for Enter, 0 for Close), or -1 when no dialog was shown.
int ShowWhatsNew(HWND owner, Report* report, FolderRecord* record, const WhatsNewContext& context);

// The dialog alone, modal over `owner`, on a difference tree whose root carries the compared
// folder's path and the report's created text. The tree is the caller's; the dialog only adds its
// "listref" texts and the titles FormatDifference sets. The modal seam's hook sees it as
// ModalKind::Comparison.
int RunComparisonDialog(HWND owner,
                        ui::MCMain& ui,
                        DifferenceNode* root,
                        const std::function<void(const std::string& path)>& browse);

}  // namespace qv
