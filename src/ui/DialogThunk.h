// The dialog procedure of the view's modeless dialogs: finds the object that owns the dialog and
// hands it the message.
#pragma once

#include <windows.h>

namespace qv {

// For a dialog made by CreateDialogParam with its owner object as the parameter. The owner is kept
// in DWLP_USER from WM_INITDIALOG on, where its OnInit(dialog) runs and the default focus is left
// alone. WM_COMMAND goes to OnCommand(id, notification); every other message goes to
// OnMessage(message, wParam, lParam), which answers as a dialog procedure does. Messages that
// come before WM_INITDIALOG are not handled. Owners befriend their instance of the template.
template <typename Owner>
INT_PTR CALLBACK DialogThunk(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        reinterpret_cast<Owner*>(lParam)->OnInit(dialog);
        return FALSE;
    }
    auto* owner = reinterpret_cast<Owner*>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (owner == nullptr) {
        return FALSE;
    }
    if (message == WM_COMMAND) {
        owner->OnCommand(LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    }
    return owner->OnMessage(message, wParam, lParam);
}

}  // namespace qv
