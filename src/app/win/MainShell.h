// The main shell: the one object behind the main frame. It runs the start-up and the shutdown,
// owns the panes, the current filter set, the settings and the open reports, and carries out
// every command of the main menu, the report window's toolbar, the tools panel and drops.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/win/EntryPoints.h"
#include "app/win/FileListMenu.h"
#include "ui/MCMain.h"
#include "app/win/MainFrame.h"
#include "app/ReportTable.h"
#include "core/win/ScanJob.h"
#include "app/Settings.h"
#include "shell/win/Shell.h"
#include "app/ShellRules.h"
#include "ui/Splitter.h"
#include "app/win/ToolsPanel.h"
#include "filters/FilterSet.h"
#include "view/ItemTitle.h"
#include "view/win/InfoPanel.h"
#include "view/win/ReportWindow.h"
#include "view/win/ReportWindowHost.h"

namespace qv {

// Lives for the program's run. Create (start-up) and Destroy (shutdown) are each safe to call
// twice; Destroy releases everything in the documented order. The reports in the table, the panes
// and the settings document belong to the shell; the frame does not. The current record always
// points into one of the open reports (or is null).
class MainShell : public ui::MCMain, public ReportWindowHost, public FrameClient {
  public:
    static constexpr double kInfoPaneShare = 0.33;
    static constexpr double kToolsPaneShare = 0.5;

    MainShell();
    ~MainShell() override;

    // Where settings.dat, Reports, Filters and helpidx.htm are looked for: the executable's
    // folder unless set before Create.
    void SetProgramFolder(const std::string& folder) { m_programFolder = folder; }
    const std::string& ProgramFolder() const { return m_programFolder; }
    void AttachFrame(CMainFrame* frame) { m_mainFrame = frame; }
    // Windows that the shell does not own; a command whose entry point is unset does nothing visible.
    ShellEntryPoints& EntryPoints() { return m_entryPoints; }

    // The window module's slots.
    bool Create(HINSTANCE instance, HWND host, const char* startPath) override;
    void Destroy() override;
    void OnSize(int width, int height) override;
    unsigned GetCommandState(int commandId) override;
    bool OnCommand(int commandId) override;

    // What the frame hands on.
    void OnFrameCommand(int id) override { OnCommand(id); }
    void UpdateMenuStates(HMENU menu) override { MCMain::UpdateMenuStates(menu); }
    void OnViewSize(int width, int height) override { OnSize(width, height); }
    void OnFrameDrop(const std::vector<std::string>& paths) override { DropPaths(paths); }
    void OnFrameDestroy() override { Destroy(); }

    // What the report window and the info panel ask of the application.
    int ReportCount() const override { return m_reports.Count(); }
    Report* ReportAt(int index) const override { return m_reports.At(index); }
    TreeViewOptions& ViewOptions() override { return m_viewOptions; }
    FolderRecord* CurrentRecord() const override { return m_current; }
    void SetCurrentRecord(FolderRecord* record) override { m_current = record; }
    bool SelectionGuard() const override { return m_selectionGuard; }
    void SetSelectionGuard(bool on) override { m_selectionGuard = on; }
    InfoPanel* Panel() const override { return m_infoPanel.get(); }
    void RunShellCommand(int commandId) override { OnCommand(commandId); }
    void CloseReportBySerial(std::int32_t serial) override { CloseReport(serial); }
    ui::MCMain& Module() override { return *this; }
    void BrowseFolder(FolderRecord* record) override;
    void BrowsePath(const std::string& path);
    void CompareWithDisk(FolderRecord* record) override;
    void EditNotes(FolderRecord* record) override;
    void PrintTree(FolderRecord* record) override;
    void PrintFolderInfo(FolderRecord* record) override;
    void ShowFilterFiles(Report* report, std::int32_t filterId, FolderRecord* record) override;
    void ShowFilterDescription(Report* report, std::int32_t filterId) override;

