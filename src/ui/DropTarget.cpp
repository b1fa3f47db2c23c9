// Drop-target buttons: reading a drop and handing it to the button's parent.
#include "ui/DropTarget.h"

#include <commctrl.h>

#include <string>

#include "ui/Guard.h"
#include "ui/StyledControls.h"

namespace qv::ui {

namespace {

constexpr UINT_PTR kDropSubclassId = 0x4D434454;  // "MCDT"

LRESULT CALLBACK DropButtonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR command);

LRESULT DropButtonMessage(HWND button, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR command) {
    switch (message) {
        case WM_DROPFILES: {
            auto drop = reinterpret_cast<HDROP>(wParam);
            const PathList paths = ReadDroppedPaths(drop);
            DragFinish(drop);
            return SendMessageA(GetParent(button), kDropNotification, command, reinterpret_cast<LPARAM>(&paths));
        }
        case WM_NCDESTROY:
            RemoveWindowSubclass(button, &DropButtonProc, kDropSubclassId);
            break;
        default:
            break;
    }
    return DefSubclassProc(button, message, wParam, lParam);
}

LRESULT CALLBACK DropButtonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR command) {
    return Guarded(
        button, [&] { return DropButtonMessage(button, message, wParam, lParam, command); }, LRESULT{0});
}

}  // namespace

HWND MakeDropTarget(MCMain& ui, HWND dialog, int id, const char* tip, int font, int commandId) {
    HWND button = StyleButton(ui, dialog, id, tip, font);
    if (button == nullptr) {
        return nullptr;
    }
    const DWORD_PTR command = static_cast<DWORD_PTR>(commandId != 0 ? commandId : id);
    if (!SetWindowSubclass(button, &DropButtonProc, kDropSubclassId, command)) {
        return nullptr;
    }
    DragAcceptFiles(button, TRUE);
    return button;
}

PathList ReadDroppedPaths(HDROP drop) {
    PathList paths;
    const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        const UINT length = DragQueryFileA(drop, i, nullptr, 0);
        if (length == 0) {
            continue;
        }
        std::string path(length + 1, '\0');
        path.resize(DragQueryFileA(drop, i, path.data(), length + 1));
        paths.Add(path);
    }
    return paths;
}

}  // namespace qv::ui
