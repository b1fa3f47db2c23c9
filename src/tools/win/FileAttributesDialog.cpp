// The file attributes tool: Set, Clear or Change the Read-Only, Archive and Hidden attributes
// of the target's files.
#include <string>

#include "resource.h"
#include "tools/FileTools.h"
#include "tools/ToolRun.h"
#include "tools/win/FileToolDialogs.h"
#include "tools/win/TargetDialog.h"
#include "tools/win/ToolTarget.h"
#include "ui/DialogBase.h"
#include "ui/MCMain.h"
#include "ui/StyledControls.h"

namespace qv::tools {

namespace {

// The choices kept from one opening to the next while the program runs.
TargetMemory g_target;
AttrChoices g_choices;

constexpr int kChecks[3] = {IDC_ATTR_CHECK_READONLY, IDC_ATTR_CHECK_ARCHIVE, IDC_ATTR_CHECK_HIDDEN};
constexpr int kConditions[3] = {IDC_ATTR_HAS_READONLY, IDC_ATTR_HAS_ARCHIVE, IDC_ATTR_HAS_HIDDEN};
constexpr int kStates[3] = {IDC_ATTR_NEW_READONLY, IDC_ATTR_NEW_ARCHIVE, IDC_ATTR_NEW_HIDDEN};
constexpr int kChangeLabels[] = {IDC_ATTR_HAS_LABEL, IDC_ATTR_CHANGE_LABEL, IDC_ATTR_ROW_READONLY,
                                 IDC_ATTR_ROW_ARCHIVE, IDC_ATTR_ROW_HIDDEN};

void FillList(HWND dialog, int id, std::initializer_list<const char*> entries, int selected) {
    for (const char* entry : entries) {
        SendDlgItemMessageA(dialog, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
    }
    SendDlgItemMessageA(dialog, id, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

int Selection(HWND dialog, int id) {
    const LRESULT index = SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0);
    return index == CB_ERR ? 0 : static_cast<int>(index);
}

class FileAttributesDialog : public TargetDialog {
  public:
    FileAttributesDialog(ui::MCMain* ui, const ToolStart& start) : TargetDialog(ui, start, &g_target) {}

  private:
    bool OnInit() override {
        HWND dialog = Handle();
        FillList(dialog, IDC_ATTR_ACTION, {"Set attributes", "Clear attributes", "Change attributes"},
                 static_cast<int>(g_choices.action));
        for (int row = 0; row < 3; ++row) {
            CheckDlgButton(dialog, kChecks[row], g_choices.checked[row] ? BST_CHECKED : BST_UNCHECKED);
            FillList(dialog, kConditions[row], {"Any", "On", "Off"}, static_cast<int>(g_choices.conditions[row]));
            FillList(dialog, kStates[row], {"Same", "On", "Off"}, static_cast<int>(g_choices.states[row]));
        }
        if (m_ui != nullptr) {
            ui::StyleLabel(*m_ui, dialog, IDC_ATTR_ACTION_LABEL, nullptr, 1);
            for (int id : kChangeLabels) {
                ui::StyleLabel(*m_ui, dialog, id, nullptr, 1);
            }
            for (int id : kChecks) {
                ui::StyleCheckBox(*m_ui, dialog, id, nullptr);
            }
        }
        m_target.SetExplore(m_start.explore);
        m_target.Attach(dialog, m_start.path);
        ShowActionControls();
        return false;
    }

    AttrAction Action() const { return static_cast<AttrAction>(Selection(Handle(), IDC_ATTR_ACTION)); }

    // Set and Clear show the check boxes; Change shows the lists with their labels.
    void ShowActionControls() {
        const bool change = Action() == AttrAction::Change;
        for (int row = 0; row < 3; ++row) {
            ShowWindow(GetDlgItem(Handle(), kChecks[row]), change ? SW_HIDE : SW_SHOW);
            ShowWindow(GetDlgItem(Handle(), kConditions[row]), change ? SW_SHOW : SW_HIDE);
            ShowWindow(GetDlgItem(Handle(), kStates[row]), change ? SW_SHOW : SW_HIDE);
        }
        for (int id : kChangeLabels) {
            ShowWindow(GetDlgItem(Handle(), id), change ? SW_SHOW : SW_HIDE);
        }
    }

    void ReadChoices() {
        g_choices.action = Action();
        for (int row = 0; row < 3; ++row) {
            g_choices.checked[row] = IsDlgButtonChecked(Handle(), kChecks[row]) == BST_CHECKED;
            g_choices.conditions[row] = static_cast<AttrCondition>(Selection(Handle(), kConditions[row]));
            g_choices.states[row] = static_cast<AttrNewState>(Selection(Handle(), kStates[row]));
        }
    }

    // Validation in its order, the question, the run and its result.
    void Apply() {
        if (!m_target.Validate()) {
            return;
        }
        ReadChoices();
        const AttrChoices& c = g_choices;
        if (c.action != AttrAction::Change && !c.checked[0] && !c.checked[1] && !c.checked[2]) {
            const std::string text = std::string("You have not specified attributes to ") +
                                     (c.action == AttrAction::Set ? "set" : "remove");
            m_target.Tell(text.c_str(), "Wrong parameters");
            return;
        }
        if (c.action == AttrAction::Change && c.states[0] == AttrNewState::Same && c.states[1] == AttrNewState::Same &&
            c.states[2] == AttrNewState::Same) {
            m_target.Tell("All attributes will be the same", "Wrong parameters");
            return;
        }
        const TargetRun run = m_target.Prepare();
        std::string lineOne;
        std::string lineTwo;
        AttributeQuestionLines(c, &lineOne, &lineTwo);
        if (!m_target.Confirm(run, lineOne, lineTwo)) {
            return;
        }
        UpdateWindow(Handle());
        const HCURSOR previous = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
        const RunCounts counts = RunAttributes(run, c);
        SetCursor(previous);
        m_target.ShowResult(AttributesResultText(counts.found, counts.processed));
        m_target.UpdateStates();
    }

    bool OnToolCommand(int id, int code) override {
        if (id != IDC_ATTR_ACTION) {
            return false;
        }
        if (code == CBN_SELCHANGE) {
            ShowActionControls();
        }
        return true;
    }
    void OnOK() override { Apply(); }
};

}  // namespace

void ShowFileAttributesTool(HWND owner, ui::MCMain* ui, const ToolStart& start) {
    FileAttributesDialog dialog(ui, start);
    dialog.Run(owner, IDD_FILE_ATTRIBUTES, ui::ModalKind::FileAttributes);
}

}  // namespace qv::tools
