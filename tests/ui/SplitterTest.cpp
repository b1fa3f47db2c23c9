// The splitter: layout arithmetic without windows, then real splitters laid out, resized and
// dragged through the bar's own mouse messages.
#include "ui/UiTestUtil.h"
#include "ui/Splitter.h"

namespace qv::test {
namespace {

using ui::LayoutSplit;
using ui::SplitPane;
using ui::SplitPlacement;
using ui::SplitSettings;
using Kind = SplitPlacement::Kind;

TEST(LayoutSplitTest, PlacesPanesAndBar) {
    struct Case {
        const char* name;
        int length;
        SplitSettings settings;
        Kind kind;
        int first;
        int secondStart;
        int second;
    };
    const Case cases[] = {
        {"ratio 0.33 of 404", 404, {0.33}, Kind::Both, 132, 136, 268},
        {"no longer than the bar", 4, {0.5}, Kind::Nothing, 0, 0, 0},
        {"first alone fills", 404, {0.33, SplitPane::None, 0, true, false}, Kind::FirstOnly, 404, 0, 0},
        {"second alone fills", 404, {0.33, SplitPane::None, 0, false, true}, Kind::SecondOnly, 0, 0, 404},
        {"fixed first keeps 200", 604, {0.9, SplitPane::First, 200}, Kind::Both, 200, 204, 400},
        {"fixed second keeps 100", 404, {0.1, SplitPane::Second, 100}, Kind::Both, 300, 304, 100},
        {"fixed first larger than the room", 104, {0.5, SplitPane::First, 500}, Kind::Both, 100, 104, 0},
        {"fixed without a size follows the ratio", 404, {0.25, SplitPane::First, 0}, Kind::Both, 100, 104, 300},
        {"a ratio made from 200 of 399 gives 200", 403, {200.0 / 399}, Kind::Both, 200, 204, 199},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SplitSettings settings = c.settings;
        const SplitPlacement placement = LayoutSplit(c.length, &settings);
        EXPECT_EQ(placement.kind, c.kind);
        EXPECT_EQ(placement.firstLength, c.first);
        EXPECT_EQ(placement.secondStart, c.secondStart);
        EXPECT_EQ(placement.secondLength, c.second);
        if (placement.kind == Kind::Both) {
            EXPECT_EQ(placement.barStart, c.first);
        }
    }
}

TEST(LayoutSplitTest, FixedPaneRecomputesTheRatio) {
    SplitSettings settings{0.9, SplitPane::First, 200};
    LayoutSplit(604, &settings);
    EXPECT_DOUBLE_EQ(settings.ratio, 200.0 / 600);
    settings = {0.9, SplitPane::Second, 150};
    LayoutSplit(604, &settings);
    EXPECT_DOUBLE_EQ(settings.ratio, 1.0 - 150.0 / 600);
}

TEST(DragRatioTest, ClampsToTheContainer) {
    EXPECT_DOUBLE_EQ(ui::DragRatio(150, 50, 400), 0.25);
    EXPECT_DOUBLE_EQ(ui::DragRatio(10, 0, 0), 0.0);
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

TEST_F(SplitterTest, FixedPaneKeepsItsSizeUntilADragThatFollowsTheCursorInGreyAndClamps) {
    Make(404, 0.5);
    m_splitter.SetPaneSize(SplitPane::First, 200);
    m_splitter.SetFixed(SplitPane::First, true);
    Widen(604);
    ExpectLayout(200, 200, 204, 400);

    HWND bar = m_splitter.Bar();
    SendMessageA(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 5));
    EXPECT_TRUE(m_splitter.IsDragging());
    EXPECT_EQ(GetCapture(), bar);
    SendMessageA(bar, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(-1000, 5));  // far left of the container
    EXPECT_DOUBLE_EQ(m_splitter.Ratio(), 0.0);
    EXPECT_EQ(Span(bar).first, 0);
    ExpectLayout(200, 0, 204, 400);  // the panes wait for the release
    HDC dc = GetDC(bar);
    RedrawWindow(bar, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(GetPixel(dc, 1, 50), RGB(128, 128, 128));
    ReleaseDC(bar, dc);
    SendMessageA(bar, WM_LBUTTONUP, 0, MAKELPARAM(5000, 5));  // released far right
    EXPECT_FALSE(m_splitter.IsDragging());
    EXPECT_DOUBLE_EQ(m_splitter.Ratio(), 1.0);
    EXPECT_NE(GetCapture(), bar);
    ExpectLayout(600, 600, 604, 0);

    DragBarTo(302);
    EXPECT_DOUBLE_EQ(m_splitter.Ratio(), 0.5);
    Widen(804);
    ExpectLayout(400, 400, 404, 400);  // both panes now follow the ratio
}

TEST_F(SplitterTest, LockedSplitterIgnoresTheMouseAndOneShownPaneFills) {
    Make(404, 0.33);
    EXPECT_EQ(GetParent(m_first), m_splitter.Window());
    EXPECT_FALSE(m_splitter.SetRatio(1.5));  // ratios outside 0..1 are refused
    EXPECT_FALSE(m_splitter.SetRatio(-0.1));
    m_splitter.SetLocked(true);
    DragBarTo(300);
    EXPECT_FALSE(m_splitter.IsDragging());
    EXPECT_DOUBLE_EQ(m_splitter.Ratio(), 0.33);

    m_splitter.ShowPanes(0, 1);
    EXPECT_FALSE(IsWindowVisible(m_first));
    EXPECT_FALSE(IsWindowVisible(m_splitter.Bar()));
    EXPECT_EQ(Span(m_second), std::make_pair(0L, 404L));
    m_splitter.ShowPanes(1, 1);
    EXPECT_TRUE(IsWindowVisible(m_splitter.Bar()));
    ExpectLayout(132, 132, 136, 268);
}

}  // namespace
}  // namespace qv::test
