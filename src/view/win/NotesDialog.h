// The "Notes" dialog (template 192): shows a folder's path and lets the user edit its notes.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "core/FolderRecord.h"

namespace qv::ui {
class MCMain;
}

namespace qv {

// Runs the dialog modally over `parent` with the folder's path (may be empty) and its notes.
// OK gives the edited text (at most kMaxNotesLength characters); Cancel gives none. `ui` gives
// the restyled look and the tool tips; null shows plain controls. The modal seam's hook sees it
// as ModalKind::Notes.
std::optional<std::string> RunNotesDialog(HWND parent,
                                          ui::MCMain* ui,
                                          const std::string& path,
                                          const std::string& text);

// Edit notes: runs the dialog for the record and stores what OK gave (see StoreNotes). True when
// the record's notes changed; the caller then rebuilds its title and the "Notes" button.
bool EditFolderNotes(HWND parent, ui::MCMain* ui, FolderRecord* record);

}  // namespace qv
