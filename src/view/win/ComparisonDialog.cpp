// The "What's new" command and its dialog: the tree of differences in frame 1113, the flat list
// 1068 over the same place, the selected node's description, the view switch, Browse and the
// tree's context menu.
#include "view/win/ComparisonDialog.h"

#include <commctrl.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "platform/Platform.h"
#include "resource.h"
#include "ui/CallbackRegistry.h"
#include "ui/DialogBase.h"
#include "ui/MCMain.h"
#include "ui/MessageBox.h"
#include "ui/ModalSeam.h"
#include "ui/StyledControls.h"
#include "ui/TreeControl.h"
#include "view/DifferenceList.h"

namespace qv {

namespace {

constexpr COLORREF kTreeBackground = 0xF0F0F0;
constexpr COLORREF kSelectedDataColour = 0xA00000;
constexpr COLORREF kItemBackground = 0xFFFFFF;
constexpr int kTreeFont = 4;
constexpr int kListFont = 1;
constexpr int kButtonFont = 1;
constexpr int kNarrowColumn = 70;
constexpr const char* kListViewLabel = "List View";
constexpr const char* kTreeViewLabel = "Tree View";

bool FolderExists(DifferenceNode* node) {
    const char* path = ReadText(node, ALC);
    return path != nullptr && path[0] != '\0' && platform::DirectoryExists(path);
}

void SetCursorShape(LPCSTR shape) {
    SetCursor(LoadCursorA(nullptr, shape));
}

// One comparison's dialog: it points at the difference tree (the caller's) and owns its tree
// control, the list's rows, the context menu and its entry in the callback registry.
class ReportComparison final : public ui::DialogBase {
  public:
    ReportComparison(ui::MCMain& ui,
                     DifferenceNode* root,
                     const std::function<void(const std::string&)>& browse)
        : m_ui(ui),
          m_root(root),
          m_browse(browse),
          m_tree(kTreeBackground, &ui::DispatchCallback, this) {
        m_entry.owner = this;
        m_entry.handler = &ReportComparison::OnTreeNotification;
        ui::RegisterCallback(&m_entry);
        m_menu = LoadMenuA(m_ui.Instance(), MAKEINTRESOURCEA(IDR_DIFFERENCE_MENU));
    }
    ~ReportComparison() override {
        ui::UnregisterCallback(&m_entry);
        if (m_menu != nullptr) {
            DestroyMenu(m_menu);
        }
    }

    int Run(HWND owner) {
        return static_cast<int>(RunModal(m_ui.Instance(), IDD_COMPARISON, owner, ui::ModalKind::Comparison));
    }

  private:
    bool OnInit() override;
    bool OnCommand(int id, int code) override;
    bool OnNotify(const NMHDR& header, LRESULT* result) override;
    void OnOK() override { End(1); }      // Enter
    void OnCancel() override { End(0); }  // "Close" and Escape
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void SetUpList();
    LRESULT OnListNotify(const NMHDR& header);
    static std::intptr_t OnTreeNotification(void* owner, int code, std::intptr_t value, std::intptr_t extra);
    std::intptr_t AnswerTree(int code, std::intptr_t value, std::intptr_t extra);

    void SelectNode(DifferenceNode* node);
    void ShowTree();
    void ShowList();
    void SelectRow(int row);
    void Resort();
    void Browse();
    HTREEITEM ItemOf(DifferenceNode* node);
    void InsertChildren(HTREEITEM item, DifferenceNode* node);
    void ExpandBelow(HTREEITEM item, bool expand);
    void ShowContextMenu(DifferenceNode* node, int x, int y);
    void RunMenuCommand(int command, HTREEITEM item);

