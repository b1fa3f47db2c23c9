// The tools panel of the main window (dialog 237): four drop-target buttons that start the file
// tools, with a hint text beside them.
#pragma once

#include <windows.h>

#include <functional>

#include "shell/ShellPaths.h"

namespace qv::ui {

class MCMain;

// The panel. The object must outlive its window. A click hands the button's command with an
// empty path list to the handler; a drop hands the dropped paths in drop order.
class ToolsPanel {
public:
    using CommandHandler = std::function<void(int command, const PathList& paths)>;

    ToolsPanel() = default;
    ~ToolsPanel();
    ToolsPanel(const ToolsPanel&) = delete;
    ToolsPanel& operator=(const ToolsPanel&) = delete;

    // Creates dialog 237 as a child of `parent` (hidden until the caller shows it).
    bool Create(MCMain& ui, HWND parent, CommandHandler handler);
    void Destroy();

    // The height of the button row plus equal margins above and below it.
    int PreferredHeight() const;
    HWND Window() const { return m_window; }

private:
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnInit();
    bool OnButton(int controlId);

    MCMain* m_ui = nullptr;
    HWND m_window = nullptr;
    CommandHandler m_handler;
};

}  // namespace qv::ui
