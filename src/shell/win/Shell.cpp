// The shell operations on Win32: ShellExecute, the folder/file/print dialogs, display names,
// shell links, SHFileOperation, dropped files and item-id lists.
#include "shell/win/Shell.h"

#include <cstring>
#include <vector>

#include "ui/Guard.h"
#include "ui/ModalSeam.h"

namespace qv::shell {

namespace {

using ui::ModalAnswer;
using ui::ModalKind;
using ui::ModalSeam;
using ui::ModalShown;

std::wstring Widen(const std::string& text) {
    const int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    if (length <= 0) {
        return {};
    }
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), length);
    wide.pop_back();
    return wide;
}

std::string Truncated(const char* text) {
    std::string result(text);
    if (result.size() > kMaxPathText) {
        result.resize(kMaxPathText);
    }
    return result;
}

bool Execute(HWND owner, const char* verb, const std::string& path) {
    if (ModalSeam::Get().Recording()) {
        ModalShown shown;
        shown.kind = ModalKind::Execute;
        shown.title = verb;
        shown.text = path;
        ModalSeam::Get().Record(shown);
        return true;
    }
    const auto result = reinterpret_cast<INT_PTR>(ShellExecuteA(owner, verb, path.c_str(), "", nullptr, SW_SHOWNORMAL));
    return result > 32;
}

// The filter list of the file dialogs: the caller's entry, then "All files".
std::string FilterList(const char* description, const char* mask) {
    std::string filter;
    filter.append(description != nullptr ? description : "").push_back('\0');
    filter.append(mask != nullptr ? mask : "").push_back('\0');
    filter.append("All files").push_back('\0');
    filter.append("*.*").push_back('\0');
    filter.push_back('\0');
    return filter;
}

// What an open or save dialog is asked to show; a null text stands for an empty one.
ModalShown FileDialogRequest(ModalKind kind,
                             const char* filterDescription,
                             const char* filterMask,
                             const char* defaultExtension,
                             const std::string& fileName,
                             const std::string& initialFolder,
                             const char* title) {
    ModalShown request;
    request.kind = kind;
    request.title = title != nullptr ? title : "";
    request.folder = initialFolder;
    request.text = fileName;
    request.filterDescription = filterDescription != nullptr ? filterDescription : "";
    request.filterMask = filterMask != nullptr ? filterMask : "";
    request.extension = defaultExtension != nullptr ? defaultExtension : "";
    return request;
}

// Logs the request and takes the seam's answer for it, if one is queued.
bool TakeScriptedAnswer(ModalShown request, ModalAnswer* answer) {
    request.scripted = ModalSeam::Get().TakeAnswer(&request.answer);
    ModalSeam::Get().Record(request);
    *answer = request.answer;
    return request.scripted;
}

// Shows an open or save dialog for `request` (or takes the seam's answer).
bool RunFileDialog(HWND owner, const ModalShown& request, DWORD flags, std::string* fileName) {
    ModalAnswer answer;
    if (TakeScriptedAnswer(request, &answer)) {
        *fileName = answer.Accepted() ? Truncated(answer.path.c_str()) : std::string();
        return answer.Accepted();
    }
    char buffer[kMaxPathText + 1] = {};
    std::strncpy(buffer, fileName->c_str(), kMaxPathText);
    const std::string filter = FilterList(request.filterDescription.c_str(), request.filterMask.c_str());

    OPENFILENAMEA dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = buffer;
    dialog.nMaxFile = sizeof buffer;
    dialog.lpstrInitialDir = request.folder.empty() ? nullptr : request.folder.c_str();
    dialog.lpstrTitle = request.title.empty() ? nullptr : request.title.c_str();
    dialog.lpstrDefExt = request.extension.empty() ? nullptr : request.extension.c_str();
    dialog.Flags = flags | OFN_EXPLORER | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
    const bool chosen = request.kind == ModalKind::SaveFile ? GetSaveFileNameA(&dialog) : GetOpenFileNameA(&dialog);
    *fileName = chosen ? std::string(buffer) : std::string();
    return chosen;
}

// Selects the current directory (the initial folder) once the folder dialog is ready. Nothing in
// it throws; it runs behind the guard all the same, as every entry from the system.
int CALLBACK FolderDialogCallback(HWND dialog, UINT message, LPARAM, LPARAM selectCurrent) {
    return ui::Guarded(
        dialog,
        [&] {
            char current[MAX_PATH + 1] = {};
            if (message == BFFM_INITIALIZED && selectCurrent != 0 &&
                GetCurrentDirectoryA(sizeof current, current) > 0) {
                SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(current));
            }
            return 0;
        },
        0);
}

