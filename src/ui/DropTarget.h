// Buttons that accept dropped files: a drop becomes a notification to the button's parent with
// the button's command and the dropped paths in drop order.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include "shell/ShellPaths.h"

namespace qv::ui {

class MCMain;

// Sent to a drop-target button's parent: wParam the button's command id (its control id when it
// has none), lParam a `const PathList*` valid during the call. The parent's answer is returned
// from the drop (dialogs answer through DWLP_MSGRESULT).
inline constexpr UINT kDropNotification = WM_APP + 0x2D0;

// Restyles button `id` of `dialog` (as StyleButton) and makes it accept dropped files. Null when
// the dialog has no such control.
HWND MakeDropTarget(MCMain& ui, HWND dialog, int id, const char* tip, int font, int commandId);

// The paths of a drop, in drop order. The drop is not released.
PathList ReadDroppedPaths(HDROP drop);

}  // namespace qv::ui
