// The two-pane splitter: layout arithmetic, the container and bar windows, and the bar drag.
#include "ui/Splitter.h"

#include <windowsx.h>

#include <algorithm>

#include "ui/WindowAttach.h"

namespace qv::ui {

namespace {

constexpr char kContainerClass[] = "MCSplitWinClass";
constexpr char kBarClass[] = "MCSplitterClass";
constexpr COLORREF kDragColour = RGB(128, 128, 128);
// (length - bar) * ratio for a ratio made from a pixel size can land a hair below that size;
// the nudge keeps such a ratio giving the size back without moving any other result.
constexpr double kRoundingNudge = 1e-9;

bool RegisterOnce(HINSTANCE instance, const char* name, WNDPROC procedure, HCURSOR cursor) {
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    if (GetClassInfoExA(instance, name, &windowClass)) {
        return true;
    }
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = cursor;
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = name;
    return RegisterClassExA(&windowClass) != 0;
}

int ApplyToggle(int request, bool shown) {
    return request == 2 ? !shown : request != 0;
}

}  // namespace

SplitPlacement LayoutSplit(int length, SplitSettings* settings) {
    SplitPlacement placement;
    if (!settings->firstShown && !settings->secondShown) {
        return placement;
    }
    if (!settings->firstShown || !settings->secondShown) {
        placement.kind = settings->firstShown ? SplitPlacement::Kind::FirstOnly : SplitPlacement::Kind::SecondOnly;
        placement.firstLength = settings->firstShown ? length : 0;
        placement.secondLength = settings->secondShown ? length : 0;
        return placement;
    }
    if (length <= kSplitBarThickness) {
        return placement;
    }
    const int available = length - kSplitBarThickness;
    if (settings->fixedPane != SplitPane::None && settings->fixedSize > 0) {
        const double share = static_cast<double>(settings->fixedSize) / available;
        settings->ratio = settings->fixedPane == SplitPane::First ? share : 1.0 - share;
    }
    int first = available;
    if (settings->ratio < 1.0) {
        first = static_cast<int>(available * settings->ratio + kRoundingNudge);
    }
    first = std::clamp(first, 0, available);
    placement.kind = SplitPlacement::Kind::Both;
    placement.firstLength = first;
    placement.barStart = first;
    placement.secondStart = first + kSplitBarThickness;
    placement.secondLength = length - placement.secondStart;
    return placement;
}

double DragRatio(int cursor, int origin, int length) {
    if (length <= 0) {
        return 0.0;
    }
    return std::clamp(static_cast<double>(cursor - origin) / length, 0.0, 1.0);
}

MCSplitter::~MCSplitter() {
    Destroy();
}

bool MCSplitter::Create(HWND parent,
                        const RECT* rect,
                        DWORD style,
                        HWND first,
                        HWND second,
                        SplitOrientation orientation,
                        double ratio) {
    if (m_container != nullptr) {
        return false;
    }
    auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(parent, GWLP_HINSTANCE));
    const bool sideBySide = orientation == SplitOrientation::SideBySide;
    if (!RegisterOnce(instance, kContainerClass, &MCSplitter::ContainerProc, LoadCursor(nullptr, IDC_ARROW)) ||
        !RegisterOnce(instance, kBarClass, &MCSplitter::BarProc, nullptr)) {
        return false;
    }
    m_orientation = orientation;
    m_first = first;
    m_second = second;
    if (ratio >= 0.0 && ratio <= 1.0) {
        m_settings.ratio = ratio;
    }
    RECT area = {};
    if (rect != nullptr) {
        area = *rect;
    } else {
        GetClientRect(parent, &area);
    }
    m_container =
        CreateWindowExA(0, kContainerClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | style, area.left, area.top,
                        area.right - area.left, area.bottom - area.top, parent, nullptr, instance, this);
    if (m_container == nullptr) {
        return false;
    }
    m_bar = CreateWindowExA(0, kBarClass, "", WS_CHILD | WS_VISIBLE, 0, 0, sideBySide ? kSplitBarThickness : 1,
                            sideBySide ? 1 : kSplitBarThickness, m_container, nullptr, instance, this);
    for (HWND pane : {m_first, m_second}) {
        if (pane != nullptr) {
            SetParent(pane, m_container);
        }
    }
    m_settings.firstShown = m_first != nullptr;
    m_settings.secondShown = m_second != nullptr;
    Layout();
    return m_bar != nullptr;
}

