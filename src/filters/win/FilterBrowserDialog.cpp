// The filtered files browser's window: two virtual list views (folders, files) and a folder tree
// filled on demand, all reading the engine's lists; every command goes to the engine, which asks
// its questions and deletes through this window's host functions.
#include "filters/win/FilterBrowserDialog.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "resource.h"
#include "shell/win/DragDrop.h"
#include "shell/win/Shell.h"
#include "ui/DialogBase.h"
#include "ui/MCMain.h"
#include "ui/MessageBox.h"
#include "ui/ModalSeam.h"
#include "ui/StyledControls.h"
#include "ui/WaitCursor.h"
#include "view/FilterBrowserModel.h"
#include "view/Formatters.h"

namespace qv {

namespace {

constexpr int kFont = 1;

// The name the shell shows for a file, from its name alone (no disk access per file).
std::string ShellDisplayName(const std::string& path, const std::string& fileName) {
    SHFILEINFOA info = {};
    if (SHGetFileInfoA(path.c_str(), FILE_ATTRIBUTE_NORMAL, &info, sizeof info,
                       SHGFI_DISPLAYNAME | SHGFI_USEFILEATTRIBUTES) == 0 ||
        info.szDisplayName[0] == '\0') {
        return fileName;
    }
    return info.szDisplayName;
}

std::string SizeWithUnit(std::int64_t bytes) {
    std::string number;
    std::string unit;
    FormatSize(bytes, &number, &unit);
    return number + " " + unit;
}

std::string DateAndTime(platform::FileTime time) {
    std::string date;
    std::string clock;
    FormatDate(time, &date);
    FormatTime(time, &clock);
    return date + " " + clock;
}

void AddColumn(HWND list, int index, const char* title, int width) {
    LVCOLUMNA column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.pszText = const_cast<char*>(title);
    column.cx = width;
    column.iSubItem = index;
    SendMessageA(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column));
}

// The rows selected in a list view, top to bottom.
std::vector<int> SelectedRows(HWND list) {
    std::vector<int> rows;
    for (int row = ListView_GetNextItem(list, -1, LVNI_SELECTED); row >= 0;
         row = ListView_GetNextItem(list, row, LVNI_SELECTED)) {
        rows.push_back(row);
    }
    return rows;
}

class FilterBrowserDialog : public ui::DialogBase, public BrowserHost {
  public:
    FilterBrowserDialog(ui::MCMain* ui, const FilterBrowserSource& source)
        : m_ui(ui), m_source(source), m_model(this) {}

    // Builds the lists from the report; false when there is nothing to show.
    bool Build();
    void Run(HWND owner) {
        const HINSTANCE instance = m_ui != nullptr ? m_ui->Instance() : GetModuleHandleA(nullptr);
        RunModal(instance, IDD_FILTER_BROWSER, owner, ui::ModalKind::FilterBrowser);
    }

    int Ask(const std::string& text, const std::string& caption, int type) override {
        return ui::ShowMessage(m_ui, Handle(), text.c_str(), caption.c_str(), type);
    }
    std::string DisplayName(const std::string& path, const std::string& fileName) override {
        return ShellDisplayName(path, fileName);
    }
    DeleteOutcome Delete(const std::vector<std::string>& paths, bool quiet, bool confirm, bool permanent) override {
        PathList list;
        for (const std::string& path : paths) {
            list.Add(path);
        }
        const shell::DeleteResult result = shell::DeleteFiles(Handle(), list, quiet, confirm, permanent);
        return {result.succeeded, result.aborted};
    }

  private:
    bool OnInit() override;
    bool OnCommand(int id, int notification) override;
    bool OnNotify(const NMHDR& header, LRESULT* result) override;
    LRESULT Notified(const NMHDR& header);
    void Restyle();
    void SetUpLists();
    std::string CellText(HWND list, int row, int column) const;

    void ShowEntries();
    void MakeCurrent(int entry);
    void ShowFiles();
    void ShowFigures();
    void UpdateButtons();
    std::vector<int> SelectedFiles() const;
    std::vector<int> SelectedEntries() const;
    int SelectedFolder() const;
    void SelectEntryRow(int entry);
    void SwitchView();

