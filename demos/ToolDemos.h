// The file tools for the screenshot demo (ToolkitDemo.cpp).
#pragma once

#include <windows.h>

#include "demos/ShellDemos.h"

namespace qv::ui {
class MCMain;
}

namespace qv::demo {

// Shows the named tool modally over `frame` on a folder made in the temporary folder:
// "attributes" (Set), "attributes-change" (Change, with its lists), "datetime", "temp-folders"
// (three folders with files, measured, the second selected) or "list-of-files". Returns when
// the window has closed; false for another name.
bool ShowToolWindow(const char* name, HWND frame, ui::MCMain& ui, const ShellDemoHooks& hooks);

}  // namespace qv::demo