void MCSplitter::Destroy() {
    if (m_container != nullptr && IsWindow(m_container)) {
        DestroyWindow(m_container);
    }
    m_container = nullptr;
    m_bar = nullptr;
}

void MCSplitter::Resize(int width, int height) {
    if (m_container == nullptr) {
        return;
    }
    RECT rect = {};
    GetClientRect(m_container, &rect);
    SetWindowPos(m_container, nullptr, 0, 0, width < 0 ? rect.right : width, height < 0 ? rect.bottom : height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Layout();  // also when the size did not change, so a changed pane shows
}

void MCSplitter::SetPaneSize(SplitPane pane, int pixels) {
    const int available = ContainerLength() - kSplitBarThickness;
    if (pane == SplitPane::None || available <= 0) {
        return;
    }
    const double share = std::clamp(static_cast<double>(pixels) / available, 0.0, 1.0);
    m_settings.ratio = pane == SplitPane::First ? share : 1.0 - share;
    if (m_settings.fixedPane == pane) {
        m_settings.fixedSize = pixels;
    }
    Layout();
}

void MCSplitter::SetFixed(SplitPane pane, bool on) {
    if (pane == SplitPane::None) {
        return;
    }
    if (on) {
        m_settings.fixedPane = pane;
        m_settings.fixedSize = PaneLength(pane);
    } else if (m_settings.fixedPane == pane) {
        m_settings.fixedPane = SplitPane::None;
        m_settings.fixedSize = 0;
    }
}

void MCSplitter::ShowPanes(int first, int second) {
    m_settings.firstShown = m_first != nullptr && ApplyToggle(first, m_settings.firstShown);
    m_settings.secondShown = m_second != nullptr && ApplyToggle(second, m_settings.secondShown);
    Layout();
}

void MCSplitter::Show(bool show) {
    if (m_container != nullptr) {
        ShowWindow(m_container, show ? SW_SHOW : SW_HIDE);
    }
}

int MCSplitter::ContainerLength() const {
    RECT rect = {};
    if (m_container == nullptr || !GetClientRect(m_container, &rect)) {
        return 0;
    }
    return m_orientation == SplitOrientation::SideBySide ? rect.right : rect.bottom;
}

int MCSplitter::PaneLength(SplitPane pane) const {
    if (pane == SplitPane::First) {
        return m_placement.firstLength;
    }
    return pane == SplitPane::Second ? m_placement.secondLength : 0;
}

void MCSplitter::PlaceAlong(HWND window, int start, int length) const {
    RECT rect = {};
    GetClientRect(m_container, &rect);
    if (m_orientation == SplitOrientation::SideBySide) {
        MoveWindow(window, start, 0, length, rect.bottom, TRUE);
    } else {
        MoveWindow(window, 0, start, rect.right, length, TRUE);
    }
}

void MCSplitter::Layout() {
    if (m_container == nullptr || m_dragging) {
        return;
    }
    const int length = ContainerLength();
    m_placement = LayoutSplit(length, &m_settings);
    using Kind = SplitPlacement::Kind;
    const bool firstVisible = m_placement.kind == Kind::FirstOnly || m_placement.kind == Kind::Both;
    const bool secondVisible = m_placement.kind == Kind::SecondOnly || m_placement.kind == Kind::Both;
    if (firstVisible) {
        PlaceAlong(m_first, 0, m_placement.firstLength);
    }
    if (secondVisible) {
        PlaceAlong(m_second, m_placement.secondStart, m_placement.secondLength);
    }
    if (m_placement.kind == Kind::Both) {
        PlaceAlong(m_bar, m_placement.barStart, kSplitBarThickness);
    }
    // A container too short for the bar places nothing and leaves the panes where they were.
    if (m_placement.kind != Kind::Nothing || (!m_settings.firstShown && !m_settings.secondShown)) {
        ShowWindow(m_first, firstVisible ? SW_SHOWNA : SW_HIDE);
        ShowWindow(m_second, secondVisible ? SW_SHOWNA : SW_HIDE);
    }
    ShowWindow(m_bar, m_settings.firstShown && m_settings.secondShown ? SW_SHOWNA : SW_HIDE);
}

LRESULT CALLBACK MCSplitter::ContainerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return ForwardToObject(window, message, wParam, lParam, &MCSplitter::m_container, &MCSplitter::OnContainerMessage);
}

