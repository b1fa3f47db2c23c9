// The tools panel of the main window (dialog 237): four drop-target buttons that start the file
// tools, with a hint text beside them.
#pragma once

#include <windows.h>

#include <functional>

#include "shell/ShellPaths.h"
#include "ui/DialogBase.h"

namespace qv::ui {

class MCMain;

// The panel. The object must outlive its window. A click hands the button's command with an
// empty path list to the handler; a drop hands the dropped paths in drop order.
class ToolsPanel : private DialogBase {
public:
    using CommandHandler = std::function<void(int command, const PathList& paths)>;

    ToolsPanel() = default;
    ~ToolsPanel() override;

    // Creates dialog 237 as a child of `parent` (hidden until the caller shows it).
    bool Create(MCMain& ui, HWND parent, CommandHandler handler);
    void Destroy();

    // The height of the button row plus equal margins above and below it.
    int PreferredHeight() const;
    HWND Window() const { return Handle(); }

private:
    bool OnInit() override;
    bool OnCommand(int id, int code) override;
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool OnButton(int controlId);

    MCMain* m_ui = nullptr;
    CommandHandler m_handler;
};

}  // namespace qv::ui
