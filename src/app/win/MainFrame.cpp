// The main frame window, its view and status bar, and the About box.
#include "app/win/MainFrame.h"

#include <commctrl.h>
#include <shellapi.h>

#include <cstring>

#include "resource.h"
#include "app/CommandIds.h"
#include "ui/DialogBase.h"
#include "ui/WindowAttach.h"

namespace qv {
namespace {

constexpr const char* kFrameClass = "QuarvexMainFrame";
constexpr const char* kViewClass = "QuarvexView";
constexpr int kLockPanes = 3;
constexpr int kLockKeys[kLockPanes] = {VK_CAPITAL, VK_NUMLOCK, VK_SCROLL};
constexpr int kLockTextIds[kLockPanes] = {ID_INDICATOR_CAPS, ID_INDICATOR_NUM, ID_INDICATOR_SCRL};

static_assert(cmd::kCreateReport == ID_REPORT_CREATE && cmd::kOpenReport == ID_REPORT_OPEN &&
                  cmd::kSaveReport == ID_REPORT_SAVE && cmd::kUpdateReport == ID_REPORT_UPDATE &&
                  cmd::kCloseReport == ID_REPORT_CLOSE && cmd::kQuickLoadPlain == ID_REPORT_QUICK_LOAD &&
                  cmd::kQuickLoadFirst == ID_QUICK_LOAD_FIRST && cmd::kLoadFiltersFirst == ID_LOAD_FILTERS_FIRST &&
                  cmd::kExit == ID_APP_EXIT && cmd::kAbout == ID_APP_ABOUT &&
                  cmd::kViewStatusBar == ID_VIEW_STATUS_BAR && cmd::kHelp == ID_HELP_HELP &&
                  cmd::kToolAttributes == ID_TOOLS_ATTRIBUTES,
              "the portable command ids must match the resource ids");

std::string LoadText(HINSTANCE instance, int id) {
    char buffer[512];
    const int length = LoadStringA(instance, id, buffer, sizeof(buffer));
    return length > 0 ? std::string(buffer, length) : std::string();
}

// The part of a prompt before "\n" (the rest is a tool tip text that the frame does not use).
std::string PromptOf(const std::string& text) {
    return text.substr(0, text.find('\n'));
}

bool IsEditControl(HWND window) {
    char className[16] = {};
    return window != nullptr && GetClassNameA(window, className, sizeof(className)) > 0 &&
           lstrcmpiA(className, "Edit") == 0;
}

int TextWidth(HWND window, const std::string& text) {
    HDC dc = GetDC(window);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0)));
    SIZE size = {};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    return size.cx;
}

}  // namespace

CMainFrame::~CMainFrame() {
    if (m_frame != nullptr && IsWindow(m_frame)) {
        DestroyWindow(m_frame);
    }
    if (m_accelerators != nullptr) {
        DestroyAcceleratorTable(m_accelerators);
    }
}

bool CMainFrame::RegisterClasses() {
    WNDCLASSEXA frameClass = {};
    frameClass.cbSize = sizeof(frameClass);
    if (!GetClassInfoExA(m_instance, kFrameClass, &frameClass)) {
        frameClass.lpfnWndProc = &CMainFrame::FrameProc;
        frameClass.hInstance = m_instance;
        frameClass.hIcon = LoadIconA(m_instance, MAKEINTRESOURCEA(IDI_PROGRAM));
        frameClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
        frameClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        frameClass.lpszClassName = kFrameClass;
        if (RegisterClassExA(&frameClass) == 0) {
            return false;
        }
    }
    WNDCLASSEXA viewClass = {};
    viewClass.cbSize = sizeof(viewClass);
    if (!GetClassInfoExA(m_instance, kViewClass, &viewClass)) {
        viewClass.style = CS_DBLCLKS;
        viewClass.lpfnWndProc = &CMainFrame::ViewProc;
        viewClass.hInstance = m_instance;
        viewClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
        viewClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        viewClass.lpszClassName = kViewClass;
        if (RegisterClassExA(&viewClass) == 0) {
            return false;
        }
    }
    return true;
}

