// The folder info panel: dialog 142 in a scrolling pane, its value fields, the virtual filter
// list with header sorting and cell tips, and its buttons.
#include "view/win/InfoPanel.h"

#include <commctrl.h>

#include <algorithm>

#include "resource.h"
#include "ui/Guard.h"
#include "ui/StyledControls.h"
#include "view/FolderSelection.h"

namespace qv {

namespace {

constexpr int kButtonFont = 1;
constexpr int kLabelFont = 1;
constexpr int kListFont = 1;
constexpr int kSeparatorGap = 6;
constexpr int kNameEditWidth = 1024;
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kNavy = RGB(0, 0, 128);
constexpr UINT_PTR kListSubclassId = 0x51564950;   // "QVIP"
constexpr UINT_PTR kFieldSubclassId = 0x51564946;  // "QVIF"
constexpr int kFieldTextMargin = 2;

// How one value field looks: its font from the module's table, text colour and tool tip.
struct FieldStyle {
    int id;
    int font;
    COLORREF colour;
    const char* tip;
};

constexpr FieldStyle kFields[] = {
    {IDC_INFO_NAME, 2, kNavy, ""},  // the tip is the folder's full path, set on every record
    {IDC_INFO_PATH, 1, kBlack, nullptr},     {IDC_INFO_USED, 2, kNavy, nullptr},
    {IDC_INFO_SIZE, 1, kBlack, nullptr},     {IDC_INFO_FILES, 1, kBlack, nullptr},
    {IDC_INFO_FOLDERS, 1, kBlack, nullptr},  {IDC_INFO_CREATED, 1, kBlack, nullptr},
    {IDC_INFO_ACCESSED, 1, kBlack, nullptr},
};
constexpr int kReportLineFont = 3;

constexpr int kLabels[] = {IDC_INFO_NAME_LABEL,    IDC_INFO_PATH_LABEL,    IDC_INFO_USED_LABEL,
                           IDC_INFO_SIZE_LABEL,    IDC_INFO_FILES_LABEL,   IDC_INFO_FOLDERS_LABEL,
                           IDC_INFO_CREATED_LABEL, IDC_INFO_ACCESSED_LABEL};

// Filter names are compared as the system orders texts, case-sensitively.
int CompareLikeTheSystem(const char* a, const char* b) {
    return lstrcmpA(a, b);
}

const FieldStyle* FieldOf(int id) {
    for (const FieldStyle& field : kFields) {
        if (field.id == id) {
            return &field;
        }
    }
    return nullptr;
}

InfoControlGroup GroupOf(int id) {
    switch (id) {
        case IDC_INFO_FOLDERS_LABEL:
        case IDC_INFO_FOLDERS:
        case IDC_INFO_CREATED_LABEL:
        case IDC_INFO_CREATED:
        case IDC_INFO_ACCESSED_LABEL:
        case IDC_INFO_ACCESSED:
            return InfoControlGroup::FolderOnly;
        case IDC_INFO_FILTER_LIST:
        case IDC_INFO_SHOW_FILES:
        case IDC_INFO_SHOW_FILTERS:
            return InfoControlGroup::FilterBlock;
        case IDC_INFO_SHOW_FILTER_LIST:
            return InfoControlGroup::HiddenCheckBox;
        default:
            return InfoControlGroup::Always;
    }
}

std::string WindowText(HWND window) {
    const int length = GetWindowTextLengthA(window);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    text.resize(static_cast<std::size_t>(GetWindowTextA(window, text.data(), length + 1)));
    return text;
}

// The control's rectangle in its dialog's client coordinates.
RECT RectInDialog(HWND dialog, int id) {
    RECT rect = {};
    HWND control = GetDlgItem(dialog, id);
    if (control != nullptr) {
        GetWindowRect(control, &rect);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    }
    return rect;
}

// A disabled edit would draw its text grey whatever colour the dialog answers; the value fields
// are disabled only so they take no focus, so they draw their text in their own font and colour.
void PaintDisabledField(HWND edit, const FieldStyle& field) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(edit, &paint);
    RECT client;
    GetClientRect(edit, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(edit, WM_GETFONT, 0, 0)));
    SetTextColor(dc, field.colour);
    SetBkMode(dc, TRANSPARENT);
    const std::string text = WindowText(edit);
    client.left += kFieldTextMargin;
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &client, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, oldFont);
    EndPaint(edit, &paint);
}