LRESULT CALLBACK MCSplitter::BarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return ForwardToObject(window, message, wParam, lParam, &MCSplitter::m_bar, &MCSplitter::OnBarMessage);
}

LRESULT MCSplitter::OnContainerMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SIZE:
            Layout();
            return 0;
        case WM_COMMAND:
        case WM_NOTIFY:
        case WM_DRAWITEM:
        case WM_MEASUREITEM:
            // Panes talk to whoever owns the splitter; nested splitters pass it on.
            return SendMessageA(GetParent(m_container), message, wParam, lParam);
        case WM_NCDESTROY:
            m_container = nullptr;
            m_bar = nullptr;
            m_dragging = false;
            return 0;
        default:
            return DefWindowProcA(m_container, message, wParam, lParam);
    }
}

LRESULT MCSplitter::OnBarMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SETCURSOR:
            SetCursor(LoadCursor(nullptr, m_orientation == SplitOrientation::SideBySide ? IDC_SIZEWE : IDC_SIZENS));
            return TRUE;
        case WM_LBUTTONDOWN:
            BeginDrag();
            return 0;
        case WM_MOUSEMOVE:
            if (m_dragging) {
                DragTo({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
            }
            return 0;
        case WM_LBUTTONUP:
            if (m_dragging) {
                DragTo({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
                EndDrag(true);
            }
            return 0;
        case WM_CAPTURECHANGED:
            if (m_dragging) {
                EndDrag(true);
            }
            return 0;
        case WM_PAINT:
            PaintBar();
            return 0;
        case WM_ERASEBKGND:
            return TRUE;  // PaintBar covers every pixel
        default:
            return DefWindowProcA(m_bar, message, wParam, lParam);
    }
}

void MCSplitter::BeginDrag() {
    if (m_locked || m_placement.kind != SplitPlacement::Kind::Both) {
        return;
    }
    m_dragging = true;
    SetCapture(m_bar);
    InvalidateRect(m_bar, nullptr, FALSE);
}

void MCSplitter::DragTo(POINT barPoint) {
    POINT point = barPoint;
    MapWindowPoints(m_bar, m_container, &point, 1);
    const int along = m_orientation == SplitOrientation::SideBySide ? point.x : point.y;
    const int length = ContainerLength();
    m_settings.ratio = DragRatio(along, 0, length);
    const int barStart = std::clamp(along, 0, std::max(0, length - kSplitBarThickness));
    PlaceAlong(m_bar, barStart, kSplitBarThickness);
    UpdateWindow(m_bar);
}

void MCSplitter::EndDrag(bool layOut) {
    m_dragging = false;
    // After a drag both panes follow the ratio.
    m_settings.fixedPane = SplitPane::None;
    m_settings.fixedSize = 0;
    if (GetCapture() == m_bar) {
        ReleaseCapture();  // sends WM_CAPTURECHANGED, which finds the drag already over
    }
    if (layOut) {
        Layout();
    }
    InvalidateRect(m_bar, nullptr, FALSE);
}

void MCSplitter::PaintBar() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(m_bar, &paint);
    RECT rect = {};
    GetClientRect(m_bar, &rect);
    if (m_dragging) {
        HBRUSH grey = CreateSolidBrush(kDragColour);
        FillRect(dc, &rect, grey);
        DeleteObject(grey);
    } else {
        FillRect(dc, &rect, GetSysColorBrush(COLOR_BTNFACE));
        // A light edge on the leading side and a dark one on the trailing side.
        const bool sideBySide = m_orientation == SplitOrientation::SideBySide;
        RECT light = rect;
        RECT dark = rect;
        if (sideBySide) {
            light.right = light.left + 1;
            dark.left = dark.right - 1;
        } else {
            light.bottom = light.top + 1;
            dark.top = dark.bottom - 1;
        }
        FillRect(dc, &light, GetSysColorBrush(COLOR_BTNHIGHLIGHT));
        FillRect(dc, &dark, GetSysColorBrush(COLOR_BTNSHADOW));
    }
    EndPaint(m_bar, &paint);
}

}  // namespace qv::ui