bool RunFolderDialog(HWND owner, bool selectInitial, const ModalShown& request, std::string* chosen) {
    OleScope ole;
    char displayName[MAX_PATH + 1] = {};
    BROWSEINFOA info = {};
    info.hwndOwner = owner;
    info.pszDisplayName = displayName;
    info.lpszTitle = request.title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_EDITBOX | BIF_VALIDATE;
    info.lpfn = &FolderDialogCallback;
    info.lParam = selectInitial ? 1 : 0;
    LPITEMIDLIST list = SHBrowseForFolderA(&info);
    if (list == nullptr) {
        return false;
    }
    char path[MAX_PATH + 1] = {};
    const bool isFolder = SHGetPathFromIDListA(list, path) != FALSE && path[0] != '\0';
    CoTaskMemFree(list);
    if (isFolder) {
        *chosen = Truncated(path);
    }
    return isFolder;
}

}  // namespace

OleScope::OleScope() : m_result(OleInitialize(nullptr)) {}

OleScope::~OleScope() {
    if (SUCCEEDED(m_result)) {
        OleUninitialize();
    }
}

bool BrowseFolder(FolderRecord* record, const std::string& path, HWND owner, bool explore) {
    const char* recordPath = record != nullptr ? ReadText(record, ALC) : nullptr;
    const std::string folder = record != nullptr ? (recordPath != nullptr ? recordPath : "") : path;
    if (folder.empty()) {
        return false;
    }
    return Execute(owner, explore ? "explore" : "open", folder);
}

bool OpenDocument(const std::string& path) {
    return !path.empty() && Execute(nullptr, "open", path);
}

bool ChooseFolder(HWND owner, const std::string& initialFolder, std::string* chosen, const char* title) {
    chosen->clear();
    ModalShown request;
    request.kind = ModalKind::Folder;
    request.title = title != nullptr ? title : "Choose a folder";
    request.folder = initialFolder;
    ModalAnswer answer;
    if (TakeScriptedAnswer(request, &answer)) {
        if (answer.Accepted()) {
            *chosen = Truncated(answer.path.c_str());
        }
        return answer.Accepted() && !chosen->empty();
    }
    // The dialog starts at the current directory, so the initial folder becomes it for the call.
    char previous[MAX_PATH + 1] = {};
    const bool hadCurrent = GetCurrentDirectoryA(sizeof previous, previous) > 0;
    const bool selectInitial = !initialFolder.empty() && SetCurrentDirectoryA(initialFolder.c_str());
    const bool result = RunFolderDialog(owner, selectInitial, request, chosen);
    if (hadCurrent) {
        SetCurrentDirectoryA(previous);
    }
    return result;
}

bool ShowOpenFileDialog(HWND owner,
                        const char* filterDescription,
                        const char* filterMask,
                        std::string* fileName,
                        const std::string& initialFolder,
                        const char* title) {
    const ModalShown request =
        FileDialogRequest(ModalKind::OpenFile, filterDescription, filterMask, nullptr, *fileName, initialFolder, title);
    return RunFileDialog(owner, request, OFN_FILEMUSTEXIST, fileName);
}

bool ShowSaveFileDialog(HWND owner,
                        const char* filterDescription,
                        const char* filterMask,
                        const char* defaultExtension,
                        std::string* fileName,
                        const std::string& initialFolder,
                        const char* title) {
    const ModalShown request = FileDialogRequest(ModalKind::SaveFile, filterDescription, filterMask, defaultExtension,
                                                 *fileName, initialFolder, title);
    return RunFileDialog(owner, request, OFN_OVERWRITEPROMPT, fileName);
}

bool GetDisplayName(const std::string& path, std::string* fullPath, std::string* displayName) {
    char full[kMaxPathText + 1] = {};
    const DWORD length = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
    if (length == 0 || length >= sizeof full) {
        return false;
    }
    SHFILEINFOA info = {};
    if (SHGetFileInfoA(full, 0, &info, sizeof info, SHGFI_DISPLAYNAME) == 0) {
        return false;
    }
    *fullPath = full;
    *displayName = info.szDisplayName;
    return true;
}

