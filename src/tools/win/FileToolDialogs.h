// The file attributes tool (dialog 218, "Modify File Attributes") and the file date and time
// tool (dialog 217, "Change File Date and Time"), each with the choices it remembers for the
// program's run.
#pragma once

#include <windows.h>

#include <string>

namespace qv::ui {
class MCMain;
}

namespace qv::tools {

// What a tool is opened with: the start path (empty for none) and whether "Browse" shows an
// Explorer window.
struct ToolStart {
    std::string path;
    bool explore = false;
};

// Each runs its dialog modally over `owner` (`ui` restyles it; null shows plain controls); the
// modal seam sees it as ModalKind::FileAttributes or ModalKind::FileDateTime.
void ShowFileAttributesTool(HWND owner, ui::MCMain* ui, const ToolStart& start);
void ShowFileDateTimeTool(HWND owner, ui::MCMain* ui, const ToolStart& start);

}  // namespace qv::tools
