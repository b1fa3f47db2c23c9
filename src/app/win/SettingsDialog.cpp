// The "Program Settings" dialog: its lists, the reading of the settings into the controls on
// opening, the writing back on OK and the two enable rules.
#include "app/win/SettingsDialog.h"

#include <string>

#include "app/SettingsRules.h"
#include "platform/Platform.h"
#include "resource.h"
#include "shell/win/Shell.h"
#include "ui/DialogBase.h"
#include "ui/MCMain.h"
#include "ui/StyledControls.h"

namespace qv {

namespace {

constexpr int kLabelFont = 1;
constexpr int kButtonFont = 1;
constexpr const char* kShowFoldersTip = "Customize 'Show folders' Control Panel's menu";

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
class SettingsDialog : public ui::DialogBase {
  public:
    SettingsDialog(Settings& settings, ui::MCMain* ui)
        : m_settings(settings), m_ui(ui), m_programFolder(settings.Location().programFolder) {}

    bool Run(HWND parent) {
        return RunModal(GetModuleHandleA(nullptr), IDD_SETTINGS, parent, ui::ModalKind::Settings) == IDOK;
    }

  private:
    bool OnInit() override;
    bool OnCommand(int id, int code) override;
    void OnOK() override;
    void Restyle() const;
    void FillLists() const;
    void ShowSettings() const;
    void WriteSettings() const;
    void UpdateEnabled() const;
    void ChooseFilterFile() const;

