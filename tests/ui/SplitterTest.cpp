// The splitter: layout arithmetic without windows, then real splitters laid out, resized and
// dragged through the bar's own mouse messages.
#include <tuple>

#include "ui/UiTestUtil.h"
#include "ui/Splitter.h"

namespace qv::test {
namespace {

using ui::LayoutSplit;
using ui::SplitPane;
using ui::SplitPlacement;
using ui::SplitSettings;
using Kind = SplitPlacement::Kind;

TEST(LayoutSplitTest, PlacesPanesAndBarAndAFixedPaneSetsTheRatio) {
    // Length, settings; kind, first length (where the bar starts), second start and length, ratio after.
    const std::tuple<int, SplitSettings, Kind, int, int, int, double> cases[] = {
        {404, {0.33}, Kind::Both, 132, 136, 268, 0.33},
        {4, {0.5}, Kind::Nothing, 0, 0, 0, 0.5},  // no longer than the bar
        {404, {0.33, SplitPane::None, 0, true, false}, Kind::FirstOnly, 404, 0, 0, 0.33},
        {604, {0.9, SplitPane::First, 200}, Kind::Both, 200, 204, 400, 200.0 / 600},
        {404, {0.1, SplitPane::Second, 100}, Kind::Both, 300, 304, 100, 0.75},
        {104, {0.5, SplitPane::First, 500}, Kind::Both, 100, 104, 0, 5.0},    // fixed larger than the room
        {404, {0.25, SplitPane::First, 0}, Kind::Both, 100, 104, 300, 0.25},  // fixed without a size
        {403, {200.0 / 399}, Kind::Both, 200, 204, 199, 200.0 / 399},        // 200 of 399 gives 200
    };
    for (auto [length, settings, kind, first, secondStart, second, ratio] : cases) {
        const SplitPlacement p = LayoutSplit(length, &settings);
        EXPECT_EQ(std::make_tuple(p.kind, p.firstLength, p.secondStart, p.secondLength,
                                  p.kind == Kind::Both ? p.barStart : first, settings.ratio),
                  std::make_tuple(kind, first, secondStart, second, first, ratio));
    }
}

TEST(DragRatioTest, ClampsToTheContainer) {
    EXPECT_EQ(std::make_pair(ui::DragRatio(150, 50, 400), ui::DragRatio(10, 0, 0)), std::make_pair(0.25, 0.0));
}

class SplitterTest : public ::testing::Test {
protected:
    // A side-by-side splitter of `width` x 100 at the window's top-left. (The stacked one of the
    // main window is sized in the application's tests.)
    void Make(int width, double ratio) {
        m_first = MakePane(m_window.Handle());
        m_second = MakePane(m_window.Handle());
        const RECT rect = {0, 0, width, 100};
        ASSERT_TRUE(m_splitter.Create(m_window.Handle(), &rect, 0, m_first, m_second,
                                      ui::SplitOrientation::SideBySide, ratio));
    }
    void Widen(int width) { m_splitter.Resize(width, 100); }
    // Left and width of a child of the container.
    static std::pair<LONG, LONG> Span(HWND child) {
        const RECT rect = RectInParent(child);
        return {rect.left, rect.right - rect.left};
    }
    void ExpectLayout(LONG first, LONG barLeft, LONG secondLeft, LONG second) {
        EXPECT_EQ(Span(m_first), std::make_pair(0L, first));
        EXPECT_EQ(Span(m_splitter.Bar()), std::make_pair(barLeft, 4L));
        EXPECT_EQ(Span(m_second), std::make_pair(secondLeft, second));
    }
    // Presses the bar, moves it so that its left edge lands on `x` (container coordinates) and
    // releases it there, all through the bar's own messages.
    void DragBarTo(int x) {
        HWND bar = m_splitter.Bar();
        SendMessageA(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 5));
        const LONG barLeft = Span(bar).first;
        SendMessageA(bar, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x - barLeft, 5));
        const LONG movedLeft = Span(bar).first;
        SendMessageA(bar, WM_LBUTTONUP, 0, MAKELPARAM(x - movedLeft, 5));
    }

    TestWindow m_window{900, 300};
    HWND m_first = nullptr;
    HWND m_second = nullptr;
    ui::MCSplitter m_splitter;
};

TEST_F(SplitterTest, FixedPaneKeepsItsSizeUntilADragInGreyThatClampsAndALockOrOneShownPane) {
    Make(404, 0.5);
    m_splitter.SetPaneSize(SplitPane::First, 200);
    m_splitter.SetFixed(SplitPane::First, true);
    Widen(604);
    ExpectLayout(200, 200, 204, 400);

    HWND bar = m_splitter.Bar();
    SendMessageA(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 5));
    EXPECT_EQ(GetCapture(), bar);
    SendMessageA(bar, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(-1000, 5));  // far left of the container
    ExpectLayout(200, 0, 204, 400);  // the panes wait for the release
    HDC dc = GetDC(bar);
    RedrawWindow(bar, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(GetPixel(dc, 1, 50), RGB(128, 128, 128));
    ReleaseDC(bar, dc);
    SendMessageA(bar, WM_LBUTTONUP, 0, MAKELPARAM(5000, 5));  // released far right
    ExpectLayout(600, 600, 604, 0);

    DragBarTo(302);
    Widen(804);
    ExpectLayout(400, 400, 404, 400);  // both panes now follow the ratio
    m_splitter.SetLocked(true);
    DragBarTo(100);
    EXPECT_DOUBLE_EQ(m_splitter.Ratio(), 0.5);
    m_splitter.ShowPanes(0, 1);
    EXPECT_FALSE(IsWindowVisible(m_first) || IsWindowVisible(m_splitter.Bar()));
    EXPECT_EQ(Span(m_second), std::make_pair(0L, 804L));
    m_splitter.ShowPanes(1, 1);
    EXPECT_TRUE(IsWindowVisible(m_splitter.Bar()));
    ExpectLayout(400, 400, 404, 400);
}

}  // namespace
}  // namespace qv::test
