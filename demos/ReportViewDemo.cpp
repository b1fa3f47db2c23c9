// qv-reportview-demo: the info panel and the report window side by side on a scan of one folder,
// so scripts/reportview-screenshots.sh can take their picture under Xvfb and Wine.
//
//   qv-reportview-demo.exe MODE FOLDER [READY_FILE [QUIT_FILE]]
//
// MODE: "window" selects the largest folder below the root; "files" selects the root's files
// item; "menu" also opens the context menu on the selected folder; "nolist" hides the filter
// list; "notes" opens the notes dialog of the selected folder; "whatsnew" changes the folder on
// disk (a file grows, a folder goes, one comes) and opens "What's new" for the root, which
// "whatsnew-tree" switches to its tree, expanded. Once everything is painted the demo creates
// READY_FILE; when QUIT_FILE appears it exits (after two minutes it exits anyway).
#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <string>

#include "core/Scanner.h"
#include "demos/DemoSupport.h"
#include "demos/SingleReportHost.h"
#include "resource.h"
#include "ui/MCMain.h"
#include "ui/ModalSeam.h"
#include "ui/Splitter.h"
#include "view/win/ComparisonDialog.h"
#include "view/win/InfoPanel.h"
#include "view/win/NotesDialog.h"
#include "view/win/ReportWindow.h"

namespace {

using namespace qv;
using qv::demo::FileExists;
using qv::demo::TouchFile;

constexpr char kFrameClass[] = "QuarvexReportViewDemo";
constexpr UINT kOpenMenuMessage = WM_APP + 1;
constexpr UINT kOpenDialogMessage = WM_APP + 2;
constexpr UINT kPollMilliseconds = 100;
constexpr int kSettleTicks = 5;
constexpr DWORD kLifetimeMilliseconds = 120000;

struct Demo {
    SingleReportHost host;
    InfoPanel panel;
    ReportWindow window;
    ui::MCSplitter splitter;
    std::string mode;
    std::string readyFile;
    std::string quitFile;
    bool menuAsked = false;
    bool dialogAsked = false;
    HWND dialog = nullptr;  // the modal dialog the picture is of, once it is up
    DWORD start = 0;
};

Demo* g_demo = nullptr;

bool MenuOpen() {
    HWND menu = FindWindowA("#32768", nullptr);
    return menu != nullptr && IsWindowVisible(menu);
}

// Runs in every message loop of the thread, the context menu's included.
void CALLBACK Poll(HWND, UINT, UINT_PTR, DWORD) {
    static int quietTicks = 0;
    static bool ready = false;
    if (FileExists(g_demo->quitFile) || GetTickCount() - g_demo->start > kLifetimeMilliseconds) {
        EndMenu();
        PostQuitMessage(0);
        return;
    }
    if (ready) {
        return;
    }
    quietTicks = HIWORD(GetQueueStatus(QS_PAINT)) != 0 ? 0 : quietTicks + 1;
    if (quietTicks < kSettleTicks) {
        return;
    }
    if (g_demo->mode == "menu" && !MenuOpen()) {
        if (!g_demo->menuAsked) {
            g_demo->menuAsked = true;
            PostMessageA(GetAncestor(g_demo->window.Window(), GA_ROOT), kOpenMenuMessage, 0, 0);
        }
        return;
    }
    const bool modal = g_demo->mode == "notes" || g_demo->mode.rfind("whatsnew", 0) == 0;
    if (modal && (g_demo->dialog == nullptr || !IsWindowVisible(g_demo->dialog))) {
        if (!g_demo->dialogAsked) {
            g_demo->dialogAsked = true;
            PostMessageA(GetAncestor(g_demo->window.Window(), GA_ROOT), kOpenDialogMessage, 0, 0);
        }
        return;
    }
    ready = true;
    GdiFlush();
    TouchFile(g_demo->readyFile);
}

void ShowTreeExpanded(HWND dialog);

// The modal dialog the picture is of (not the scan's progress window).
void RememberDialog(HWND dialog, ui::ModalKind kind) {
    if (kind == ui::ModalKind::Comparison && g_demo->mode == "whatsnew-tree") {
        ShowTreeExpanded(dialog);
    }
    if (kind == ui::ModalKind::Notes || kind == ui::ModalKind::Comparison) {
        g_demo->dialog = dialog;
    }
}

void ShowTreeExpanded(HWND dialog) {
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_COMPARE_VIEW_SWITCH, BN_CLICKED), 0);
    HWND host = GetDlgItem(dialog, IDC_COMPARE_TREE_FRAME);
    while ((host = GetWindow(host, GW_HWNDNEXT)) != nullptr) {
        if (HWND tree = FindWindowExA(host, nullptr, WC_TREEVIEWA, nullptr)) {
            for (HTREEITEM item = TreeView_GetRoot(tree); item != nullptr; item = TreeView_GetChild(tree, item)) {
                TreeView_Expand(tree, item, TVE_EXPAND);
            }
        }
    }
}

// Changes the scanned folder: a file grows, a folder with its file goes, a folder comes.
void ChangeFolder(const std::string& folder) {
    const auto write = [](const std::string& path, DWORD size) {
        HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        std::string bytes(size, 'x');
        DWORD written = 0;
        WriteFile(file, bytes.data(), size, &written, nullptr);
        CloseHandle(file);
    };
    write(folder + "\\Music\\track.mp3", 2500000);
    DeleteFileA((folder + "\\Downloads\\setup.zip").c_str());
    RemoveDirectoryA((folder + "\\Downloads").c_str());
    CreateDirectoryA((folder + "\\Photos\\2025").c_str(), nullptr);
    write(folder + "\\Photos\\2025\\party.jpg", 640000);
}