    ui::MCMain& m_ui;
    DifferenceNode* m_root;
    const std::function<void(const std::string&)>& m_browse;
    HWND m_dialog = nullptr;
    HWND m_list = nullptr;
    int m_sortMode = kDiffSortPath;
    ui::TreeControl m_tree;
    DifferenceNode* m_current = nullptr;
    bool m_listShown = true;
    HMENU m_menu = nullptr;
    ui::CallbackEntry m_entry;
    std::vector<DifferenceRow> m_rows;  // in display order
    bool m_selectingRow = false;        // a row is being selected from the program, not the user
};

bool ReportComparison::OnCommand(int id, int code) {
    if (ui::DialogBase::OnCommand(id, code)) {
        return true;  // OK, Cancel
    }
    if (code != BN_CLICKED) {
        return false;
    }
    if (id == IDC_COMPARE_VIEW_SWITCH) {
        if (m_listShown) {
            ShowTree();
        } else {
            ShowList();
        }
        return true;
    }
    if (id == IDC_COMPARE_BROWSE) {
        Browse();
        return true;
    }
    return false;
}

bool ReportComparison::OnNotify(const NMHDR& header, LRESULT* result) {
    if (header.hwndFrom != m_list) {
        return false;
    }
    *result = OnListNotify(header);
    return true;
}

INT_PTR ReportComparison::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CTLCOLORSTATIC && GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) == IDC_COMPARE_SELECTED) {
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, kSelectedDataColour);
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
    }
    return FALSE;
}

bool ReportComparison::OnInit() {
    HWND dialog = Handle();
    m_dialog = dialog;
    ui::StylePushButton(m_ui, dialog, IDC_COMPARE_VIEW_SWITCH, "Tree/List View", kButtonFont);
    ui::StylePushButton(m_ui, dialog, IDC_COMPARE_BROWSE, "Browse folder", kButtonFont);
    ui::StylePushButton(m_ui, dialog, IDCANCEL, "Close dialog", kButtonFont);
    m_ui.AddToolTip(GetDlgItem(dialog, IDC_COMPARE_SELECTED), "Selected item data", dialog);

    // The tree takes the frame's place; items below the root go in as their parents open.
    HWND frame = GetDlgItem(dialog, IDC_COMPARE_TREE_FRAME);
    RECT area = {};
    GetWindowRect(frame, &area);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&area), 2);
    ShowWindow(frame, SW_HIDE);
    m_tree.Create(m_ui, dialog, area, m_ui.GetFont(kTreeFont));
    ShowWindow(m_tree.Window(), SW_HIDE);
    HTREEITEM rootItem =
        m_tree.Insert(nullptr, DifferenceTreeTitle(m_root).c_str(), m_root, -1, m_root->firstChild != nullptr);
    m_tree.Select(rootItem);

    const char* path = ReadText(m_root, ALC);
    SetDlgItemTextA(dialog, IDC_COMPARE_PATH, path != nullptr ? path : "");
    std::string change;
    FormatDifference(m_root, &change);
    const char* created = ReadText(m_root, DRM);
    SetDlgItemTextA(dialog, IDC_COMPARE_SINCE,
                    ("Since " + std::string(created != nullptr ? created : "") + " : " + change).c_str());

    SetUpList();
    m_rows = BuildDifferenceRows(m_root);
    ListView_SetItemCountEx(m_list, static_cast<int>(m_rows.size()), 0);
    SelectRow(0);
    Resort();
    if (m_root->firstChild != nullptr) {
        InsertChildren(rootItem, m_root);
        TreeView_EnsureVisible(m_tree.Tree(), m_tree.FirstChild(rootItem));
    }
    ShowWindow(m_tree.Window(), SW_SHOW);
    if (m_listShown) {
        ShowList();
    } else {
        ShowTree();
    }
    SetFocus(m_listShown ? m_list : m_tree.Tree());
    return false;  // the focus is on the view
}

