// The file attributes and date and time tools for the screenshot demo.
#include "demos/ToolDemos.h"

#include <cstring>
#include <string>

#include "platform/Platform.h"
#include "resource.h"
#include "tools/win/FileToolDialogs.h"
#include "ui/ModalSeam.h"

namespace qv::demo {

namespace {

ShellDemoHooks g_hooks;
bool g_change = false;

void OnWindowUp(HWND window, ui::ModalKind kind) {
    if (kind != ui::ModalKind::FileAttributes && kind != ui::ModalKind::FileDateTime) {
        return;
    }
    if (g_change) {
        SendDlgItemMessageA(window, IDC_ATTR_ACTION, CB_SETCURSEL, 2, 0);
        SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_ATTR_ACTION, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(GetDlgItem(window, IDC_ATTR_ACTION)));
    }
    if (g_hooks.shown != nullptr) {
        g_hooks.shown(window);
    }
}

}  // namespace

bool ShowToolWindow(const char* name, HWND frame, ui::MCMain& ui, const ShellDemoHooks& hooks) {
    const bool attributes = std::strncmp(name, "attributes", 10) == 0;
    if (!attributes && std::strcmp(name, "datetime") != 0) {
        return false;
    }
    g_hooks = hooks;
    g_change = std::strcmp(name, "attributes-change") == 0;
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    tools::ToolStart start;
    start.path = platform::JoinPath(temp, "Quarvex demo");
    platform::MakeDirectory(start.path);
    ui::ModalSeam::Get().OnWindowUp(&OnWindowUp);
    if (attributes) {
        tools::ShowFileAttributesTool(frame, &ui, start);
    } else {
        tools::ShowFileDateTimeTool(frame, &ui, start);
    }
    ui::ModalSeam::Get().End();
    return true;
}

}  // namespace qv::demo
