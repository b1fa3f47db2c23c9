// The "Program Settings" dialog: its lists, the reading of the settings into the controls on
// opening, the writing back on OK and the two enable rules.
#include "app/win/SettingsDialog.h"

#include <string>

#include "resource.h"
#include "ui/MCMain.h"
#include "app/SettingsRules.h"
#include "shell/win/Shell.h"
#include "ui/StyledControls.h"
#include "platform/Platform.h"

namespace qv {

namespace {

constexpr UINT kObserveMessage = WM_APP + 17;
constexpr int kLabelFont = 1;
constexpr int kButtonFont = 1;
constexpr const char* kShowFoldersTip = "Customize 'Show folders' Control Panel's menu";

settings_dialog_seam::Observer g_observer = nullptr;
void* g_observerContext = nullptr;

// A check box and the key whose first or second value it shows.
struct CheckKey {
    int id;
    const char* key;
    bool second;
    const char* tip;
};

constexpr CheckKey kChecks[] = {
    {IDC_SETTINGS_TOOLTIPS, "common:tooltips", false, "Enable ToolTips"},
    {IDC_SETTINGS_BUILT_IN, "common:filter", false, "Use built-in filter"},
    {IDC_SETTINGS_TREE_SIZE, "tree:size", false, "Show folder size in item's title"},
    {IDC_SETTINGS_TREE_PERCENT, "tree:percent", false, "Show percent of parent's volume in item's title"},
    {IDC_SETTINGS_TREE_PRECISE, "tree:percent", true, "Show precise value"},
    {IDC_SETTINGS_TREE_CREATED, "tree:created", false, "Show folder creation date in item's title"},
    {IDC_SETTINGS_TREE_ACCESS, "tree:access", false, "Show folder last access date in item's title"},
    {IDC_SETTINGS_TREE_NOTES, "tree:notes", false, "Show user-defined folder notes"},
    {IDC_SETTINGS_TREE_ICON, "tree:icon", false, "Show item icon"},
};

// A label, group box or other control and its tool tip (null: no tip).
struct ControlTip {
    int id;
    const char* tip;
};

constexpr ControlTip kGroups[] = {
    {IDC_SETTINGS_TOOLTIPS_GROUP, nullptr},
    {IDC_SETTINGS_FILTERS_GROUP, "Set filters on startup"},
    {IDC_SETTINGS_TREE_GROUP, "Report tree item details"},
    {IDC_SETTINGS_SHOW_GROUP, nullptr},
};

constexpr ControlTip kLabels[] = {
    {IDC_SETTINGS_BROWSE_LABEL, "Browse folder details"},
    {IDC_SETTINGS_DESTROY_LABEL, "Delete files details"},
    {IDC_SETTINGS_CLUSTER_LABEL, "User-Defined Cluster size"},
    {IDC_SETTINGS_SHOW_LABEL, kShowFoldersTip},
    {IDC_SETTINGS_SIZE_LABEL, kShowFoldersTip},
    {IDC_SETTINGS_LAST_LABEL, kShowFoldersTip},
    {IDC_SETTINGS_AGO_LABEL, kShowFoldersTip},
};

// A drop-down list whose entry index is the stored value itself (values outside the list show
// the first entry).
struct ListKey {
    int id;
    const char* key;
    bool second;
    const char* const* items;
    int count;
    const char* tip;
};

constexpr const char* kBrowseItems[] = {"Browse Folder window", "Explorer window"};
constexpr const char* kDestroyItems[] = {"Moves files to Recycle Bin", "Destroys files permanently"};
constexpr const char* kSizeUnits[] = {"Kb", "MB"};
constexpr const char* kAgeUnits[] = {"day(s)", "week(s)", "month(s)", "year(s)"};
constexpr const char* kAgeNumbers[] = {"1", "2", "3", "4", "5", "6"};

constexpr ListKey kLists[] = {
    {IDC_SETTINGS_BROWSE, "common:browse", false, kBrowseItems, 2, "Browse folder details"},
    {IDC_SETTINGS_DESTROY, "common:destroy", false, kDestroyItems, 2, "Delete files details"},
    {IDC_SETTINGS_SIZE_UNIT, "showfolder:size", true, kSizeUnits, 2, kShowFoldersTip},
    {IDC_SETTINGS_LAST_UNIT, "showfolder:last", true, kAgeUnits, 4, kShowFoldersTip},
};

void FillList(HWND dialog, int id, const char* const* items, int count) {
    HWND list = GetDlgItem(dialog, id);
    SendMessageA(list, CB_RESETCONTENT, 0, 0);
    for (int i = 0; i < count; ++i) {
        SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(items[i]));
    }
}

int Selected(HWND dialog, int id) {
    return static_cast<int>(SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0));
}

