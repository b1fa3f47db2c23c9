// The Tools commands and the dialogs they open.
#include "tools/win/ToolCommands.h"

#include "app/CommandIds.h"

namespace qv::tools {

void OpenFileTool(HWND owner, ui::MCMain* ui, int toolCommand, const ToolStart& start) {
    switch (toolCommand) {
        case cmd::kToolAttributes:
            ShowFileAttributesTool(owner, ui, start);
            break;
        case cmd::kToolDateTime:
            ShowFileDateTimeTool(owner, ui, start);
            break;
        case cmd::kToolListOfFiles:  // the list of files dialog (220) opens here
        case cmd::kToolTemporaryFolders:  // the temporary folders dialog (222) opens here
        default:
            break;
    }
}

}  // namespace qv::tools
