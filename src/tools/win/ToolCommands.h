// The one place where a Tools command (its id 32802 to 32805) becomes the tool's dialog.
#pragma once

#include <windows.h>

#include "tools/win/FileToolDialogs.h"

namespace qv::tools {

// Opens the tool of `toolCommand` modally over `owner` with `start`; other ids do nothing.
void OpenFileTool(HWND owner, ui::MCMain* ui, int toolCommand, const ToolStart& start);

}  // namespace qv::tools
