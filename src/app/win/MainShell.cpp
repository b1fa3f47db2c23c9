// The main shell's start-up (windows, then settings, filters and file menus) and its shutdown.
#include "app/win/MainShell.h"

#include <cstring>

#include "filters/win/FilterBrowserDialog.h"
#include "filters/win/FilterEditorDialog.h"
#include "resource.h"
#include "tools/win/ToolCommands.h"
#include "ui/MessageBox.h"
#include "attr/AttrTree.h"
#include "platform/Platform.h"
#include "view/win/ComparisonDialog.h"
#include "view/win/NotesDialog.h"
#include "app/CommandIds.h"
#include "view/win/Printing.h"

namespace qv {
namespace {

constexpr const char* kReportsFolderName = "Reports";
constexpr const char* kFiltersFolderName = "Filters";

struct CopySearch {
    const char* title = nullptr;
    DWORD ownProcess = 0;
    HWND found = nullptr;
};

// Looks for a top-level window of another process whose caption contains the title. Windows of
// this process (its own, still hidden frame) never count.
BOOL CALLBACK FindOtherCopy(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<CopySearch*>(parameter);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == search->ownProcess) {
        return TRUE;
    }
    char caption[512] = {};
    GetWindowTextA(window, caption, sizeof(caption));
    if (std::strstr(caption, search->title) != nullptr) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

MainShell::MainShell() : m_programFolder(platform::ProgramFolder()) {
    m_entryPoints.filterEditor = [this](HWND owner, const FilterEditorRequest& request, FilterSet* result) {
        FilterEditorSource source;
        source.set = request.filters;
        source.file = request.file;
        source.writeBack = request.hasTarget;
        source.idToSelect = request.idToSelect;
        source.filtersFolder = m_filtersFolder;
        return ShowFilterEditor(owner, this, source, result);
    };
    m_entryPoints.filterBrowser = [this](HWND owner, Report* report, std::int32_t filterId, FolderRecord* record) {
        FilterBrowserSource source;
        source.report = report;
        source.filterId = filterId;
        source.start = record;
        source.destroy = m_settings != nullptr && m_settings->GetValue("common:destroy") != 0;
        source.explore = m_settings != nullptr && m_settings->GetValue("common:browse") != 0;
        ShowFilterBrowser(owner, this, source);
    };
    m_entryPoints.tool = [this](HWND owner, int toolCommand, const std::string& startPath) {
        tools::ToolStart start;
        start.path = startPath;
        start.explore = m_settings != nullptr && m_settings->GetValue("common:browse") != 0;
        start.settings = m_settings != nullptr ? m_settings->Document() : nullptr;
        tools::OpenFileTool(owner, this, toolCommand, start);
    };
}

MainShell::~MainShell() {
    Destroy();
}

bool MainShell::Create(HINSTANCE instance, HWND host, const char* startPath) {
    if (m_started) {
        return true;
    }
    m_oleInitialized = SUCCEEDED(OleInitialize(nullptr));
    if (!MCMain::Create(instance, host, startPath)) {
        return false;
    }
    m_moduleCreated = true;
    SetDefaultEntryPoints();
    HICON icon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_PROGRAM));
    if (icon != nullptr && Frame() != nullptr) {
        SendMessageA(Frame(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    }
    m_shellResources = shell::TakeStartupResources();
    SetTitle(kAppTitle);
    m_paneBitmaps[0] = LoadBitmapA(instance, MAKEINTRESOURCEA(IDB_PANE_FIRST));
    m_paneBitmaps[1] = LoadBitmapA(instance, MAKEINTRESOURCEA(IDB_PANE_SECOND));
    if (!AskAboutOtherCopy() || !CreatePanes()) {
        return false;
    }
    LoadSettings();
    LoadStartupFilters();
    ResetUserClusterSize();
    FindProgramFolders();
    RebuildFileMenus(true, true);

    ShowWindow(m_reportWindow->Window(), SW_SHOW);
    Activate(true);
    if (m_settings != nullptr && m_settings->GetValue("common:tooltips") == 0 && ToolTipWindow() != nullptr) {
        SendMessageA(ToolTipWindow(), TTM_ACTIVATE, FALSE, 0);
    }
    if (Frame() != nullptr) {
        ShowWindow(Frame(), SW_SHOW);
        UpdateWindow(Frame());
    }
    m_started = true;
    if (startPath != nullptr && startPath[0] != '\0') {
        RunStartPath(startPath);
    }
    return true;
}

void MainShell::SetDefaultEntryPoints() {
    // Tests may have set their own before start-up; those stay.
    if (!m_entryPoints.compare) {
        m_entryPoints.compare = [this](HWND owner, Report* report, FolderRecord* record) {
            WhatsNewContext context;
            context.ui = this;
            context.scan = ScanContext();
            context.options = m_viewOptions;
            context.browse = [this](const std::string& path) { BrowsePath(path); };
            ShowWhatsNew(owner, report, record, context);
        };
    }
    if (!m_entryPoints.print) {
        m_entryPoints.print = [this](HWND owner, int command, FolderRecord* record) {
            if (command == cmd::kPrintFolderInfo) {
                Report* report = m_reports.FindBySerial(static_cast<std::int32_t>(ReadStat(record, CRP)));
                const bool filterList = m_infoPanel == nullptr || m_infoPanel->FilterListShown();
                PrintFolderInformation(owner, *this, &m_printMemory, report, record, filterList);
            } else if (m_reportWindow != nullptr && record != nullptr) {
                PrintTreeBranch(owner, *this, &m_printMemory, m_reportWindow->Tree().Tree(),
                                m_reportWindow->ItemOf(record));
            }
        };
    }
    if (!m_entryPoints.editNotes) {
        m_entryPoints.editNotes = [this](HWND owner, FolderRecord* record) {
            return EditFolderNotes(owner, this, record);
        };
    }
}

bool MainShell::AskAboutOtherCopy() {
    CopySearch search;
    search.title = Title().c_str();
    search.ownProcess = GetCurrentProcessId();
    EnumWindows(&FindOtherCopy, reinterpret_cast<LPARAM>(&search));
    if (search.found == nullptr) {
        return true;
    }
    const std::string question = SecondCopyMessage(Title());
    const int answer = ui::ShowMessage(this, nullptr, question.c_str(), kSecondCopyCaption, ui::kMessageYesNoCancel);
    if (answer == ui::kAnswerYes) {
        ShowWindow(search.found, SW_SHOWNORMAL);
        SetForegroundWindow(search.found);
        return false;
    }
    return answer == ui::kAnswerNo;
}

bool MainShell::CreatePanes() {
    HWND view = Host();
    m_infoPanel = std::make_unique<InfoPanel>();
    m_reportWindow = std::make_unique<ReportWindow>();
    if (!m_infoPanel->Create(this, view) || !m_reportWindow->Create(this, view)) {
        return false;
    }
    m_innerSplitter = std::make_unique<ui::MCSplitter>();
    if (!m_innerSplitter->Create(view, nullptr, 0, m_infoPanel->Window(), m_reportWindow->Window(),
                                 ui::SplitOrientation::SideBySide, kInfoPaneShare)) {
        return false;
    }
    m_innerSplitter->SetPaneSize(ui::SplitPane::First, m_infoPanel->PreferredWidth());
    m_innerSplitter->SetFixed(ui::SplitPane::First, true);

    m_toolsPanel = std::make_unique<ui::ToolsPanel>();
    auto onTool = [this](int command, const PathList& paths) { RunTool(command, paths.Paths()); };
    if (!m_toolsPanel->Create(*this, view, onTool)) {
        return false;
    }
    ShowWindow(m_toolsPanel->Window(), SW_SHOW);
    m_outerSplitter = std::make_unique<ui::MCSplitter>();
    if (!m_outerSplitter->Create(view, nullptr, 0, m_innerSplitter->Window(), m_toolsPanel->Window(),
                                 ui::SplitOrientation::Stacked, kToolsPaneShare)) {
        return false;
    }
    m_outerSplitter->SetPaneSize(ui::SplitPane::Second, m_toolsPanel->PreferredHeight());
    m_outerSplitter->SetFixed(ui::SplitPane::Second, true);
    RECT client = {};
    GetClientRect(view, &client);
    OnSize(client.right, client.bottom);
    RedrawWindow(view, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    return true;
}

void MainShell::LoadSettings() {
    SettingsLocation location;
    location.programFolder = m_programFolder;
    location.file = platform::JoinPath(m_programFolder, kSettingsFileName);
    location.folders = QuerySystemFolders();
    m_settings = std::make_unique<Settings>(location);
    m_settings->BindViewOptions(&m_viewOptions);
    m_settings->SetApplyHook([this](const AppliedSettings& applied) {
        if (m_reportWindow != nullptr) {
            m_reportWindow->ApplySettings(applied.titleFlagsChanged, applied.sizeThresholdChanged, applied.ageChanged);
        }
        if (ToolTipWindow() != nullptr && m_started) {
            SendMessageA(ToolTipWindow(), TTM_ACTIVATE, applied.toolTips ? TRUE : FALSE, 0);
        }
    });
    m_settings->Load();
}

void MainShell::LoadStartupFilters() {
    AttrNode* setting = m_settings != nullptr ? FindPath(m_settings->Document(), "common:filter") : nullptr;
    if (setting != nullptr && setting->val == 0 && setting->desc != nullptr && m_filters.LoadFromFile(setting->desc)) {
        return;
    }
    m_filters.SetBuiltIn();
}

void MainShell::ResetUserClusterSize() {
    // A cluster size the user imposed holds for one run of the program only.
    if (m_settings != nullptr && m_settings->GetValue("common:cluster") != 0) {
        m_settings->SetValue("common:cluster", 0);
    }
}

void MainShell::FindProgramFolders() {
    const std::string reports = platform::JoinPath(m_programFolder, kReportsFolderName);
    m_reportDialogFolder = platform::DirectoryExists(reports) ? reports : m_programFolder;
    const std::string filters = platform::JoinPath(m_programFolder, kFiltersFolderName);
    m_filtersFolder = platform::DirectoryExists(filters) ? filters : std::string();
}

void MainShell::RebuildFileMenus(bool quickLoad, bool loadFilters) {
    HMENU menu = Frame() != nullptr ? GetMenu(Frame()) : nullptr;
    if (menu == nullptr) {
        return;
    }
    if (quickLoad) {
        RebuildQuickLoadMenu(GetSubMenu(menu, 0), platform::JoinPath(m_programFolder, kReportsFolderName),
                             &m_quickLoad);
    }
    if (loadFilters) {
        RebuildLoadFiltersMenu(GetSubMenu(menu, 2), platform::JoinPath(m_programFolder, kFiltersFolderName),
                               &m_loadFilters);
    }
    DrawMenuBar(Frame());
}

void MainShell::RunStartPath(const std::string& path) {
    // The start path takes the route of a dropped path: a folder gets a report, a report file
    // opens, a filter file opens the filter editor.
    DropPaths({path});
}

void MainShell::Destroy() {
    // Selection reports from windows being torn down must not reach freed panes or reports.
    m_selectionGuard = true;
    if (m_settings != nullptr) {
        m_settings->Save();
    }
    if (m_moduleCreated) {
        MCMain::Destroy();
        m_moduleCreated = false;
    }
    m_settings.reset();
    m_quickLoad.Clear();
    m_loadFilters.Clear();
    DestroyPanes();
    m_current = nullptr;
    m_reports.Clear();
    for (HBITMAP& bitmap : m_paneBitmaps) {
        if (bitmap != nullptr) {
            DeleteObject(bitmap);
            bitmap = nullptr;
        }
    }
    if (m_oleInitialized) {
        OleUninitialize();
        m_oleInitialized = false;
    }
    m_started = false;
    m_selectionGuard = false;
}

void MainShell::DestroyPanes() {
    if (m_infoPanel != nullptr) {
        m_infoPanel->Destroy();
        m_infoPanel.reset();
    }
    if (m_reportWindow != nullptr) {
        m_reportWindow->Destroy();
        m_reportWindow.reset();
    }
    if (m_innerSplitter != nullptr) {
        m_innerSplitter->Destroy();
        m_innerSplitter.reset();
    }
    if (m_toolsPanel != nullptr) {
        m_toolsPanel->Destroy();
        m_toolsPanel.reset();
    }
    if (m_outerSplitter != nullptr) {
        m_outerSplitter->Destroy();
        m_outerSplitter.reset();
    }
}

void MainShell::OnSize(int width, int height) {
    if (m_outerSplitter != nullptr) {
        m_outerSplitter->Resize(width, height);
    }
}

}  // namespace qv