// Runs the mode's modal dialog; it closes when the demo ends.
void OpenDialog() {
    HWND frame = GetAncestor(g_demo->window.Window(), GA_ROOT);
    FolderRecord* record = g_demo->host.CurrentRecord();
    if (g_demo->mode == "notes") {
        WriteText(record, notes, "Holiday pictures, sorted by year.\r\nOlder ones are on the backup disk.", true);
        EditFolderNotes(frame, &g_demo->host.module, record);
        return;
    }
    FolderRecord* root = g_demo->host.report->Root();
    ChangeFolder(ReadText(root, ALC));
    WhatsNewContext context;
    context.ui = &g_demo->host.module;
    context.scan.owner = frame;
    context.scan.ui = &g_demo->host.module;
    context.options = g_demo->host.options;
    ShowWhatsNew(frame, g_demo->host.report.get(), root, context);
}

void OpenMenuOnSelection() {
    FolderRecord* record = g_demo->host.CurrentRecord();
    HWND tree = g_demo->window.Tree().Tree();
    HTREEITEM item = g_demo->window.ItemOf(record);
    RECT rect = {};
    TreeView_GetItemRect(tree, item, &rect, TRUE);
    POINT point = {rect.left + 12, rect.bottom - 2};
    ClientToScreen(tree, &point);
    g_demo->window.ShowContextMenu(record, point.x, point.y);
}

LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kOpenMenuMessage) {
        OpenMenuOnSelection();
        return 0;
    }
    if (message == kOpenDialogMessage) {
        OpenDialog();
        return 0;
    }
    ui::MCSplitter* splitter = g_demo != nullptr ? &g_demo->splitter : nullptr;
    return qv::demo::SplitterFrameProc(splitter, window, message, wParam, lParam);
}

// The child folder of the root with the most allocated space, or the root's files item.
FolderRecord* RecordToSelect(FolderRecord* root, bool filesItem) {
    FolderRecord* best = nullptr;
    for (FolderRecord* child = root->firstChild; child != nullptr; child = child->nextSibling) {
        if (filesItem) {
            if (child->group > 0) {
                return child;
            }
        } else if (child->group == 0 && (best == nullptr || ReadStat(child, NFA) > ReadStat(best, NFA))) {
            best = child;
        }
    }
    return best != nullptr ? best : root;
}

bool Build(Demo& demo, HINSTANCE instance, const std::string& folder) {
    WNDCLASSA frameClass = {};
    frameClass.lpfnWndProc = &FrameProc;
    frameClass.hInstance = instance;
    frameClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    frameClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    frameClass.lpszClassName = kFrameClass;
    RegisterClassA(&frameClass);
    HWND frame = CreateWindowExA(0, kFrameClass, "Talvorn Quarvex", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 20, 20, 796,
                                 574, nullptr, nullptr, instance, nullptr);
    if (frame == nullptr || !demo.host.module.Create(instance, frame, nullptr)) {
        return false;
    }
    demo.host.options.titleFlags = TitleSize | TitlePercent | TitleIcon;
    demo.host.panel = &demo.panel;
    if (!demo.panel.Create(&demo.host, frame) || !demo.window.Create(&demo.host, frame)) {
        return false;
    }
    if (demo.mode == "nolist") {
        demo.panel.ToggleFilterList(InfoPanel::Toggle::Off);
    }
    demo.splitter.Create(frame, nullptr, 0, demo.panel.Window(), demo.window.Window(), ui::SplitOrientation::SideBySide,
                         0.33);
    demo.splitter.SetFixed(ui::SplitPane::First, true);
    demo.splitter.SetPaneSize(ui::SplitPane::First, demo.panel.PreferredWidth());

    demo.host.report = std::make_unique<Report>();
    FilterSet filters;
    filters.SetBuiltIn();
    demo.host.report->SetFilters(&filters);
    demo.host.report->SetCreated(CreatedText(platform::Now()));
    auto policy = std::make_unique<ClusterPolicy>();
    policy->Compute(folder, 0);
    demo.host.report->SetPolicy(std::move(policy));
    ScanControl control;
    control.titles = ComposeTitlesWith(demo.host.options);
    if (ScanReport(demo.host.report.get(), folder, control) == nullptr) {
        return false;
    }
    demo.window.AddReport(demo.host.report.get());
    demo.window.SetSortEntry(SortBySize);
    FolderRecord* root = demo.host.report->Root();
    demo.window.Tree().Expand(demo.window.ItemOf(root));
    demo.window.SelectRecord(RecordToSelect(root, demo.mode == "files"));
    demo.host.module.Activate(true);
    ShowWindow(frame, SW_SHOW);
    SetFocus(demo.window.Tree().Tree());
    UpdateWindow(frame);
    return true;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    if (__argc < 3) {
        return 2;
    }
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    auto demo = std::make_unique<Demo>();
    g_demo = demo.get();
    demo->mode = __argv[1];
    demo->readyFile = __argc > 3 ? __argv[3] : "";
    demo->quitFile = __argc > 4 ? __argv[4] : "";
    demo->start = GetTickCount();
    if (!Build(*demo, instance, __argv[2])) {
        return 1;
    }
    ui::ModalSeam::Get().OnWindowUp(&RememberDialog);
    SetTimer(nullptr, 0, kPollMilliseconds, &Poll);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    demo->host.module.Destroy();
    g_demo = nullptr;
    return 0;
}