bool ResolveShortcut(HWND owner, const std::string& shortcut, std::string* target) {
    OleScope ole;
    std::string result;
    IShellLinkA* link = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link)))) {
        IPersistFile* file = nullptr;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            char path[MAX_PATH + 1] = {};
            WIN32_FIND_DATAA found = {};
            if (SUCCEEDED(file->Load(Widen(shortcut).c_str(), STGM_READ)) &&
                SUCCEEDED(link->Resolve(owner, SLR_ANY_MATCH)) && link->GetPath(path, sizeof path, &found, 0) == S_OK &&
                path[0] != '\0') {
                // The long form exists only for a target that is still there.
                char longPath[kMaxPathText + 1] = {};
                const DWORD length = GetLongPathNameA(path, longPath, sizeof longPath);
                if (length > 0 && length < sizeof longPath) {
                    result = longPath;
                }
            }
            file->Release();
        }
        link->Release();
    }
    // The output may be the input: only now is it overwritten.
    *target = Truncated(result.c_str());
    return !target->empty();
}

bool CreateShortcut(const std::string& shortcut, const std::string& target) {
    OleScope ole;
    bool saved = false;
    IShellLinkA* link = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link)))) {
        IPersistFile* file = nullptr;
        if (SUCCEEDED(link->SetPath(target.c_str())) &&
            SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            saved = SUCCEEDED(file->Save(Widen(shortcut).c_str(), TRUE));
            file->Release();
        }
        link->Release();
    }
    return saved;
}

DeleteResult DeleteFiles(HWND owner, const PathList& paths, bool quiet, bool confirm, bool permanent) {
    DeleteResult result;
    if (paths.Empty()) {
        return result;
    }
    SHFILEOPSTRUCTA operation = {};
    operation.hwnd = owner;
    operation.wFunc = FO_DELETE;
    operation.pFrom = paths.Data();
    // A move to the recycle bin must never silently become a permanent delete: when the shell
    // cannot recycle (no recycle bin on that drive, or none could be made), it asks first, even
    // for quiet and unconfirmed deletes.
    const UINT recycle = permanent ? 0 : FOF_ALLOWUNDO | FOF_WANTNUKEWARNING;
    operation.fFlags = static_cast<FILEOP_FLAGS>(recycle | (quiet ? FOF_SILENT : 0) | (confirm ? 0 : FOF_NOCONFIRMATION));
    result.succeeded = SHFileOperationA(&operation) == 0;
    result.aborted = operation.fAnyOperationsAborted != FALSE;
    return result;
}

void AcceptDroppedFiles(HWND window, bool accept) {
    DragAcceptFiles(window, accept ? TRUE : FALSE);
}

PathList TakeDroppedFiles(HDROP drop) {
    PathList paths;
    if (drop == nullptr) {
        return paths;
    }
    const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        const UINT length = DragQueryFileA(drop, i, nullptr, 0);
        std::string path(length + 1, '\0');
        DragQueryFileA(drop, i, path.data(), length + 1);
        path.resize(length);
        paths.Add(path);
    }
    DragFinish(drop);
    return paths;
}

PrintMemory::~PrintMemory() {
    if (m_devMode != nullptr) {
        GlobalFree(m_devMode);
    }
    if (m_devNames != nullptr) {
        GlobalFree(m_devNames);
    }
}

std::vector<char> PrintMemory::DevModeBytes() const {
    std::vector<char> bytes;
    if (m_devMode == nullptr) {
        return bytes;
    }
    const SIZE_T size = GlobalSize(m_devMode);
    if (const void* mode = GlobalLock(m_devMode)) {
        bytes.assign(static_cast<const char*>(mode), static_cast<const char*>(mode) + size);
        GlobalUnlock(m_devMode);
    }
    return bytes;
}

void PrintMemory::Restore(PRINTDLGA* dialog) const {
    dialog->hDevMode = m_devMode;
    dialog->hDevNames = m_devNames;
    dialog->nCopies = m_copies;
    dialog->Flags |= m_flags & PD_COLLATE;
}

void PrintMemory::Store(const PRINTDLGA& dialog) {
    // The dialog may have replaced the blocks it was given; it frees nothing of ours itself.
    if (m_devMode != nullptr && m_devMode != dialog.hDevMode) {
        GlobalFree(m_devMode);
    }
    if (m_devNames != nullptr && m_devNames != dialog.hDevNames) {
        GlobalFree(m_devNames);
    }
    m_devMode = dialog.hDevMode;
    m_devNames = dialog.hDevNames;
    m_copies = dialog.nCopies;
    m_flags = dialog.Flags;
}

