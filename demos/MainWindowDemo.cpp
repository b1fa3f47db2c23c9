// qv-main-demo: shows the program's main window with a report of a folder, optionally with the
// report tree's context menu open on the root, for scripts/screenshots-main.sh.
//   qv-main-demo FOLDER (window|menu) READY_FILE QUIT_FILE
// Writes READY_FILE once the window (and the menu) is up, and ends when QUIT_FILE appears.
#include <windows.h>

#include <cstdio>
#include <string>

#include "app/win/QuarvexApp.h"
#include "platform/Platform.h"

namespace {

std::string g_ready;
std::string g_quit;
bool g_menuWanted = false;
bool g_menuOpen = false;

void MarkReady() {
    if (FILE* file = std::fopen(g_ready.c_str(), "w")) {
        std::fclose(file);
    }
}

// Runs inside the menu's modal loop too: reports readiness and closes the menu on request.
void CALLBACK Watch(HWND, UINT, UINT_PTR, DWORD) {
    static int ticks = 0;
    if (++ticks == 10 && (!g_menuWanted || g_menuOpen)) {
        MarkReady();
    }
    if (qv::platform::FileExists(g_quit)) {
        if (g_menuOpen) {
            EndMenu();
        }
        PostQuitMessage(0);
    }
}

void CALLBACK OpenMenu(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    g_menuOpen = true;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    if (__argc < 5) {
        return 2;
    }
    g_menuWanted = std::string(__argv[2]) == "menu";
    g_ready = __argv[3];
    g_quit = __argv[4];
    qv::QuarvexApp app;
    if (!app.Start(instance, qv::StartPathFromArguments(2, __argv))) {
        return 1;
    }
    qv::MainShell& shell = app.Shell();
    if (shell.ReportCount() > 0) {
        qv::FolderRecord* root = shell.ReportAt(0)->Root();
        HTREEITEM item = shell.Reports()->ItemOf(root);
        TreeView_Expand(shell.Reports()->Tree().Tree(), item, TVE_EXPAND);
    }
    SetTimer(nullptr, 0, 100, &Watch);
    if (g_menuWanted && shell.ReportCount() > 0) {
        const POINT at =
            shell.Reports()->Tree().ContextMenuPosition(shell.Reports()->ItemOf(shell.ReportAt(0)->Root()));
        SetTimer(nullptr, 0, 300, &OpenMenu);
        shell.Reports()->ShowContextMenu(shell.ReportAt(0)->Root(), at.x, at.y);  // modal until closed
        g_menuOpen = false;
    }
    const int code = app.Run();
    return code;
}
