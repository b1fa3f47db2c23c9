// The report window's decisions that need no window: which toolbar buttons are enabled, which
// context sub-menu a tree position gets, and the colours of tree items.
#pragma once

#include <cstdint>

#include "core/FolderRecord.h"

namespace qv {

constexpr int kMaxShownReports = 5;

// Sub-menus of the tree's context menu, by their index in the menu resource.
enum class TreeMenu : int { WhiteSpace = 0, Root = 1, Folder = 2, Files = 3, Difference = 4 };

// Empty space for no record, the root menu for a report's root, the files menu for a files item
// or a folder without sub-folders, the folder menu otherwise.
TreeMenu ContextMenuFor(FolderRecord* record);

// The context menu's own commands; others that a menu returns are ignored.
constexpr int kFirstTreeCommand = 32783;
constexpr int kLastTreeCommand = 32798;
constexpr bool IsTreeCommand(int id) {
    return id >= kFirstTreeCommand && id <= kLastTreeCommand;
}

// True when the record's full path is a non-empty text naming an existing folder.
bool RecordFolderExists(FolderRecord* record);

// The enabled state of the eight toolbar buttons.
struct ToolbarStates {
    bool create = false;
    bool close = false;
    bool open = false;
    bool save = false;
    bool whatsNew = false;
    bool update = false;
    bool print = false;
    bool browse = false;
};
// `folderExists` tells whether the current record's folder exists on disk.
ToolbarStates ToolbarStatesFor(int openReports, FolderRecord* current, bool folderExists);

// Item colours as COLORREF values (0x00BBGGRR); kDefaultColour leaves the control's own.
constexpr std::int64_t kDefaultColour = -1;
constexpr std::int64_t kFilesItemColour = 0x782828;  // dark blue
constexpr std::int64_t kFolderColour = 0x000000;
constexpr std::int64_t kItemBackground = 0xFFFFFF;
std::int64_t ItemTextColour(FolderRecord* record);
std::int64_t ItemBackgroundColour(FolderRecord* record);

}  // namespace qv
