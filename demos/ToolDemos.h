// The file attributes and date and time tools for the screenshot demo (ToolkitDemo.cpp).
#pragma once

#include <windows.h>

#include "demos/ShellDemos.h"

namespace qv::ui {
class MCMain;
}

namespace qv::demo {

// Shows the named tool modally over `frame` on a folder made in the temporary folder:
// "attributes" (Set), "attributes-change" (Change, with its lists) or "datetime". Returns when
// the window has closed; false for another name.
bool ShowToolWindow(const char* name, HWND frame, ui::MCMain& ui, const ShellDemoHooks& hooks);

}  // namespace qv::demo
