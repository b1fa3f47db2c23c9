// Shared helpers of the window tests: pumping messages until a condition holds, a plain
// top-level window to put controls in, and a fixture with a created window module.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "app/MCMain.h"

namespace qv::test {

// Dispatches this thread's messages until `done()` is true or `timeoutMs` has passed; returns
// done(). Waits for messages rather than sleeping.
template <typename Condition>
bool PumpUntil(Condition done, DWORD timeoutMs = 5000) {
    const DWORD start = GetTickCount();
    while (!done()) {
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs) {
            return false;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, timeoutMs - elapsed, QS_ALLINPUT);
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    return true;
}

// Dispatches whatever is waiting now.
inline void PumpPending() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// A visible top-level window with a client area of `width` x `height`; destroyed with the object.
class TestWindow {
public:
    TestWindow(int width = 640, int height = 480) {
        WNDCLASSEXA windowClass = {};
        windowClass.cbSize = sizeof(windowClass);
        if (!GetClassInfoExA(GetModuleHandleA(nullptr), kClass, &windowClass)) {
            windowClass.lpfnWndProc = &DefWindowProcA;
            windowClass.hInstance = GetModuleHandleA(nullptr);
            windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
            windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
            windowClass.lpszClassName = kClass;
            RegisterClassExA(&windowClass);
        }
        // A pop-up without a caption: Wine hands it to no window manager, so showing and
        // destroying it never waits for one (there is none under Xvfb).
        m_window = CreateWindowExA(0, kClass, "Quarvex test", WS_POPUP | WS_CLIPCHILDREN, 20, 20, width, height,
                                   nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ShowWindow(m_window, SW_SHOWNOACTIVATE);
    }
    ~TestWindow() { DestroyWindow(m_window); }
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    HWND Handle() const { return m_window; }

private:
    static constexpr char kClass[] = "QuarvexTestWindow";
    HWND m_window = nullptr;
};

// A child window to use as a pane.
inline HWND MakePane(HWND parent) {
    return CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, parent, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

// The rectangle of a child in its parent's client coordinates.
inline RECT RectInParent(HWND child) {
    RECT rect = {};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

inline std::string TextOf(HWND window) {
    char buffer[1024] = {};
    GetWindowTextA(window, buffer, sizeof(buffer));
    return buffer;
}

// A test window with the window module created on it.
class UiTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_ui.Create(GetModuleHandleA(nullptr), m_window.Handle(), nullptr)); }
    void TearDown() override { m_ui.Destroy(); }

    TestWindow m_window;
    ui::MCMain m_ui;
};

}  // namespace qv::test
