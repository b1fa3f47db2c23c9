// The two file-list menus of the main menu: "Quick &Load" (report files of the Reports folder)
// and "&Load Filters" (filter files of the Filters folder).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace qv {

// The files behind one file-list menu; item i carries the id first + i.
struct FileList {
    int firstId = 0;
    std::vector<std::string> paths;

    // The file of a chosen item, or null for an id outside the list.
    const std::string* PathOf(int id) const;
    void Clear() { paths.clear(); }
};

// Lists the files of `folder` with `extension` (at most 99, in listing order) into `list` and
// makes their submenu, one item per file titled with the shell's display name. Null (and an
// empty list) when the folder does not exist or holds no such file.
HMENU BuildFileListMenu(const std::string& folder, const char* extension, int firstId, FileList* list);

// Position 3 of the &Report menu becomes the "Quick &Load" submenu of the Reports folder's
// ".mcr" files, or a plain, disabled "Quick &Load" item when there are none.
void RebuildQuickLoadMenu(HMENU reportMenu, const std::string& reportsFolder, FileList* list);

// When the Filters folder has ".mcf" files, the item at position 3 of the &Settings menu is
// removed and their "&Load Filters" submenu appended at the end; otherwise nothing changes, the
// list included.
void RebuildLoadFiltersMenu(HMENU settingsMenu, const std::string& filtersFolder, FileList* list);

}  // namespace qv