bool CMainFrame::Create(HINSTANCE instance, const char* title) {
    m_instance = instance;
    if (m_frame != nullptr || !RegisterClasses()) {
        return false;
    }
    HMENU menu = LoadMenuA(instance, MAKEINTRESOURCEA(IDR_MAINFRAME));
    m_accelerators = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDR_MAINFRAME));
    RECT desktop = {};
    GetWindowRect(GetDesktopWindow(), &desktop);
    const int x = desktop.left + (desktop.right - desktop.left - kDefaultWidth) / 2;
    const int y = desktop.top + (desktop.bottom - desktop.top - kDefaultHeight) / 2;
    m_frame = CreateWindowExA(0, kFrameClass, title, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, x, y, kDefaultWidth,
                              kDefaultHeight, nullptr, menu, instance, this);
    if (m_frame == nullptr) {
        if (menu != nullptr) {
            DestroyMenu(menu);
        }
        return false;
    }
    if (!CreateChildren()) {
        DestroyWindow(m_frame);
        return false;
    }
    DragAcceptFiles(m_frame, TRUE);
    return true;
}

bool CMainFrame::CreateChildren() {
    m_view =
        CreateWindowExA(WS_EX_CLIENTEDGE, kViewClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0,
                        0, 0, 0, m_frame, nullptr, m_instance, this);
    m_statusBar = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0, m_frame,
                                  nullptr, m_instance, nullptr);
    if (m_view == nullptr || m_statusBar == nullptr) {
        return false;
    }
    SetMessageText(nullptr);
    Layout();
    UpdateLockIndicators();
    return true;
}

void CMainFrame::SetIndicatorWidths(int frameWidth) {
    int widths[kLockPanes];
    int total = 0;
    for (int i = 0; i < kLockPanes; ++i) {
        widths[i] = TextWidth(m_statusBar, LoadText(m_instance, kLockTextIds[i])) + 12;
        total += widths[i];
    }
    int rights[kLockPanes + 1];
    rights[0] = frameWidth - total;
    for (int i = 0; i < kLockPanes; ++i) {
        rights[i + 1] = rights[i] + widths[i];
    }
    rights[kLockPanes] = -1;  // the last pane reaches the size grip
    SendMessageA(m_statusBar, SB_SETPARTS, kLockPanes + 1, reinterpret_cast<LPARAM>(rights));
}

void CMainFrame::Layout() {
    if (m_frame == nullptr || m_view == nullptr) {
        return;
    }
    RECT client = {};
    GetClientRect(m_frame, &client);
    int statusHeight = 0;
    if (StatusBarVisible()) {
        SendMessageA(m_statusBar, WM_SIZE, 0, 0);
        SetIndicatorWidths(client.right);
        RECT bar = {};
        GetWindowRect(m_statusBar, &bar);
        statusHeight = bar.bottom - bar.top;
    }
    MoveWindow(m_view, 0, 0, client.right, client.bottom - statusHeight, TRUE);
}

bool CMainFrame::PreTranslate(MSG* message) {
    if (m_frame == nullptr) {
        return false;
    }
    if (m_accelerators != nullptr && TranslateAcceleratorA(m_frame, m_accelerators, message) != 0) {
        return true;
    }
    if (message->message == WM_KEYUP || message->message == WM_SYSKEYUP) {
        UpdateLockIndicators();
    }
    return false;
}

void CMainFrame::UpdateLockIndicators() {
    if (m_statusBar == nullptr) {
        return;
    }
    for (int i = 0; i < kLockPanes; ++i) {
        const bool on = (GetKeyState(kLockKeys[i]) & 1) != 0;
        std::string text = on ? LoadText(m_instance, kLockTextIds[i]) : std::string();
        if (text != m_lockTexts[i]) {
            m_lockTexts[i] = text;
            SendMessageA(m_statusBar, SB_SETTEXTA, i + 1, reinterpret_cast<LPARAM>(text.c_str()));
        }
    }
}