    HTREEITEM InsertItem(int folder, HTREEITEM parent);
    void InsertChildren(int folder);
    HTREEITEM EnsureTreeItem(int folder);
    void RunTreeCommand(int command, int folder);
    void ShowTreeMenu();

    void Browse();
    void OpenFiles();
    void Rescan();
    void AfterDelete(const std::vector<int>& scanned);
    void DragOut();

    ui::MCMain* m_ui;
    FilterBrowserSource m_source;
    FilterBrowserModel m_model;
    HWND m_folderList = nullptr;
    HWND m_fileList = nullptr;
    HWND m_tree = nullptr;
    bool m_treeView = false;
    int m_current = -1;
    int m_fileSort = kBrowserSortName;
    int m_folderSort = 0;  // the order of the walk
    std::vector<int> m_fileOrder;
    std::vector<int> m_entryOrder;
    std::vector<HTREEITEM> m_items;  // per folder, once inserted
    std::vector<bool> m_childrenInserted;
};

bool FilterBrowserDialog::Build() {
    Report* report = m_source.report;
    if (report == nullptr) {
        return false;
    }
    ui::WaitCursor wait;
    const char* rootPath = ReadText(report->Root(), ALC);
    m_model.SetDestroy(m_source.destroy);
    return m_model.Open(&report->Filters(), m_source.filterId, m_source.start, report->Policy(),
                        rootPath != nullptr ? rootPath : "");
}

bool FilterBrowserDialog::OnInit() {
    HWND dialog = Handle();
    m_folderList = GetDlgItem(dialog, IDC_BROWSER_FOLDER_LIST);
    m_fileList = GetDlgItem(dialog, IDC_BROWSER_FILE_LIST);
    m_tree = GetDlgItem(dialog, IDC_BROWSER_TREE);
    SetWindowTextA(dialog, ("Filter : " + m_model.Filter().name).c_str());
    SetDlgItemTextA(dialog, IDC_BROWSER_PATH, m_model.StartPath().c_str());
    SetDlgItemTextA(dialog, IDC_BROWSER_FOLDERS_LABEL,
                    ("List of folders (created " + m_source.report->Created() + ")").c_str());
    SetDlgItemTextA(dialog, IDC_BROWSER_FILES_LABEL, ("Found files: " + m_model.Filter().masks).c_str());
    Restyle();
    SetUpLists();
    m_items.assign(m_model.Folders().size(), nullptr);
    m_childrenInserted.assign(m_model.Folders().size(), false);
    InsertItem(0, TVI_ROOT);
    ShowEntries();
    SelectEntryRow(m_entryOrder.empty() ? -1 : m_entryOrder.front());
    if (m_current < 0 && !m_entryOrder.empty()) {
        MakeCurrent(m_entryOrder.front());
    }
    UpdateButtons();
    SetFocus(m_folderList);
    return false;  // the focus stays on the folder list
}

void FilterBrowserDialog::Restyle() {
    if (m_ui == nullptr) {
        return;
    }
    const bool destroy = m_model.Destroy();
    const struct {
        int id;
        const char* tip;
    } buttons[] = {
        {IDC_BROWSER_BROWSE, "Browse selected folder"},
        {IDC_BROWSER_VIEW_SWITCH, "Switch view mode"},
        {IDC_BROWSER_OPEN, "Open file with default viewer"},
        {IDC_BROWSER_SELECT_FILES, "Select all files"},
        {IDC_BROWSER_SELECT_FOLDERS, "Select all folders"},
        {IDC_BROWSER_RESCAN, "Re-Scan folders in list"},
        {IDC_BROWSER_DELETE, destroy ? "Destroy selected files permanently" : "Move selected files to Recicle Bin"},
        {IDC_BROWSER_DELETE_ALL, destroy ? "Destroy all files in folder permanently" : "Move to Recicle Bin all files"},
        {IDC_BROWSER_DELETE_FOLDERS, destroy ? "Destroy files in selected folder(s) permanently"
                                             : "Move files in selected folder(s) to Recicle Bin"},
        {IDCANCEL, "Close dialog"},
    };
    for (const auto& button : buttons) {
        ui::StylePushButton(*m_ui, Handle(), button.id, button.tip, kFont);
    }
    for (int id : {IDC_BROWSER_FOLDERS_LABEL, IDC_BROWSER_FILES_LABEL}) {
        ui::StyleLabel(*m_ui, Handle(), id, nullptr, kFont);
    }
    const struct {
        int id;
        const char* tip;
    } figures[] = {
        {IDC_BROWSER_SPACE, "Summary space"},
        {IDC_BROWSER_COUNT, "Number of files"},
        {IDC_BROWSER_BYTES, "Summary size of files"},
    };
    for (const auto& figure : figures) {
        m_ui->AddToolTip(GetDlgItem(Handle(), figure.id), figure.tip, Handle());
    }
    for (HWND control : {m_folderList, m_fileList, m_tree}) {
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(m_ui->GetFont(kFont)), FALSE);
    }
}

