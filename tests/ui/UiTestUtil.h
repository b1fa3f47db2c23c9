// Shared helpers of the window tests: pumping messages until a condition holds, a plain
// top-level window to put controls in, a fixture with a created window module, the user's
// actions on dialog controls, and readers of what windows show (texts, tips, tree items, menu
// entries, owner-drawn pixels, what the modal seam logged).
#pragma once

#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "ui/MCMain.h"
#include "ui/ModalSeam.h"

namespace qv::test {

// Dispatches whatever is waiting now.
inline void PumpPending() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

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
        PumpPending();
    }
    return true;
}

// A visible top-level window with a client area of `width` x `height`; destroyed with the object.
class TestWindow {
  public:
    TestWindow(int width = 640, int height = 480) {
        const WNDCLASSA windowClass = {0, &DefWindowProcA, 0, 0, GetModuleHandleA(nullptr), nullptr, LoadCursor(nullptr, IDC_ARROW),
                                       reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), nullptr, kClass};
        RegisterClassA(&windowClass);  // fails harmlessly when an earlier window registered it
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

// The text of a window, as another program would read it.
inline std::string TextOf(HWND window) {
    char buffer[1024] = {};
    GetWindowTextA(window, buffer, sizeof(buffer));
    return buffer;
}

// The tip a tool tip window holds for `control`, registered by `owner`.
inline std::string TipOf(HWND toolTip, HWND owner, HWND control) {
    char buffer[256] = {};
    TOOLINFOA tool = {};
    tool.cbSize = sizeof(tool);
    tool.hwnd = owner;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = buffer;
    SendMessageA(toolTip, TTM_GETTEXTA, sizeof(buffer), reinterpret_cast<LPARAM>(&tool));
    return buffer;
}

// Clicks button `id` as the user would: a disabled one ignores it.
inline void ClickButton(HWND dialog, int id) {
    SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

inline bool Enabled(HWND dialog, int id) {
    return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE;
}

inline bool Visible(HWND dialog, int id) {
    return (GetWindowLongPtrA(GetDlgItem(dialog, id), GWL_STYLE) & WS_VISIBLE) != 0;
}

// Sends `dialog` the command a click of its control `id` sends.
inline void PressButton(HWND dialog, int id) {
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// Chooses an entry of combo box `id` as the user does: the list changes, then tells its dialog.
inline void ChooseEntry(HWND dialog, int id, int index) {
    SendDlgItemMessageA(dialog, id, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}
inline void ChooseEntry(HWND dialog, int id, const char* text) {
    const auto index =
        SendDlgItemMessageA(dialog, id, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text));
    ASSERT_GE(index, 0) << text;
    ChooseEntry(dialog, id, static_cast<int>(index));
}

// The text of the selected entry of combo box `id`.
inline std::string ChosenEntry(HWND dialog, int id) {
    char text[256] = {};
    SendDlgItemMessageA(dialog, id, CB_GETLBTEXT, SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0),
                        reinterpret_cast<LPARAM>(text));
    return text;
}

// The children of a tree item (of the top level for null), in the tree's order.
inline std::vector<HTREEITEM> ChildItems(HWND tree, HTREEITEM item) {
    std::vector<HTREEITEM> children;
    for (HTREEITEM child = item != nullptr ? TreeView_GetChild(tree, item) : TreeView_GetRoot(tree);
         child != nullptr; child = TreeView_GetNextSibling(tree, child)) {
        children.push_back(child);
    }
    return children;
}

// What the modal seam logged of one kind of window, in order.
inline std::vector<ui::ModalShown> ShownOf(ui::ModalKind kind) {
    std::vector<ui::ModalShown> shown = ui::ModalSeam::Get().Shown();
    std::erase_if(shown, [kind](const ui::ModalShown& window) { return window.kind != kind; });
    return shown;
}

// The lines of a text whose every line ends with a line break (a logged menu's items).
inline std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    for (std::size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}

// The texts of a menu's items by position; separators give "".
inline std::vector<std::string> MenuTexts(HMENU menu) {
    std::vector<std::string> texts;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        char text[128] = {};
        GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof(text), MF_BYPOSITION);
        texts.emplace_back(text);
    }
    return texts;
}