void Select(HWND dialog, int id, int index) {
    SendDlgItemMessageA(dialog, id, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

bool Checked(HWND dialog, int id) {
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

std::string ControlText(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    std::string text(static_cast<std::size_t>(GetWindowTextLengthA(control)) + 1, '\0');
    text.resize(static_cast<std::size_t>(GetWindowTextA(control, text.data(), static_cast<int>(text.size()))));
    return text;
}

// The dialog's state: the settings it edits and where relative filter paths start.
class SettingsDialog {
  public:
    SettingsDialog(Settings& settings, ui::MCMain* ui)
        : m_settings(settings), m_ui(ui), m_programFolder(settings.Location().programFolder) {}

    static INT_PTR CALLBACK Proc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

  private:
    void OnInit(HWND dialog);
    void Restyle() const;
    void FillLists() const;
    void ShowSettings() const;
    void WriteSettings() const;
    void UpdateEnabled() const;
    void ChooseFilterFile() const;
    bool OnCommand(int id, int code);

    Settings& m_settings;
    ui::MCMain* m_ui;
    std::string m_programFolder;
    HWND m_dialog = nullptr;
};

void SettingsDialog::OnInit(HWND dialog) {
    m_dialog = dialog;
    Restyle();
    FillLists();
    ShowSettings();
    UpdateEnabled();
    if (g_observer != nullptr) {
        PostMessageA(dialog, kObserveMessage, 0, 0);
    }
}

void SettingsDialog::Restyle() const {
    if (m_ui == nullptr) {
        return;
    }
    for (const CheckKey& check : kChecks) {
        ui::StyleCheckBox(*m_ui, m_dialog, check.id, check.tip);
    }
    for (const ControlTip& label : kLabels) {
        ui::StyleLabel(*m_ui, m_dialog, label.id, label.tip, kLabelFont);
    }
    // Group boxes are buttons: restyled as labels without a tip, which needs a static's style bit.
    for (const ControlTip& group : kGroups) {
        HWND box = ui::StyleLabel(*m_ui, m_dialog, group.id, nullptr, kLabelFont);
        if (box != nullptr && group.tip != nullptr) {
            m_ui->AddToolTip(box, group.tip, m_dialog);
        }
    }
    for (const ListKey& list : kLists) {
        m_ui->AddToolTip(GetDlgItem(m_dialog, list.id), list.tip, m_dialog);
    }
    constexpr ControlTip kFields[] = {
        {IDC_SETTINGS_CLUSTER, "User-Defined Cluster size"},
        {IDC_SETTINGS_SIZE, kShowFoldersTip},
        {IDC_SETTINGS_LAST, kShowFoldersTip},
    };
    for (const ControlTip& field : kFields) {
        m_ui->AddToolTip(GetDlgItem(m_dialog, field.id), field.tip, m_dialog);
    }
    ui::StylePushButton(*m_ui, m_dialog, IDC_SETTINGS_CHOOSE_FILTER, "Browse for filter file (*.mcf)", kButtonFont);
    ui::StylePushButton(*m_ui, m_dialog, IDOK, "Accept changes", kButtonFont);
    ui::StylePushButton(*m_ui, m_dialog, IDCANCEL, "Close dialog, skip changes", kButtonFont);
}

void SettingsDialog::FillLists() const {
    for (const ListKey& list : kLists) {
        FillList(m_dialog, list.id, list.items, list.count);
    }
    FillList(m_dialog, IDC_SETTINGS_LAST, kAgeNumbers, 6);
    HWND cluster = GetDlgItem(m_dialog, IDC_SETTINGS_CLUSTER);
    SendMessageA(cluster, CB_RESETCONTENT, 0, 0);
    SendMessageA(cluster, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Auto (Recommended)"));
    for (int i = 1; i < kClusterChoiceCount; ++i) {
        SendMessageA(cluster, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(std::to_string(kClusterChoices[i]).c_str()));
    }
}

void SettingsDialog::ShowSettings() const {
    for (const CheckKey& check : kChecks) {
        CheckDlgButton(m_dialog, check.id,
                       m_settings.GetValue(check.key, check.second) != 0 ? BST_CHECKED : BST_UNCHECKED);
    }
    for (const ListKey& list : kLists) {
        Select(m_dialog, list.id, ChoiceIndex(m_settings.GetValue(list.key, list.second), list.count));
    }
    Select(m_dialog, IDC_SETTINGS_CLUSTER, ClusterChoiceIndex(m_settings.GetValue("common:cluster")));
    Select(m_dialog, IDC_SETTINGS_LAST, AgeNumberIndex(m_settings.GetValue("showfolder:last")));
    SetDlgItemTextA(m_dialog, IDC_SETTINGS_SIZE, std::to_string(m_settings.GetValue("showfolder:size")).c_str());
    SetDlgItemTextA(m_dialog, IDC_SETTINGS_FILTER_FILE,
                    FilterPathForDisplay(m_settings.GetText("common:filter"), m_programFolder).c_str());
}

void SettingsDialog::WriteSettings() const {
    for (const CheckKey& check : kChecks) {
        m_settings.SetValue(check.key, Checked(m_dialog, check.id) ? 1 : 0, check.second);
    }
    for (const ListKey& list : kLists) {
        m_settings.SetValue(list.key, ChoiceIndex(Selected(m_dialog, list.id), list.count), list.second);
    }
    m_settings.SetValue("common:cluster", ClusterChoiceValue(Selected(m_dialog, IDC_SETTINGS_CLUSTER)));
    m_settings.SetValue("showfolder:last", ChoiceIndex(Selected(m_dialog, IDC_SETTINGS_LAST), 6) + 1);

    // A threshold that reads as 0 (or no number) is stored as 1, and the field says so.
    const std::int32_t threshold = ThresholdFromText(ControlText(m_dialog, IDC_SETTINGS_SIZE));
    SetDlgItemTextA(m_dialog, IDC_SETTINGS_SIZE, std::to_string(threshold).c_str());
    m_settings.SetValue("showfolder:size", threshold);

    m_settings.SetText("common:filter",
                       FilterPathFromDisplay(ControlText(m_dialog, IDC_SETTINGS_FILTER_FILE), m_programFolder));
}

void SettingsDialog::UpdateEnabled() const {
    EnableWindow(GetDlgItem(m_dialog, IDC_SETTINGS_TREE_PRECISE), Checked(m_dialog, IDC_SETTINGS_TREE_PERCENT));
    const BOOL chooseFile = !Checked(m_dialog, IDC_SETTINGS_BUILT_IN);
    EnableWindow(GetDlgItem(m_dialog, IDC_SETTINGS_CHOOSE_FILTER), chooseFile);
    EnableWindow(GetDlgItem(m_dialog, IDC_SETTINGS_FILTER_FILE), chooseFile);
}

void SettingsDialog::ChooseFilterFile() const {
    std::string chosen;
    if (shell::ShowOpenFileDialog(m_dialog, "Talvorn Quarvex file filters (*.mcf)", "*.mcf", &chosen, m_programFolder,
                                  "Specify default filters file") &&
        platform::FileExists(chosen)) {
        SetDlgItemTextA(m_dialog, IDC_SETTINGS_FILTER_FILE, FilterPathForDisplay(chosen, m_programFolder).c_str());
    }
}

bool SettingsDialog::OnCommand(int id, int code) {
    switch (id) {
        case IDOK:
            WriteSettings();
            EndDialog(m_dialog, IDOK);
            return true;
        case IDCANCEL:
            EndDialog(m_dialog, IDCANCEL);
            return true;
        case IDC_SETTINGS_TREE_PERCENT:
        case IDC_SETTINGS_BUILT_IN:
            if (code == BN_CLICKED) {
                UpdateEnabled();
            }
            return true;
        case IDC_SETTINGS_CHOOSE_FILTER:
            if (code == BN_CLICKED) {
                ChooseFilterFile();
            }
            return true;
        default:
            return false;
    }
}

INT_PTR CALLBACK SettingsDialog::Proc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        reinterpret_cast<SettingsDialog*>(lParam)->OnInit(dialog);
        return TRUE;
    }
    auto* self = reinterpret_cast<SettingsDialog*>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (self == nullptr) {
        return FALSE;
    }
    switch (message) {
        case WM_COMMAND:
            return self->OnCommand(LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;
        case kObserveMessage:
            if (g_observer != nullptr) {
                g_observer(dialog, g_observerContext);
            }
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace

bool ShowSettingsDialog(HWND parent, Settings& settings, ui::MCMain* ui) {
    settings.Save();
    SettingsDialog dialog(settings, ui);
    const INT_PTR result = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_SETTINGS), parent,
                                           &SettingsDialog::Proc, reinterpret_cast<LPARAM>(&dialog));
    if (result != IDOK) {
        return false;
    }
    settings.Apply();
    settings.Save();
    return true;
}

namespace settings_dialog_seam {

void SetObserver(Observer observer, void* context) {
    g_observer = observer;
    g_observerContext = context;
}

}  // namespace settings_dialog_seam

}  // namespace qv