LRESULT CALLBACK FieldProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    return ui::Guarded(
        edit,
        [&] {
            if (message == WM_PAINT && !IsWindowEnabled(edit)) {
                PaintDisabledField(edit, *reinterpret_cast<const FieldStyle*>(data));
                return LRESULT{0};
            }
            if (message == WM_NCDESTROY) {
                RemoveWindowSubclass(edit, &FieldProc, kFieldSubclassId);
            }
            return DefSubclassProc(edit, message, wParam, lParam);
        },
        LRESULT{0});
}

}  // namespace

InfoPanel::~InfoPanel() {
    Destroy();
}

bool InfoPanel::Create(ReportWindowHost* host, HWND parent) {
    m_host = host;
    if (Handle() != nullptr) {
        return true;
    }
    if (!CreateModeless(host->Module().Instance(), IDD_INFO_PANEL, parent)) {
        return false;
    }
    RECT area;
    GetClientRect(parent, &area);
    if (!m_pane.Create(parent, area, Handle())) {
        DestroyWindow(Handle());
        return false;
    }
    ShowWindow(Handle(), SW_SHOW);
    Show(nullptr);
    return true;
}

void InfoPanel::Destroy() {
    m_pane.Destroy();  // the dialog is the pane's child and goes with it
    if (Handle() != nullptr) {
        DestroyWindow(Handle());
    }
    m_list = nullptr;
    if (m_background != nullptr) {
        DeleteObject(m_background);
        m_background = nullptr;
    }
}

void InfoPanel::Resize(int width, int height) {
    m_pane.Resize(width, height);
}

int InfoPanel::PreferredWidth() const {
    if (Handle() == nullptr) {
        return 0;
    }
    return RectInDialog(Handle(), IDC_INFO_CREATED_TEXT).right + GetSystemMetrics(SM_CXVSCROLL) + 2;
}

// ---- dialog ----

INT_PTR InfoPanel::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CTLCOLORSTATIC || message == WM_CTLCOLOREDIT) {
        return OnControlColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    }
    return FALSE;
}

void InfoPanel::OnDestroyed() {
    m_list = nullptr;
}

bool InfoPanel::OnNotify(const NMHDR& header, LRESULT* result) {
    *result = ListNotification(header);
    return true;
}