void FilterBrowserDialog::SetUpLists() {
    const int scrollBar = GetSystemMetrics(SM_CXVSCROLL);
    for (HWND list : {m_folderList, m_fileList}) {
        ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    }
    RECT area = {};
    GetClientRect(m_folderList, &area);
    AddColumn(m_folderList, 0, "Folder", std::max(60, static_cast<int>(area.right) - 60 - 80 - scrollBar));
    AddColumn(m_folderList, 1, "Files", 60);
    AddColumn(m_folderList, 2, "Size", 80);
    GetClientRect(m_fileList, &area);
    AddColumn(m_fileList, 0, "Name", std::max(60, static_cast<int>(area.right) - 80 - 60 - scrollBar));
    AddColumn(m_fileList, 1, "Size", 80);
    AddColumn(m_fileList, 2, "Modified", 60);
}

std::string FilterBrowserDialog::CellText(HWND list, int row, int column) const {
    if (list == m_folderList) {
        if (row < 0 || row >= static_cast<int>(m_entryOrder.size())) {
            return {};
        }
        const BrowserEntry& entry = m_model.Entry(m_entryOrder[static_cast<std::size_t>(row)]);
        return column == 0 ? entry.path : column == 1 ? std::to_string(entry.count) : SizeWithUnit(entry.space);
    }
    if (m_current < 0 || row < 0 || row >= static_cast<int>(m_fileOrder.size())) {
        return {};
    }
    const BrowserFile& file =
        m_model.Entry(m_current).files[static_cast<std::size_t>(m_fileOrder[static_cast<std::size_t>(row)])];
    return column == 0 ? file.name : column == 1 ? std::to_string(file.size) : DateAndTime(file.modified);
}

void FilterBrowserDialog::ShowEntries() {
    m_entryOrder = m_model.EntryOrder(m_folderSort);
    ListView_SetItemCountEx(m_folderList, static_cast<int>(m_entryOrder.size()), LVSICF_NOSCROLL);
    InvalidateRect(m_folderList, nullptr, TRUE);
}

void FilterBrowserDialog::MakeCurrent(int entry) {
    if (entry < 0) {
        return;
    }
    if (entry != m_current || !m_model.Entry(entry).scanned) {
        ui::WaitCursor wait;
        m_current = entry;
        m_model.EnsureScanned(entry);
        InvalidateRect(m_folderList, nullptr, FALSE);  // its figures now come from the scan
        ShowFiles();
    }
    UpdateButtons();
}

