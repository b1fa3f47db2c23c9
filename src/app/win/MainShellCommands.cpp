// The main shell's commands: create, open, save, update and close reports, the file-list menus,
// settings, filters, tools, help and print, drops, and the selection of records.
#include "app/win/MainShell.h"

#include "app/CommandIds.h"
#include "app/FolderNotes.h"
#include "ui/MessageBox.h"
#include "core/win/ScanJob.h"
#include "app/win/SettingsDialog.h"
#include "shell/ShellPaths.h"
#include "core/ReportFile.h"
#include "core/Scanner.h"
#include "platform/Platform.h"
#include "view/ItemTitle.h"

namespace qv {
namespace {

constexpr const char* kReportFilterDescription = "Talvorn Quarvex report file (*.mcr)";
constexpr const char* kReportFilterMask = "*.mcr";

std::int32_t SerialOf(FolderRecord* record) {
    return static_cast<std::int32_t>(ReadStat(record, CRP));
}

std::string TextOf(FolderRecord* record, const char* key) {
    const char* text = ReadText(record, key);
    return text != nullptr ? text : std::string();
}

std::string SaveFailedMessage(const std::string& path, ReportFileError error) {
    return "The report could not be saved to\n" + path + "\n(" + ReportFileErrorText(error, path) +
           ")\nThe report is still open and nothing was changed on disk.";
}

}  // namespace

ScanJobContext MainShell::ScanContext() {
    ScanJobContext context;
    context.owner = Owner();
    context.userClusterSize = m_settings != nullptr ? m_settings->GetValue("common:cluster") : 0;
    context.ui = this;
    // The info panel finds a record's filters through the record's report, so a new report's
    // filters are shown as soon as its root is selected; nothing else needs telling.
    return context;
}

HWND MainShell::Owner() const {
    return Frame() != nullptr ? Frame() : Host();
}

void MainShell::WaitCursor(bool on) {
    SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(on ? 32514 : 32512)));  // IDC_WAIT, IDC_ARROW
    if (on && Frame() != nullptr) {
        UpdateWindow(Frame());
    }
}

CommandContext MainShell::MenuContext() const {
    CommandContext context;
    context.openReports = m_reports.Count();
    context.hasRecord = m_current != nullptr;
    context.recordIsRoot = m_current != nullptr && m_current->parent == nullptr;
    context.rootFolderExists = context.recordIsRoot && platform::DirectoryExists(TextOf(m_current, ALC));
    context.statusBarVisible = m_mainFrame == nullptr || m_mainFrame->StatusBarVisible();
    return context;
}

unsigned MainShell::GetCommandState(int commandId) {
    return CommandStateFor(commandId, MenuContext());
}

bool MainShell::OnCommand(int commandId) {
    // A disabled command never runs, whichever way it arrives (menu, toolbar, accelerator).
    if (!m_started || (GetCommandState(commandId) & cmd::kStateDisabled) != 0) {
        return false;
    }
    switch (commandId) {
        case cmd::kOpenReport:
            CommandOpen();
            return true;
        case cmd::kCreateReport:
            CommandCreate();
            return true;
        case cmd::kSaveReport:
            CommandSave();
            return true;
        case cmd::kUpdateReport:
            RebuildCurrentReport();
            return true;
        case cmd::kCloseReport:
            CommandClose();
            return true;
        case cmd::kPrintFolderInfo:
        case cmd::kPrintTree:
            CommandPrint(commandId);
            return true;
        case cmd::kOptions:
            CommandOptions();
            return true;
        case cmd::kEditFilters:
            CommandEditFilters();
            return true;
        case cmd::kHelp:
            CommandHelp();
            return true;
        case cmd::kToolAttributes:
        case cmd::kToolDateTime:
        case cmd::kToolListOfFiles:
        case cmd::kToolTemporaryFolders:
            RunTool(commandId, {});
            return true;
        default:
            break;
    }
    if (commandId >= cmd::kQuickLoadFirst && commandId < cmd::kQuickLoadFirst + cmd::kFileListMaxItems) {
        CommandQuickLoad(commandId);
        return true;
    }
    if (commandId >= cmd::kLoadFiltersFirst && commandId < cmd::kLoadFiltersFirst + cmd::kFileListMaxItems) {
        CommandLoadFilters(commandId);
        return true;
    }
    return false;  // the report window's own commands and unused ids
}