void ReportComparison::SetUpList() {
    m_list = GetDlgItem(m_dialog, IDC_COMPARE_LIST);
    ListView_SetExtendedListViewStyle(m_list, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    SendMessageA(m_list, WM_SETFONT, reinterpret_cast<WPARAM>(m_ui.GetFont(kListFont)), FALSE);
    RECT client = {};
    GetClientRect(m_list, &client);
    const int widths[] = {std::max<int>(client.right - 3 * kNarrowColumn - GetSystemMetrics(SM_CXVSCROLL), 60),
                          kNarrowColumn, kNarrowColumn, kNarrowColumn};
    for (int index = 0; index < 4; ++index) {
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.pszText = const_cast<char*>(kDiffColumnTitles[index]);
        column.cx = widths[index];
        column.iSubItem = index;
        SendMessageA(m_list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column));
    }
}

void ReportComparison::Browse() {
    if (m_current != nullptr && FolderExists(m_current) && m_browse) {
        m_browse(ReadText(m_current, ALC));
    }
}

// ---- selection and views ----

void ReportComparison::SelectNode(DifferenceNode* node) {
    if (node == nullptr) {
        return;
    }
    m_current = node;
    std::string description;
    FormatDifference(node, &description);
    SetDlgItemTextA(m_dialog, IDC_COMPARE_SELECTED, description.c_str());
    EnableWindow(GetDlgItem(m_dialog, IDC_COMPARE_BROWSE), FolderExists(node) ? TRUE : FALSE);
}

void ReportComparison::ShowTree() {
    m_listShown = false;
    ShowWindow(m_tree.Window(), SW_SHOW);
    ShowWindow(m_list, SW_HIDE);
    SetDlgItemTextA(m_dialog, IDC_COMPARE_VIEW_SWITCH, kListViewLabel);
    SetFocus(m_tree.Tree());
    if (HTREEITEM item = ItemOf(m_current); item != nullptr) {
        TreeView_EnsureVisible(m_tree.Tree(), item);
        if (m_tree.Selected() == item) {
            SelectNode(m_current);
        } else {
            m_tree.Select(item);  // announced: the node is shown
        }
    }
}

void ReportComparison::ShowList() {
    m_listShown = true;
    ShowWindow(m_list, SW_SHOW);
    ShowWindow(m_tree.Window(), SW_HIDE);
    SetFocus(m_list);
    const int row = RowOfNode(m_rows, m_current);
    if (row >= 0) {
        SelectRow(row);
        ListView_EnsureVisible(m_list, row, FALSE);
        SelectNode(m_rows[static_cast<std::size_t>(row)].node);
    }
    SetDlgItemTextA(m_dialog, IDC_COMPARE_VIEW_SWITCH, kTreeViewLabel);
}

