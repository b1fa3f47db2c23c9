// What the program asks of the Windows shell: showing a folder or opening a document, the
// folder, file and print dialogs, display names, shortcuts, deleting to the recycle bin, files
// dropped onto the program, and the start-up resources. Dragging files out is in DragDrop.h.
//
// Every operation runs on the user-interface thread and reports failure by its result; none
// shows a message of its own (only the shell's own dialogs appear). The dialogs and ShellExecute
// go through the modal windows' seam (ui/ModalSeam.h).
#pragma once

#include <windows.h>

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "shell/ShellPaths.h"
#include "core/FolderRecord.h"

namespace qv::shell {

// Paths the program keeps in its own buffers are at most this many bytes.
constexpr std::size_t kMaxPathText = 511;

// Shows the folder of `record` (its ALC path) or, without a record, `path`: in an Explorer
// window ("explore") when `explore` (the setting "common:browse" is non-zero), else in a plain
// folder window ("open"). Nothing happens without a path. False when the shell refused.
bool BrowseFolder(FolderRecord* record, const std::string& path, HWND owner, bool explore);

// Opens a document with the shell's "open" action. False when the shell refused.
bool OpenDocument(const std::string& path);

// The shell's folder dialog, titled `title` or "Choose a folder", starting with `initialFolder`
// selected when one is given. True with the chosen file-system folder (at most kMaxPathText
// bytes); false with an empty text when cancelled or when the choice is no file-system folder.
// The process's current directory is the same afterwards.
bool ChooseFolder(HWND owner, const std::string& initialFolder, std::string* chosen, const char* title = nullptr);

// The open-file dialog: the filter list offers `filterDescription`/`filterMask` and then "All
// files" with "*.*"; the file and its path must exist. `fileName` holds the initial name and
// receives the chosen path.
bool ShowOpenFileDialog(HWND owner,
                        const char* filterDescription,
                        const char* filterMask,
                        std::string* fileName,
                        const std::string& initialFolder,
                        const char* title);

// The save-file dialog with the same filter list; asks before overwriting, the path must exist,
// `defaultExtension` is added when the user types none.
bool ShowSaveFileDialog(HWND owner,
                        const char* filterDescription,
                        const char* filterMask,
                        const char* defaultExtension,
                        std::string* fileName,
                        const std::string& initialFolder,
                        const char* title);

// The full path of a (possibly relative) path and the name under which the shell shows it.
bool GetDisplayName(const std::string& path, std::string* fullPath, std::string* displayName);

// Resolves a shortcut file with the shell's link object (moved targets are searched for; the
// shell may show its search dialog owned by `owner`) and gives the target's long path. False
// with an empty text when it cannot be resolved.
bool ResolveShortcut(HWND owner, const std::string& shortcut, std::string* target);

// Creates a shortcut file `shortcut` that points at `target` (the program itself never does;
// tests and tools use it). False on failure.
bool CreateShortcut(const std::string& shortcut, const std::string& target);

struct DeleteResult {
    bool succeeded = false;  // the shell reported success
    bool aborted = false;    // the user or the shell stopped part of the operation
};

// One shell delete of every path of the list: into the recycle bin unless `permanent`; without
// a progress window when `quiet`; without any question unless `confirm` (a move to the recycle
// bin that cannot be done still asks before it deletes for good).
DeleteResult DeleteFiles(HWND owner, const PathList& paths, bool quiet, bool confirm, bool permanent);

// Lets a window accept dropped files (or stop accepting them).
void AcceptDroppedFiles(HWND window, bool accept);
// Reads the paths of a drop in drop order and releases the drop.
PathList TakeDroppedFiles(HDROP drop);

// The print dialog's last confirmed choice, kept for the program's run. Owns its memory blocks.
class PrintMemory {
  public:
    PrintMemory() = default;
    ~PrintMemory();
    PrintMemory(const PrintMemory&) = delete;
    PrintMemory& operator=(const PrintMemory&) = delete;

    bool HasChoice() const { return m_devMode != nullptr || m_devNames != nullptr; }
    // A copy of the remembered device mode (the driver's part included); empty without one.
    std::vector<char> DevModeBytes() const;
    // The number of copies the dialog gave outside the device mode.
    WORD Copies() const { return m_copies; }

  private:
    friend bool ShowPrintDialog(bool, DWORD, HWND, PrintMemory*, HDC*);
    void Store(const PRINTDLGA& dialog);
    void Restore(PRINTDLGA* dialog) const;

    HGLOBAL m_devMode = nullptr;
    HGLOBAL m_devNames = nullptr;
    DWORD m_flags = 0;
    WORD m_copies = 1;
};

// The print dialog without selection, page numbers or print-to-file, pages 1..1, using the device
// mode for copies and collation, plus `options` (PD_... bits). Returns true when confirmed; then
// `dc` receives the printer's device context (the caller deletes it) unless `setupOnly`, which
// shows printer setup and gives no device context. The previous choice in `memory` is restored
// first and a confirmed choice stored back.
bool ShowPrintDialog(bool setupOnly, DWORD options, HWND parent, PrintMemory* memory, HDC* dc);

// What the shell object takes at start-up: the system's small-icon image list (owned by the
// system) and the registered clipboard format "Shell IDList Array".
struct StartupResources {
    HIMAGELIST smallIcons = nullptr;
    UINT idListFormat = 0;
};
StartupResources TakeStartupResources();

// Item-id lists. A list from PathToIdList or ParseNameInFolder belongs to the caller
// (CoTaskMemFree); a folder from BindToFolder too (Release).
LPITEMIDLIST PathToIdList(const std::string& path);
IShellFolder* BindToFolder(LPCITEMIDLIST folder);
LPITEMIDLIST ParseNameInFolder(IShellFolder* folder, const std::string& name);
// The sum of the item sizes plus the two-byte terminator; 0 for no list.
UINT IdListSize(LPCITEMIDLIST list);

// Initialises OLE for the calling thread for the scope's lifetime when it was not yet.
class OleScope {
  public:
    OleScope();
    ~OleScope();
    OleScope(const OleScope&) = delete;
    OleScope& operator=(const OleScope&) = delete;

  private:
    HRESULT m_result;
};

}  // namespace qv::shell