bool MainShell::RefuseWhenFull() {
    if (!m_reports.IsFull()) {
        return false;
    }
    ui::ShowMessage(this, Owner(), LimitMessage().c_str(), Title().c_str(), ui::kMessageOk);
    return true;
}

int MainShell::AddReport(std::unique_ptr<Report> report) {
    Report* added = report.get();
    const int slot = m_reports.Add(std::move(report));
    if (slot >= 0 && m_reportWindow != nullptr) {
        m_reportWindow->AddReport(added);
    }
    return slot;
}

void MainShell::CommandOpen() {
    if (RefuseWhenFull()) {
        return;
    }
    std::string file;
    if (!shell::ShowOpenFileDialog(Owner(), kReportFilterDescription, kReportFilterMask, &file, m_reportDialogFolder,
                                   "Open Report File")) {
        return;
    }
    m_reportDialogFolder = FolderOfFile(file);
    OpenReportByPath(file);
}

bool MainShell::OpenReportByPath(const std::string& path) {
    if (RefuseWhenFull()) {
        return false;
    }
    WaitCursor(true);
    ReportFileError error = ReportFileError::None;
    std::unique_ptr<Report> report = OpenReportFile(path, m_viewOptions, &error);
    if (report == nullptr) {
        WaitCursor(false);
        // Only a file that reads as a document but holds no usable report is worth a word; a
        // missing, empty or foreign file ends the command quietly.
        if (IsReportReadError(error)) {
            ui::ShowMessage(this, Owner(), ReportFileErrorText(error, path).c_str(), kReportReadErrorTitle,
                            ui::kMessageOk);
        }
        return false;
    }
    FolderRecord* root = report->Root();
    AddReport(std::move(report));
    SelectRecord(root);
    WaitCursor(false);
    // The part that could be read is shown; the user learns that it is not the whole report.
    if (error == ReportFileError::Incomplete) {
        ui::ShowMessage(this, Owner(), ReportFileErrorText(error, path).c_str(), Title().c_str(), ui::kMessageOk);
    }
    return true;
}

void MainShell::CommandCreate() {
    FolderRecord* shown = m_infoPanel != nullptr ? m_infoPanel->Record() : nullptr;
    const std::string start = shown != nullptr ? DriveRootOf(TextOf(shown, ALC)) : std::string();
    std::string folder;
    if (!shell::ChooseFolder(Owner(), start, &folder, "Choose folder for report:") || folder.empty()) {
        return;
    }
    CreateReportFor(folder);
}

bool MainShell::CreateReportFor(const std::string& folder) {
    if (RefuseWhenFull()) {
        return false;
    }
    std::unique_ptr<Report> report = CreateReport(folder, &m_filters, m_viewOptions, false, ScanContext());
    if (report == nullptr) {
        return false;
    }
    AddReport(std::move(report));
    return true;
}

void MainShell::CommandSave() {
    if (m_current == nullptr) {
        return;
    }
    std::string file = SuggestReportFileName(m_current->desc != nullptr ? m_current->desc : "");
    if (!shell::ShowSaveFileDialog(Owner(), kReportFilterDescription, kReportFilterMask, "mcr", &file,
                                   m_reportDialogFolder, "Save Report to file")) {
        return;
    }
    m_reportDialogFolder = FolderOfFile(file);
    if (Report* report = m_reports.FindBySerial(SerialOf(m_current))) {
        WaitCursor(true);
        ReportFileError error = ReportFileError::None;
        const bool saved = SaveReport(report, file, &error);
        WaitCursor(false);
        if (!saved) {
            ui::ShowMessage(this, Owner(), SaveFailedMessage(file, error).c_str(), Title().c_str(), ui::kMessageOk);
        }
    }
    RebuildFileMenus(true, false);
}

void MainShell::CommandClose() {
    if (m_current != nullptr) {
        CloseReport(SerialOf(m_current));
    }
}

