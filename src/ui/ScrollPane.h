// The scrolling pane: a container window ("MCScrollClass") that holds one child larger than
// itself and scrolls it with its scroll bars.
#pragma once

#include <windows.h>

namespace qv::ui {

// One direction of a scrolling pane.
struct ScrollAxis {
    bool shown = false;  // the bar shows only when the child is longer than the pane
    int range = 0;       // the child's extent
    int page = 0;        // the pane's extent
    int position = 0;    // 0 when the bar is hidden; otherwise kept, within 0..range - page
};

struct ScrollLayout {
    ScrollAxis horizontal;
    ScrollAxis vertical;
};

// Bars and positions for a child of `childWidth` x `childHeight` in a pane whose client area is
// `outerWidth` x `outerHeight` with no bars shown. A shown bar takes `barWidth` (vertical bar)
// or `barHeight` (horizontal bar) from the client area, which can make the other bar necessary.
ScrollLayout LayoutScroll(int childWidth,
                          int childHeight,
                          int outerWidth,
                          int outerHeight,
                          int barWidth,
                          int barHeight,
                          POINT position);

// The pane. The object must outlive its window; the child becomes the pane's child and is
// destroyed with it.
class MCScrollPane {
public:
    static constexpr int kLineStep = 16;

    MCScrollPane() = default;
    ~MCScrollPane();
    MCScrollPane(const MCScrollPane&) = delete;
    MCScrollPane& operator=(const MCScrollPane&) = delete;

    bool Create(HWND parent, const RECT& rect, HWND child);
    void Destroy();
    // Sizes the pane; the bars follow.
    void Resize(int width, int height);
    // Lays the bars out again (after the child changed size).
    void Update();

    HWND Window() const { return m_window; }
    HWND Child() const { return m_child; }
    POINT Position() const { return m_position; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void ApplyAxis(int bar, const ScrollAxis& axis);
    void ScrollTo(int bar, int request);
    int NextPosition(int bar, WPARAM request) const;
    void PlaceChild();

    HWND m_window = nullptr;
    HWND m_child = nullptr;
    POINT m_position = {0, 0};
    bool m_inUpdate = false;
};

}  // namespace qv::ui
