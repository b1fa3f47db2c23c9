// qv-demo: shows one of the program's windows by name, so scripts/screenshots.sh can take its
// picture under Xvfb and Wine.
//
//   qv-demo.exe NAME [READY_FILE [QUIT_FILE]]
//
// Once the window is on screen and painted, the demo creates READY_FILE; when QUIT_FILE appears
// it closes the window and exits (after two minutes it exits anyway). An unknown NAME creates
// READY_FILE.unknown instead and exits with code 2. Further windows join the demo through kDemos
// below.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "resource.h"
#include "demos/DemoSupport.h"
#include "ui/MCMain.h"
#include "ui/MessageBox.h"
#include "ui/ModalSeam.h"
#include "demos/FilterDemos.h"
#include "demos/ShellDemos.h"
#include "demos/ToolDemos.h"
#include "ui/Splitter.h"
#include "app/win/ToolsPanel.h"
#include "ui/TreeControl.h"

namespace {

using qv::demo::FileExists;
using qv::demo::TouchFile;
using qv::ui::MCMain;

// What a demo gets: the module (fonts, tool tips), the frame window and its instance.
struct DemoContext {
    HINSTANCE instance;
    HWND frame;
    MCMain* ui;
};

// A demo shows its window. A modal window runs its own loop until the quit file closes it; a
// modeless one returns at once and the demo's message loop keeps it on screen.
using DemoFunction = void (*)(DemoContext& context);

constexpr UINT kPollMilliseconds = 100;
constexpr int kSettleTicks = 5;  // polls with nothing to paint before the window counts as ready
constexpr DWORD kLifetimeMilliseconds = 120000;
constexpr char kFrameClass[] = "QuarvexDemoFrame";

std::string g_readyFile;
std::string g_quitFile;
HWND g_shown = nullptr;  // the window the picture is of
DWORD g_start = 0;

// Runs in every message loop of the thread, modal ones included.
void CALLBACK Poll(HWND, UINT, UINT_PTR, DWORD) {
    static int quietTicks = 0;
    static bool ready = false;
    if (FileExists(g_quitFile) || GetTickCount() - g_start > kLifetimeMilliseconds) {
        PostQuitMessage(0);  // a modal loop ends on it and passes it on
        return;
    }
    if (ready || g_shown == nullptr || !IsWindowVisible(g_shown)) {
        return;
    }
    quietTicks = HIWORD(GetQueueStatus(QS_PAINT)) != 0 ? 0 : quietTicks + 1;
    if (quietTicks >= kSettleTicks) {
        ready = true;
        GdiFlush();
        if (!g_readyFile.empty()) {
            TouchFile(g_readyFile);
        }
    }
}

// --- the message box ---

void ShowMessageDemo(DemoContext& context) {
    qv::ui::ModalSeam::Get().OnWindowUp([](HWND box, qv::ui::ModalKind) { g_shown = box; });
    qv::ui::ShowMessage(context.ui, context.frame,
                        "Talvorn Quarvex already running.\n Do you want switch to already running program?",
                        "Second instance of Quarvex", qv::ui::kMessageYesNoCancel);
}

// --- the tools panel under a report-like tree ---

struct DemoFolder {
    const char* title;
    int sizeClass;
    int depth;
    bool filesItem;
};

constexpr DemoFolder kFolders[] = {
    {"C:\\            12.4 Gb", 9, 0, false},    {"Windows       5.61 Gb  45%", 7, 1, false},
    {"System32      2.10 Gb  37%", 7, 2, false}, {"Program Files 3.98 Gb  32%", 7, 1, false},
    {"Users         1.90 Gb  15%", 6, 1, false}, {"Temp          612 MB  4%", 2, 1, false},
    {"[files]       12.0 MB  0%", 1, 1, true},   {"Empty         0 bytes", 0, 1, false},
};

std::intptr_t DemoTreeAnswer(void*, int code, std::intptr_t value, std::intptr_t extra) {
    static HBITMAP icons[10] = {};
    switch (code) {
        case qv::ui::kTreeIconForIndex:
            if (value < 0 || value > 9) {
                return 0;
            }
            if (icons[value] == nullptr) {
                icons[value] = LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_SIZE0 + value));
            }
            *reinterpret_cast<int*>(extra) = static_cast<int>(value);
            return reinterpret_cast<std::intptr_t>(icons[value]);
        case qv::ui::kTreeTextColour:
            return value == 0 ? -1 : reinterpret_cast<const DemoFolder*>(value)->filesItem ? 0x782828 : 0;
        case qv::ui::kTreeTextBackground:
            return value == 0 ? -1 : 0xFFFFFF;
        default:
            return 0;
    }
}

struct ToolsDemo {
    qv::ui::TreeControl tree{0xF0F0F0, &DemoTreeAnswer, nullptr};
    qv::ui::ToolsPanel panel;
    qv::ui::MCSplitter splitter;
};

ToolsDemo* g_toolsDemo = nullptr;

void FillTree(qv::ui::TreeControl& tree) {
    HTREEITEM parents[4] = {};
    for (const DemoFolder& folder : kFolders) {
        HTREEITEM parent = folder.depth > 0 ? parents[folder.depth - 1] : nullptr;
        parents[folder.depth] = tree.Insert(parent, folder.title, &folder, folder.sizeClass);
    }
    for (HTREEITEM item = tree.FirstRoot(); item != nullptr; item = tree.FirstChild(item)) {
        tree.Expand(item);
    }
    tree.Select(tree.FirstRoot());
}