std::string CMainFrame::PaneText(int pane) const {
    if (m_statusBar == nullptr) {
        return {};
    }
    const int length = LOWORD(SendMessageA(m_statusBar, SB_GETTEXTLENGTHA, pane, 0));
    std::string text(length + 1, '\0');
    SendMessageA(m_statusBar, SB_GETTEXTA, pane, reinterpret_cast<LPARAM>(text.data()));
    text.resize(std::strlen(text.c_str()));
    return text;
}

bool CMainFrame::StatusBarVisible() const {
    return m_statusBar != nullptr && (GetWindowLongA(m_statusBar, GWL_STYLE) & WS_VISIBLE) != 0;
}

void CMainFrame::ShowStatusBar(bool show) {
    if (m_statusBar != nullptr) {
        ShowWindow(m_statusBar, show ? SW_SHOW : SW_HIDE);
        Layout();
    }
}

void CMainFrame::SetMessageText(const char* text) {
    if (m_statusBar != nullptr) {
        const std::string idle = text == nullptr ? LoadText(m_instance, IDS_IDLE_MESSAGE) : std::string();
        SendMessageA(m_statusBar, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(text != nullptr ? text : idle.c_str()));
    }
}

void CMainFrame::StopAcceptingDrops() {
    if (m_frame != nullptr) {
        DragAcceptFiles(m_frame, FALSE);
    }
}

void CMainFrame::OnMenuSelect(WPARAM wParam, LPARAM lParam) {
    const UINT flags = HIWORD(wParam);
    if (flags == 0xFFFF && lParam == 0) {  // the menu closed
        SetMessageText(nullptr);
        return;
    }
    if ((flags & (MF_POPUP | MF_SEPARATOR)) != 0) {
        SetMessageText("");
        return;
    }
    SetMessageText(PromptOf(LoadText(m_instance, LOWORD(wParam))).c_str());
}

void CMainFrame::ForwardEditCommand(int id) {
    HWND focus = GetFocus();
    if (!IsEditControl(focus)) {
        return;
    }
    const UINT message = id == ID_EDIT_COPY    ? WM_COPY
                         : id == ID_EDIT_CUT   ? WM_CUT
                         : id == ID_EDIT_PASTE ? WM_PASTE
                                               : WM_UNDO;
    SendMessageA(focus, message, 0, 0);
}

void CMainFrame::OnCommand(int id) {
    if (cmd::IsShellCommand(id)) {
        if (m_client != nullptr) {
            m_client->OnFrameCommand(id);
        }
        return;
    }
    switch (id) {
        case ID_APP_EXIT:
            PostMessageA(m_frame, WM_CLOSE, 0, 0);
            break;
        case ID_APP_ABOUT:
            ShowAboutBox(m_instance, m_frame);
            break;
        case ID_VIEW_STATUS_BAR:
            ShowStatusBar(!StatusBarVisible());
            break;
        case ID_EDIT_COPY:
        case ID_EDIT_CUT:
        case ID_EDIT_PASTE:
        case ID_EDIT_UNDO:
            ForwardEditCommand(id);
            break;
        default:  // pane switching and anything unknown
            break;
    }
}

void CMainFrame::OnDropFiles(HDROP drop) {
    const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    std::vector<std::string> paths;
    paths.reserve(count);
    for (UINT i = 0; i < count; ++i) {
        const UINT length = DragQueryFileA(drop, i, nullptr, 0);
        std::string path(length + 1, '\0');
        DragQueryFileA(drop, i, path.data(), length + 1);
        path.resize(length);
        paths.push_back(std::move(path));
    }
    if (m_client != nullptr) {
        m_client->OnFrameDrop(paths);
    }
    DragFinish(drop);
}

