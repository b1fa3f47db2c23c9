// Finds the object behind a window of one of the program's own window classes and hands it the
// window's messages.
#pragma once

#include <windows.h>

#include "ui/Guard.h"

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

// A window procedure's body for an object that keeps the window's handle in `handle` (stored from
// CreateWindowEx's result): the object's `handler` answers, behind the guard, once the handle is
// there; the messages of the window's creation, and of any other window, get the default answer.
template <typename Object>
LRESULT ForwardToObject(HWND window,
                        UINT message,
                        WPARAM wParam,
                        LPARAM lParam,
                        HWND Object::*handle,
                        LRESULT (Object::*handler)(UINT, WPARAM, LPARAM)) {
    return Guarded(
        window,
        [&] {
            auto* object = AttachedObject<Object>(window, message, lParam);
            if (object == nullptr || object->*handle != window) {
                return DefWindowProcA(window, message, wParam, lParam);
            }
            return (object->*handler)(message, wParam, lParam);
        },
        LRESULT{0});
}

}  // namespace qv::ui
