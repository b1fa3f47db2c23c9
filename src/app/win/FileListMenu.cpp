// The "Quick &Load" and "&Load Filters" menus built from the program's Reports and Filters folders.
#include "app/win/FileListMenu.h"

#include <utility>

#include "app/CommandIds.h"
#include "shell/win/Shell.h"
#include "app/ShellRules.h"
#include "platform/Platform.h"

namespace qv {
namespace {

constexpr int kFileListPosition = 3;

}  // namespace

const std::string* FileList::PathOf(int id) const {
    const int index = id - firstId;
    return index >= 0 && index < static_cast<int>(paths.size()) ? &paths[index] : nullptr;
}

HMENU BuildFileListMenu(const std::string& folder, const char* extension, int firstId, FileList* list) {
    *list = FileList{firstId, {}};
    const std::vector<std::string> names = ListFilesWithExtension(folder, extension, cmd::kFileListMaxItems);
    if (names.empty()) {
        return nullptr;
    }
    HMENU menu = CreatePopupMenu();
    if (menu == nullptr) {
        return nullptr;
    }
    for (const std::string& name : names) {
        const std::string path = platform::JoinPath(folder, name);
        std::string fullPath;
        std::string displayName;
        if (!shell::GetDisplayName(path, &fullPath, &displayName) || displayName.empty()) {
            displayName = name;
        }
        const int id = firstId + static_cast<int>(list->paths.size());
        if (AppendMenuA(menu, MF_STRING, id, displayName.c_str())) {
            list->paths.push_back(path);
        }
    }
    if (list->paths.empty()) {
        DestroyMenu(menu);
        return nullptr;
    }
    return menu;
}

void RebuildQuickLoadMenu(HMENU reportMenu, const std::string& reportsFolder, FileList* list) {
    if (reportMenu == nullptr) {
        return;
    }
    HMENU files = BuildFileListMenu(reportsFolder, "mcr", cmd::kQuickLoadFirst, list);
    DeleteMenu(reportMenu, kFileListPosition, MF_BYPOSITION);  // destroys an old submenu too
    if (files != nullptr) {
        InsertMenuA(reportMenu, kFileListPosition, MF_BYPOSITION | MF_POPUP, reinterpret_cast<UINT_PTR>(files),
                    "Quick &Load");
    } else {
        InsertMenuA(reportMenu, kFileListPosition, MF_BYPOSITION | MF_STRING | MF_GRAYED, cmd::kQuickLoadPlain,
                    "Quick &Load");
    }
}

void RebuildLoadFiltersMenu(HMENU settingsMenu, const std::string& filtersFolder, FileList* list) {
    if (settingsMenu == nullptr) {
        return;
    }
    FileList found;
    HMENU files = BuildFileListMenu(filtersFolder, "mcf", cmd::kLoadFiltersFirst, &found);
    if (files == nullptr) {
        return;  // the items shown before stay, and so do their files
    }
    *list = std::move(found);
    DeleteMenu(settingsMenu, kFileListPosition, MF_BYPOSITION);
    AppendMenuA(settingsMenu, MF_POPUP, reinterpret_cast<UINT_PTR>(files), "&Load Filters");
}

}  // namespace qv