LRESULT CMainFrame::OnFrameMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SIZE:
            Layout();
            return 0;
        case WM_COMMAND:
            OnCommand(LOWORD(wParam));
            return 0;
        case WM_INITMENUPOPUP:
            if (HIWORD(lParam) == 0 && m_client != nullptr) {
                m_client->UpdateMenuStates(reinterpret_cast<HMENU>(wParam));
            }
            CheckMenuItem(reinterpret_cast<HMENU>(wParam), ID_VIEW_STATUS_BAR,
                          MF_BYCOMMAND | (StatusBarVisible() ? MF_CHECKED : MF_UNCHECKED));
            return 0;
        case WM_MENUSELECT:
            OnMenuSelect(wParam, lParam);
            return 0;
        case WM_DROPFILES:
            OnDropFiles(reinterpret_cast<HDROP>(wParam));
            return 0;
        case WM_ACTIVATE:
            UpdateLockIndicators();
            break;
        case WM_DESTROY:
            if (m_client != nullptr) {
                m_client->OnFrameDestroy();
            }
            PostQuitMessage(0);
            return 0;
        case WM_NCDESTROY:
            m_frame = m_view = m_statusBar = nullptr;
            break;
        default:
            break;
    }
    return DefWindowProcA(m_frame, message, wParam, lParam);
}

LRESULT CMainFrame::OnViewMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SIZE:
            if (m_client != nullptr) {
                m_client->OnViewSize(LOWORD(lParam), HIWORD(lParam));
            }
            return 0;
        case WM_COMMAND:
            // Commands of the panes (tools panel, toolbar) take the frame's route.
            if (cmd::IsShellCommand(LOWORD(wParam))) {
                OnCommand(LOWORD(wParam));
                return 0;
            }
            break;
        default:
            break;
    }
    return DefWindowProcA(m_view, message, wParam, lParam);
}

LRESULT CALLBACK CMainFrame::FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return ui::Guarded(
        window,
        [&] {
            auto* frame = ui::AttachedObject<CMainFrame>(window, message, lParam);
            if (message == WM_NCCREATE) {
                frame->m_frame = window;
            }
            return frame != nullptr ? frame->OnFrameMessage(message, wParam, lParam)
                                    : DefWindowProcA(window, message, wParam, lParam);
        },
        LRESULT{0});
}

LRESULT CALLBACK CMainFrame::ViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return ui::Guarded(
        window,
        [&] {
            auto* frame = ui::AttachedObject<CMainFrame>(window, message, lParam);
            if (message == WM_NCCREATE) {
                frame->m_view = window;
            }
            return frame != nullptr && frame->m_view == window ? frame->OnViewMessage(message, wParam, lParam)
                                                               : DefWindowProcA(window, message, wParam, lParam);
        },
        LRESULT{0});
}

namespace {

void DrawAboutBackground(const DRAWITEMSTRUCT* item, HBITMAP bitmap) {
    const RECT& area = item->rcItem;
    BITMAP info = {};
    if (bitmap == nullptr || GetObjectA(bitmap, sizeof(info), &info) == 0) {
        HBRUSH brush = CreateSolidBrush(RGB(0, 0, 128));
        FillRect(item->hDC, &area, brush);
        DeleteObject(brush);
        return;
    }
    HDC memory = CreateCompatibleDC(item->hDC);
    HGDIOBJ old = SelectObject(memory, bitmap);
    SetStretchBltMode(item->hDC, COLORONCOLOR);
    StretchBlt(item->hDC, area.left, area.top, area.right - area.left, area.bottom - area.top, memory, 0, 0,
               info.bmWidth, info.bmHeight, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
}

// Dialog 100 with its background bitmap, which it owns; OK and Cancel close it.
class AboutBox : public ui::DialogBase {
  public:
    explicit AboutBox(HINSTANCE instance)
        : m_instance(instance),
          m_background(static_cast<HBITMAP>(LoadImageA(instance, MAKEINTRESOURCEA(IDB_ABOUT), IMAGE_BITMAP, 0, 0, 0))) {}
    ~AboutBox() override {
        if (m_background != nullptr) {
            DeleteObject(m_background);
        }
    }

    void Run(HWND owner) { RunModal(m_instance, IDD_ABOUT, owner, ui::ModalKind::About); }

  private:
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_DRAWITEM && wParam == IDC_ABOUT_BACKGROUND) {
            DrawAboutBackground(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam), m_background);
            return TRUE;
        }
        return FALSE;
    }

    HINSTANCE m_instance;
    HBITMAP m_background;
};

}  // namespace

void ShowAboutBox(HINSTANCE instance, HWND owner) {
    AboutBox(instance).Run(owner);
}

}  // namespace qv
