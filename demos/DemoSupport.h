// What the window demos (qv-demo, qv-reportview-demo) share: the marker files through which they
// talk to the screenshot scripts, and their frame window's answers.
#pragma once

#include <windows.h>

#include <string>

#include "ui/Splitter.h"

namespace qv::demo {

// False for an empty path: a demo started without marker files never sees one.
inline bool FileExists(const std::string& path) {
    return !path.empty() && GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline void TouchFile(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
    }
}

// A demo frame's window procedure, less its own messages: `splitter` (null until the demo has
// one) fills the client area, and closing the frame ends the message loop.
inline LRESULT SplitterFrameProc(ui::MCSplitter* splitter, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SIZE:
            if (splitter != nullptr) {
                splitter->Resize(LOWORD(lParam), HIWORD(lParam));
            }
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace qv::demo
