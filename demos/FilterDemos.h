// The filter editor and the filtered files browser for the screenshot demo (ToolkitDemo.cpp).
#pragma once

#include <windows.h>

#include "demos/ShellDemos.h"

namespace qv::ui {
class MCMain;
}

namespace qv::demo {

// Shows the named window modally over `frame`: "editor" (the built-in filters, editable, the
// temporary filter selected), "editor-view" (the same set read-only), "browser" and
// "browser-tree" (the temporary filter's files of a small scratch tree made in the temporary
// folder, in the list view or the tree view). Returns when the window has closed; false for
// another name.
bool ShowFilterWindow(const char* name, HWND frame, ui::MCMain& ui, const ShellDemoHooks& hooks);

}  // namespace qv::demo