void MainShell::CloseReport(std::int32_t serial) {
    const int slot = m_reports.FindSlot(serial);
    if (slot < 0) {
        return;
    }
    if (m_reportWindow != nullptr) {
        m_reportWindow->RemoveReport(m_reports.At(slot));  // announces the first report left, if any
    }
    ForgetRecordsOf(serial);
    m_reports.Remove(slot);
    if (m_reportWindow != nullptr) {
        m_reportWindow->Toolbar().UpdateButtons();  // "Create" and "Open" follow the count left
    }
}

void MainShell::ForgetRecordsOf(std::int32_t serial) {
    if (m_current != nullptr && SerialOf(m_current) == serial) {
        m_current = nullptr;
        if (m_reportWindow != nullptr) {
            m_reportWindow->SetCurrentRecord(nullptr);
        }
    }
    FolderRecord* shown = m_infoPanel != nullptr ? m_infoPanel->Record() : nullptr;
    if (shown != nullptr && SerialOf(shown) == serial) {
        m_infoPanel->Show(nullptr);
    }
}

bool MainShell::RebuildCurrentReport() {
    const int slot = m_current != nullptr ? m_reports.FindSlot(SerialOf(m_current)) : -1;
    Report* old = m_reports.At(slot);
    if (old == nullptr || old->Root() == nullptr) {
        return false;
    }
    std::unique_ptr<Report> fresh =
        CreateReport(TextOf(old->Root(), ALC), &m_filters, m_viewOptions, false, ScanContext());
    if (fresh == nullptr || fresh->Root() == nullptr) {
        return false;  // the old report stays
    }
    CarryNotesOver(old->Root(), fresh->Root());
    RefreshTitles(m_viewOptions, fresh->Root());
    ForgetRecordsOf(old->Serial());
    FolderRecord* root = fresh->Root();
    Report* added = fresh.get();
    // The old report lives until the window has let its items go; the new one takes its slot and
    // its place in the tree.
    std::unique_ptr<Report> replaced = m_reports.Replace(slot, std::move(fresh));
    if (m_reportWindow != nullptr) {
        m_reportWindow->ReplaceReport(replaced.get(), added);
    }
    replaced.reset();
    SelectRecord(root);
    return true;
}

void MainShell::SelectRecord(FolderRecord* record) {
    if (m_selectionGuard) {
        return;
    }
    m_current = record;
    if (m_infoPanel != nullptr) {
        m_infoPanel->Show(record);
    }
    if (m_reportWindow != nullptr) {
        m_selectionGuard = true;
        m_reportWindow->SelectRecord(record);
        m_selectionGuard = false;
        m_reportWindow->SetCurrentRecord(record);
    }
}

bool MainShell::DropPaths(const std::vector<std::string>& paths) {
    bool limitShown = false;
    for (const std::string& dropped : paths) {
        std::string path = dropped;
        if (IsShortcut(path) && !shell::ResolveShortcut(Owner(), dropped, &path)) {
            continue;
        }
        const DropAction action = ClassifyDrop(path, platform::DirectoryExists(path));
        if (action == DropAction::OpenFilters) {
            FilterEditorRequest request;
            request.file = path;
            RunFilterEditor(request);
            RebuildFileMenus(false, true);
            return true;
        }
        // The table cannot empty itself during a drop: one limit message is enough.
        if (m_reports.IsFull()) {
            if (!limitShown) {
                RefuseWhenFull();
                limitShown = true;
            }
            continue;
        }
        const bool done = action == DropAction::OpenReport     ? OpenReportByPath(path)
                          : action == DropAction::CreateReport ? CreateReportFor(path)
                                                               : CreateReportFor(FolderOfFile(path));
        if (done) {
            return true;
        }
    }
    return false;
}

std::string MainShell::StartPathForTools() const {
    FolderRecord* shown = m_infoPanel != nullptr ? m_infoPanel->Record() : nullptr;
    return shown != nullptr ? TextOf(shown, ALC) : std::string();
}

void MainShell::RunTool(int toolCommand, const std::vector<std::string>& dropped) {
    std::string start;
    if (!dropped.empty()) {
        start = dropped.front();
    } else if (toolCommand != cmd::kToolTemporaryFolders) {
        start = StartPathForTools();
    }
    if (m_entryPoints.tool) {
        m_entryPoints.tool(Owner(), toolCommand, start);
    }
}