void FilterBrowserDialog::ShowFiles() {
    m_fileOrder = m_current >= 0 ? m_model.FileOrder(m_current, m_fileSort) : std::vector<int>();
    ListView_SetItemState(m_fileList, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_SetItemCountEx(m_fileList, static_cast<int>(m_fileOrder.size()), 0);
    InvalidateRect(m_fileList, nullptr, TRUE);
    ShowFigures();
    UpdateButtons();
}

void FilterBrowserDialog::ShowFigures() {
    const BrowserFigures figures = m_model.Figures(m_current, m_treeView ? SelectedFolder() : -1);
    SetDlgItemTextA(Handle(), IDC_BROWSER_SPACE, figures.space.c_str());
    SetDlgItemTextA(Handle(), IDC_BROWSER_COUNT, figures.count.c_str());
    SetDlgItemTextA(Handle(), IDC_BROWSER_BYTES, figures.bytes.c_str());
}

void FilterBrowserDialog::UpdateButtons() {
    const bool temporary = m_model.Temporary();
    const bool folderSelected = m_treeView ? SelectedFolder() >= 0 : ListView_GetSelectedCount(m_folderList) > 0;
    const bool fileSelected = ListView_GetSelectedCount(m_fileList) > 0;
    const bool hasFiles = !m_fileOrder.empty();
    const struct {
        int id;
        bool on;
    } states[] = {
        {IDC_BROWSER_BROWSE, folderSelected},
        {IDC_BROWSER_OPEN, fileSelected},
        {IDC_BROWSER_SELECT_FILES, hasFiles},
        {IDC_BROWSER_SELECT_FOLDERS, !m_treeView && !m_entryOrder.empty()},
        {IDC_BROWSER_DELETE, temporary && fileSelected},
        {IDC_BROWSER_DELETE_ALL, temporary && hasFiles},
        {IDC_BROWSER_DELETE_FOLDERS, temporary && !SelectedEntries().empty()},
    };
    for (const auto& state : states) {
        EnableWindow(GetDlgItem(Handle(), state.id), state.on ? TRUE : FALSE);
    }
}

std::vector<int> FilterBrowserDialog::SelectedFiles() const {
    std::vector<int> files;
    for (const int row : SelectedRows(m_fileList)) {
        if (row < static_cast<int>(m_fileOrder.size())) {
            files.push_back(m_fileOrder[static_cast<std::size_t>(row)]);
        }
    }
    return files;
}

std::vector<int> FilterBrowserDialog::SelectedEntries() const {
    std::vector<int> entries;
    if (m_treeView) {
        const int folder = SelectedFolder();
        if (folder >= 0 && m_model.Folders()[static_cast<std::size_t>(folder)].entry >= 0) {
            entries.push_back(m_model.Folders()[static_cast<std::size_t>(folder)].entry);
        }
        return entries;
    }
    for (const int row : SelectedRows(m_folderList)) {
        if (row < static_cast<int>(m_entryOrder.size())) {
            entries.push_back(m_entryOrder[static_cast<std::size_t>(row)]);
        }
    }
    return entries;
}

int FilterBrowserDialog::SelectedFolder() const {
    TVITEMA item = {};
    item.mask = TVIF_PARAM;
    item.hItem = TreeView_GetSelection(m_tree);
    if (item.hItem == nullptr || !TreeView_GetItem(m_tree, &item)) {
        return -1;
    }
    return static_cast<int>(item.lParam);
}

void FilterBrowserDialog::SelectEntryRow(int entry) {
    ListView_SetItemState(m_folderList, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    const auto found = std::find(m_entryOrder.begin(), m_entryOrder.end(), entry);
    if (found == m_entryOrder.end()) {
        return;
    }
    const int row = static_cast<int>(found - m_entryOrder.begin());
    ListView_SetItemState(m_folderList, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_EnsureVisible(m_folderList, row, FALSE);
}

void FilterBrowserDialog::SwitchView() {
    m_treeView = !m_treeView;
    if (m_treeView) {
        if (m_current >= 0) {
            TreeView_SelectItem(m_tree, EnsureTreeItem(m_model.Entry(m_current).treeItem));
        }
    } else {
        // The entry of the tree item, or of the nearest item above it that has one.
        int folder = SelectedFolder();
        while (folder >= 0 && m_model.Folders()[static_cast<std::size_t>(folder)].entry < 0) {
            --folder;
        }
        SelectEntryRow(folder >= 0 ? m_model.Folders()[static_cast<std::size_t>(folder)].entry : m_current);
    }
    ShowWindow(m_tree, m_treeView ? SW_SHOW : SW_HIDE);
    ShowWindow(m_folderList, m_treeView ? SW_HIDE : SW_SHOW);
    SetFocus(m_treeView ? m_tree : m_folderList);
    SetDlgItemTextA(Handle(), IDC_BROWSER_VIEW_SWITCH, m_treeView ? "List View" : "Tree View");
    ShowFigures();
    UpdateButtons();
}

HTREEITEM FilterBrowserDialog::InsertItem(int folder, HTREEITEM parent) {
    const BrowserFolder& data = m_model.Folders()[static_cast<std::size_t>(folder)];
    TVINSERTSTRUCTA insert = {};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_CHILDREN;
    insert.item.pszText = const_cast<char*>(data.title.c_str());
    insert.item.lParam = folder;
    insert.item.cChildren = data.firstChild >= 0 ? 1 : 0;
    m_items[static_cast<std::size_t>(folder)] =
        reinterpret_cast<HTREEITEM>(SendMessageA(m_tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
    return m_items[static_cast<std::size_t>(folder)];
}

void FilterBrowserDialog::InsertChildren(int folder) {
    if (m_childrenInserted[static_cast<std::size_t>(folder)] || m_items[static_cast<std::size_t>(folder)] == nullptr) {
        return;
    }
    m_childrenInserted[static_cast<std::size_t>(folder)] = true;
    for (int child = m_model.Folders()[static_cast<std::size_t>(folder)].firstChild; child >= 0;
         child = m_model.Folders()[static_cast<std::size_t>(child)].nextSibling) {
        InsertItem(child, m_items[static_cast<std::size_t>(folder)]);
    }
}

HTREEITEM FilterBrowserDialog::EnsureTreeItem(int folder) {
    if (folder < 0) {
        return nullptr;
    }
    if (m_items[static_cast<std::size_t>(folder)] == nullptr) {
        const int parent = m_model.Folders()[static_cast<std::size_t>(folder)].parent;
        HTREEITEM parentItem = EnsureTreeItem(parent);
        InsertChildren(parent);
        TreeView_Expand(m_tree, parentItem, TVE_EXPAND);
    }
    return m_items[static_cast<std::size_t>(folder)];
}

void FilterBrowserDialog::RunTreeCommand(int command, int folder) {
    if (folder < 0 || m_items[static_cast<std::size_t>(folder)] == nullptr) {
        return;
    }
    const std::vector<BrowserFolder>& folders = m_model.Folders();
    // The folder and everything below it that the command reaches, parents before children.
    auto below = [&](bool all) {
        std::vector<int> order;
        std::vector<int> stack = {folder};
        while (!stack.empty()) {
            const int next = stack.back();
            stack.pop_back();
            order.push_back(next);
            if (all || next == folder) {
                for (int child = folders[static_cast<std::size_t>(next)].firstChild; child >= 0;
                     child = folders[static_cast<std::size_t>(child)].nextSibling) {
                    stack.push_back(child);
                }
            }
        }
        return order;
    };
    ui::WaitCursor wait;
    switch (command) {
        case ID_TREE_COLLAPSE:
            for (const int each : below(true)) {
                if (m_items[static_cast<std::size_t>(each)] != nullptr) {
                    TreeView_Expand(m_tree, m_items[static_cast<std::size_t>(each)], TVE_COLLAPSE);
                }
            }
            break;
        case ID_TREE_EXPAND_ALL:
        case ID_TREE_EXPAND_CHILDREN:
            for (const int each : below(command == ID_TREE_EXPAND_ALL)) {
                InsertChildren(each);
                TreeView_Expand(m_tree, m_items[static_cast<std::size_t>(each)], TVE_EXPAND);
            }
            break;
        case ID_TREE_BROWSE_FOLDER:
            if (platform::DirectoryExists(folders[static_cast<std::size_t>(folder)].path)) {
                shell::BrowseFolder(nullptr, folders[static_cast<std::size_t>(folder)].path, Handle(),
                                    m_source.explore);
            }
            break;
        default:
            break;
    }
}

void FilterBrowserDialog::ShowTreeMenu() {
    POINT cursor = {};
    GetCursorPos(&cursor);
    TVHITTESTINFO hit = {};
    hit.pt = cursor;
    ScreenToClient(m_tree, &hit.pt);
    HTREEITEM item = TreeView_HitTest(m_tree, &hit);
    if (item == nullptr) {
        return;
    }
    TreeView_SelectItem(m_tree, item);
    const int folder = SelectedFolder();
    HMENU menu = LoadMenuA(m_ui != nullptr ? m_ui->Instance() : GetModuleHandleA(nullptr),
                           MAKEINTRESOURCEA(IDR_DIFFERENCE_MENU));
    if (menu == nullptr || folder < 0) {
        return;
    }
    HMENU popup = GetSubMenu(menu, 0);
    const bool exists = platform::DirectoryExists(m_model.Folders()[static_cast<std::size_t>(folder)].path);
    EnableMenuItem(popup, ID_TREE_BROWSE_FOLDER, MF_BYCOMMAND | (exists ? MF_ENABLED : MF_GRAYED));
    const int command = ui::TrackPopup(popup, cursor, m_tree);
    DestroyMenu(menu);
    RunTreeCommand(command, folder);
}

void FilterBrowserDialog::Browse() {
    std::string path;
    if (m_treeView) {
        const int folder = SelectedFolder();
        path = folder >= 0 ? m_model.Folders()[static_cast<std::size_t>(folder)].path : std::string();
    } else {
        const std::vector<int> entries = SelectedEntries();
        path = entries.empty() ? std::string() : m_model.Entry(entries.front()).path;
    }
    if (!path.empty()) {
        shell::BrowseFolder(nullptr, path, Handle(), m_source.explore);
    }
}

void FilterBrowserDialog::OpenFiles() {
    for (const std::string& path : m_model.FilesToOpen(m_current, SelectedFiles())) {
        shell::OpenDocument(path);
    }
}

void FilterBrowserDialog::Rescan() {
    {
        ui::WaitCursor wait;
        m_model.RescanAll();
    }
    InvalidateRect(m_folderList, nullptr, FALSE);
    ShowFiles();
}

void FilterBrowserDialog::AfterDelete(const std::vector<int>& scanned) {
    if (m_current >= 0 && std::find(scanned.begin(), scanned.end(), m_current) == scanned.end()) {
        m_model.ScanEntry(m_current);
    }
    InvalidateRect(m_folderList, nullptr, FALSE);
    ShowFiles();
}

void FilterBrowserDialog::DragOut() {
    PathList paths;
    for (const int file : SelectedFiles()) {
        paths.Add(m_model.Entry(m_current).files[static_cast<std::size_t>(file)].path);
    }
    if (!paths.Empty()) {
        shell::DragFilesOut(Handle(), nullptr, paths);
    }
}

bool FilterBrowserDialog::OnCommand(int id, int notification) {
    if (notification != BN_CLICKED) {
        return false;  // menu commands come with 0, the same as a click
    }
    switch (id) {
        case IDC_BROWSER_BROWSE:
            Browse();
            break;
        case IDC_BROWSER_VIEW_SWITCH:
            SwitchView();
            break;
        case IDC_BROWSER_SELECT_FOLDERS:
            ListView_SetItemState(m_folderList, -1, LVIS_SELECTED, LVIS_SELECTED);
            UpdateButtons();
            break;
        case IDC_BROWSER_SELECT_FILES:
            ListView_SetItemState(m_fileList, -1, LVIS_SELECTED, LVIS_SELECTED);
            UpdateButtons();
            break;
        case IDC_BROWSER_RESCAN:
            Rescan();
            break;
        case IDC_BROWSER_OPEN:
            OpenFiles();
            break;
        case IDC_BROWSER_DELETE:
            m_model.DeleteFiles(m_current, SelectedFiles());
            AfterDelete({m_current});
            break;
        case IDC_BROWSER_DELETE_ALL:
            m_model.DeleteAllFiles(m_current);
            AfterDelete({m_current});
            break;
        case IDC_BROWSER_DELETE_FOLDERS: {
            const std::vector<int> entries = SelectedEntries();
            m_model.DeleteFolderFiles(entries);
            AfterDelete(entries);
            break;
        }
        case ID_TREE_COLLAPSE:
        case ID_TREE_EXPAND_ALL:
        case ID_TREE_EXPAND_CHILDREN:
        case ID_TREE_BROWSE_FOLDER:
            RunTreeCommand(id, SelectedFolder());
            break;
        default:
            return ui::DialogBase::OnCommand(id, notification);  // Close is Cancel
    }
    return true;
}

bool FilterBrowserDialog::OnNotify(const NMHDR& header, LRESULT* result) {
    if (header.hwndFrom != m_tree && header.hwndFrom != m_folderList && header.hwndFrom != m_fileList) {
        return false;
    }
    *result = Notified(header);
    return true;
}

LRESULT FilterBrowserDialog::Notified(const NMHDR& header) {
    if (header.hwndFrom == m_tree) {
        // The A and W forms of these notifications differ only in their text pointers.
        switch (header.code) {
            case TVN_ITEMEXPANDINGA:
            case TVN_ITEMEXPANDINGW: {
                const auto& change = reinterpret_cast<const NMTREEVIEWA&>(header);
                if ((change.action & TVE_EXPAND) != 0) {
                    InsertChildren(static_cast<int>(change.itemNew.lParam));
                }
                return FALSE;
            }
            case TVN_SELCHANGEDA:
            case TVN_SELCHANGEDW: {
                const auto& change = reinterpret_cast<const NMTREEVIEWA&>(header);
                const int folder = static_cast<int>(change.itemNew.lParam);
                const int entry = folder >= 0 ? m_model.Folders()[static_cast<std::size_t>(folder)].entry : -1;
                if (entry >= 0) {
                    MakeCurrent(entry);
                }
                ShowFigures();
                UpdateButtons();
                return 0;
            }
            case NM_RCLICK:
                ShowTreeMenu();
                return TRUE;
            default:
                return 0;
        }
    }
    if (header.hwndFrom != m_folderList && header.hwndFrom != m_fileList) {
        return 0;
    }
    const bool folders = header.hwndFrom == m_folderList;
    switch (header.code) {
        case LVN_GETDISPINFOA: {
            auto& info = const_cast<NMLVDISPINFOA&>(reinterpret_cast<const NMLVDISPINFOA&>(header));
            if ((info.item.mask & LVIF_TEXT) != 0 && info.item.pszText != nullptr && info.item.cchTextMax > 0) {
                lstrcpynA(info.item.pszText, CellText(header.hwndFrom, info.item.iItem, info.item.iSubItem).c_str(),
                          info.item.cchTextMax);
            }
            return 0;
        }
        case LVN_ITEMCHANGED: {
            const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
            if (folders && change.iItem >= 0 && change.iItem < static_cast<int>(m_entryOrder.size()) &&
                (change.uNewState & LVIS_SELECTED) != 0 && (change.uOldState & LVIS_SELECTED) == 0) {
                MakeCurrent(m_entryOrder[static_cast<std::size_t>(change.iItem)]);
            }
            UpdateButtons();
            return 0;
        }
        case LVN_ODSTATECHANGED:  // a range selected at once (shift-click) in a virtual list
            UpdateButtons();
            return 0;
        case LVN_COLUMNCLICK: {
            const auto& click = reinterpret_cast<const NMLISTVIEW&>(header);
            if (folders) {
                m_folderSort = BrowserSortAfterClick(m_folderSort, click.iSubItem);
                ShowEntries();
                SelectEntryRow(m_current);
            } else {
                m_fileSort = BrowserSortAfterClick(m_fileSort, click.iSubItem);
                ShowFiles();
            }
            return 0;
        }
        case NM_DBLCLK:
            if (folders) {
                Browse();
            } else {
                OpenFiles();
            }
            return 0;
        case LVN_BEGINDRAG:
            if (!folders) {
                DragOut();
            }
            return 0;
        default:
            return 0;
    }
}

}  // namespace

bool ShowFilterBrowser(HWND owner, ui::MCMain* ui, const FilterBrowserSource& source) {
    FilterBrowserDialog dialog(ui, source);
    if (!dialog.Build()) {
        return false;
    }
    dialog.Run(owner);
    return true;
}

}  // namespace qv
