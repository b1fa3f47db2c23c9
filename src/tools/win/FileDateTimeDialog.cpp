// The file date and time tool: sets the last-write date, time of day or both of the target's
// files, in the current year.
#include <string>

#include "platform/Platform.h"
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

// The choices kept from one opening to the next while the program runs (month and day are
// today's at every opening).
TargetMemory g_target;
DateChoices g_choices;

// Fills a list with the numbers first..last, or with `names`, and selects `selected`.
void FillNumbers(HWND dialog, int id, int first, int last, int selected) {
    for (int n = first; n <= last; ++n) {
        SendDlgItemMessageA(dialog, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(std::to_string(n).c_str()));
    }
    SendDlgItemMessageA(dialog, id, CB_SETCURSEL, static_cast<WPARAM>(selected - first), 0);
}

int Selection(HWND dialog, int id) {
    const LRESULT index = SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0);
    return index == CB_ERR ? 0 : static_cast<int>(index);
}

bool Checked(HWND dialog, int id) {
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

platform::LocalTime Today() {
    platform::LocalTime today;
    if (!platform::ToLocalTime(platform::Now(), &today)) {
        today = {2000, 1, 1, 0, 0, 0, 0};
    }
    return today;
}

class FileDateTimeDialog : public TargetDialog {
  public:
    FileDateTimeDialog(ui::MCMain* ui, const ToolStart& start) : TargetDialog(ui, start, &g_target) {}

  private:
    bool OnInit() override {
        HWND dialog = Handle();
        const platform::LocalTime today = Today();
        for (const char* month : kMonthNames) {
            SendDlgItemMessageA(dialog, IDC_DATE_MONTH, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(month));
        }
        SendDlgItemMessageA(dialog, IDC_DATE_MONTH, CB_SETCURSEL, static_cast<WPARAM>(today.month - 1), 0);
        FillNumbers(dialog, IDC_DATE_DAY, 1, 31, today.day);
        FillNumbers(dialog, IDC_DATE_HOUR, 0, 23, g_choices.hour);
        FillNumbers(dialog, IDC_DATE_MINUTE, 0, 59, g_choices.minute);
        CheckDlgButton(dialog, IDC_DATE_CHANGE_DATE, g_choices.changeDate ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(dialog, IDC_DATE_CHANGE_TIME, g_choices.changeTime ? BST_CHECKED : BST_UNCHECKED);
        if (m_ui != nullptr) {
            ui::StyleCheckBox(*m_ui, dialog, IDC_DATE_CHANGE_DATE, nullptr);
            ui::StyleCheckBox(*m_ui, dialog, IDC_DATE_CHANGE_TIME, nullptr);
            ui::StyleLabel(*m_ui, dialog, IDC_DATE_HOUR_LABEL, nullptr, 1);
            ui::StyleLabel(*m_ui, dialog, IDC_DATE_MINUTE_LABEL, nullptr, 1);
        }
        // Folder mode needs a date or a time to set.
        m_target.SetApplyCondition([this] {
            return m_target.SingleFile() || Checked(Handle(), IDC_DATE_CHANGE_DATE) ||
                   Checked(Handle(), IDC_DATE_CHANGE_TIME);
        });
        m_target.SetExplore(m_start.explore);
        m_target.Attach(dialog, m_start.path);
        return false;
    }

    void Apply() {
        if (!m_target.Validate()) {
            return;
        }
        DateChoices chosen;
        chosen.changeDate = Checked(Handle(), IDC_DATE_CHANGE_DATE);
        chosen.changeTime = Checked(Handle(), IDC_DATE_CHANGE_TIME);
        chosen.month = Selection(Handle(), IDC_DATE_MONTH) + 1;
        chosen.day = Selection(Handle(), IDC_DATE_DAY) + 1;
        chosen.hour = Selection(Handle(), IDC_DATE_HOUR);
        chosen.minute = Selection(Handle(), IDC_DATE_MINUTE);
        const int year = Today().year;
        if (chosen.changeDate && !IsValidDate(year, chosen.month, chosen.day)) {
            m_target.Tell("Wrong date format!\nPlease be sure that you have specified correct month and day",
                          "Incorrect Data");
            return;
        }
        g_choices = chosen;
        const TargetRun run = m_target.Prepare();
        std::string lineOne;
        std::string lineTwo;
        DateQuestionLines(chosen, year, &lineOne, &lineTwo);
        if (!m_target.Confirm(run, lineOne, lineTwo)) {
            return;
        }
        UpdateWindow(Handle());
        const HCURSOR previous = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
        const RunCounts counts = RunDateTime(run, chosen, year);
        SetCursor(previous);
        m_target.ShowResult(DateResultText(counts.found, counts.processed));
        m_target.UpdateStates();
    }

    bool OnToolCommand(int id, int code) override {
        if ((id == IDC_DATE_CHANGE_DATE || id == IDC_DATE_CHANGE_TIME) && code == BN_CLICKED) {
            m_target.UpdateStates();
            return true;
        }
        return false;
    }
    void OnOK() override { Apply(); }
};

}  // namespace

void ShowFileDateTimeTool(HWND owner, ui::MCMain* ui, const ToolStart& start) {
    FileDateTimeDialog dialog(ui, start);
    dialog.Run(owner, IDD_FILE_DATE_TIME, ui::ModalKind::FileDateTime);
}

}  // namespace qv::tools