bool InfoPanel::OnInit() {
    ui::MCMain& module = m_host->Module();
    ui::StylePushButton(module, Handle(), IDC_INFO_PRINT, "Print statistics for current folder", kButtonFont);
    ui::StylePushButton(module, Handle(), IDC_INFO_NOTES, "Folder's Notes", kButtonFont, kBlack);
    ui::StylePushButton(module, Handle(), IDC_INFO_SHOW_FILES, "Show files found by selected filter", kButtonFont);
    ui::StylePushButton(module, Handle(), IDC_INFO_SHOW_FILTERS, "Show selected filter's description", kButtonFont);
    ui::StyleCheckBox(module, Handle(), IDC_INFO_SHOW_FILTER_LIST, "Show/Hide File Filters List");
    for (int id : kLabels) {
        // The name's label carries the same tip as the name field: the folder's full path.
        ui::StyleLabel(module, Handle(), id, id == IDC_INFO_NAME_LABEL ? "" : nullptr, kLabelFont);
    }
    m_background = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
    HWND reportLine = GetDlgItem(Handle(), IDC_INFO_CREATED_TEXT);
    SendMessageA(reportLine, WM_SETFONT, reinterpret_cast<WPARAM>(module.GetFont(kReportLineFont)), FALSE);
    module.AddToolTip(reportLine, "Date and time when report was created", Handle());
    for (const FieldStyle& field : kFields) {
        HWND edit = GetDlgItem(Handle(), field.id);
        SendMessageA(edit, WM_SETFONT, reinterpret_cast<WPARAM>(module.GetFont(field.font)), FALSE);
        if (field.tip != nullptr) {
            module.AddToolTip(edit, field.tip, Handle());
        }
        EnableWindow(edit, field.id == IDC_INFO_PATH ? TRUE : FALSE);
        SetWindowSubclass(edit, &FieldProc, kFieldSubclassId, reinterpret_cast<DWORD_PTR>(&field));
    }
    HWND name = GetDlgItem(Handle(), IDC_INFO_NAME);
    RECT nameRect = RectInDialog(Handle(), IDC_INFO_NAME);
    SetWindowPos(name, nullptr, 0, 0, kNameEditWidth, nameRect.bottom - nameRect.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    SetUpList();
    ToggleFilterList(m_listShown ? Toggle::On : Toggle::Off);
    return false;
}

void InfoPanel::SetUpList() {
    m_list = GetDlgItem(Handle(), IDC_INFO_FILTER_LIST);
    ListView_SetExtendedListViewStyle(m_list, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    SendMessageA(m_list, WM_SETFONT, reinterpret_cast<WPARAM>(m_host->Module().GetFont(kListFont)), FALSE);
    RECT client;
    GetClientRect(m_list, &client);
    const struct {
        const char* title;
        int width;
    } columns[] = {{"Name", std::max<int>(client.right - 120, 40)}, {"Space", 70}, {"Num", 50}};
    for (int index = 0; index < 3; ++index) {
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.pszText = const_cast<char*>(columns[index].title);
        column.cx = columns[index].width;
        column.iSubItem = index;
        SendMessageA(m_list, LVM_INSERTCOLUMNA, index, reinterpret_cast<LPARAM>(&column));
    }
    m_host->Module().AddToolTip(m_list, "", Handle());
    SetWindowSubclass(m_list, &InfoPanel::ListProc, kListSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

LRESULT CALLBACK InfoPanel::ListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    return ui::Guarded(
        list,
        [&] {
            if (message == WM_MOUSEMOVE) {
                reinterpret_cast<InfoPanel*>(data)->OnListMouseMove(lParam);
            } else if (message == WM_NCDESTROY) {
                RemoveWindowSubclass(list, &InfoPanel::ListProc, kListSubclassId);
            }
            return DefSubclassProc(list, message, wParam, lParam);
        },
        LRESULT{0});
}

void InfoPanel::OnListMouseMove(LPARAM position) {
    LVHITTESTINFO hit = {};
    hit.pt = {static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
    ListView_SubItemHitTest(m_list, &hit);
    const std::string text = hit.iItem >= 0 ? CellText(hit.iItem, hit.iSubItem) : std::string();
    if (text != m_hoveredCell) {
        m_hoveredCell = text;
        m_host->Module().SetToolTipText(m_list, m_hoveredCell.c_str());
    }
}

INT_PTR InfoPanel::OnControlColour(HDC dc, HWND control) {
    const int id = GetDlgCtrlID(control);
    const FieldStyle* field = FieldOf(id);
    if (field == nullptr && id != IDC_INFO_CREATED_TEXT) {
        return FALSE;
    }
    SetTextColor(dc, field != nullptr ? field->colour : kNavy);
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<INT_PTR>(m_background);
}

bool InfoPanel::OnCommand(int id, int notification) {
    if (notification != BN_CLICKED) {
        return true;
    }
    switch (id) {
        case IDC_INFO_PRINT:
            m_host->PrintFolderInfo(m_record);
            break;
        case IDC_INFO_NOTES:
            if (m_record != nullptr) {
                m_host->EditNotes(m_record);
            }
            UpdateButtons();
            break;
        case IDC_INFO_SHOW_FILES:
            ShowFiles();
            break;
        case IDC_INFO_SHOW_FILTERS:
            ShowFilters();
            break;
        case IDC_INFO_SHOW_FILTER_LIST:
            ToggleFilterList(Toggle::Switch);
            break;
        default:
            break;
    }
    return true;
}

void InfoPanel::ShowFiles() {
    if (m_selectedFilter != 0 && m_report != nullptr) {
        m_host->ShowFilterFiles(m_report, m_selectedFilter, m_record);
    }
}

void InfoPanel::ShowFilters() {
    if (m_report != nullptr) {
        m_host->ShowFilterDescription(m_report, m_selectedFilter);
    }
}

LRESULT InfoPanel::ListNotification(const NMHDR& header) {
    if (header.hwndFrom != m_list) {
        return 0;
    }
    switch (header.code) {
        case LVN_GETDISPINFOA: {
            auto& info = const_cast<NMLVDISPINFOA&>(reinterpret_cast<const NMLVDISPINFOA&>(header));
            if ((info.item.mask & LVIF_TEXT) != 0 && info.item.pszText != nullptr && info.item.cchTextMax > 0) {
                lstrcpynA(info.item.pszText, CellText(info.item.iItem, info.item.iSubItem).c_str(),
                          info.item.cchTextMax);
            }
            return 0;
        }
        case LVN_COLUMNCLICK: {
            const auto& click = reinterpret_cast<const NMLISTVIEW&>(header);
            m_rowSort = RowSortAfterHeaderClick(m_rowSort, click.iSubItem);
            Resort();
            SelectRowOfFilter();
            UpdateButtons();
            return 0;
        }
        case LVN_ITEMCHANGED: {
            const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
            if ((change.uChanged & LVIF_STATE) != 0 && (change.uNewState & LVIS_SELECTED) != 0 &&
                (change.uOldState & LVIS_SELECTED) == 0) {
                OnRowSelected(change.iItem);
            }
            return 0;
        }
        case NM_DBLCLK:
            ShowFiles();
            return 0;
        default:
            return 0;
    }
}

// ---- showing a record ----

std::string InfoPanel::CellText(int row, int column) const {
    if (row < 0 || row >= static_cast<int>(m_order.size())) {
        return {};
    }
    const FilterRow& cells = m_rows[static_cast<std::size_t>(m_order[static_cast<std::size_t>(row)])];
    switch (column) {
        case 0:
            return cells.name;
        case 1:
            return cells.space;
        case 2:
            return cells.count;
        default:
            return {};
    }
}

Report* InfoPanel::FindReport(FolderRecord* record) const {
    const std::int64_t serial = ReadStatLenient(record, CRP);
    for (int index = 0; index < m_host->ReportCount(); ++index) {
        Report* report = m_host->ReportAt(index);
        if (report != nullptr && report->Serial() == serial) {
            return report;
        }
    }
    return nullptr;
}

void InfoPanel::Show(FolderRecord* record) {
    if (Handle() == nullptr) {
        return;
    }
    m_record = record;
    m_fullPath.clear();
    m_report = nullptr;
    ApplyVisibility();
    ToggleFilterList(m_listShown ? Toggle::On : Toggle::Off);
    m_report = record != nullptr ? FindReport(record) : nullptr;
    if (m_report == nullptr) {
        // No record, or its report has been closed: nothing of it may stay on show.
        SetValueTexts(InfoTexts());
        m_rows.clear();
        m_order.clear();
        ListView_SetItemCountEx(m_list, 0, 0);
        UpdateButtons();
        return;
    }
    const InfoTexts texts = DescribeFolder(record, m_report->Policy());
    m_fullPath = texts.fullPath;
    SetValueTexts(texts);
    SetSecondLabel(texts.secondLabel);
    EnableWindow(GetDlgItem(Handle(), IDC_INFO_PATH), texts.isRoot ? FALSE : TRUE);
    m_host->Module().SetToolTipText(GetDlgItem(Handle(), IDC_INFO_NAME), m_fullPath.c_str());
    m_host->Module().SetToolTipText(GetDlgItem(Handle(), IDC_INFO_NAME_LABEL), m_fullPath.c_str());
    RebuildRows();
    UpdateButtons();
}

void InfoPanel::ApplyVisibility() {
    const bool hasRecord = m_record != nullptr;
    const bool filesItem = hasRecord && m_record->group > 0;
    for (HWND child = GetWindow(Handle(), GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        const bool visible = InfoControlVisible(GroupOf(GetDlgCtrlID(child)), hasRecord, filesItem, m_listShown);
        ShowWindow(child, visible ? SW_SHOWNA : SW_HIDE);
    }
}

void InfoPanel::SetValueTexts(const InfoTexts& texts) {
    const std::pair<int, const std::string*> fields[] = {
        {IDC_INFO_CREATED_TEXT, &texts.reportCreated},
        {IDC_INFO_NAME, &texts.name},
        {IDC_INFO_PATH, &texts.secondValue},
        {IDC_INFO_USED, &texts.usedSpace},
        {IDC_INFO_SIZE, &texts.size},
        {IDC_INFO_FILES, &texts.files},
        {IDC_INFO_FOLDERS, &texts.folders},
        {IDC_INFO_CREATED, &texts.created},
        {IDC_INFO_ACCESSED, &texts.lastAccessed},
    };
    for (const auto& [id, text] : fields) {
        SetDlgItemTextA(Handle(), id, text->c_str());
    }
}

void InfoPanel::SetSecondLabel(const std::string& label) {
    HWND control = GetDlgItem(Handle(), IDC_INFO_PATH_LABEL);
    if (WindowText(control) == label) {
        return;
    }
    // Hidden while it changes, so the old text never shows through the new one.
    const bool visible = (GetWindowLongPtrA(control, GWL_STYLE) & WS_VISIBLE) != 0;
    ShowWindow(control, SW_HIDE);
    SetWindowTextA(control, label.c_str());
    if (visible) {
        ShowWindow(control, SW_SHOWNA);
    }
}

// ---- filter rows ----

void InfoPanel::RebuildRows() {
    m_rows = BuildFilterRows(m_report->Filters(), m_record);
    Resort();
    SelectRowOfFilter();
}

void InfoPanel::Resort() {
    m_order = SortedRowOrder(m_rows, m_rowSort, &CompareLikeTheSystem);
    ListView_SetItemCountEx(m_list, static_cast<int>(m_order.size()), LVSICF_NOSCROLL);
    ListView_RedrawItems(m_list, 0, std::max<int>(static_cast<int>(m_order.size()) - 1, 0));
    InvalidateRect(m_list, nullptr, TRUE);
}

void InfoPanel::SelectRowOfFilter() {
    if (m_order.empty()) {
        m_selectedFilter = 0;
        m_selectedFiles = 0;
        return;
    }
    int row = m_selectedFilter != 0 ? DisplayRowOfFilter(m_rows, m_order, m_selectedFilter) : 0;
    if (row < 0) {
        row = 0;  // the remembered filter is kept for a later record that has it
    } else {
        const FilterRow& cells = m_rows[static_cast<std::size_t>(m_order[static_cast<std::size_t>(row)])];
        m_selectedFilter = cells.id;
        m_selectedFiles = cells.files;
    }
    // The list reports this selection like a click; it must not replace the remembered filter.
    m_selectingRow = true;
    ListView_SetItemState(m_list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_SetItemState(m_list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    m_selectingRow = false;
    ListView_EnsureVisible(m_list, row, FALSE);
}

void InfoPanel::OnRowSelected(int displayRow) {
    if (m_selectingRow || displayRow < 0 || displayRow >= static_cast<int>(m_order.size())) {
        return;
    }
    const FilterRow& cells = m_rows[static_cast<std::size_t>(m_order[static_cast<std::size_t>(displayRow)])];
    m_selectedFilter = cells.id;
    m_selectedFiles = cells.files;
    UpdateButtons();
}

// ---- buttons and the list's visibility ----

void InfoPanel::UpdateButtons() {
    if (Handle() == nullptr) {
        return;
    }
    const bool filesFound =
        m_selectedFilter != 0 && m_selectedFiles != 0 && DisplayRowOfFilter(m_rows, m_order, m_selectedFilter) >= 0;
    EnableWindow(GetDlgItem(Handle(), IDC_INFO_SHOW_FILES), filesFound ? TRUE : FALSE);
    const COLORREF notesColour = HasNotes(m_record) ? static_cast<COLORREF>(kNotesColour) : kBlack;
    // Restyling replaces the button's colours; no tip is added twice.
    ui::StylePushButton(m_host->Module(), Handle(), IDC_INFO_NOTES, nullptr, kButtonFont, notesColour);
    InvalidateRect(GetDlgItem(Handle(), IDC_INFO_NOTES), nullptr, TRUE);
}

void InfoPanel::ToggleFilterList(Toggle how) {
    if (Handle() == nullptr) {
        return;
    }
    m_listShown = how == Toggle::Switch ? !m_listShown : how == Toggle::On;
    const bool visible = m_listShown && m_record != nullptr;
    for (int id : {IDC_INFO_FILTER_LIST, IDC_INFO_SHOW_FILES, IDC_INFO_SHOW_FILTERS}) {
        ShowWindow(GetDlgItem(Handle(), id), visible ? SW_SHOWNA : SW_HIDE);
    }
    CheckDlgButton(Handle(), IDC_INFO_SHOW_FILTER_LIST, m_listShown ? BST_CHECKED : BST_UNCHECKED);
    const RECT above = RectInDialog(Handle(), m_listShown ? IDC_INFO_SHOW_FILES : IDC_INFO_SHOW_FILTER_LIST);
    const RECT separator = RectInDialog(Handle(), IDC_INFO_SEPARATOR_BOTTOM);
    SetWindowPos(GetDlgItem(Handle(), IDC_INFO_SEPARATOR_BOTTOM), nullptr, separator.left, above.bottom + kSeparatorGap,
                 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace qv