void ShowToolsDemo(DemoContext& context) {
    static ToolsDemo demo;
    RECT client = {};
    GetClientRect(context.frame, &client);
    demo.tree.Create(*context.ui, context.frame, client, context.ui->GetFont(4));
    FillTree(demo.tree);
    demo.panel.Create(*context.ui, context.frame, [](int, const qv::PathList&) {});
    demo.splitter.Create(context.frame, nullptr, 0, demo.tree.Window(), demo.panel.Window(),
                         qv::ui::SplitOrientation::Stacked, 0.5);
    demo.splitter.SetPaneSize(qv::ui::SplitPane::Second, demo.panel.PreferredHeight());
    demo.splitter.SetFixed(qv::ui::SplitPane::Second, true);
    g_toolsDemo = &demo;
    g_shown = context.frame;
}

// --- the progress window and the settings dialog (ShellDemos.cpp) ---

void ShowShellDemo(DemoContext& context, const char* name) {
    qv::demo::ShellDemoHooks hooks;
    hooks.shown = [](HWND window) { g_shown = window; };
    hooks.keepShowing = [] { return !FileExists(g_quitFile) && GetTickCount() - g_start < kLifetimeMilliseconds; };
    qv::demo::ShowShellWindow(name, context.frame, *context.ui, hooks);
}

void ShowProgressDemo(DemoContext& context) {
    ShowShellDemo(context, "progress");
}

void ShowSettingsDemo(DemoContext& context) {
    ShowShellDemo(context, "settings");
}

// --- the filter editor and the filtered files browser (FilterDemos.cpp) ---

template <const char* kName>
void ShowFilterDemo(DemoContext& context) {
    qv::demo::ShellDemoHooks hooks;
    hooks.shown = [](HWND window) { g_shown = window; };
    qv::demo::ShowFilterWindow(kName, context.frame, *context.ui, hooks);
}

// --- the file tools (ToolDemos.cpp) ---

template <const char* kName>
void ShowToolDemo(DemoContext& context) {
    qv::demo::ShellDemoHooks hooks;
    hooks.shown = [](HWND window) { g_shown = window; };
    qv::demo::ShowToolWindow(kName, context.frame, *context.ui, hooks);
}

constexpr char kAttributes[] = "attributes";
constexpr char kAttributesChange[] = "attributes-change";
constexpr char kDateTime[] = "datetime";
constexpr char kTempFolders[] = "temp-folders";
constexpr char kListOfFiles[] = "list-of-files";

constexpr char kEditor[] = "editor";
constexpr char kEditorView[] = "editor-view";
constexpr char kBrowser[] = "browser";
constexpr char kBrowserTree[] = "browser-tree";

struct Demo {
    const char* name;
    DemoFunction show;
};

// The windows the demo can show. Add an entry to show another window.
constexpr Demo kDemos[] = {
    {"message", &ShowMessageDemo},
    {"tools", &ShowToolsDemo},
    {"progress", &ShowProgressDemo},
    {"settings", &ShowSettingsDemo},
    {kEditor, &ShowFilterDemo<kEditor>},
    {kEditorView, &ShowFilterDemo<kEditorView>},
    {kBrowser, &ShowFilterDemo<kBrowser>},
    {kBrowserTree, &ShowFilterDemo<kBrowserTree>},
    {kAttributes, &ShowToolDemo<kAttributes>},
    {kAttributesChange, &ShowToolDemo<kAttributesChange>},
    {kDateTime, &ShowToolDemo<kDateTime>},
    {kTempFolders, &ShowToolDemo<kTempFolders>},
    {kListOfFiles, &ShowToolDemo<kListOfFiles>},
};

LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    qv::ui::MCSplitter* splitter = g_toolsDemo != nullptr ? &g_toolsDemo->splitter : nullptr;
    return qv::demo::SplitterFrameProc(splitter, window, message, wParam, lParam);
}

HWND CreateFrame(HINSTANCE instance, const MCMain& defaults) {
    WNDCLASSEXA frameClass = {};
    frameClass.cbSize = sizeof(frameClass);
    frameClass.lpfnWndProc = &FrameProc;
    frameClass.hInstance = instance;
    frameClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    frameClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    frameClass.lpszClassName = kFrameClass;
    RegisterClassExA(&frameClass);
    const int width = defaults.DefaultWidth();
    const int height = defaults.DefaultHeight();
    return CreateWindowExA(0, kFrameClass, "", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                           (GetSystemMetrics(SM_CXSCREEN) - width) / 2, (GetSystemMetrics(SM_CYSCREEN) - height) / 2,
                           width, height, nullptr, nullptr, instance, nullptr);
}

const Demo* FindDemo(const char* name) {
    for (const Demo& demo : kDemos) {
        if (std::strcmp(demo.name, name) == 0) {
            return &demo;
        }
    }
    return nullptr;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    g_readyFile = __argc > 2 ? __argv[2] : "";
    g_quitFile = __argc > 3 ? __argv[3] : "";
    const Demo* demo = __argc > 1 ? FindDemo(__argv[1]) : nullptr;
    if (demo == nullptr) {
        if (!g_readyFile.empty()) {
            TouchFile(g_readyFile + ".unknown");  // the caller cannot see our exit code through Wine's desktop
        }
        return 2;
    }
    g_start = GetTickCount();

    MCMain ui;
    HWND frame = CreateFrame(instance, ui);
    if (frame == nullptr || !ui.Create(instance, frame, nullptr)) {
        return 1;
    }
    ui.SetTitle(qv::ui::kAppTitle);
    ShowWindow(frame, SW_SHOW);
    UpdateWindow(frame);
    ui.Activate(true);
    SetTimer(nullptr, 0, kPollMilliseconds, &Poll);

    DemoContext context = {instance, frame, &ui};
    demo->show(context);
    if (g_toolsDemo != nullptr) {
        RECT client = {};
        GetClientRect(frame, &client);
        g_toolsDemo->splitter.Resize(client.right, client.bottom);
    }

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    ui.Destroy();
    return 0;
}