    // The entry points behind the commands, with the dialogs already answered.
    // Opens a report file into the next free slot and selects its root. False when the table is
    // full (after the limit message), or the file does not load.
    bool OpenReportByPath(const std::string& path);
    // Scans a folder into a new report in the next free slot. False when the table is full (after
    // the limit message) or the scan yields nothing.
    bool CreateReportFor(const std::string& folder);
    // Puts a finished report into the next free slot and adds it to the report window, which
    // announces its root. The slot, or -1 (and the report deleted) when the table is full.
    int AddReport(std::unique_ptr<Report> report);
    // Closes the report with this serial without asking; later slots move down.
    void CloseReport(std::int32_t serial);
    // "Update": scans the current record's report folder again and carries its notes over.
    bool RebuildCurrentReport();
    // Makes a record current, shows it in the info panel and selects it in the report window;
    // ignored while the guard flag is set.
    void SelectRecord(FolderRecord* record);
    // Paths dropped on the frame: the first that takes effect wins.
    bool DropPaths(const std::vector<std::string>& paths);
    // A tool button's command, from a click (no paths) or a drop.
    void RunTool(int toolCommand, const std::vector<std::string>& dropped);

    Report* FindReport(std::int32_t serial) const { return m_reports.FindBySerial(serial); }
    FilterSet& CurrentFilters() { return m_filters; }
    Settings* SettingsDocument() const { return m_settings.get(); }
    ReportWindow* Reports() const { return m_reportWindow.get(); }
    ui::ToolsPanel* Tools() const { return m_toolsPanel.get(); }
    ui::MCSplitter* OuterSplitter() const { return m_outerSplitter.get(); }
    ui::MCSplitter* InnerSplitter() const { return m_innerSplitter.get(); }
    const std::string& ReportDialogFolder() const { return m_reportDialogFolder; }
    const std::string& FiltersFolder() const { return m_filtersFolder; }
    const FileList& QuickLoadFiles() const { return m_quickLoad; }
    const FileList& LoadFilterFiles() const { return m_loadFilters; }
    bool Started() const { return m_started; }

  private:
    // Start-up steps after the window module is up.
    void SetDefaultEntryPoints();
    bool AskAboutOtherCopy();
    bool CreatePanes();
    void LoadSettings();
    void LoadStartupFilters();
    void ResetUserClusterSize();
    void FindProgramFolders();
    void RebuildFileMenus(bool quickLoad, bool loadFilters);
    void RunStartPath(const std::string& path);
    void DestroyPanes();

    // Commands.
    void CommandOpen();
    void CommandCreate();
    void CommandSave();
    void CommandClose();
    void CommandOptions();
    void CommandEditFilters();
    void CommandLoadFilters(int id);
    void CommandQuickLoad(int id);
    void CommandHelp();
    void CommandPrint(int id);
    bool RunFilterEditor(const FilterEditorRequest& request);

    bool RefuseWhenFull();
    // Clears the current record and the info panel when they belong to the report `serial`,
    // before that report is deleted.
    void ForgetRecordsOf(std::int32_t serial);
    std::string StartPathForTools() const;
    CommandContext MenuContext() const;
    HWND Owner() const;
    ScanJobContext ScanContext();
    void WaitCursor(bool on);

    std::string m_programFolder;
    CMainFrame* m_mainFrame = nullptr;
    ShellEntryPoints m_entryPoints;

    std::unique_ptr<InfoPanel> m_infoPanel;
    std::unique_ptr<ReportWindow> m_reportWindow;
    std::unique_ptr<ui::MCSplitter> m_innerSplitter;  // info panel beside the report window
    std::unique_ptr<ui::ToolsPanel> m_toolsPanel;
    std::unique_ptr<ui::MCSplitter> m_outerSplitter;  // the first splitter above the tools panel

    FilterSet m_filters;
    TreeViewOptions m_viewOptions;
    std::unique_ptr<Settings> m_settings;
    ReportTable m_reports;
    FolderRecord* m_current = nullptr;
    bool m_selectionGuard = false;

    std::string m_reportDialogFolder;
    std::string m_filtersFolder;
    FileList m_quickLoad;
    FileList m_loadFilters;
    shell::StartupResources m_shellResources;
    shell::PrintMemory m_printMemory;  // the print dialog's last confirmed choice
    HBITMAP m_paneBitmaps[2] = {};

    bool m_oleInitialized = false;
    bool m_moduleCreated = false;
    bool m_started = false;
};

}  // namespace qv
