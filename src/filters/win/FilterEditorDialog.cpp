// The filter editor's window: it shows the model's lines and fields, hands every user action to
// the model and follows the model's enable states. The rules themselves are in FilterEditorModel.
#include "filters/win/FilterEditorDialog.h"

#include <string>

#include "filters/FilterEditorModel.h"
#include "platform/Platform.h"
#include "resource.h"
#include "shell/win/Shell.h"
#include "ui/DialogBase.h"
#include "ui/MCMain.h"
#include "ui/MessageBox.h"
#include "ui/StyledControls.h"

namespace qv {

namespace {

constexpr int kFont = 1;
constexpr const char* kFileType = "Talvorn Quarvex file filters (*.mcf)";
constexpr const char* kFileMask = "*.mcf";

// The buttons with their tool tips; the first nine are hidden in the read-only form.
struct ButtonTip {
    int id;
    const char* tip;
};
constexpr ButtonTip kButtons[] = {
    {IDC_FILTERS_CREATE, "Create new filter"},
    {IDC_FILTERS_DELETE, "Delete selected filter"},
    {IDC_FILTERS_MOVE_UP, "Move filter up"},
    {IDC_FILTERS_MOVE_DOWN, "Move filter down"},
    {IDC_FILTERS_ACCEPT, "Accept filter changes"},
    {IDC_FILTERS_DISCARD, "Skip filter changes"},
    {IDC_FILTERS_SAVE, "Save filters to file"},
    {IDC_FILTERS_LOAD, "Load filters from file"},
    {IDC_FILTERS_NEW_SET, "Create new (empty) filter set"},
    {IDOK, "Accept changes"},
    {IDCANCEL, "Skip changes"},
};
constexpr int kEditingButtons = 9;

std::string ControlText(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    std::string text(static_cast<std::size_t>(GetWindowTextLengthA(control)) + 1, '\0');
    text.resize(static_cast<std::size_t>(GetWindowTextA(control, text.data(), static_cast<int>(text.size()))));
    return text;
}

bool Checked(HWND dialog, int id) {
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

void Enable(HWND dialog, int id, bool on) {
    EnableWindow(GetDlgItem(dialog, id), on ? TRUE : FALSE);
}

// The dialog's state: the model, where the file dialogs start and where OK writes to.
class FilterEditorDialog : public ui::DialogBase {
  public:
    FilterEditorDialog(ui::MCMain* ui, const FilterEditorSource& source, FilterSet* result)
        : m_ui(ui), m_model(source.writeBack), m_folder(source.filtersFolder), m_result(result) {}

    FilterEditorModel& Model() { return m_model; }
    bool Run(HWND owner) {
        const HINSTANCE instance = m_ui != nullptr ? m_ui->Instance() : GetModuleHandleA(nullptr);
        return RunModal(instance, IDD_FILTER_EDITOR, owner, ui::ModalKind::FilterEditor) == IDOK;
    }

  private:
    bool OnInit() override;
    bool OnCommand(int id, int notification) override;
    void OnOK() override;
    void Restyle();
    void FillList();
    void ShowFields();
    void ApplyEnables();
    void Refresh();
    void FocusName();
    void Accept();
    void DeleteSelected();
    void NoteTextChange(int id);

    ui::MCMain* m_ui;
    FilterEditorModel m_model;
    std::string m_folder;
    FilterSet* m_result;
    bool m_showing = false;  // the fields are being filled, not edited
};

bool FilterEditorDialog::OnInit() {
    HWND dialog = Handle();
    Restyle();
    SendDlgItemMessageA(dialog, IDC_FILTERS_NAME, EM_LIMITTEXT, FilterEditorModel::kMaxFieldBytes, 0);
    SendDlgItemMessageA(dialog, IDC_FILTERS_MASK, EM_LIMITTEXT, FilterEditorModel::kMaxFieldBytes, 0);
    if (!m_model.Editable()) {
        for (int i = 0; i < kEditingButtons; ++i) {
            ShowWindow(GetDlgItem(dialog, kButtons[i].id), SW_HIDE);
        }
    }
    Refresh();
    SetFocus(GetDlgItem(dialog, IDC_FILTERS_LIST));
    return false;  // the focus stays on the list
}

void FilterEditorDialog::Restyle() {
    if (m_ui == nullptr) {
        return;
    }
    for (const ButtonTip& button : kButtons) {
        ui::StylePushButton(*m_ui, Handle(), button.id, button.tip, kFont);
    }
    for (int id : {IDC_FILTERS_LIST_LABEL, IDC_FILTERS_NAME_LABEL, IDC_FILTERS_MASK_LABEL}) {
        ui::StyleLabel(*m_ui, Handle(), id, nullptr, kFont);
    }
    ui::StyleCheckBox(*m_ui, Handle(), IDC_FILTERS_TEMPORARY, "Temporary filter (these files can be deleted)");
    ui::StyleCheckBox(*m_ui, Handle(), IDC_FILTERS_ENABLED, "Enable filter");
}

void FilterEditorDialog::FillList() {
    HWND list = GetDlgItem(Handle(), IDC_FILTERS_LIST);
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (const std::string& line : m_model.Lines()) {
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    }
    SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(m_model.Position() - 1), 0);
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

void FilterEditorDialog::ShowFields() {
    if (m_model.Modified()) {
        return;  // the fields keep the user's text until it is accepted or discarded
    }
    const FilterInfo& current = m_model.Current();
    m_showing = true;
    SetDlgItemTextA(Handle(), IDC_FILTERS_NAME, current.name.c_str());
    SetDlgItemTextA(Handle(), IDC_FILTERS_MASK, current.masks.c_str());
    CheckDlgButton(Handle(), IDC_FILTERS_TEMPORARY, current.temporary ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(Handle(), IDC_FILTERS_ENABLED,
                   m_model.Position() != 0 && current.enabled ? BST_CHECKED : BST_UNCHECKED);
    m_showing = false;
}

void FilterEditorDialog::ApplyEnables() {
    const EditorEnables enables = m_model.Enables();
    const struct {
        int id;
        bool on;
    } states[] = {
        {IDC_FILTERS_LIST, enables.list},
        {IDC_FILTERS_CREATE, enables.create},
        {IDC_FILTERS_DELETE, enables.remove},
        {IDC_FILTERS_MOVE_UP, enables.moveUp},
        {IDC_FILTERS_MOVE_DOWN, enables.moveDown},
        {IDC_FILTERS_ACCEPT, enables.accept},
        {IDC_FILTERS_DISCARD, enables.discard},
        {IDC_FILTERS_LOAD, enables.load},
        {IDC_FILTERS_SAVE, enables.save},
        {IDC_FILTERS_NEW_SET, enables.createNewSet},
        {IDOK, enables.ok},
        {IDC_FILTERS_NAME, enables.fields},
        {IDC_FILTERS_MASK, enables.fields},
        {IDC_FILTERS_TEMPORARY, enables.fields},
        {IDC_FILTERS_ENABLED, enables.enabledBox},
    };
    for (const auto& state : states) {
        Enable(Handle(), state.id, state.on);
    }
}

void FilterEditorDialog::Refresh() {
    FillList();
    ShowFields();
    ApplyEnables();
}

void FilterEditorDialog::FocusName() {
    HWND name = GetDlgItem(Handle(), IDC_FILTERS_NAME);
    SetFocus(name);
    SendMessageA(name, EM_SETSEL, 0, -1);
}

void FilterEditorDialog::Accept() {
    const AcceptOutcome outcome =
        m_model.Accept(ControlText(Handle(), IDC_FILTERS_NAME), ControlText(Handle(), IDC_FILTERS_MASK),
                       Checked(Handle(), IDC_FILTERS_ENABLED), Checked(Handle(), IDC_FILTERS_TEMPORARY));
    if (!outcome.message.empty()) {
        ui::ShowMessage(m_ui, Handle(), outcome.message.c_str(), outcome.caption.c_str(), ui::kMessageOk);
    }
    Refresh();
    if (outcome.focus != EditorFocus::None) {
        SetFocus(GetDlgItem(Handle(), outcome.focus == EditorFocus::Name ? IDC_FILTERS_NAME : IDC_FILTERS_MASK));
    }
}

void FilterEditorDialog::DeleteSelected() {
    const int position = m_model.Position();
    if (position < 1 || position > m_model.LineCount()) {
        return;
    }
    const std::string question = DeleteQuestion(m_model.Lines()[static_cast<std::size_t>(position - 1)]);
    if (ui::ShowMessage(m_ui, Handle(), question.c_str(), "Submit", ui::kMessageYesNo) == ui::kAnswerYes) {
        m_model.DeleteSelected();
        Refresh();
    }
}

void FilterEditorDialog::NoteTextChange(int id) {
    if (m_showing || GetFocus() != GetDlgItem(Handle(), id)) {
        return;  // only what the user types counts as an edit
    }
    const bool wasModified = m_model.Modified();
    m_model.NoteTexts(ControlText(Handle(), IDC_FILTERS_NAME), ControlText(Handle(), IDC_FILTERS_MASK));
    if (m_model.Modified() != wasModified) {
        ApplyEnables();
    }
}

bool FilterEditorDialog::OnCommand(int id, int notification) {
    switch (id) {
        case IDC_FILTERS_LIST:
            if (notification == LBN_SELCHANGE) {
                m_model.Select(static_cast<int>(SendDlgItemMessageA(Handle(), id, LB_GETCURSEL, 0, 0)) + 1);
                Refresh();
            }
            return true;
        case IDC_FILTERS_NAME:
        case IDC_FILTERS_MASK:
            if (notification == EN_CHANGE) {
                NoteTextChange(id);
            }
            return true;
        default:
            break;
    }
    if (notification != BN_CLICKED) {
        return false;
    }
    switch (id) {
        case IDC_FILTERS_TEMPORARY:
        case IDC_FILTERS_ENABLED:
            if (!m_showing) {
                m_model.NoteBoxes(Checked(Handle(), IDC_FILTERS_TEMPORARY), Checked(Handle(), IDC_FILTERS_ENABLED));
                ApplyEnables();
            }
            break;
        case IDC_FILTERS_ACCEPT:
            Accept();
            break;
        case IDC_FILTERS_DISCARD:
            m_model.Discard();
            Refresh();
            break;
        case IDC_FILTERS_CREATE:
        case IDC_FILTERS_NEW_SET:
            if (id == IDC_FILTERS_CREATE ? m_model.CreateFilter() : m_model.CreateNewSet()) {
                Refresh();
                FocusName();
            }
            break;
        case IDC_FILTERS_DELETE:
            DeleteSelected();
            break;
        case IDC_FILTERS_MOVE_UP:
        case IDC_FILTERS_MOVE_DOWN:
            if (id == IDC_FILTERS_MOVE_UP ? m_model.MoveUp() : m_model.MoveDown()) {
                Refresh();
            }
            break;
        case IDC_FILTERS_SAVE:
            if (m_model.Editable() && !m_model.Modified()) {
                SaveFiltersWithDialog(Handle(), &m_model.Working(), m_folder);
            }
            break;
        case IDC_FILTERS_LOAD:
            if (m_model.Editable() && !m_model.Modified() &&
                LoadFiltersWithDialog(Handle(), &m_model.Working(), m_folder)) {
                m_model.Reloaded();
                Refresh();
            }
            break;
        default:
            return ui::DialogBase::OnCommand(id, notification);  // OK and Cancel
    }
    return true;
}

void FilterEditorDialog::OnOK() {
    if (!m_model.Enables().ok) {
        return;  // an edit is pending, or there is nothing to hand back
    }
    if (m_model.Editable() && m_result != nullptr) {
        m_result->CopyFrom(m_model.Working());
    }
    End(m_model.Editable() ? IDOK : IDCANCEL);
}

}  // namespace

bool ShowFilterEditor(HWND owner, ui::MCMain* ui, const FilterEditorSource& source, FilterSet* result) {
    FilterEditorDialog dialog(ui, source, result);
    if (source.set != nullptr) {
        dialog.Model().OpenSet(*source.set, source.idToSelect);
    } else {
        dialog.Model().OpenFile(source.file);  // a file that cannot be loaded shows an empty list
    }
    return dialog.Run(owner);
}

bool SaveFiltersWithDialog(HWND owner, FilterSet* set, const std::string& folder) {
    std::string path = set->FileName();
    const std::string start = platform::DirectoryExists(folder) ? folder : std::string();
    if (!shell::ShowSaveFileDialog(owner, kFileType, kFileMask, "mcf", &path, start, "Save Filters to file") ||
        !set->SaveToFile(path)) {
        return false;
    }
    set->SetFileName(FilterFileBaseName(path));
    return true;
}

bool LoadFiltersWithDialog(HWND owner, FilterSet* set, const std::string& folder) {
    std::string path;
    const std::string start = platform::DirectoryExists(folder) ? folder : std::string();
    return shell::ShowOpenFileDialog(owner, kFileType, kFileMask, &path, start, "Open Filters File") &&
           platform::FileExists(path) && set->LoadFromFile(path);
}

}  // namespace qv