bool ShowPrintDialog(bool setupOnly, DWORD options, HWND parent, PrintMemory* memory, HDC* dc) {
    if (dc != nullptr) {
        *dc = nullptr;
    }
    ModalShown request;
    request.kind = ModalKind::Print;
    request.type = setupOnly ? 1 : 0;
    ModalAnswer answer;
    if (TakeScriptedAnswer(request, &answer)) {
        if (answer.Accepted() && !setupOnly && dc != nullptr) {
            *dc = answer.dc;
        }
        return answer.Accepted();
    }
    PRINTDLGA dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = parent;
    dialog.Flags = options | PD_NOSELECTION | PD_NOPAGENUMS | PD_USEDEVMODECOPIESANDCOLLATE | PD_HIDEPRINTTOFILE |
                   (setupOnly ? PD_PRINTSETUP : PD_RETURNDC);
    dialog.nFromPage = dialog.nToPage = dialog.nMinPage = dialog.nMaxPage = 1;
    dialog.nCopies = 1;
    if (memory != nullptr) {
        memory->Restore(&dialog);
    }
    if (!PrintDlgA(&dialog)) {
        if (memory != nullptr) {
            // Cancel keeps the remembered blocks; a block the dialog made anew is not ours.
            if (dialog.hDevMode != memory->m_devMode && dialog.hDevMode != nullptr) {
                GlobalFree(dialog.hDevMode);
            }
            if (dialog.hDevNames != memory->m_devNames && dialog.hDevNames != nullptr) {
                GlobalFree(dialog.hDevNames);
            }
        }
        return false;
    }
    if (memory != nullptr) {
        memory->Store(dialog);
    } else {
        GlobalFree(dialog.hDevMode);
        GlobalFree(dialog.hDevNames);
    }
    if (dc != nullptr) {
        *dc = setupOnly ? nullptr : dialog.hDC;
    } else if (dialog.hDC != nullptr) {
        DeleteDC(dialog.hDC);
    }
    return true;
}

StartupResources TakeStartupResources() {
    StartupResources resources;
    SHFILEINFOA info = {};
    resources.smallIcons = reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoA("C:\\", 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
    resources.idListFormat = RegisterClipboardFormatA("Shell IDList Array");
    return resources;
}

LPITEMIDLIST PathToIdList(const std::string& path) {
    IShellFolder* desktop = nullptr;
    if (FAILED(SHGetDesktopFolder(&desktop))) {
        return nullptr;
    }
    LPITEMIDLIST list = ParseNameInFolder(desktop, path);
    desktop->Release();
    return list;
}

IShellFolder* BindToFolder(LPCITEMIDLIST folder) {
    IShellFolder* desktop = nullptr;
    if (folder == nullptr || FAILED(SHGetDesktopFolder(&desktop))) {
        return nullptr;
    }
    if (folder->mkid.cb == 0) {
        return desktop;  // the empty list is the desktop itself
    }
    IShellFolder* bound = nullptr;
    if (FAILED(desktop->BindToObject(folder, nullptr, IID_IShellFolder, reinterpret_cast<void**>(&bound)))) {
        bound = nullptr;
    }
    desktop->Release();
    return bound;
}

LPITEMIDLIST ParseNameInFolder(IShellFolder* folder, const std::string& name) {
    if (folder == nullptr || name.empty()) {
        return nullptr;
    }
    std::wstring wide = Widen(name);
    LPITEMIDLIST list = nullptr;
    if (FAILED(folder->ParseDisplayName(nullptr, nullptr, wide.data(), nullptr, &list, nullptr))) {
        return nullptr;
    }
    return list;
}

UINT IdListSize(LPCITEMIDLIST list) {
    if (list == nullptr) {
        return 0;
    }
    UINT size = sizeof(USHORT);  // the terminator
    for (auto* item = reinterpret_cast<const BYTE*>(list);;) {
        const USHORT cb = reinterpret_cast<const SHITEMID*>(item)->cb;
        if (cb == 0) {
            return size;
        }
        size += cb;
        item += cb;
    }
}

}  // namespace qv::shell