bool MainShell::RunFilterEditor(const FilterEditorRequest& request) {
    if (!m_entryPoints.filterEditor) {
        return false;
    }
    FilterSet edited;
    if (!m_entryPoints.filterEditor(Owner(), request, &edited)) {
        return false;
    }
    if (request.hasTarget) {
        m_filters.CopyFrom(edited);
    }
    return true;
}

void MainShell::CommandEditFilters() {
    FilterEditorRequest request;
    request.filters = &m_filters;
    request.hasTarget = true;
    RunFilterEditor(request);
    RebuildFileMenus(false, true);
}

void MainShell::ShowFilterFiles(Report* report, std::int32_t filterId, FolderRecord* record) {
    if (m_entryPoints.filterBrowser && report != nullptr && record != nullptr) {
        m_entryPoints.filterBrowser(Owner(), report, filterId, record);
    }
}

void MainShell::ShowFilterDescription(Report* report, std::int32_t filterId) {
    if (report == nullptr) {
        return;
    }
    FilterEditorRequest request;
    request.filters = &report->Filters();
    request.idToSelect = filterId;
    RunFilterEditor(request);
}

void MainShell::CommandLoadFilters(int id) {
    const std::string* file = m_loadFilters.PathOf(id);
    if (file != nullptr) {
        FilterEditorRequest request;
        request.file = *file;
        request.hasTarget = true;
        RunFilterEditor(request);
    }
    RebuildFileMenus(false, true);
}

void MainShell::CommandQuickLoad(int id) {
    if (const std::string* file = m_quickLoad.PathOf(id)) {
        const std::string path = *file;  // opening may rebuild the list
        OpenReportByPath(path);
    }
}

void MainShell::CommandOptions() {
    if (m_settings != nullptr) {
        ShowSettingsDialog(Owner(), *m_settings, this);
    }
}

void MainShell::CommandHelp() {
    shell::OpenDocument(platform::JoinPath(m_programFolder, "helpidx.htm"));
}

void MainShell::CommandPrint(int id) {
    // The folder information is of the folder the info panel shows; the tree starts at the
    // toolbar's folder.
    FolderRecord* record = nullptr;
    if (id == cmd::kPrintFolderInfo) {
        record = m_infoPanel != nullptr ? m_infoPanel->Record() : nullptr;
    } else if (m_reportWindow != nullptr) {
        record = m_reportWindow->Toolbar().CurrentRecord();
    }
    if (m_entryPoints.print) {
        m_entryPoints.print(Owner(), id, record);
    }
}

void MainShell::BrowseFolder(FolderRecord* record) {
    shell::BrowseFolder(record, std::string(), m_reportWindow != nullptr ? m_reportWindow->ToolbarWindow() : Owner(),
                        m_settings != nullptr && m_settings->GetValue("common:browse") != 0);
}

void MainShell::BrowsePath(const std::string& path) {
    shell::BrowseFolder(nullptr, path, m_reportWindow != nullptr ? m_reportWindow->ToolbarWindow() : Owner(),
                        m_settings != nullptr && m_settings->GetValue("common:browse") != 0);
}

void MainShell::CompareWithDisk(FolderRecord* record) {
    if (m_entryPoints.compare && record != nullptr) {
        m_entryPoints.compare(Owner(), m_reports.FindBySerial(SerialOf(record)), record);
    }
}

void MainShell::EditNotes(FolderRecord* record) {
    if (m_entryPoints.editNotes && record != nullptr && m_entryPoints.editNotes(Owner(), record) &&
        m_reportWindow != nullptr) {
        m_reportWindow->RefreshTitle(record);
    }
}

void MainShell::PrintTree(FolderRecord* record) {
    if (m_entryPoints.print) {
        m_entryPoints.print(Owner(), cmd::kPrintTree, record);
    }
}

void MainShell::PrintFolderInfo(FolderRecord* record) {
    if (m_entryPoints.print) {
        m_entryPoints.print(Owner(), cmd::kPrintFolderInfo, record);
    }
}

}  // namespace qv
