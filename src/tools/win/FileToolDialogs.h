// The file attributes tool (dialog 218, "Modify File Attributes") and the file date and time
// tool (dialog 217, "Change File Date and Time"), each with the choices it remembers for the
// program's run.
#pragma once

#include <windows.h>

#include <string>

#include "attr/AttrTree.h"

namespace qv::ui {
class MCMain;
}

namespace qv::tools {

// What a tool is opened with: the start path (empty for none), whether "Browse" shows an
// Explorer window, and the settings document whose list of temporary folders that tool keeps.
struct ToolStart {
    std::string path;
    bool explore = false;
    AttrNode* settings = nullptr;
};

// Each runs its dialog modally over `owner` (`ui` restyles it; null shows plain controls); the
// modal seam sees it as ModalKind::FileAttributes or ModalKind::FileDateTime.
void ShowFileAttributesTool(HWND owner, ui::MCMain* ui, const ToolStart& start);
void ShowFileDateTimeTool(HWND owner, ui::MCMain* ui, const ToolStart& start);

}  // namespace qv::tools
