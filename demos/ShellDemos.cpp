// The progress window and the settings dialog for the screenshot demo.
#include "demos/ShellDemos.h"

#include <cstring>
#include <string>

#include "app/Settings.h"
#include "app/win/SettingsDialog.h"
#include "core/win/ScanJob.h"
#include "ui/ModalSeam.h"

namespace qv::demo {

namespace {

ShellDemoHooks g_hooks;

void OnWindowUp(HWND window, ui::ModalKind) {
    if (g_hooks.shown != nullptr) {
        g_hooks.shown(window);
    }
}

// Holds the scan's worker at the first folder text below the scanned folder, so the picture
// shows a path, until the demo ends; the job is then cancelled by the closing window.
void HoldAtASubFolder(HWND, const std::string& text) {
    static int folders = 0;
    if (text.find('\\') == std::string::npos || ++folders != 2) {
        return;
    }
    const DWORD start = GetTickCount();
    while (g_hooks.keepShowing != nullptr && g_hooks.keepShowing() && GetTickCount() - start < 180000) {
        Sleep(100);  // the worker waits here while the window stays on screen
    }
}

void ShowProgressWindow(HWND frame, ui::MCMain& ui) {
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, sizeof windows);
    ui::ModalSeam::Get().OnWindowUp(&OnWindowUp);
    ui::ModalSeam::Get().OnTextShown(&HoldAtASubFolder);
    Report report;
    TreeViewOptions options;
    ScanJobContext context;
    context.owner = frame;
    context.ui = &ui;
    RunScanJob(&report, windows, options, context);
    ui::ModalSeam::Get().End();
}

void ShowSettings(HWND frame, ui::MCMain& ui) {
    Settings settings;
    settings.Load();
    ui::ModalSeam::Get().OnWindowUp(&OnWindowUp);
    ShowSettingsDialog(frame, settings, &ui);
    ui::ModalSeam::Get().End();
}

}  // namespace

bool ShowShellWindow(const char* name, HWND frame, ui::MCMain& ui, const ShellDemoHooks& hooks) {
    g_hooks = hooks;
    if (std::strcmp(name, "progress") == 0) {
        ShowProgressWindow(frame, ui);
        return true;
    }
    if (std::strcmp(name, "settings") == 0) {
        ShowSettings(frame, ui);
        return true;
    }
    return false;
}

}  // namespace qv::demo
