// The temporary folders tool's window: the list view shows the listed entries of the list model,
// the buttons measure, clear, add and remove them; the engine does the walking and deciding, the
// shell the deleting.
#include "tools/win/TempFoldersDialog.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "platform/Platform.h"
#include "resource.h"
#include "shell/win/Shell.h"
#include "tools/TempFolderList.h"
#include "ui/DialogBase.h"
#include "ui/MCMain.h"
#include "ui/MessageBox.h"
#include "ui/StyledControls.h"
#include "ui/WaitCursor.h"

namespace qv {

namespace {

constexpr int kFont = 1;
constexpr UINT kAddStartPath = WM_APP + 1;
constexpr const char* kScanCaption = "Scanning Temporary Folders";

// "Destroy files permanently" keeps its state for the program's run; on at start.
bool g_destroy = true;

struct ControlTip {
    int id;
    const char* tip;
};
constexpr ControlTip kButtons[] = {
    {IDC_TEMP_UPDATE, "Update information"},
    {IDC_TEMP_UPDATE_ALL, "Update information for all folders in list"},
    {IDC_TEMP_CLEAR, "Delete files"},
    {IDC_TEMP_CLEAR_ALL, "Delete files in all folders"},
    {IDC_TEMP_BROWSE, "Browse folder"},
    {IDC_TEMP_ADD, "Add temporary folder to list"},
    {IDC_TEMP_REMOVE, "Remove temporary folder from list"},
    {IDC_TEMP_SCAN, "Scan drive or folder for temporary sub-folders"},
    {IDCANCEL, "Close dialog"},
};

// The folder that holds `path`, without a trailing separator (a drive root keeps its own).
std::string FolderOf(const std::string& path) {
    const std::size_t separator = path.find_last_of("\\/");
    if (separator == std::string::npos) {
        return {};
    }
    return separator == 2 && path[1] == ':' ? path.substr(0, 3) : path.substr(0, separator);
}

class TempFoldersDialog : public ui::DialogBase {
  public:
    TempFoldersDialog(HWND owner, ui::MCMain* ui, const TempFoldersSource& source)
        : m_owner(owner), m_ui(ui), m_source(source) {
        m_list.Load(source.settings);
    }

    void Run() {
        const HINSTANCE instance = m_ui != nullptr ? m_ui->Instance() : GetModuleHandleA(nullptr);
        RunModal(instance, IDD_TEMP_FOLDERS, m_owner, ui::ModalKind::TemporaryFolders);
    }

  private:
    bool OnInit() override;
    bool OnCommand(int id, int code) override;
    bool OnNotify(const NMHDR& header, LRESULT* result) override;
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnCancel() override;

    int Say(const std::string& text, const char* caption, int type, const ui::MessageAction& action = {});
    void Restyle();
    void Rebuild(int select);
    void ShowSize(int entry);
    int Current() const;
    void UpdateButtons();

    bool AddFolder(std::string path);
    void AddDropped(const PathList& paths);
    void Remove();
    void Measure(bool all);
    void Clear(int entry, bool all);
    void ClearAll();
    void Scan();
    void Browse(const std::string& path);

