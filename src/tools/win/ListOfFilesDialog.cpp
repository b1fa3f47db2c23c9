// The list of files tool's window: the tool target chooses the folder and masks, this window
// the results file and the style; the FileList engine writes the list.
#include "tools/win/ListOfFilesDialog.h"

#include "platform/Platform.h"
#include "resource.h"
#include "shell/win/Shell.h"
#include "tools/FileList.h"
#include "tools/win/ToolTarget.h"
#include "ui/DialogBase.h"
#include "ui/MCMain.h"
#include "ui/StyledControls.h"
#include "ui/WaitCursor.h"

namespace qv {

namespace {

constexpr int kFont = 1;

// What the tool remembers for the program's run.
struct ListMemory {
    tools::TargetMemory target;
    std::string resultsFile;  // "list.txt" beside the program until changed
    bool folderBased = false;
    bool relative = false;
    bool emptyFolders = false;
};
ListMemory g_memory;

bool Checked(HWND dialog, int id) {
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

class ListOfFilesDialog : public ui::DialogBase {
  public:
    ListOfFilesDialog(ui::MCMain* ui, const std::string& startPath, bool explore)
        : m_ui(ui), m_startPath(startPath), m_target(ui, &g_memory.target, true, "Choose folder") {
        m_target.SetExplore(explore);
        m_target.SetApplyCondition([] { return !g_memory.resultsFile.empty(); });
    }

    void Run(HWND owner) {
        const HINSTANCE instance = m_ui != nullptr ? m_ui->Instance() : GetModuleHandleA(nullptr);
        RunModal(instance, IDD_LIST_OF_FILES, owner, ui::ModalKind::ListOfFiles);
    }

  private:
    bool OnInit() override;
    bool OnCommand(int id, int code) override;
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnCancel() override;

    void Restyle();
    void SetStyle(bool folderBased);
    void UpdateStates();
    void Change();
    void CreateList();

    ui::MCMain* m_ui;
    std::string m_startPath;
    tools::ToolTarget m_target;
};

bool ListOfFilesDialog::OnInit() {
    if (g_memory.resultsFile.empty()) {
        g_memory.resultsFile = platform::JoinPath(platform::ProgramFolder(), "list.txt");
    }
    HWND dialog = Handle();
    SetDlgItemTextA(dialog, IDC_LIST_FILES_SAMPLE,
                    "C:\\Windows\\calc.exe\nC:\\Windows\\charmap.exe\nC:\\Windows\\System\\aca.dll\n"
                    "C:\\Windows\\System\\accwiz.dll\nC:\\Windows\\System\\somefile.exe\n");
    SetDlgItemTextA(dialog, IDC_LIST_FOLDER_SAMPLE,
                    "C:\\Windows\n\tcalc.exe\n\tcharmap.exe\n\nC:\\Windows\\System\n\taca.dll\n\taccwiz.dll");
    SetDlgItemTextA(dialog, IDC_LIST_RESULTS, g_memory.resultsFile.c_str());
    CheckDlgButton(dialog, IDC_LIST_RELATIVE, g_memory.relative ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_LIST_EMPTY, g_memory.emptyFolders ? BST_CHECKED : BST_UNCHECKED);
    Restyle();
    SetStyle(g_memory.folderBased);
    m_target.Attach(dialog, m_startPath);
    UpdateStates();
    SetFocus(GetDlgItem(dialog, IDOK));  // not the read-only path, which would show selected
    return false;
}

void ListOfFilesDialog::Restyle() {
    if (m_ui == nullptr) {
        return;
    }
    ui::StylePushButton(*m_ui, Handle(), IDC_LIST_CHANGE, "Specify file name for report", kFont);
    ui::StylePushButton(*m_ui, Handle(), IDC_LIST_VIEW, "Open specified file", kFont);
    ui::StyleCheckBox(*m_ui, Handle(), IDC_LIST_FILES_ONLY, nullptr);
    ui::StyleCheckBox(*m_ui, Handle(), IDC_LIST_FOLDER_BASED, nullptr);
    ui::StyleCheckBox(*m_ui, Handle(), IDC_LIST_RELATIVE, "Skip root folder's path in file names");
    ui::StyleCheckBox(*m_ui, Handle(), IDC_LIST_EMPTY, "Include empty folders in report");
    for (int id : {IDC_LIST_RESULTS_LABEL, IDC_LIST_FILES_SAMPLE, IDC_LIST_FOLDER_SAMPLE}) {
        ui::StyleLabel(*m_ui, Handle(), id, nullptr, kFont);
    }
}

void ListOfFilesDialog::SetStyle(bool folderBased) {
    g_memory.folderBased = folderBased;
    CheckDlgButton(Handle(), IDC_LIST_FILES_ONLY, folderBased ? BST_UNCHECKED : BST_CHECKED);
    CheckDlgButton(Handle(), IDC_LIST_FOLDER_BASED, folderBased ? BST_CHECKED : BST_UNCHECKED);
}

void ListOfFilesDialog::UpdateStates() {
    EnableWindow(GetDlgItem(Handle(), IDC_LIST_RELATIVE), g_memory.folderBased ? FALSE : TRUE);
    EnableWindow(GetDlgItem(Handle(), IDC_LIST_EMPTY), g_memory.folderBased ? TRUE : FALSE);
    EnableWindow(GetDlgItem(Handle(), IDC_LIST_VIEW), platform::FileExists(g_memory.resultsFile) ? TRUE : FALSE);
    m_target.UpdateStates();
}

void ListOfFilesDialog::Change() {
    std::string chosen = g_memory.resultsFile;
    const std::size_t separator = chosen.find_last_of("\\/");
    const std::string folder = separator == std::string::npos ? std::string() : chosen.substr(0, separator);
    if (shell::ShowSaveFileDialog(Handle(), "Text file (*.txt)", "*.txt", "txt", &chosen, folder,
                                  "Save list to file") &&
        !chosen.empty()) {
        g_memory.resultsFile = chosen;
        SetDlgItemTextA(Handle(), IDC_LIST_RESULTS, chosen.c_str());
    }
    UpdateStates();
}

void ListOfFilesDialog::CreateList() {
    if (!m_target.Validate()) {
        return;
    }
    if (g_memory.resultsFile.empty()) {
        m_target.Tell("File not specified!\nPress button \"Save as...\" and type a file name for report",
                      "Incorrect Data");
        return;
    }
    const tools::TargetRun run = m_target.Prepare();
    g_memory.relative = Checked(Handle(), IDC_LIST_RELATIVE);
    g_memory.emptyFolders = Checked(Handle(), IDC_LIST_EMPTY);
    const std::string styleLine =
        std::string("Report style: ") + (g_memory.folderBased ? "Folder-Based" : "Files-Only") + "\n";
    if (!m_target.Confirm(run, styleLine, "Write to file: " + g_memory.resultsFile + "\n")) {
        return;
    }
    tools::FileListOptions options;
    options.masks = run.masks;
    options.except = run.except;
    options.style = g_memory.folderBased ? tools::ListStyle::FolderBased : tools::ListStyle::FilesOnly;
    options.relative = g_memory.relative;
    options.emptyFolders = g_memory.emptyFolders;
    options.recursive = run.recursive;
    // The target holds a drive root as "C:", which alone would name the drive's current folder.
    const std::string folder = run.folder.size() == 2 && run.folder[1] == ':' ? run.folder + "\\" : run.folder;
    std::int64_t files = 0;
    tools::ListOutcome outcome;
    {
        ui::WaitCursor wait;
        outcome = tools::CreateFileList(folder, g_memory.resultsFile, options, &files);
    }
    const std::string text = tools::ListResultText(outcome, files, g_memory.resultsFile);
    if (outcome == tools::ListOutcome::Written) {
        m_target.ShowResult(text);
    } else {
        m_target.Tell(text.c_str(), "Error");
    }
    UpdateStates();
}

void ListOfFilesDialog::OnCancel() {
    m_target.Detach();
    End(IDCANCEL);
}

bool ListOfFilesDialog::OnCommand(int id, int code) {
    if (id != IDOK && id != IDCANCEL && m_target.OnCommand(id, code)) {
        return true;
    }
    if (code != BN_CLICKED) {
        return false;
    }
    switch (id) {
        case IDC_LIST_FILES_ONLY:
        case IDC_LIST_FOLDER_BASED: {
            // Turning one on turns the other off; turning the last one off turns the other on.
            const bool folderBased = id == IDC_LIST_FOLDER_BASED;
            SetStyle(Checked(Handle(), id) ? folderBased : !folderBased);
            UpdateStates();
            return true;
        }
        case IDC_LIST_CHANGE:
            Change();
            return true;
        case IDC_LIST_VIEW:
            shell::OpenDocument(g_memory.resultsFile);
            return true;
        case IDOK:
            CreateList();
            return true;
        default:
            return ui::DialogBase::OnCommand(id, code);  // Close is Cancel
    }
}

INT_PTR ListOfFilesDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_target.OnMessage(message, wParam, lParam)) {
        UpdateStates();
        return TRUE;
    }
    return ui::DialogBase::OnMessage(message, wParam, lParam);
}

}  // namespace

void ShowListOfFiles(HWND owner, ui::MCMain* ui, const std::string& startPath, bool explore) {
    ListOfFilesDialog dialog(ui, startPath, explore);
    dialog.Run(owner);
}

}  // namespace qv
