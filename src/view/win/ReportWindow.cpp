// The report window: toolbar strip, tree population under the show mode, sorting, notifications,
// the context menu and its commands.
#include "view/win/ReportWindow.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>

#include "resource.h"
#include "ui/Guard.h"
#include "ui/ModalSeam.h"
#include "ui/StyledControls.h"
#include "view/ReportWindowRules.h"
#include "view/win/InfoPanel.h"

namespace qv {

namespace {

constexpr COLORREF kTreeBackground = 0xF0F0F0;
constexpr int kTreeFont = 4;
constexpr int kListFont = 1;
constexpr int kIconCount = 10;

struct ToolbarButton {
    int id;
    const char* tip;
    int font;
};

// In their order on the strip.
constexpr ToolbarButton kToolbarButtons[] = {
    {IDC_TOOLBAR_CREATE, "Create new report", 2},
    {IDC_TOOLBAR_CLOSE, "Close report", 1},
    {IDC_TOOLBAR_OPEN, "Open report from file", 1},
    {IDC_TOOLBAR_SAVE, "Save report to file", 1},
    {IDC_TOOLBAR_WHATS_NEW, "Compare with current state", 1},
    {IDC_TOOLBAR_UPDATE, "Rebuild report", 1},
    {IDC_TOOLBAR_PRINT, "Print tree as on screen", 1},
    {IDC_TOOLBAR_BROWSE, "Browse folder", 2},
};

// The shell's commands that toolbar buttons and context-menu entries stand for.
constexpr int kOpenCommand = 32771;
constexpr int kCreateCommand = 32772;
constexpr int kSaveCommand = 32773;
constexpr int kSettingsCommand = 32774;
constexpr int kFiltersCommand = 32775;
constexpr int kHelpCommand = 32777;
constexpr int kCloseCommand = 32778;
constexpr int kUpdateCommand = 32801;

int CompareNamesLikeTheSystem(const char* a, const char* b) {
    return lstrcmpiA(a, b);
}

int CompareRecords(const void* first, const void* second, int mode) {
    return CompareFolders(const_cast<FolderRecord*>(static_cast<const FolderRecord*>(first)),
                          const_cast<FolderRecord*>(static_cast<const FolderRecord*>(second)), mode,
                          &CompareNamesLikeTheSystem);
}

FolderRecord* RecordOf(std::intptr_t value) {
    return reinterpret_cast<FolderRecord*>(value);
}

// A button press must not be followed by clicks and keys that piled up while it ran.
void DiscardQueuedInput() {
    MSG message;
    while (PeekMessageA(&message, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {
    }
    while (PeekMessageA(&message, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
    }
}

// Keeps the host's guard flag set for a scope and restores what it was.
class GuardScope {
  public:
    explicit GuardScope(ReportWindowHost* host) : m_host(host), m_before(host->SelectionGuard()) {
        m_host->SetSelectionGuard(true);
    }
    ~GuardScope() { m_host->SetSelectionGuard(m_before); }
    GuardScope(const GuardScope&) = delete;
    GuardScope& operator=(const GuardScope&) = delete;

  private:
    ReportWindowHost* m_host;
    bool m_before;
};

void SetCursorShape(LPCSTR shape) {
    SetCursor(LoadCursorA(nullptr, shape));
}

}  // namespace

// ---- toolbar ----

bool ReportToolbar::Create(ReportWindow* owner, ReportWindowHost* host, HWND parent) {
    m_owner = owner;
    m_host = host;
    return CreateModeless(host->Module().Instance(), IDD_REPORT_TOOLBAR, parent);
}

bool ReportToolbar::OnInit() {
    ui::MCMain& module = m_host->Module();
    for (const ToolbarButton& button : kToolbarButtons) {
        ui::StyleButton(module, Handle(), button.id, button.tip, button.font);
    }
    ui::StyleLabel(module, Handle(), IDC_TOOLBAR_SHOW_LABEL, nullptr, kListFont);
    ui::StyleLabel(module, Handle(), IDC_TOOLBAR_SORT_LABEL, nullptr, kListFont);
    HWND sortList = GetDlgItem(Handle(), IDC_TOOLBAR_SORT_BY);
    SendMessageA(sortList, CB_RESETCONTENT, 0, 0);
    for (const std::string& entry : SortModeEntries()) {
        SendMessageA(sortList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
    }
    SendMessageA(sortList, WM_SETFONT, reinterpret_cast<WPARAM>(module.GetFont(kListFont)), TRUE);
    SelectSortEntry(SortByName);
    FillShowFolders(ShowAll);
    UpdateButtons();
    Measure();
    return false;
}

void ReportToolbar::Measure() {
    // The strip is as large as its controls reach, with the left margin repeated on the right and
    // below, whatever size the template says.
    RECT bounds = {0, 0, 0, 0};
    for (HWND child = GetWindow(Handle(), GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT rect;
        GetWindowRect(child, &rect);
        MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&rect), 2);
        bounds.right = std::max(bounds.right, rect.right);
        bounds.bottom = std::max(bounds.bottom, rect.bottom);
        bounds.left = bounds.left == 0 ? rect.left : std::min(bounds.left, rect.left);
    }
    m_width = bounds.right + bounds.left;
    m_height = bounds.bottom + bounds.left;
    SetWindowPos(Handle(), nullptr, 0, 0, m_width, m_height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ReportToolbar::FillShowFolders(int mode) {
    HWND list = GetDlgItem(Handle(), IDC_TOOLBAR_SHOW_FOLDERS);
    SendMessageA(list, CB_RESETCONTENT, 0, 0);
    for (const std::string& entry : ShowModeEntries(m_host->ViewOptions())) {
        SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
    }
    SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(mode), 0);
    SendMessageA(list, WM_SETFONT, reinterpret_cast<WPARAM>(m_host->Module().GetFont(kListFont)), TRUE);
}

void ReportToolbar::SelectSortEntry(int mode) {
    SendDlgItemMessageA(Handle(), IDC_TOOLBAR_SORT_BY, CB_SETCURSEL, static_cast<WPARAM>(mode), 0);
}

int ReportToolbar::SelectedShowEntry() const {
    return static_cast<int>(SendDlgItemMessageA(Handle(), IDC_TOOLBAR_SHOW_FOLDERS, CB_GETCURSEL, 0, 0));
}

void ReportToolbar::SetCurrentRecord(FolderRecord* record) {
    m_current = record;
    UpdateButtons();
}

void ReportToolbar::UpdateButtons() {
    if (Handle() == nullptr) {
        return;
    }
    const ToolbarStates states = ToolbarStatesFor(m_host->ReportCount(), m_current, RecordFolderExists(m_current));
    const std::pair<int, bool> buttons[] = {
        {IDC_TOOLBAR_CREATE, states.create},      {IDC_TOOLBAR_CLOSE, states.close},
        {IDC_TOOLBAR_OPEN, states.open},          {IDC_TOOLBAR_SAVE, states.save},
        {IDC_TOOLBAR_WHATS_NEW, states.whatsNew}, {IDC_TOOLBAR_UPDATE, states.update},
        {IDC_TOOLBAR_PRINT, states.print},        {IDC_TOOLBAR_BROWSE, states.browse},
    };
    for (const auto& [id, enabled] : buttons) {
        EnableWindow(GetDlgItem(Handle(), id), enabled ? TRUE : FALSE);
    }
}

bool ReportToolbar::OnCommand(int id, int notification) {
    if (id == IDC_TOOLBAR_SHOW_FOLDERS || id == IDC_TOOLBAR_SORT_BY) {
        if (notification == CBN_SELCHANGE) {
            const int entry = static_cast<int>(SendDlgItemMessageA(Handle(), id, CB_GETCURSEL, 0, 0));
            if (id == IDC_TOOLBAR_SHOW_FOLDERS) {
                m_owner->SetShowMode(entry);
            } else {
                m_owner->SetSortEntry(entry);
            }
        }
        return true;
    }
    if (notification == BN_CLICKED) {
        RunButton(id);
        DiscardQueuedInput();
    }
    return true;
}

void ReportToolbar::RunButton(int id) {
    FolderRecord* current = m_current;
    switch (id) {
        case IDC_TOOLBAR_CREATE:
            m_host->RunShellCommand(kCreateCommand);
            break;
        case IDC_TOOLBAR_CLOSE:
            if (current != nullptr) {
                m_host->CloseReportBySerial(static_cast<std::int32_t>(ReadStatLenient(current, CRP)));
            }
            break;
        case IDC_TOOLBAR_OPEN:
            m_host->RunShellCommand(kOpenCommand);
            break;
        case IDC_TOOLBAR_SAVE:
            m_host->RunShellCommand(kSaveCommand);
            break;
        case IDC_TOOLBAR_WHATS_NEW:
            m_host->CompareWithDisk(current);
            break;
        case IDC_TOOLBAR_UPDATE:
            m_host->RunShellCommand(kUpdateCommand);
            break;
        case IDC_TOOLBAR_PRINT:
            m_host->PrintTree(current);
            break;
        case IDC_TOOLBAR_BROWSE:
            m_host->BrowseFolder(current);
            break;
        default:
            break;
    }
}

// ---- report window ----

ReportWindow::ReportWindow() : m_tree(kTreeBackground, &ui::DispatchCallback, this) {
    m_entry.owner = this;
    m_entry.handler = &ReportWindow::OnNotification;
    ui::RegisterCallback(&m_entry);
}

ReportWindow::~ReportWindow() {
    Destroy();
    ui::UnregisterCallback(&m_entry);
}

bool ReportWindow::Create(ReportWindowHost* host, HWND parent) {
    m_host = host;
    if (m_splitter.Window() != nullptr) {
        return true;
    }
    ui::MCMain& module = host->Module();
    for (int i = 0; i < kIconCount; ++i) {
        m_icons[i] = static_cast<HBITMAP>(
            LoadImageA(module.Instance(), MAKEINTRESOURCEA(IDB_SIZE0 + i), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    }
    if (!m_toolbar.Create(this, host, parent)) {
        return false;
    }
    if (m_treeFont == nullptr) {
        m_treeFont = module.GetFont(kTreeFont);
    }
    RECT area;
    GetClientRect(parent, &area);
    if (area.bottom - area.top <= m_toolbar.Height() + kIconCount) {
        area = {0, 0, std::max(m_toolbar.Width(), 400), m_toolbar.Height() + 300};
    }
    const RECT treeRect = {0, 0, area.right - area.left, area.bottom - area.top - m_toolbar.Height()};
    if (!m_tree.Create(module, parent, treeRect, m_treeFont)) {
        return false;
    }
    if (!m_splitter.Create(parent, &area, 0, m_toolbar.Window(), m_tree.Window(), ui::SplitOrientation::Stacked, 0.1)) {
        return false;
    }
    m_splitter.SetFixed(ui::SplitPane::First, true);
    m_splitter.SetPaneSize(ui::SplitPane::First, m_toolbar.Height());
    m_splitter.SetLocked(true);
    m_menu = LoadMenuA(module.Instance(), MAKEINTRESOURCEA(IDR_REPORT_CONTEXT_MENU));
    m_sortMode = SortByName;
    m_tree.SetCompare(&CompareRecords, m_sortMode);
    ShowWindow(m_tree.Window(), SW_SHOW);
    return true;
}

void ReportWindow::Destroy() {
    m_splitter.Destroy();
    m_tree.Destroy();
    if (m_menu != nullptr) {
        DestroyMenu(m_menu);
        m_menu = nullptr;
    }
    for (HBITMAP& icon : m_icons) {
        if (icon != nullptr) {
            DeleteObject(icon);
            icon = nullptr;
        }
    }
}

void ReportWindow::Resize(int width, int height) {
    m_splitter.Resize(width, height);
}

// ---- notifications ----

std::intptr_t ReportWindow::OnNotification(void* owner, int code, std::intptr_t value, std::intptr_t extra) {
    return static_cast<ReportWindow*>(owner)->Answer(code, value, extra);
}

std::intptr_t ReportWindow::Answer(int code, std::intptr_t value, std::intptr_t extra) {
    if (m_host == nullptr) {
        return 0;
    }
    FolderRecord* record = RecordOf(value);
    switch (code) {
        case ui::kTreeSelectionChanged:
            OnSelection(record);
            return 0;
        case ui::kTreeIconForIndex:
            return reinterpret_cast<std::intptr_t>(IconFor(static_cast<int>(value), reinterpret_cast<int*>(extra)));
        case ui::kTreeTextColour:
            return static_cast<std::intptr_t>(IsSelected(record) ? kDefaultColour : ItemTextColour(record));
        case ui::kTreeTextBackground:
            return static_cast<std::intptr_t>(IsSelected(record) ? kDefaultColour : ItemBackgroundColour(record));
        case ui::kTreeExpanding:
            InsertChildren(reinterpret_cast<HTREEITEM>(extra), record);
            return 0;
        case ui::kTreeContextMenu:
            ShowContextMenu(record, static_cast<short>(extra & 0xFFFF), static_cast<short>((extra >> 16) & 0xFFFF));
            return 0;
        default:
            return 0;
    }
}

bool ReportWindow::IsSelected(FolderRecord* record) const {
    // The selected item keeps the control's highlight; white would hide the selection.
    HTREEITEM selected = m_tree.Selected();
    return record != nullptr && selected != nullptr && m_tree.Data(selected) == record;
}

bool ReportWindow::TitleIcons() const {
    return m_host != nullptr && (m_host->ViewOptions().titleFlags & TitleIcon) != 0;
}

HBITMAP ReportWindow::IconFor(int index, int* answeredIndex) const {
    const bool shown = TitleIcons() && index >= 0 && index < kIconCount;
    if (answeredIndex != nullptr) {
        *answeredIndex = shown ? index : 0;
    }
    return shown ? m_icons[index] : nullptr;
}

void ReportWindow::OnSelection(FolderRecord* record) {
    if (m_host->SelectionGuard()) {
        return;
    }
    m_host->SetCurrentRecord(record);
    if (InfoPanel* panel = m_host->Panel(); panel != nullptr) {
        panel->Show(record);
    }
    m_toolbar.SetCurrentRecord(record);
}

// ---- reports in the tree ----

TreeViewOptions ReportWindow::ShownOptions() const {
    TreeViewOptions options = m_host->ViewOptions();
    options.showMode = m_showMode;
    return options;
}

HTREEITEM ReportWindow::InsertRecord(HTREEITEM parent,
                                     FolderRecord* record,
                                     const TreeViewOptions& options,
                                     HTREEITEM after) {
    const int image = TitleIcons() ? std::clamp(record->kind, 0, kIconCount - 1) : -1;
    return m_tree.Insert(parent, record->name, record, image, HasShownChildren(record, options), after);
}

HTREEITEM ReportWindow::InsertRoot(Report* report, HTREEITEM after) {
    FolderRecord* root = report != nullptr ? report->Root() : nullptr;
    if (root == nullptr) {
        return nullptr;
    }
    m_shownReports.push_back({root, {m_sortMode}});
    return InsertRecord(nullptr, root, ShownOptions(), after);
}

void ReportWindow::InsertAllRoots() {
    for (int index = 0; index < m_host->ReportCount(); ++index) {
        InsertRoot(m_host->ReportAt(index));
    }
}

void ReportWindow::InsertChildren(HTREEITEM item, FolderRecord* record) {
    if (item == nullptr || record == nullptr || m_tree.FirstChild(item) != nullptr) {
        return;  // its children are in already
    }
    FolderRecord* root = record;
    while (root->parent != nullptr) {
        root = root->parent;
    }
    const auto report = std::find_if(m_shownReports.begin(), m_shownReports.end(),
                                     [root](const ShownReport& shown) { return shown.root == root; });
    if (report == m_shownReports.end()) {
        return;
    }
    const TreeViewOptions options = ShownOptions();
    std::vector<FolderRecord*> children =
        ShownChildrenSorted(record, options, report->sortModes.front(), &CompareNamesLikeTheSystem);
    for (auto mode = report->sortModes.begin() + 1; mode != report->sortModes.end(); ++mode) {
        std::stable_sort(children.begin(), children.end(),
                         [mode](FolderRecord* a, FolderRecord* b) { return CompareRecords(a, b, *mode) < 0; });
    }
    int inserted = 0;
    for (FolderRecord* child : children) {
        if (InsertRecord(item, child, options) == nullptr) {
            break;  // the control is out of memory; what is inserted stays usable
        }
        ++inserted;
    }
    if (inserted >= 2) {
        m_sortParents.push_back({root, item});
    }
}

void ReportWindow::ResetTree() {
    // Emptying the control and rebuilding its image list has the effect of re-creating it:
    // expanded branches and the selection are gone, the icons follow the title flags.
    m_tree.DeleteAll();
    m_shownReports.clear();
    m_sortParents.clear();
    m_tree.BuildImageList();
}

int CALLBACK ReportWindow::CompareItems(LPARAM first, LPARAM second, LPARAM self) {
    const auto* window = reinterpret_cast<const ReportWindow*>(self);
    return ui::Guarded(
        window->m_tree.Tree(),
        [&] {
            return CompareRecords(reinterpret_cast<const void*>(first), reinterpret_cast<const void*>(second),
                                  window->m_sortMode);
        },
        0);
}

void ReportWindow::ApplySort() {
    m_tree.SetCompare(&CompareRecords, m_sortMode);
    for (ShownReport& report : m_shownReports) {
        std::erase(report.sortModes, m_sortMode);
        report.sortModes.push_back(m_sortMode);
    }
    // The children of every inserted item at every level, the top level staying as it is.
    // Inserting noted the items with two children or more: most folders are leaves, and walking
    // every item to find the others would cost more than the sorting itself.
    HWND tree = m_tree.Tree();
    for (const SortParent& parent : m_sortParents) {
        TVSORTCB sort = {parent.item, &ReportWindow::CompareItems, reinterpret_cast<LPARAM>(this)};
        TreeView_SortChildrenCB(tree, &sort, FALSE);
    }
}

void ReportWindow::AddReport(Report* report) {
    if (m_host == nullptr || report == nullptr || report->Root() == nullptr) {
        return;
    }
    ShowWindow(m_tree.Window(), SW_HIDE);
    SelectAndAnnounce(InsertRoot(report));  // the folders below come in as they are opened
    ShowWindow(m_tree.Window(), SW_SHOW);
    SetCursorShape(IDC_ARROW);
    m_toolbar.UpdateButtons();
}

void ReportWindow::ReplaceReport(Report* old, Report* fresh) {
    if (m_host == nullptr || fresh == nullptr || fresh->Root() == nullptr) {
        return;
    }
    HTREEITEM after = TVI_LAST;
    if (HTREEITEM item = old != nullptr ? RootItemOf(old->Root()) : nullptr; item != nullptr) {
        HTREEITEM previous = TreeView_GetPrevSibling(m_tree.Tree(), item);
        after = previous != nullptr ? previous : TVI_FIRST;
        GuardScope guard(m_host);
        m_tree.DeleteItem(item);
        std::erase_if(m_shownReports, [old](const ShownReport& shown) { return shown.root == old->Root(); });
        std::erase_if(m_sortParents, [old](const SortParent& parent) { return parent.root == old->Root(); });
    }
    ShowWindow(m_tree.Window(), SW_HIDE);
    SelectAndAnnounce(InsertRoot(fresh, after));
    ShowWindow(m_tree.Window(), SW_SHOW);
    m_toolbar.UpdateButtons();
}

void ReportWindow::RemoveReport(Report* report) {
    if (m_host == nullptr || report == nullptr) {
        return;
    }
    if (HTREEITEM item = RootItemOf(report->Root()); item != nullptr) {
        GuardScope guard(m_host);  // the control moves its selection while items go
        m_tree.DeleteItem(item);
        std::erase_if(m_shownReports, [report](const ShownReport& shown) { return shown.root == report->Root(); });
        std::erase_if(m_sortParents, [report](const SortParent& parent) { return parent.root == report->Root(); });
    }
    SelectFirstItem();
}

void ReportWindow::SetCurrentRecord(FolderRecord* record) {
    m_toolbar.SetCurrentRecord(record);
}

void ReportWindow::SelectFirstItem() {
    SelectAndAnnounce(m_tree.FirstRoot());
}

FolderRecord* ReportWindow::RecordOfItem(HTREEITEM item) const {
    return static_cast<FolderRecord*>(const_cast<void*>(m_tree.Data(item)));
}

void ReportWindow::SelectAndAnnounce(HTREEITEM item) {
    if (item == nullptr) {
        OnSelection(nullptr);
        return;
    }
    if (m_tree.Selected() == item) {
        OnSelection(RecordOfItem(item));
        return;
    }
    m_tree.Select(item);  // the control announces the new selection
}

bool ReportWindow::SelectRecord(FolderRecord* record) {
    HTREEITEM item = ItemOf(record);
    return item != nullptr && (m_tree.Selected() == item || m_tree.Select(item));
}

HTREEITEM ReportWindow::RootItemOf(FolderRecord* root) const {
    for (HTREEITEM item = m_tree.FirstRoot(); item != nullptr; item = m_tree.NextSibling(item)) {
        if (m_tree.Data(item) == root) {
            return item;
        }
    }
    return nullptr;
}

HTREEITEM ReportWindow::ItemOf(FolderRecord* record) {
    return FindItem(record, true);
}

HTREEITEM ReportWindow::FindItem(FolderRecord* record, bool insertPath) {
    if (record == nullptr) {
        return nullptr;
    }
    std::vector<FolderRecord*> chain;
    for (FolderRecord* node = record; node != nullptr; node = node->parent) {
        chain.push_back(node);
    }
    HTREEITEM item = RootItemOf(chain.back());
    for (auto step = chain.rbegin() + 1; item != nullptr && step != chain.rend(); ++step) {
        if (insertPath) {
            InsertChildren(item, *(step - 1));
        }
        HTREEITEM child = m_tree.FirstChild(item);
        while (child != nullptr && m_tree.Data(child) != *step) {
            child = m_tree.NextSibling(child);
        }
        item = child;
    }
    return item;
}

void ReportWindow::RefreshTitle(FolderRecord* record) {
    if (m_host == nullptr || record == nullptr) {
        return;
    }
    qv::RefreshTitle(m_host->ViewOptions(), record);
    // An item not inserted yet takes the new title when it is.
    if (HTREEITEM item = FindItem(record, false); item != nullptr) {
        m_tree.SetText(item, record->name);
    }
}

// ---- show mode, sort order, settings ----

void ReportWindow::SetShowMode(int mode) {
    if (m_host == nullptr || mode == m_showMode || !qv::SetShowMode(&m_host->ViewOptions(), mode)) {
        return;
    }
    m_showMode = mode;
    if (m_toolbar.SelectedShowEntry() != mode) {
        m_toolbar.FillShowFolders(mode);
    }
    Rebuild(false);
}

void ReportWindow::SetSortEntry(int entry) {
    if (m_host == nullptr) {
        return;
    }
    SetCursorShape(IDC_WAIT);
    m_sortMode = SortModeForEntry(entry);
    m_toolbar.SelectSortEntry(m_sortMode);
    ShowWindow(m_tree.Window(), SW_HIDE);
    ApplySort();
    ShowWindow(m_tree.Window(), SW_SHOW);
    SetCursorShape(IDC_ARROW);
}

void ReportWindow::RefreshAll() {
    if (m_host != nullptr) {
        Rebuild(true);
    }
}

void ReportWindow::Rebuild(bool refreshTitles) {
    SetCursorShape(IDC_WAIT);
    {
        GuardScope guard(m_host);
        ShowWindow(m_tree.Window(), SW_HIDE);
        ResetTree();
        if (refreshTitles) {
            for (int index = 0; index < m_host->ReportCount(); ++index) {
                if (Report* report = m_host->ReportAt(index); report != nullptr) {
                    RefreshTitles(m_host->ViewOptions(), report->Root());
                }
            }
        }
        InsertAllRoots();
        m_toolbar.UpdateButtons();
        ShowWindow(m_tree.Window(), SW_SHOW);
    }
    SelectFirstItem();
    SetCursorShape(IDC_ARROW);
}

void ReportWindow::ApplySettings(bool titleFlagsChanged, bool thresholdChanged, bool ageChanged) {
    if (m_host == nullptr) {
        return;
    }
    const ShowSettingsOutcome outcome = ShowSettingsEffect(thresholdChanged, ageChanged, m_toolbar.SelectedShowEntry());
    if (outcome.criterionChanged) {
        m_toolbar.FillShowFolders(m_showMode);
    }
    if ((outcome.refreshDue || titleFlagsChanged) && m_host->ReportCount() > 0) {
        RefreshAll();  // re-creates the tree, its image list included
    } else if (titleFlagsChanged) {
        m_tree.BuildImageList();  // the icons follow the flags even with no report open
    }
}

void ReportWindow::BusyOn() {
    ShowWindow(m_tree.Window(), SW_HIDE);
    SetCursorShape(IDC_WAIT);
}

void ReportWindow::BusyOff() {
    SetCursorShape(IDC_ARROW);
    ShowWindow(m_tree.Window(), SW_SHOW);
}

// ---- context menu ----

void ReportWindow::ShowContextMenu(FolderRecord* record, int x, int y) {
    if (m_menu == nullptr) {
        return;
    }
    const TreeMenu which = ContextMenuFor(record);
    if (record != nullptr) {
        SelectAndAnnounce(ItemOf(record));
    }
    const int command = TrackMenu(GetSubMenu(m_menu, static_cast<int>(which)), POINT{x, y});
    if (IsTreeCommand(command)) {
        RunTreeCommand(command, record);
    }
}

int ReportWindow::TrackMenu(HMENU menu, POINT screen) {
    if (menu == nullptr) {
        return 0;
    }
    return ui::TrackPopup(menu, screen, m_tree.Window());
}

void ReportWindow::ExpandBelow(HTREEITEM item, bool expand) {
    // Pre-order, first child first: every parent changes before its children. Expanding inserts
    // the whole branch: an item's first expansion has its children inserted (kTreeExpanding)
    // before they are walked. Collapsing visits only what is inserted, as nothing else can be
    // open. Inserting in the order the control later deletes a branch keeps removing it cheap
    // where the control looks its items up in one list, as Wine's does.
    if (expand) {
        InsertChildren(item, RecordOfItem(item));
    }
    std::vector<HTREEITEM> pending;
    const auto queueChildren = [this, &pending](HTREEITEM parent) {
        const std::size_t first = pending.size();
        for (HTREEITEM child = m_tree.FirstChild(parent); child != nullptr; child = m_tree.NextSibling(child)) {
            pending.push_back(child);
        }
        std::reverse(pending.begin() + static_cast<std::ptrdiff_t>(first), pending.end());
    };
    queueChildren(item);
    while (!pending.empty()) {
        HTREEITEM current = pending.back();
        pending.pop_back();
        if (expand) {
            m_tree.Expand(current);
        } else {
            m_tree.Collapse(current);
        }
        queueChildren(current);
    }
}

void ReportWindow::RunTreeCommand(int command, FolderRecord* record) {
    HTREEITEM item = ItemOf(record);
    switch (command) {
        case ID_TREE_COLLAPSE:
            if (item != nullptr) {
                BusyOn();
                ExpandBelow(item, false);
                m_tree.Collapse(item);
                BusyOff();
            }
            break;
        case ID_TREE_EXPAND_ALL:
            if (item != nullptr) {
                BusyOn();
                ExpandBelow(item, true);
                m_tree.Expand(item);
                SelectAndAnnounce(item);
                BusyOff();
            }
            break;
        case ID_TREE_EXPAND_CHILDREN:
            if (item != nullptr) {
                BusyOn();
                InsertChildren(item, record);
                for (HTREEITEM child = m_tree.FirstChild(item); child != nullptr; child = m_tree.NextSibling(child)) {
                    m_tree.Expand(child);
                }
                m_tree.Expand(item);
                SelectAndAnnounce(item);
                BusyOff();
            }
            break;
        case ID_TREE_BROWSE_FOLDER:
            m_host->BrowseFolder(record);
            break;
        case ID_TREE_WHATS_NEW:
            m_host->CompareWithDisk(record);
            break;
        case ID_TREE_SAVE_REPORT:
            m_host->RunShellCommand(kSaveCommand);
            break;
        case ID_TREE_CLOSE_REPORT:
            m_host->RunShellCommand(kCloseCommand);
            break;
        case ID_TREE_CREATE_REPORT:
            m_host->RunShellCommand(kCreateCommand);
            break;
        case ID_TREE_OPEN_REPORT:
            m_host->RunShellCommand(kOpenCommand);
            break;
        case ID_TREE_SETTINGS:
            m_host->RunShellCommand(kSettingsCommand);
            break;
        case ID_TREE_EDIT_FILTERS:
            m_host->RunShellCommand(kFiltersCommand);
            break;
        case ID_TREE_HELP:
            m_host->RunShellCommand(kHelpCommand);
            break;
        case ID_TREE_NOTES:
            if (InfoPanel* panel = m_host->Panel(); panel != nullptr && record != nullptr) {
                m_host->EditNotes(record);
                panel->UpdateButtons();
            }
            break;
        default:
            break;
    }
}

}  // namespace qv
