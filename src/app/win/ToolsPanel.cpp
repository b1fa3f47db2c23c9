// The tools panel: restyling its buttons and hint, clicks and drops, its preferred height.
#include "app/win/ToolsPanel.h"

#include <algorithm>
#include <climits>

#include "resource.h"
#include "ui/DropTarget.h"
#include "ui/MCMain.h"
#include "ui/StyledControls.h"

namespace qv::ui {

namespace {

struct ToolButton {
    int controlId;
    const char* tip;
    int command;
};

// Left to right; the texts are the dialog template's.
constexpr ToolButton kButtons[] = {
    {IDC_TOOLS_ATTRIBUTES, "Set/Clear/Change File(s) Attributes", ID_TOOLS_ATTRIBUTES},
    {IDC_TOOLS_DATE_TIME, "Set File Date and Time", ID_TOOLS_DATE_TIME},
    {IDC_TOOLS_LIST_OF_FILES, "Create List of Files", ID_TOOLS_LIST_OF_FILES},
    {IDC_TOOLS_TEMP_FOLDERS, "Clear Temporary Folders", ID_TOOLS_TEMP_FOLDERS},
};

constexpr int kButtonFont = 1;
constexpr int kHintFont = 3;

const ToolButton* FindButton(int controlId) {
    for (const ToolButton& button : kButtons) {
        if (button.controlId == controlId) {
            return &button;
        }
    }
    return nullptr;
}

}  // namespace

ToolsPanel::~ToolsPanel() {
    Destroy();
}

bool ToolsPanel::Create(MCMain& ui, HWND parent, CommandHandler handler) {
    if (Handle() != nullptr) {
        return false;
    }
    m_ui = &ui;
    m_handler = std::move(handler);
    return CreateModeless(GetModuleHandleA(nullptr), IDD_TOOLS_PANEL, parent);
}

void ToolsPanel::Destroy() {
    if (Handle() != nullptr) {
        DestroyWindow(Handle());
    }
}

int ToolsPanel::PreferredHeight() const {
    if (Handle() == nullptr) {
        return 0;
    }
    int top = INT_MAX;
    int bottom = INT_MIN;
    for (const ToolButton& button : kButtons) {
        RECT rect = {};
        GetWindowRect(GetDlgItem(Handle(), button.controlId), &rect);
        MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&rect), 2);
        top = std::min<int>(top, rect.top);
        bottom = std::max<int>(bottom, rect.bottom);
    }
    // The margin above the row, repeated below it.
    return (bottom - top) + 2 * std::max(0, top);
}

bool ToolsPanel::OnInit() {
    for (const ToolButton& button : kButtons) {
        MakeDropTarget(*m_ui, Handle(), button.controlId, button.tip, kButtonFont, button.command);
    }
    StyleLabel(*m_ui, Handle(), IDC_TOOLS_HINT, nullptr, kHintFont);
    return false;  // the panel does not take the focus
}

bool ToolsPanel::OnCommand(int id, int code) {
    return code == BN_CLICKED && OnButton(id);
}

INT_PTR ToolsPanel::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != kDropNotification) {
        return FALSE;
    }
    LRESULT answer = TRUE;
    if (m_handler) {
        m_handler(static_cast<int>(wParam), *reinterpret_cast<const PathList*>(lParam));
    } else {
        answer = SendMessageA(GetParent(Handle()), kDropNotification, wParam, lParam);
    }
    SetWindowLongPtrA(Handle(), DWLP_MSGRESULT, answer);
    return TRUE;
}

bool ToolsPanel::OnButton(int controlId) {
    const ToolButton* button = FindButton(controlId);
    if (button == nullptr) {
        return false;
    }
    if (m_handler) {
        m_handler(button->command, PathList());
    } else {
        // Without a handler the command travels up like a menu command.
        SendMessageA(GetParent(Handle()), WM_COMMAND, MAKEWPARAM(button->command, 0), 0);
    }
    return true;
}

}  // namespace qv::ui
