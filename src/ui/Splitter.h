// The two-pane splitter: a container window ("MCSplitWinClass") holding two pane windows and a
// draggable bar ("MCSplitterClass"), with the layout arithmetic as plain functions.
#pragma once

#include <windows.h>

namespace qv::ui {

inline constexpr int kSplitBarThickness = 4;

enum class SplitOrientation {
    SideBySide,  // first pane left, second right
    Stacked,     // first pane on top
};

enum class SplitPane { None, First, Second };

// What the layout needs to know besides the container's length.
struct SplitSettings {
    double ratio = 0.5;                     // share of the first pane, 0..1
    SplitPane fixedPane = SplitPane::None;  // a pane that keeps its size when the container changes
    int fixedSize = 0;                      // that size in pixels; 0 means no size yet
    bool firstShown = true;
    bool secondShown = true;
};

// Where the panes go along the split direction. The first pane starts at 0; the bar follows it
// and is kSplitBarThickness long; the second pane ends at the container's length.
struct SplitPlacement {
    enum class Kind { Nothing, FirstOnly, SecondOnly, Both };
    Kind kind = Kind::Nothing;
    int firstLength = 0;
    int barStart = 0;
    int secondStart = 0;
    int secondLength = 0;
};

// Lays out a container of `length` pixels. With a fixed pane that has a size, the ratio is first
// recomputed (and stored in `settings`) so that this pane keeps its size.
SplitPlacement LayoutSplit(int length, SplitSettings* settings);

// The ratio for a bar dragged to `cursor` (same coordinates as `origin`, the container's start),
// clamped to [0, 1]. A container without length gives 0.
double DragRatio(int cursor, int origin, int length);

// One split. The object must outlive its windows; the container, the bar and the panes (which
// the container adopts) are destroyed together with the container.
class MCSplitter {
public:
    MCSplitter() = default;
    ~MCSplitter();
    MCSplitter(const MCSplitter&) = delete;
    MCSplitter& operator=(const MCSplitter&) = delete;

    // `rect` null fills the parent's client area. `style` is added to WS_CHILD | WS_VISIBLE |
    // WS_CLIPCHILDREN. The panes become children of the container.
    bool Create(HWND parent,
                const RECT* rect,
                DWORD style,
                HWND first,
                HWND second,
                SplitOrientation orientation,
                double ratio);
    void Destroy();

    // Sizes the container; a negative width or height keeps that side.
    void Resize(int width, int height);
    // Gives `pane` `pixels` of the container's length less the bar, as a ratio.
    void SetPaneSize(SplitPane pane, int pixels);
    // On: `pane` keeps its present size when the container is resized.
    void SetFixed(SplitPane pane, bool on);
    // Each 0 hide, 1 show, 2 toggle. The bar shows only while both panes do.
    void ShowPanes(int first, int second);
    void Show(bool show);
    // A locked splitter cannot be dragged.
    void SetLocked(bool locked) { m_locked = locked; }

    HWND Window() const { return m_container; }
    HWND Bar() const { return m_bar; }
    double Ratio() const { return m_settings.ratio; }
    const SplitSettings& Settings() const { return m_settings; }
    const SplitPlacement& Placement() const { return m_placement; }

private:
    static LRESULT CALLBACK ContainerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK BarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnContainerMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnBarMessage(UINT message, WPARAM wParam, LPARAM lParam);

    void Layout();
    int ContainerLength() const;
    int PaneLength(SplitPane pane) const;
    void PlaceAlong(HWND window, int start, int length) const;
    void BeginDrag();
    void DragTo(POINT barPoint);
    void EndDrag(bool layOut);
    void PaintBar();

    HWND m_container = nullptr;
    HWND m_bar = nullptr;
    HWND m_first = nullptr;
    HWND m_second = nullptr;
    SplitOrientation m_orientation = SplitOrientation::SideBySide;
    SplitSettings m_settings;
    SplitPlacement m_placement;
    bool m_dragging = false;
    bool m_locked = false;
};

}  // namespace qv::ui
