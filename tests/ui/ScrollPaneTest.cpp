// The scrolling pane: which bars a child needs, and a real pane whose bars come and go with its
// size while the child keeps or resets its position.
#include <tuple>

#include "ui/UiTestUtil.h"
#include "ui/ScrollPane.h"

namespace qv::test {
namespace {

TEST(LayoutScrollTest, BarsOnlyWhereTheChildIsLarger) {
    struct Case {
        const char* name;
        int childWidth, childHeight, outerWidth, outerHeight;
        POINT position;
        bool horizontal, vertical;
        int x, y;
    };
    const Case cases[] = {
        {"fits", 200, 100, 300, 300, {0, 0}, false, false, 0, 0},
        {"wider only", 500, 100, 200, 300, {40, 0}, true, false, 40, 0},
        {"the horizontal bar makes the vertical one needed", 500, 290, 200, 300, {0, 0}, true, true, 0, 0},
        {"position kept within the range", 500, 100, 200, 300, {1000, 0}, true, false, 300, 0},
        {"hidden bars reset their positions", 100, 100, 300, 300, {40, 50}, false, false, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ui::ScrollLayout layout =
            ui::LayoutScroll(c.childWidth, c.childHeight, c.outerWidth, c.outerHeight, 17, 17, c.position);
        EXPECT_EQ(std::make_tuple(layout.horizontal.shown, layout.vertical.shown, layout.horizontal.position,
                                  layout.vertical.position, layout.horizontal.range, layout.horizontal.page),
                  std::make_tuple(c.horizontal, c.vertical, c.x, c.y, c.childWidth, c.outerWidth - (c.vertical ? 17 : 0)));
    }
}

class ScrollPaneTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_child = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 400, 100, m_window.Handle(), nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
        ASSERT_TRUE(m_pane.Create(m_window.Handle(), {0, 0, 200, 150}, m_child));
    }
    bool HasBar(LONG bar) const { return (GetWindowLongA(m_pane.Window(), GWL_STYLE) & bar) != 0; }
    POINT ChildOrigin() const {
        const RECT rect = RectInParent(m_child);
        return {rect.left, rect.top};
    }

    TestWindow m_window;
    HWND m_child = nullptr;
    ui::MCScrollPane m_pane;
};

TEST_F(ScrollPaneTest, ScrollingMovesTheChildAndResizingKeepsOrResetsIt) {
    EXPECT_EQ(std::make_tuple(GetParent(m_child), HasBar(WS_HSCROLL), HasBar(WS_VSCROLL)),
              std::make_tuple(m_pane.Window(), true, false));
    for (int i = 0; i < 3; ++i) {
        SendMessageA(m_pane.Window(), WM_HSCROLL, SB_LINEDOWN, 0);
    }
    EXPECT_EQ(std::make_pair(GetScrollPos(m_pane.Window(), SB_HORZ), ChildOrigin().x), std::make_pair(48, -48L));
    m_pane.Resize(250, 150);  // still narrower than the child: the position stays
    EXPECT_EQ(std::make_pair(HasBar(WS_HSCROLL), ChildOrigin().x), std::make_pair(true, -48L));

    SendMessageA(m_pane.Window(), WM_HSCROLL, SB_BOTTOM, 0);
    EXPECT_EQ(ChildOrigin().x, -150);  // no further than the child's right edge

    m_pane.Resize(500, 150);  // the child fits: the bar goes and the child returns to 0
    EXPECT_EQ(std::make_pair(HasBar(WS_HSCROLL), ChildOrigin().x), std::make_pair(false, 0L));
}

}  // namespace
}  // namespace qv::test
