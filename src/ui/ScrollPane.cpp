// The scrolling pane: which bars show, their ranges and positions, and scrolling the child.
#include "ui/ScrollPane.h"

#include <algorithm>

#include "ui/WindowAttach.h"

namespace qv::ui {

namespace {

constexpr char kScrollClass[] = "MCScrollClass";
constexpr int kWheelLines = 3;

ScrollAxis FitAxis(int childExtent, int paneExtent, int position) {
    ScrollAxis axis;
    axis.shown = childExtent > paneExtent;
    axis.range = childExtent;
    axis.page = std::max(0, paneExtent);
    axis.position = axis.shown ? std::clamp(position, 0, childExtent - axis.page) : 0;
    return axis;
}

}  // namespace

ScrollLayout LayoutScroll(int childWidth,
                          int childHeight,
                          int outerWidth,
                          int outerHeight,
                          int barWidth,
                          int barHeight,
                          POINT position) {
    // Each bar narrows the other direction; a bar never disappears because the other one showed,
    // so three rounds always settle.
    bool horizontal = false;
    bool vertical = false;
    for (int round = 0; round < 3; ++round) {
        horizontal = childWidth > outerWidth - (vertical ? barWidth : 0);
        vertical = childHeight > outerHeight - (horizontal ? barHeight : 0);
    }
    ScrollLayout layout;
    layout.horizontal = FitAxis(childWidth, outerWidth - (vertical ? barWidth : 0), position.x);
    layout.vertical = FitAxis(childHeight, outerHeight - (horizontal ? barHeight : 0), position.y);
    return layout;
}

MCScrollPane::~MCScrollPane() {
    Destroy();
}

bool MCScrollPane::Create(HWND parent, const RECT& rect, HWND child) {
    if (m_window != nullptr) {
        return false;
    }
    auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(parent, GWLP_HINSTANCE));
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    if (!GetClassInfoExA(instance, kScrollClass, &windowClass)) {
        windowClass.lpfnWndProc = &MCScrollPane::WindowProc;
        windowClass.hInstance = instance;
        windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        windowClass.lpszClassName = kScrollClass;
        if (RegisterClassExA(&windowClass) == 0) {
            return false;
        }
    }
    m_window = CreateWindowExA(0, kScrollClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, rect.left, rect.top,
                               rect.right - rect.left, rect.bottom - rect.top, parent, nullptr, instance, this);
    if (m_window == nullptr) {
        return false;
    }
    m_child = child;
    if (m_child != nullptr) {
        SetParent(m_child, m_window);
    }
    Update();
    return true;
}

void MCScrollPane::Destroy() {
    if (m_window != nullptr && IsWindow(m_window)) {
        DestroyWindow(m_window);
    }
    m_window = nullptr;
    m_child = nullptr;
}

void MCScrollPane::Resize(int width, int height) {
    if (m_window != nullptr) {
        SetWindowPos(m_window, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        Update();
    }
}

void MCScrollPane::Update() {
    if (m_window == nullptr || m_child == nullptr || m_inUpdate) {
        return;
    }
    // Showing or hiding a bar resizes the client area and sends WM_SIZE; this pass has already
    // taken both bars into account, so those nested calls are ignored.
    m_inUpdate = true;
    RECT client = {};
    GetClientRect(m_window, &client);
    const LONG style = GetWindowLongA(m_window, GWL_STYLE);
    const int barWidth = GetSystemMetrics(SM_CXVSCROLL);
    const int barHeight = GetSystemMetrics(SM_CYHSCROLL);
    const int outerWidth = client.right + ((style & WS_VSCROLL) != 0 ? barWidth : 0);
    const int outerHeight = client.bottom + ((style & WS_HSCROLL) != 0 ? barHeight : 0);
    RECT childRect = {};
    GetWindowRect(m_child, &childRect);
    const ScrollLayout layout = LayoutScroll(childRect.right - childRect.left, childRect.bottom - childRect.top,
                                             outerWidth, outerHeight, barWidth, barHeight, m_position);
    ApplyAxis(SB_HORZ, layout.horizontal);
    ApplyAxis(SB_VERT, layout.vertical);
    m_position = {layout.horizontal.position, layout.vertical.position};
    PlaceChild();
    m_inUpdate = false;
}

void MCScrollPane::ApplyAxis(int bar, const ScrollAxis& axis) {
    SCROLLINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    if (axis.shown) {
        info.nMax = axis.range - 1;
        info.nPage = static_cast<UINT>(axis.page);
        info.nPos = axis.position;
    }
    SetScrollInfo(m_window, bar, &info, TRUE);
    ShowScrollBar(m_window, bar, axis.shown ? TRUE : FALSE);
}

void MCScrollPane::PlaceChild() {
    SetWindowPos(m_child, nullptr, -m_position.x, -m_position.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int MCScrollPane::NextPosition(int bar, WPARAM request) const {
    SCROLLINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = SIF_ALL;
    GetScrollInfo(m_window, bar, &info);
    const int page = static_cast<int>(info.nPage);
    switch (LOWORD(request)) {
        case SB_LINEUP:
            return info.nPos - kLineStep;
        case SB_LINEDOWN:
            return info.nPos + kLineStep;
        case SB_PAGEUP:
            return info.nPos - page;
        case SB_PAGEDOWN:
            return info.nPos + page;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION:
            return info.nTrackPos;
        case SB_TOP:
            return 0;
        case SB_BOTTOM:
            return info.nMax;
        default:
            return info.nPos;
    }
}

void MCScrollPane::ScrollTo(int bar, int request) {
    if (m_child == nullptr) {
        return;
    }
    SCROLLINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE | SIF_PAGE;
    GetScrollInfo(m_window, bar, &info);
    const int limit = std::max(0, info.nMax + 1 - static_cast<int>(info.nPage));
    const int position = std::clamp(request, 0, limit);
    info.fMask = SIF_POS;
    info.nPos = position;
    SetScrollInfo(m_window, bar, &info, TRUE);
    (bar == SB_HORZ ? m_position.x : m_position.y) = position;
    PlaceChild();
}

LRESULT CALLBACK MCScrollPane::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return ForwardToObject(window, message, wParam, lParam, &MCScrollPane::m_window, &MCScrollPane::OnMessage);
}

LRESULT MCScrollPane::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SIZE:
            Update();
            return 0;
        case WM_HSCROLL:
            ScrollTo(SB_HORZ, NextPosition(SB_HORZ, wParam));
            return 0;
        case WM_VSCROLL:
            ScrollTo(SB_VERT, NextPosition(SB_VERT, wParam));
            return 0;
        case WM_MOUSEWHEEL:
            if ((GetWindowLongA(m_window, GWL_STYLE) & WS_VSCROLL) != 0) {
                const int notches = GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA;
                ScrollTo(SB_VERT, m_position.y - notches * kWheelLines * kLineStep);
            }
            return 0;
        case WM_COMMAND:
        case WM_NOTIFY:
            return SendMessageA(GetParent(m_window), message, wParam, lParam);
        case WM_NCDESTROY:
            m_window = nullptr;
            m_child = nullptr;
            return 0;
        default:
            return DefWindowProcA(m_window, message, wParam, lParam);
    }
}

}  // namespace qv::ui
