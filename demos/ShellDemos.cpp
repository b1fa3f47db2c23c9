// The progress window and the settings dialog for the screenshot demo.
#include "demos/ShellDemos.h"

#include <cstring>
#include <string>

#include "core/win/ScanJob.h"
#include "app/Settings.h"
#include "app/win/SettingsDialog.h"

namespace qv::demo {

namespace {

ShellDemoHooks g_hooks;

void OnWindowUp(HWND window, void*) {
    if (g_hooks.shown != nullptr) {
        g_hooks.shown(window);
    }
}

// Holds the scan's worker at the first folder text below the scanned folder, so the picture
// shows a path, until the demo ends; the job is then cancelled by the closing window.
void HoldAtASubFolder(HWND, const char* text, bool, void*) {
    static int folders = 0;
    if (text == nullptr || std::strchr(text, '\\') == nullptr || ++folders != 2) {
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
    scan_job_seam::SetObservers(&OnWindowUp, &HoldAtASubFolder, nullptr);
    Report report;
    TreeViewOptions options;
    ScanJobContext context;
    context.owner = frame;
    context.ui = &ui;
    RunScanJob(&report, windows, options, context);
    scan_job_seam::SetObservers(nullptr, nullptr, nullptr);
}

void ShowSettings(HWND frame, ui::MCMain& ui) {
    Settings settings;
    settings.Load();
    settings_dialog_seam::SetObserver(&OnWindowUp, nullptr);
    ShowSettingsDialog(frame, settings, &ui);
    settings_dialog_seam::SetObserver(nullptr, nullptr);
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
