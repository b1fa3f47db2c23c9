// Toolbar enable rules, the context sub-menu chooser and item colours of the report window.
#include "view/ReportWindowRules.h"

#include "platform/Platform.h"

namespace qv {

TreeMenu ContextMenuFor(FolderRecord* record) {
    if (record == nullptr) {
        return TreeMenu::WhiteSpace;
    }
    if (record->parent == nullptr) {
        return TreeMenu::Root;
    }
    if (record->group > 0 || record->firstChild == nullptr) {
        return TreeMenu::Files;
    }
    return TreeMenu::Folder;
}

bool RecordFolderExists(FolderRecord* record) {
    const char* path = ReadText(record, ALC);
    return path != nullptr && *path != '\0' && platform::DirectoryExists(path);
}

ToolbarStates ToolbarStatesFor(int openReports, FolderRecord* current, bool folderExists) {
    ToolbarStates states;
    const bool roomLeft = openReports < kMaxShownReports;
    const bool isRoot = current != nullptr && current->parent == nullptr;
    const bool exists = current != nullptr && folderExists;
    states.create = roomLeft;
    states.open = roomLeft;
    states.close = isRoot;
    states.save = isRoot;
    states.whatsNew = exists;
    states.update = isRoot && exists;
    states.print = current != nullptr;
    states.browse = exists;
    return states;
}

std::int64_t ItemTextColour(FolderRecord* record) {
    if (record == nullptr) {
        return kDefaultColour;
    }
    return record->group > 0 ? kFilesItemColour : kFolderColour;
}

std::int64_t ItemBackgroundColour(FolderRecord* record) {
    return record != nullptr ? kItemBackground : kDefaultColour;
}

}  // namespace qv
