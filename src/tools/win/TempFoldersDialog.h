// The temporary folders tool (dialog 222, "Temporary folders"): the user's list of temporary
// folders with the space their files take, adding, scanning for and emptying them.
#pragma once

#include <windows.h>

#include <string>

#include "attr/AttrTree.h"
#include "tools/TempFolders.h"

namespace qv::ui {
class MCMain;
}

namespace qv {

struct TempFoldersSource {
    // The settings document: the list is read from its "temporary" section and written back to
    // it on closing. Without one the list starts empty and is not kept.
    AttrNode* settings = nullptr;
    // Added as by "Add Folder" once the dialog is up (a file adds its folder); empty for none.
    std::string startPath;
    bool explore = false;  // common:browse: "Browse" opens an Explorer window
    // The folders that need confirmation before they are added.
    tools::ProtectedFolders protectedFolders = tools::QueryProtectedFolders();
};

// Shows the tool modally over `owner` (`ui` restyles it and gives the tips; null shows plain
// controls); the modal seam sees it as ModalKind::TemporaryFolders.
void ShowTemporaryFolders(HWND owner, ui::MCMain* ui, const TempFoldersSource& source);

}  // namespace qv
