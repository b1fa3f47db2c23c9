// The list of files tool (dialog 220, "Save list of files "): writes the names of a folder's
// files that pass the masks into a text file, as a flat list or grouped by folder.
#pragma once

#include <windows.h>

#include <string>

namespace qv::ui {
class MCMain;
}

namespace qv {

// Shows the tool modally over `owner` with an optional start path (a shortcut is resolved; a
// file stands for its folder); `explore` is common:browse. The choices are remembered for the
// program's run. The modal seam sees it as ModalKind::ListOfFiles.
void ShowListOfFiles(HWND owner, ui::MCMain* ui, const std::string& startPath, bool explore);

}  // namespace qv