    Settings& m_settings;
    ui::MCMain* m_ui;
    std::string m_programFolder;
};

bool SettingsDialog::OnInit() {
    Restyle();
    FillLists();
    ShowSettings();
    UpdateEnabled();
    return true;
}

void SettingsDialog::OnOK() {
    WriteSettings();
    End(IDOK);
}

void SettingsDialog::Restyle() const {
    if (m_ui == nullptr) {
        return;
    }
    for (const CheckKey& check : kChecks) {
        ui::StyleCheckBox(*m_ui, Handle(), check.id, check.tip);
    }
    for (const ControlTip& label : kLabels) {
        ui::StyleLabel(*m_ui, Handle(), label.id, label.tip, kLabelFont);
    }
    // Group boxes are buttons: restyled as labels without a tip, which needs a static's style bit.
    for (const ControlTip& group : kGroups) {
        HWND box = ui::StyleLabel(*m_ui, Handle(), group.id, nullptr, kLabelFont);
        if (box != nullptr && group.tip != nullptr) {
            m_ui->AddToolTip(box, group.tip, Handle());
        }
    }
    for (const ListKey& list : kLists) {
        m_ui->AddToolTip(GetDlgItem(Handle(), list.id), list.tip, Handle());
    }
    constexpr ControlTip kFields[] = {
        {IDC_SETTINGS_CLUSTER, "User-Defined Cluster size"},
        {IDC_SETTINGS_SIZE, kShowFoldersTip},
        {IDC_SETTINGS_LAST, kShowFoldersTip},
    };
    for (const ControlTip& field : kFields) {
        m_ui->AddToolTip(GetDlgItem(Handle(), field.id), field.tip, Handle());
    }
    ui::StylePushButton(*m_ui, Handle(), IDC_SETTINGS_CHOOSE_FILTER, "Browse for filter file (*.mcf)", kButtonFont);
    ui::StylePushButton(*m_ui, Handle(), IDOK, "Accept changes", kButtonFont);
    ui::StylePushButton(*m_ui, Handle(), IDCANCEL, "Close dialog, skip changes", kButtonFont);
}

void SettingsDialog::FillLists() const {
    for (const ListKey& list : kLists) {
        FillList(Handle(), list.id, list.items, list.count);
    }
    FillList(Handle(), IDC_SETTINGS_LAST, kAgeNumbers, 6);
    HWND cluster = GetDlgItem(Handle(), IDC_SETTINGS_CLUSTER);
    SendMessageA(cluster, CB_RESETCONTENT, 0, 0);
    SendMessageA(cluster, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Auto (Recommended)"));
    for (int i = 1; i < kClusterChoiceCount; ++i) {
        SendMessageA(cluster, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(std::to_string(kClusterChoices[i]).c_str()));
    }
}

void SettingsDialog::ShowSettings() const {
    for (const CheckKey& check : kChecks) {
        CheckDlgButton(Handle(), check.id,
                       m_settings.GetValue(check.key, check.second) != 0 ? BST_CHECKED : BST_UNCHECKED);
    }
    for (const ListKey& list : kLists) {
        Select(Handle(), list.id, ChoiceIndex(m_settings.GetValue(list.key, list.second), list.count));
    }
    Select(Handle(), IDC_SETTINGS_CLUSTER, ClusterChoiceIndex(m_settings.GetValue("common:cluster")));
    Select(Handle(), IDC_SETTINGS_LAST, AgeNumberIndex(m_settings.GetValue("showfolder:last")));
    SetDlgItemTextA(Handle(), IDC_SETTINGS_SIZE, std::to_string(m_settings.GetValue("showfolder:size")).c_str());
    SetDlgItemTextA(Handle(), IDC_SETTINGS_FILTER_FILE,
                    FilterPathForDisplay(m_settings.GetText("common:filter"), m_programFolder).c_str());
}

void SettingsDialog::WriteSettings() const {
    for (const CheckKey& check : kChecks) {
        m_settings.SetValue(check.key, Checked(Handle(), check.id) ? 1 : 0, check.second);
    }
    for (const ListKey& list : kLists) {
        m_settings.SetValue(list.key, ChoiceIndex(Selected(Handle(), list.id), list.count), list.second);
    }
    m_settings.SetValue("common:cluster", ClusterChoiceValue(Selected(Handle(), IDC_SETTINGS_CLUSTER)));
    m_settings.SetValue("showfolder:last", ChoiceIndex(Selected(Handle(), IDC_SETTINGS_LAST), 6) + 1);

    // A threshold that reads as 0 (or no number) is stored as 1, and the field says so.
    const std::int32_t threshold = ThresholdFromText(ControlText(Handle(), IDC_SETTINGS_SIZE));
    SetDlgItemTextA(Handle(), IDC_SETTINGS_SIZE, std::to_string(threshold).c_str());
    m_settings.SetValue("showfolder:size", threshold);

    m_settings.SetText("common:filter",
                       FilterPathFromDisplay(ControlText(Handle(), IDC_SETTINGS_FILTER_FILE), m_programFolder));
}

void SettingsDialog::UpdateEnabled() const {
    EnableWindow(GetDlgItem(Handle(), IDC_SETTINGS_TREE_PRECISE), Checked(Handle(), IDC_SETTINGS_TREE_PERCENT));
    const BOOL chooseFile = !Checked(Handle(), IDC_SETTINGS_BUILT_IN);
    EnableWindow(GetDlgItem(Handle(), IDC_SETTINGS_CHOOSE_FILTER), chooseFile);
    EnableWindow(GetDlgItem(Handle(), IDC_SETTINGS_FILTER_FILE), chooseFile);
}

void SettingsDialog::ChooseFilterFile() const {
    std::string chosen;
    if (shell::ShowOpenFileDialog(Handle(), "Talvorn Quarvex file filters (*.mcf)", "*.mcf", &chosen, m_programFolder,
                                  "Specify default filters file") &&
        platform::FileExists(chosen)) {
        SetDlgItemTextA(Handle(), IDC_SETTINGS_FILTER_FILE, FilterPathForDisplay(chosen, m_programFolder).c_str());
    }
}

bool SettingsDialog::OnCommand(int id, int code) {
    switch (id) {
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
            return DialogBase::OnCommand(id, code);
    }
}

}  // namespace

bool ShowSettingsDialog(HWND parent, Settings& settings, ui::MCMain* ui) {
    settings.Save();
    if (!SettingsDialog(settings, ui).Run(parent)) {
        return false;
    }
    settings.Apply();
    settings.Save();
    return true;
}

}  // namespace qv
