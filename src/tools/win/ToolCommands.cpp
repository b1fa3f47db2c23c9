// The Tools commands and the dialogs they open.
#include "tools/win/ToolCommands.h"

#include "app/CommandIds.h"
#include "tools/win/ListOfFilesDialog.h"
#include "tools/win/TempFoldersDialog.h"

namespace qv::tools {

void OpenFileTool(HWND owner, ui::MCMain* ui, int toolCommand, const ToolStart& start) {
    switch (toolCommand) {
        case cmd::kToolAttributes:
            ShowFileAttributesTool(owner, ui, start);
            break;
        case cmd::kToolDateTime:
            ShowFileDateTimeTool(owner, ui, start);
            break;
        case cmd::kToolListOfFiles:
            ShowListOfFiles(owner, ui, start.path, start.explore);
            break;
        case cmd::kToolTemporaryFolders: {
            TempFoldersSource source;
            source.settings = start.settings;
            source.startPath = start.path;
            source.explore = start.explore;
            ShowTemporaryFolders(owner, ui, source);
            break;
        }
        default:
            break;
    }
}

}  // namespace qv::tools