void ReportComparison::SelectRow(int row) {
    if (row < 0 || row >= static_cast<int>(m_rows.size())) {
        return;
    }
    ListView_SetItemState(m_list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_SetItemState(m_list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

void ReportComparison::Resort() {
    DifferenceNode* selected = nullptr;
    const int row = ListView_GetNextItem(m_list, -1, LVNI_SELECTED);
    if (row >= 0 && row < static_cast<int>(m_rows.size())) {
        selected = m_rows[static_cast<std::size_t>(row)].node;
    }
    SortDifferenceRows(&m_rows, m_sortMode);
    for (std::size_t index = 0; selected != nullptr && index < m_rows.size(); ++index) {
        if (m_rows[index].node == selected) {
            m_selectingRow = true;  // the same node: no new selection
            SelectRow(static_cast<int>(index));
            m_selectingRow = false;
            ListView_EnsureVisible(m_list, static_cast<int>(index), FALSE);
        }
    }
    InvalidateRect(m_list, nullptr, TRUE);
}

LRESULT ReportComparison::OnListNotify(const NMHDR& header) {
    switch (header.code) {
        case LVN_GETDISPINFOA: {
            auto& info = const_cast<NMLVDISPINFOA&>(reinterpret_cast<const NMLVDISPINFOA&>(header));
            const int row = info.item.iItem;
            if ((info.item.mask & LVIF_TEXT) != 0 && info.item.pszText != nullptr && info.item.cchTextMax > 0 &&
                row >= 0 && row < static_cast<int>(m_rows.size())) {
                lstrcpynA(info.item.pszText,
                          DifferenceCell(m_rows[static_cast<std::size_t>(row)], info.item.iSubItem).c_str(),
                          info.item.cchTextMax);
            }
            return 0;
        }
        case LVN_ITEMCHANGED: {
            const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
            if (!m_selectingRow && (change.uChanged & LVIF_STATE) != 0 && (change.uNewState & LVIS_SELECTED) != 0 &&
                change.iItem >= 0 && change.iItem < static_cast<int>(m_rows.size())) {
                SelectNode(m_rows[static_cast<std::size_t>(change.iItem)].node);
            }
            return 0;
        }
        case LVN_COLUMNCLICK:
            m_sortMode = DifferenceSortAfterClick(m_sortMode, reinterpret_cast<const NMLISTVIEW&>(header).iSubItem);
            Resort();
            return 0;
        case NM_DBLCLK:
            Browse();  // as the "Browse" button does
            return 0;
        case LVN_HOTTRACK:
            return 1;  // no hot-tracking: the row under the mouse is not selected
        default:
            return 0;
    }
}

// ---- the tree ----

std::intptr_t ReportComparison::OnTreeNotification(void* owner, int code, std::intptr_t value, std::intptr_t extra) {
    return static_cast<ReportComparison*>(owner)->AnswerTree(code, value, extra);
}

std::intptr_t ReportComparison::AnswerTree(int code, std::intptr_t value, std::intptr_t extra) {
    auto* node = reinterpret_cast<DifferenceNode*>(value);
    switch (code) {
        case ui::kTreeSelectionChanged:
            SelectNode(node);
            return 0;
        case ui::kTreeTextColour:
            return node != nullptr ? static_cast<std::intptr_t>(DifferenceTextColour(node)) : -1;
        case ui::kTreeTextBackground:
            return node != nullptr ? static_cast<std::intptr_t>(kItemBackground) : -1;
        case ui::kTreeExpanding:
            InsertChildren(reinterpret_cast<HTREEITEM>(extra), node);
            return 0;
        case ui::kTreeContextMenu:
            ShowContextMenu(node, static_cast<short>(extra & 0xFFFF), static_cast<short>((extra >> 16) & 0xFFFF));
            return 0;
        default:
            return 0;  // no icons, no filtering
    }
}

void ReportComparison::InsertChildren(HTREEITEM item, DifferenceNode* node) {
    if (item == nullptr || node == nullptr || m_tree.FirstChild(item) != nullptr) {
        return;
    }
    for (DifferenceNode* child = node->firstChild; child != nullptr; child = child->nextSibling) {
        if (m_tree.Insert(item, DifferenceTreeTitle(child).c_str(), child, -1, child->firstChild != nullptr) ==
            nullptr) {
            break;  // out of memory: what is in stays usable
        }
    }
}

HTREEITEM ReportComparison::ItemOf(DifferenceNode* node) {
    if (node == nullptr) {
        return nullptr;
    }
    std::vector<DifferenceNode*> chain;
    for (DifferenceNode* step = node; step != nullptr; step = step->parent) {
        chain.push_back(step);
    }
    HTREEITEM item = m_tree.FirstRoot();
    for (auto step = chain.rbegin() + 1; item != nullptr && step != chain.rend(); ++step) {
        InsertChildren(item, *(step - 1));
        HTREEITEM child = m_tree.FirstChild(item);
        while (child != nullptr && m_tree.Data(child) != *step) {
            child = m_tree.NextSibling(child);
        }
        item = child;
    }
    return item;
}

void ReportComparison::ExpandBelow(HTREEITEM item, bool expand) {
    // Every item below `item`, each parent before its children; expanding inserts on the way.
    std::vector<HTREEITEM> pending;
    const auto queueChildren = [this, &pending, expand](HTREEITEM parent) {
        if (expand) {
            InsertChildren(parent, static_cast<DifferenceNode*>(const_cast<void*>(m_tree.Data(parent))));
        }
        for (HTREEITEM child = m_tree.FirstChild(parent); child != nullptr; child = m_tree.NextSibling(child)) {
            pending.push_back(child);
        }
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

void ReportComparison::ShowContextMenu(DifferenceNode* node, int x, int y) {
    HMENU menu = m_menu != nullptr ? GetSubMenu(m_menu, 0) : nullptr;
    HTREEITEM item = ItemOf(node);
    if (menu == nullptr || item == nullptr) {
        return;
    }
    m_tree.Select(item);
    EnableMenuItem(menu, ID_TREE_BROWSE_FOLDER, MF_BYCOMMAND | (FolderExists(node) ? MF_ENABLED : MF_GRAYED));
    RunMenuCommand(ui::TrackPopup(menu, POINT{x, y}, m_tree.Window()), item);
}

void ReportComparison::RunMenuCommand(int command, HTREEITEM item) {
    const bool expand = command == ID_TREE_EXPAND_ALL || command == ID_TREE_EXPAND_CHILDREN;
    if (command == ID_TREE_BROWSE_FOLDER) {
        Browse();
        return;
    }
    if (!expand && command != ID_TREE_COLLAPSE) {
        return;
    }
    ShowWindow(m_tree.Window(), SW_HIDE);
    SetCursorShape(IDC_WAIT);
    if (command == ID_TREE_COLLAPSE) {
        ExpandBelow(item, false);
        m_tree.Collapse(item);
    } else if (command == ID_TREE_EXPAND_ALL) {
        ExpandBelow(item, true);
        m_tree.Expand(item);
    } else {
        InsertChildren(item, static_cast<DifferenceNode*>(const_cast<void*>(m_tree.Data(item))));
        for (HTREEITEM child = m_tree.FirstChild(item); child != nullptr; child = m_tree.NextSibling(child)) {
            InsertChildren(child, static_cast<DifferenceNode*>(const_cast<void*>(m_tree.Data(child))));
            m_tree.Expand(child);
        }
        m_tree.Expand(item);
    }
    SetCursorShape(IDC_ARROW);
    ShowWindow(m_tree.Window(), SW_SHOW);
}

}  // namespace

int RunComparisonDialog(HWND owner,
                        ui::MCMain& ui,
                        DifferenceNode* root,
                        const std::function<void(const std::string& path)>& browse) {
    if (root == nullptr) {
        return -1;
    }
    ReportComparison comparison(ui, root, browse);
    return comparison.Run(owner);
}

int ShowWhatsNew(HWND owner, Report* report, FolderRecord* record, const WhatsNewContext& context) {
    if (record == nullptr || context.ui == nullptr) {
        return -1;
    }
    if (record->group > 0 && record->parent != nullptr) {
        record = record->parent;  // a files item stands for its folder
    }
    const char* path = ReadText(record, ALC);
    if (path == nullptr || path[0] == '\0' || !platform::DirectoryExists(path)) {
        ui::ShowMessage(context.ui, owner, kGoneFolderMessage, kGoneFolderCaption, ui::kMessageOk);
        return -1;
    }
    if (report == nullptr) {
        return -1;
    }
    std::unique_ptr<Report> fresh = CreateReport(path, &report->Filters(), context.options, true, context.scan);
    if (fresh == nullptr || fresh->Root() == nullptr) {
        return -1;  // cancelled or failed: nothing to say
    }
    DifferenceNode* root = Compare(record, fresh->Root());
    const int result = RunComparisonDialog(owner, *context.ui, root, context.browse);
    DeleteNode(root);
    return result;
}

}  // namespace qv
