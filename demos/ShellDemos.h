// The settings and scan job windows that qv-demo (ToolkitDemo.cpp) can show for the
// screenshot script: the progress window of a running scan and the settings dialog.
#pragma once

#include <windows.h>

namespace qv::ui {
class MCMain;
}

namespace qv::demo {

struct ShellDemoHooks {
    void (*shown)(HWND window) = nullptr;  // the window the picture is of, once it is up
    bool (*keepShowing)() = nullptr;       // false once the demo should end
};

// Shows the named window modally over `frame`: "progress" (a scan of the Windows folder held at
// its first folder text until the demo ends) or "settings" (the dialog on the settings beside the
// executable). Returns when the window has closed; false for another name.
bool ShowShellWindow(const char* name, HWND frame, ui::MCMain& ui, const ShellDemoHooks& hooks);

}  // namespace qv::demo
