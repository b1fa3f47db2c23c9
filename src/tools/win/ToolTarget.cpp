// The tool target's controls: the two mode buttons, the path field, the File/Folder, Browse and
// All files buttons, the mask texts and "Recursive", drops and start paths.
#include "tools/win/ToolTarget.h"

#include "filters/FileMask.h"
#include "platform/Platform.h"
#include "resource.h"
#include "shell/ShellPaths.h"
#include "shell/win/Shell.h"
#include "ui/MCMain.h"
#include "ui/MessageBox.h"
#include "ui/StyledControls.h"

namespace qv::tools {

namespace {

constexpr int kFont = 1;
constexpr int kMaxMaskText = 511;

void Enable(HWND dialog, int id, bool on) {
    EnableWindow(GetDlgItem(dialog, id), on ? TRUE : FALSE);
}

bool Checked(HWND dialog, int id) {
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

void Check(HWND dialog, int id, bool on) {
    CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED);
}

// A folder held as "C:" names the root of the drive, not its current directory.
std::string FolderToOpen(const std::string& folder) {
    return folder.size() == 2 && folder[1] == ':' ? folder + "\\" : folder;
}

}  // namespace

ToolTarget::ToolTarget(ui::MCMain* ui, TargetMemory* memory, bool folderOnly, const char* chooseTip)
    : m_ui(ui), m_memory(memory), m_folderOnly(folderOnly), m_chooseTip(chooseTip) {}

void ToolTarget::Attach(HWND dialog, const std::string& startPath) {
    m_dialog = dialog;
    if (m_ui != nullptr) {
        const struct {
            int id;
            const char* tip;
        } buttons[] = {
            {IDC_TARGET_CHOOSE, m_chooseTip},
            {IDC_TARGET_BROWSE, "Browse folder"},
            {IDC_TARGET_ALL_FILES, "Apply to all files"},
            {IDOK, "Do action with specified parameters"},
            {IDCANCEL, "Close window"},
        };
        for (const auto& button : buttons) {
            ui::StylePushButton(*m_ui, dialog, button.id, button.tip, kFont);
        }
        ui::StyleLabel(*m_ui, dialog, IDC_TARGET_MASK_LABEL, "File masks, separated by semicolon", kFont);
        ui::StyleLabel(*m_ui, dialog, IDC_TARGET_EXCEPT_LABEL, "Do not include this files", kFont);
        for (int id : {IDC_TARGET_APPLY_TO, IDC_TARGET_NOTE, IDC_TARGET_HINT}) {
            ui::StyleLabel(*m_ui, dialog, id, nullptr, kFont);
        }
        ui::StyleCheckBox(*m_ui, dialog, IDC_TARGET_RECURSIVE, "Apply to files in all subfolders");
        ui::StyleCheckBox(*m_ui, dialog, IDC_TARGET_FOLDER_MODE, nullptr);
        ui::StyleCheckBox(*m_ui, dialog, IDC_TARGET_FILE_MODE, nullptr);
    }
    SendDlgItemMessageA(dialog, IDC_TARGET_MASK, EM_LIMITTEXT, kMaxMaskText, 0);
    SendDlgItemMessageA(dialog, IDC_TARGET_EXCEPT, EM_LIMITTEXT, kMaxMaskText, 0);
    SetDlgItemTextA(dialog, IDC_TARGET_MASK, m_memory->masks.c_str());
    SetDlgItemTextA(dialog, IDC_TARGET_EXCEPT, "");
    Check(dialog, IDC_TARGET_RECURSIVE, m_memory->recursive);
    m_singleFile = m_memory->singleFile && !m_folderOnly;
    Check(dialog, IDC_TARGET_FOLDER_MODE, !m_singleFile);
    Check(dialog, IDC_TARGET_FILE_MODE, m_singleFile);
    shell::AcceptDroppedFiles(dialog, true);
    if (!startPath.empty()) {
        TakePath(startPath);
    }
    UpdateStates();
    // Not the read-only path field, which the dialog manager would pick and select.
    SetFocus(GetDlgItem(dialog, IsWindowEnabled(GetDlgItem(dialog, IDOK)) ? IDOK : IDC_TARGET_CHOOSE));
}

void ToolTarget::Detach() {
    if (m_dialog != nullptr) {
        shell::AcceptDroppedFiles(m_dialog, false);
    }
}

std::string ToolTarget::Text(int id) const {
    HWND control = GetDlgItem(m_dialog, id);
    std::string text(static_cast<std::size_t>(GetWindowTextLengthA(control)) + 1, '\0');
    text.resize(static_cast<std::size_t>(GetWindowTextA(control, text.data(), static_cast<int>(text.size()))));
    return text;
}

bool ToolTarget::FolderExists() const {
    return !m_folder.empty() && platform::DirectoryExists(FolderToOpen(m_folder));
}

bool ToolTarget::FileExists() const {
    return !m_file.empty() && platform::FileExists(m_file);
}

bool ToolTarget::TakePath(const std::string& given) {
    std::string path = given;
    if (IsShortcut(path) && !shell::ResolveShortcut(m_dialog, given, &path)) {
        return false;
    }
    if (path.empty()) {
        return false;
    }
    if (platform::DirectoryExists(path)) {
        m_folder = TargetFolderForm(path);
        SetMode(false);
        return true;
    }
    if (!platform::FileExists(path)) {
        return false;
    }
    m_folder = FolderOfFile(path);
    if (!m_folderOnly) {
        m_file = path;
    }
    SetMode(!m_folderOnly);
    return true;
}

bool ToolTarget::TakePaths(const std::vector<std::string>& paths) {
    for (const std::string& path : paths) {
        if (TakePath(path)) {
            UpdateStates();
            return true;
        }
    }
    return false;
}

void ToolTarget::SetMode(bool singleFile) {
    m_singleFile = singleFile && !m_folderOnly;
    m_memory->singleFile = m_singleFile;
    Check(m_dialog, IDC_TARGET_FOLDER_MODE, !m_singleFile);
    Check(m_dialog, IDC_TARGET_FILE_MODE, m_singleFile);
}

void ToolTarget::UpdateStates() {
    const bool folderMode = !m_singleFile;
    for (int id : {IDC_TARGET_RECURSIVE, IDC_TARGET_MASK, IDC_TARGET_EXCEPT, IDC_TARGET_ALL_FILES,
                   IDC_TARGET_MASK_LABEL, IDC_TARGET_EXCEPT_LABEL}) {
        Enable(m_dialog, id, folderMode);
    }
    Enable(m_dialog, IDC_TARGET_BROWSE, folderMode && FolderExists());
    const bool ready = m_singleFile ? FileExists() : !m_folder.empty() && !Text(IDC_TARGET_MASK).empty();
    Enable(m_dialog, IDOK, ready && (!m_applyCondition || m_applyCondition()));
    const std::string& shown = m_singleFile ? m_file : m_folder;
    if (Text(IDC_TARGET_PATH) != shown) {
        SetDlgItemTextA(m_dialog, IDC_TARGET_PATH, shown.c_str());
    }
}

void ToolTarget::Choose() {
    if (m_singleFile) {
        std::string chosen;
        if (!shell::ShowOpenFileDialog(m_dialog, "All Files (*.*)", "*.*", &chosen, m_folder, "Choose file")) {
            return;
        }
        TakePath(chosen);
    } else {
        std::string chosen;
        if (shell::ChooseFolder(m_dialog, FolderToOpen(m_folder), &chosen, "Choose folder for action") &&
            !chosen.empty()) {
            m_folder = TargetFolderForm(chosen);
        }
    }
    UpdateStates();
}

bool ToolTarget::OnCommand(int id, int code) {
    switch (id) {
        case IDC_TARGET_MASK:
        case IDC_TARGET_EXCEPT:
            if (code == EN_CHANGE) {
                UpdateStates();
            }
            return true;
        case IDC_TARGET_FOLDER_MODE:
        case IDC_TARGET_FILE_MODE:
            if (code == BN_CLICKED) {
                // Turning one on turns the other off; turning the last one off turns the other on.
                const bool fileMode = id == IDC_TARGET_FILE_MODE;
                SetMode(Checked(m_dialog, id) ? fileMode : !fileMode);
                UpdateStates();
            }
            return true;
        case IDC_TARGET_CHOOSE:
            Choose();
            return true;
        case IDC_TARGET_BROWSE:
            shell::BrowseFolder(nullptr, FolderToOpen(m_folder), m_dialog, m_explore);
            return true;
        case IDC_TARGET_ALL_FILES:
            SetDlgItemTextA(m_dialog, IDC_TARGET_MASK, "*.*");
            SetDlgItemTextA(m_dialog, IDC_TARGET_EXCEPT, "");
            UpdateStates();
            return true;
        case IDC_TARGET_RECURSIVE:
            return true;
        default:
            return false;
    }
}

bool ToolTarget::OnMessage(UINT message, WPARAM wParam, LPARAM /*lParam*/) {
    if (message != WM_DROPFILES) {
        return false;
    }
    TakePaths(shell::TakeDroppedFiles(reinterpret_cast<HDROP>(wParam)).Paths());
    return true;
}

void ToolTarget::Tell(const char* text, const char* caption) {
    ui::ShowMessage(m_ui, m_dialog, text, caption, ui::kMessageOk);
}

bool ToolTarget::Validate() {
    const char* problem = nullptr;
    if (m_singleFile && !FileExists()) {
        problem = "Incorrect file name!\nPlease be sure that file you have specified is exist";
    } else if (!m_singleFile && !FolderExists()) {
        problem = "Incorrect folder name!\nPlease be sure that you have specified an existing folder";
    } else if (!m_singleFile && Text(IDC_TARGET_MASK).empty()) {
        problem = "Incorrect mask!\nNote: If you want to apply action to all files - type *.*";
    }
    if (problem != nullptr) {
        Tell(problem, "Incorrect Data");
        return false;
    }
    return true;
}

TargetRun ToolTarget::Prepare() {
    TargetRun run;
    run.singleFile = m_singleFile;
    run.folder = m_folder;
    run.file = m_file;
    run.recursive = Checked(m_dialog, IDC_TARGET_RECURSIVE);
    run.masks = Text(IDC_TARGET_MASK);
    run.except = Text(IDC_TARGET_EXCEPT);
    NormaliseMaskText(&run.masks);
    NormaliseMaskText(&run.except);
    if (!m_singleFile) {
        m_memory->masks = run.masks;
        m_memory->recursive = run.recursive;
    }
    m_memory->singleFile = m_singleFile;
    return run;
}

bool ToolTarget::Confirm(const TargetRun& run, const std::string& lineOne, const std::string& lineTwo) {
    if (run.singleFile) {
        return true;
    }
    const std::string question = ApplyQuestion(run, lineOne, lineTwo);
    return ui::ShowMessage(m_ui, m_dialog, question.c_str(), "Submit operation", ui::kMessageYesNo) == ui::kAnswerYes;
}

void ToolTarget::ShowResult(const std::string& text) {
    Tell(text.c_str(), "Operation results");
}

}  // namespace qv::tools