    HWND m_owner;
    ui::MCMain* m_ui;
    const TempFoldersSource& m_source;
    tools::TempFolderList m_list;
    HWND m_view = nullptr;
};

bool TempFoldersDialog::OnInit() {
    m_view = GetDlgItem(Handle(), IDC_TEMP_LIST);
    ListView_SetExtendedListViewStyle(m_view, LVS_EX_FULLROWSELECT);
    RECT area = {};
    GetClientRect(m_view, &area);
    const int sizeWidth = 80;
    const struct {
        const char* title;
        int width;
    } columns[] = {{"Name", std::max(80, static_cast<int>(area.right) - sizeWidth - GetSystemMetrics(SM_CXVSCROLL))},
                   {"Size", sizeWidth}};
    for (int i = 0; i < 2; ++i) {
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM | LVCF_FMT;
        column.fmt = i == 0 ? LVCFMT_LEFT : LVCFMT_RIGHT;
        column.pszText = const_cast<char*>(columns[i].title);
        column.cx = columns[i].width;
        column.iSubItem = i;
        SendMessageA(m_view, LVM_INSERTCOLUMNA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
    }
    CheckDlgButton(Handle(), IDC_TEMP_DESTROY, g_destroy ? BST_CHECKED : BST_UNCHECKED);
    Restyle();
    const std::vector<int> listed = m_list.Listed();
    Rebuild(listed.empty() ? -1 : listed.front());
    shell::AcceptDroppedFiles(Handle(), true);
    if (!m_source.startPath.empty()) {
        PostMessageA(Handle(), kAddStartPath, 0, 0);
    }
    return true;
}

void TempFoldersDialog::Restyle() {
    if (m_ui == nullptr) {
        return;
    }
    for (const ControlTip& button : kButtons) {
        ui::StylePushButton(*m_ui, Handle(), button.id, button.tip, kFont);
    }
    ui::StyleCheckBox(*m_ui, Handle(), IDC_TEMP_DESTROY, "Destroy files(*) or Move To Recycle Bin");
    for (int id : {IDC_TEMP_LIST_LABEL, IDC_TEMP_NOTE}) {
        ui::StyleLabel(*m_ui, Handle(), id, nullptr, kFont);
    }
    SendMessageA(m_view, WM_SETFONT, reinterpret_cast<WPARAM>(m_ui->GetFont(kFont)), FALSE);
}

// Messages go to the dialog once it shows, before that (the opening path) to its owner.
int TempFoldersDialog::Say(const std::string& text, const char* caption, int type, const ui::MessageAction& action) {
    HWND parent = IsWindowVisible(Handle()) ? Handle() : m_owner;
    return ui::ShowMessage(m_ui, parent, text.c_str(), caption, type, action);
}

void TempFoldersDialog::Rebuild(int select) {
    ListView_DeleteAllItems(m_view);
    int row = 0;
    for (const int entry : m_list.Listed()) {
        LVITEMA item = {};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = row++;
        item.pszText = const_cast<char*>(m_list.Entry(entry).path.c_str());
        item.lParam = entry;
        const int inserted = static_cast<int>(SendMessageA(m_view, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
        const std::string size = m_list.SizeText(entry);
        ListView_SetItemText(m_view, inserted, 1, const_cast<char*>(size.c_str()));
        if (entry == select) {
            ListView_SetItemState(m_view, inserted, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
            ListView_EnsureVisible(m_view, inserted, FALSE);
        }
    }
    UpdateButtons();
}

// Rewrites the size of the entry's row; a missing folder's row stays, showing "failed", until
// the list is built again.
void TempFoldersDialog::ShowSize(int entry) {
    LVFINDINFOA find = {};
    find.flags = LVFI_PARAM;
    find.lParam = entry;
    const int row = static_cast<int>(SendMessageA(m_view, LVM_FINDITEMA, static_cast<WPARAM>(-1),
                                                  reinterpret_cast<LPARAM>(&find)));
    if (row >= 0) {
        const std::string size = m_list.SizeText(entry);
        ListView_SetItemText(m_view, row, 1, const_cast<char*>(size.c_str()));
    }
}

// The selected entry when it is still listed, else -1.
int TempFoldersDialog::Current() const {
    const int row = ListView_GetNextItem(m_view, -1, LVNI_SELECTED);
    if (row < 0) {
        return -1;
    }
    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (!SendMessageA(m_view, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) {
        return -1;
    }
    const int entry = static_cast<int>(item.lParam);
    return m_list.Entry(entry).state != tools::TempState::Gone ? entry : -1;
}

void TempFoldersDialog::UpdateButtons() {
    const bool current = Current() >= 0;
    const bool any = !m_list.Listed().empty();
    for (int id : {IDC_TEMP_REMOVE, IDC_TEMP_UPDATE, IDC_TEMP_CLEAR, IDC_TEMP_BROWSE}) {
        EnableWindow(GetDlgItem(Handle(), id), current ? TRUE : FALSE);
    }
    for (int id : {IDC_TEMP_UPDATE_ALL, IDC_TEMP_CLEAR_ALL}) {
        EnableWindow(GetDlgItem(Handle(), id), any ? TRUE : FALSE);
    }
}

// Adds a folder to the list; without a path the user chooses one. True when it was added.
bool TempFoldersDialog::AddFolder(std::string path) {
    if (path.empty() && !shell::ChooseFolder(Handle(), std::string(), &path)) {
        return false;
    }
    if (path.size() <= 3) {
        Say("Root folder cannot be added to temporary list", "Add folder", ui::kMessageOk);
        return false;
    }
    if (tools::IsProtectedFolder(path, m_source.protectedFolders) &&
        Say("Folder " + path + " or its parent folder has SYSTEM attribute\nAdd anyway?", "Submit operation",
            ui::kMessageYesNo) != ui::kAnswerYes) {
        return false;
    }
    if (!platform::DirectoryExists(path)) {
        return false;
    }
    const int listed = m_list.Find(path);
    if (listed >= 0) {
        Rebuild(listed);
        return false;
    }
    Rebuild(m_list.Append(path));
    return true;
}

void TempFoldersDialog::AddDropped(const PathList& paths) {
    for (const std::string& path : paths.Paths()) {
        if (platform::DirectoryExists(path)) {
            AddFolder(path);
        } else if (platform::FileExists(path)) {
            AddFolder(FolderOf(path));
        }
    }
}

void TempFoldersDialog::Remove() {
    const int entry = Current();
    if (entry < 0) {
        return;
    }
    m_list.Remove(entry);
    const std::vector<int> listed = m_list.Listed();
    Rebuild(listed.empty() ? -1 : listed.front());
}

void TempFoldersDialog::Measure(bool all) {
    ui::WaitCursor wait;
    const std::vector<int> entries = all ? m_list.Listed() : std::vector<int>{Current()};
    for (const int entry : entries) {
        if (entry >= 0) {
            m_list.Measure(entry);
            ShowSize(entry);
        }
    }
    UpdateButtons();
}

// Clears one entry. Clearing all asks nothing, tells nothing and shows no progress window; a
// delete into the recycle bin still makes the shell ask before it would delete for good.
void TempFoldersDialog::Clear(int entry, bool all) {
    if (entry < 0) {
        return;
    }
    const bool permanent = g_destroy;
    const tools::ClearOutcome outcome = m_list.Clear(entry, [&](const std::vector<std::string>& files) {
        PathList paths;
        for (const std::string& file : files) {
            paths.Add(file);
        }
        const shell::DeleteResult result = shell::DeleteFiles(Handle(), paths, all, false, permanent);
        return result.succeeded && !result.aborted;
    });
    ShowSize(entry);
    if (all) {
        return;
    }
    if (outcome == tools::ClearOutcome::NoneExisted) {
        Say("Files cannot be deleted\nMake sure the disk is not full or write-protected\nand that the files are not "
            "currently in use",
            "Files cannot be deleted", ui::kMessageOk);
    } else if (outcome == tools::ClearOutcome::SomeVanished) {
        Say("Not all files has been deleted\nProbably these files are currently in use", "Not all files deleted",
            ui::kMessageOk);
    }
}

void TempFoldersDialog::ClearAll() {
    ui::WaitCursor wait;
    for (const int entry : m_list.Listed()) {
        Clear(entry, true);
    }
    UpdateButtons();
}

void TempFoldersDialog::Scan() {
    std::string folder;
    if (!shell::ChooseFolder(Handle(), "C:\\", &folder, "Choose drive or folder")) {
        return;
    }
    {
        ui::WaitCursor wait;
        tools::ScanForTemporary(
            folder, [this](const std::string& path) { return m_list.Find(path) >= 0; },
            [this](const std::string& path) {
                const ui::MessageAction browse{"Browse", [this, path] { Browse(path); }};
                const int answer =
                    Say("Would you like to include folder \n\"" + path + "\" \nto the list of temporary folders?",
                        kScanCaption, ui::kMessageYesNoCancel, browse);
                if (answer == ui::kAnswerYes) {
                    AddFolder(path);
                    return tools::ProposeAnswer::Yes;
                }
                return answer == ui::kAnswerNo ? tools::ProposeAnswer::No : tools::ProposeAnswer::Cancel;
            });
    }
    Say("Scanning is completed", kScanCaption, ui::kMessageOk);
}

void TempFoldersDialog::Browse(const std::string& path) {
    if (!path.empty()) {
        shell::BrowseFolder(nullptr, path, Handle(), m_source.explore);
    }
}

void TempFoldersDialog::OnCancel() {
    m_list.Store(m_source.settings);
    shell::AcceptDroppedFiles(Handle(), false);
    End(IDCANCEL);
}

bool TempFoldersDialog::OnCommand(int id, int code) {
    if (code != BN_CLICKED) {
        return false;
    }
    const int current = Current();
    switch (id) {
        case IDC_TEMP_DESTROY:
            g_destroy = IsDlgButtonChecked(Handle(), IDC_TEMP_DESTROY) == BST_CHECKED;
            break;
        case IDC_TEMP_UPDATE:
        case IDC_TEMP_UPDATE_ALL:
            Measure(id == IDC_TEMP_UPDATE_ALL);
            break;
        case IDC_TEMP_CLEAR: {
            ui::WaitCursor wait;
            Clear(current, false);
            break;
        }
        case IDC_TEMP_CLEAR_ALL:
            ClearAll();
            break;
        case IDC_TEMP_BROWSE:
            Browse(current >= 0 ? m_list.Entry(current).path : std::string());
            break;
        case IDC_TEMP_ADD:
            AddFolder(std::string());
            break;
        case IDC_TEMP_REMOVE:
            Remove();
            break;
        case IDC_TEMP_SCAN:
            Scan();
            break;
        default:
            return ui::DialogBase::OnCommand(id, code);  // Close is Cancel
    }
    return true;
}

bool TempFoldersDialog::OnNotify(const NMHDR& header, LRESULT* result) {
    if (header.hwndFrom != m_view) {
        return false;
    }
    if (header.code == LVN_ITEMCHANGED) {
        UpdateButtons();
    } else if (header.code == NM_DBLCLK) {
        const int current = Current();
        Browse(current >= 0 ? m_list.Entry(current).path : std::string());
    }
    *result = 0;
    return true;
}

INT_PTR TempFoldersDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case kAddStartPath: {
            const std::string& start = m_source.startPath;
            AddFolder(platform::DirectoryExists(start) || !platform::FileExists(start) ? start : FolderOf(start));
            return TRUE;
        }
        case WM_DROPFILES:
            AddDropped(shell::TakeDroppedFiles(reinterpret_cast<HDROP>(wParam)));
            return TRUE;
        default:
            return ui::DialogBase::OnMessage(message, wParam, lParam);
    }
}

}  // namespace

void ShowTemporaryFolders(HWND owner, ui::MCMain* ui, const TempFoldersSource& source) {
    TempFoldersDialog dialog(owner, ui, source);
    dialog.Run();
}

}  // namespace qv