// A drop handle as the shell builds it: DROPFILES, then the ANSI paths, double-zero ended.
// WM_DROPFILES releases it.
inline HDROP MakeDrop(const std::vector<std::string>& paths) {
    std::string list;
    for (const std::string& path : paths) {
        list.append(path).append(1, '\0');
    }
    list.append(1, '\0');
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + list.size());
    auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    std::memcpy(reinterpret_cast<char*>(header) + sizeof(DROPFILES), list.data(), list.size());
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

// A cell of a list view.
inline std::string ListCell(HWND list, int row, int column) {
    char text[512] = {};
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return text;
}

// Selects one row of a list view alone, as a click does.
inline void SelectListRow(HWND list, int row) {
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
    ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

// Tells `dialog` that the header of `column` of its list `listId` was clicked.
inline void ClickListHeader(HWND dialog, int listId, int column) {
    NMLISTVIEW click = {};
    click.hdr.hwndFrom = GetDlgItem(dialog, listId);
    click.hdr.idFrom = static_cast<UINT_PTR>(listId);
    click.hdr.code = LVN_COLUMNCLICK;
    click.iItem = -1;
    click.iSubItem = column;
    SendMessageA(dialog, WM_NOTIFY, static_cast<WPARAM>(listId), reinterpret_cast<LPARAM>(&click));
}

// Where Wine's recycle bin keeps a trashed file: the desktop's trash folder in the Unix home,
// which Wine names in WINEHOMEDIR in the NT form ("\??\Z:\home\user"); empty outside Wine.
inline std::string WineTrashFile(const std::string& name) {
    char home[MAX_PATH] = {};
    if (GetEnvironmentVariableA("WINEHOMEDIR", home, sizeof home) == 0) {
        return {};
    }
    std::string path = home;
    if (path.rfind(R"(\??\)", 0) == 0) {
        path.erase(0, 4);
    }
    return path + "\\.local\\share\\Trash\\files\\" + name;
}

// Takes a file out of Wine's recycle bin again, with its description; false when either is missing.
inline bool RemoveFromWineTrash(const std::string& name) {
    std::string file = WineTrashFile(name);
    const bool removed = DeleteFileA(file.c_str()) != FALSE;
    file.replace(file.find("\\files\\"), 7, "\\info\\");
    return DeleteFileA((file + ".trashinfo").c_str()) != FALSE && removed;
}

// The texts of a window and of its children, each followed by '|'.
inline std::string WindowTexts(HWND window) {
    struct Collect {
        static BOOL CALLBACK Add(HWND child, LPARAM texts) {
            char text[512] = {};
            GetWindowTextA(child, text, sizeof text);
            *reinterpret_cast<std::string*>(texts) += std::string(text) + "|";
            return TRUE;
        }
    };
    std::string texts;
    Collect::Add(window, reinterpret_cast<LPARAM>(&texts));
    EnumChildWindows(window, &Collect::Add, reinterpret_cast<LPARAM>(&texts));
    return texts;
}

// Watches, from a second thread, the visible dialogs of this process (of one thread when
// `thread` is given) other than `ignore`, for windows the system shows in a modal loop of its
// own: `act` gets each of them until it returns true (it answered one). When `timeoutMs` pass first,
// the last dialog seen is cancelled, so that a test cannot hang in it.
class DialogWatcher {
  public:
    explicit DialogWatcher(std::function<bool(HWND)> act, HWND ignore = nullptr, DWORD thread = 0,
                           DWORD timeoutMs = 30000)
        : m_act(std::move(act)), m_ignore(ignore), m_threadId(thread), m_timeout(timeoutMs),
          m_thread([this] { Watch(); }) {}
    ~DialogWatcher() { Stop(); }
    DialogWatcher(const DialogWatcher&) = delete;
    DialogWatcher& operator=(const DialogWatcher&) = delete;

    // Stops watching; whether a dialog was answered.
    bool Stop() {
        m_stop = true;
        if (m_thread.joinable()) {
            m_thread.join();
        }
        return m_done;
    }

  private:
    struct Search {
        DialogWatcher* self;
        std::vector<HWND> found;
    };
    static BOOL CALLBACK Visit(HWND window, LPARAM param) {
        auto* search = reinterpret_cast<Search*>(param);
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        char className[32] = {};
        GetClassNameA(window, className, sizeof className);
        if (window != search->self->m_ignore && process == GetCurrentProcessId() && IsWindowVisible(window) &&
            std::strcmp(className, "#32770") == 0) {
            search->found.push_back(window);
        }
        return TRUE;
    }
    void Watch() {
        const ULONGLONG deadline = GetTickCount64() + m_timeout;
        HWND seen = nullptr;
        while (!m_stop && GetTickCount64() < deadline) {
            Search search{this, {}};
            if (m_threadId != 0) {
                EnumThreadWindows(m_threadId, &Visit, reinterpret_cast<LPARAM>(&search));
            } else {
                EnumWindows(&Visit, reinterpret_cast<LPARAM>(&search));
            }
            for (HWND dialog : search.found) {
                seen = dialog;
                if (m_act(dialog)) {
                    m_done = true;
                    return;
                }
            }
            Sleep(20);  // polling a window the system owns, bounded by the deadline
        }
        if (!m_stop && seen != nullptr) {
            PostMessageA(seen, WM_COMMAND, IDCANCEL, 0);
        }
    }
    std::function<bool(HWND)> m_act;
    HWND m_ignore;
    DWORD m_threadId;
    DWORD m_timeout;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_done{false};
    std::thread m_thread;
};

// An owner-drawn control of `dialog` drawn by the dialog's WM_DRAWITEM into a 32-bit DIB, so
// colours stay exact whatever the screen's depth.
class DrawnControl {
  public:
    DrawnControl(HWND dialog, int id, UINT state = 0) {
        HWND control = GetDlgItem(dialog, id);
        GetClientRect(control, &m_rect);
        BITMAPINFO info = {};
        info.bmiHeader = {sizeof(info.bmiHeader), m_rect.right, m_rect.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        m_dc = CreateCompatibleDC(nullptr);
        m_bitmap = CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        m_old = SelectObject(m_dc, m_bitmap);
        DRAWITEMSTRUCT item = {ODT_BUTTON, static_cast<UINT>(id), 0, ODA_DRAWENTIRE, state, control, m_dc, m_rect, 0};
        handled = SendMessageA(dialog, WM_DRAWITEM, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(&item)) != 0;
    }
    ~DrawnControl() {
        SelectObject(m_dc, m_old);
        DeleteObject(m_bitmap);
        DeleteDC(m_dc);
    }
    DrawnControl(const DrawnControl&) = delete;
    DrawnControl& operator=(const DrawnControl&) = delete;

    COLORREF Pixel(int x, int y) const { return GetPixel(m_dc, x, y); }
    int Count(COLORREF colour) const {
        int count = 0;
        for (int y = 0; y < m_rect.bottom; ++y) {
            for (int x = 0; x < m_rect.right; ++x) {
                count += Pixel(x, y) == colour ? 1 : 0;
            }
        }
        return count;
    }

    bool handled = false;  // whether the dialog answered WM_DRAWITEM

  private:
    RECT m_rect = {};
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_old = nullptr;
};

// A test window with the window module created on it.
class UiTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(m_ui.Create(GetModuleHandleA(nullptr), m_window.Handle(), nullptr)); }
    void TearDown() override { m_ui.Destroy(); }

    TestWindow m_window;
    ui::MCMain m_ui;
};

// The same with the modal seam begun: message boxes and dialogs are logged and answered.
class SeamTest : public UiTest {
  protected:
    void SetUp() override {
        UiTest::SetUp();
        ui::ModalSeam::Get().Begin();
    }
    void TearDown() override {
        ui::ModalSeam::Get().End();
        UiTest::TearDown();
    }
};

}  // namespace qv::test
