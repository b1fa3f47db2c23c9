// The out-of-memory message and the trace of other exceptions stopped by a guard.
#include "ui/Guard.h"

#include <cstdio>

#include "ui/MessageBox.h"

namespace qv::ui {

namespace {

// Set while this thread shows the out-of-memory box: a guard inside the box's own procedure
// must not open another one.
thread_local bool t_showingOutOfMemory = false;

}  // namespace

void ShowOutOfMemory(HWND window) noexcept {
    if (t_showingOutOfMemory) {
        MessageBeep(MB_ICONHAND);
        return;
    }
    t_showingOutOfMemory = true;
    try {
        HWND owner = window != nullptr ? GetAncestor(window, GA_ROOT) : nullptr;
        ShowMessage(nullptr, owner, kOutOfMemoryMessage, nullptr, kMessageOk);
    } catch (...) {
        MessageBeep(MB_ICONHAND);
    }
    t_showingOutOfMemory = false;
}

void TraceUnexpected(const char* what) noexcept {
    char line[512];
    std::snprintf(line, sizeof line, "Quarvex: a command ended by %s\n", what != nullptr ? what : "?");
    OutputDebugStringA(line);
}

}  // namespace qv::ui
