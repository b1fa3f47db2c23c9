// Finds the object behind a window of one of the program's own window classes.
#pragma once

#include <windows.h>

namespace qv::ui {

// For a window created with its object as CreateWindowEx's last parameter: the object is kept in
// GWLP_USERDATA from WM_NCCREATE on. Returns it, or null for the messages that come before.
template <typename Object>
Object* AttachedObject(HWND window, UINT message, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    return reinterpret_cast<Object*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

}  // namespace qv::ui
