// The window module: hidden window, heartbeat and its guard, menu states, tool
// tips, the process locale, teardown.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cctype>
#include <clocale>
#include <cstdio>
#include <string>
#include <tuple>

#include "ui/UiTestUtil.h"
#include "ui/MCMain.h"

namespace qv::test {
namespace {

using MCMainTest = UiTest;

// Counts ticks; runs a nested message loop inside the first, as a modal box would.
class CountingModule : public ui::MCMain {
  public:
    void Tick() override {
        maxDepth = std::max(maxDepth, ++depth);
        if (++ticks == 1) {
            const long target = Heartbeats() + 3;
            nestedLoopSawHeartbeats = PumpUntil([&] { return Heartbeats() >= target; });
        }
        ui::MCMain::Tick();
        --depth;
    }
    unsigned GetCommandState(int commandId) override {
        return commandId == 100 ? ui::kCommandChecked : commandId == 101 ? ui::kCommandDisabled : 0;
    }

    int ticks = 0;
    int depth = 0;
    int maxDepth = 0;
    bool nestedLoopSawHeartbeats = false;
};

class MCMainHeartbeatTest : public ::testing::Test {
  protected:
    // The host is a child window, as the main frame's view is in the program.
    void SetUp() override { ASSERT_TRUE(m_ui.Create(GetModuleHandleA(nullptr), MakePane(m_window.Handle()), nullptr)); }

    TestWindow m_window;
    CountingModule m_ui;
};

// The first tick runs a nested loop that sees heartbeats; they must not enter the tick again.
TEST_F(MCMainHeartbeatTest, TicksOnlyWhileActiveAndNeverReentered) {
    ASSERT_TRUE(PumpUntil([&] { return m_ui.Heartbeats() >= 2; }));
    EXPECT_EQ(m_ui.ticks, 0);
    m_ui.Activate(true);
    ASSERT_TRUE(PumpUntil([&] { return m_ui.ticks >= 2; }));
    EXPECT_TRUE(m_ui.nestedLoopSawHeartbeats);
    EXPECT_EQ(m_ui.maxDepth, 1);
    m_ui.Activate(false);
    const int lastTicks = m_ui.ticks;
    const long heartbeats = m_ui.Heartbeats();
    ASSERT_TRUE(PumpUntil([&] { return m_ui.Heartbeats() >= heartbeats + 2; }));
    EXPECT_EQ(m_ui.ticks, lastTicks);
}

TEST_F(MCMainHeartbeatTest, MenuStatesFollowGetCommandStateInSubmenusToo) {
    HMENU menu = CreateMenu();
    HMENU sub = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING, 100, "checked");
    AppendMenuA(menu, MF_STRING | MF_GRAYED | MF_CHECKED, 102, "plain");
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), "sub");
    AppendMenuA(sub, MF_STRING, 101, "disabled");
    m_ui.UpdateMenuStates(menu);
    std::vector<UINT> states;
    for (UINT id : {100, 102, 101}) {
        states.push_back(GetMenuState(menu, id, MF_BYCOMMAND) & (MF_CHECKED | MF_GRAYED));  // the submenu's too
    }
    EXPECT_EQ(states, (std::vector<UINT>{MF_CHECKED, 0, MF_GRAYED}));
    DestroyMenu(menu);
}

// Adding and changing tips is held by every dialog's tests; here what they do not reach.
TEST_F(MCMainTest, TipsOfDestroyedControlsGoWhenTheNextIsAdded) {
    HWND tip = m_ui.ToolTipWindow(), owner = m_window.Handle();
    HWND gone = MakePane(owner), kept = MakePane(owner), other = MakePane(owner);
    EXPECT_FALSE(m_ui.SetToolTipText(other, "never added"));
    ASSERT_TRUE(m_ui.AddToolTip(gone, "Gone", owner) && m_ui.AddToolTip(kept, "Kept", owner));
    DestroyWindow(gone);
    ASSERT_TRUE(m_ui.AddToolTip(other, "Other", owner));
    EXPECT_EQ(std::make_pair(SendMessageA(tip, TTM_GETTOOLCOUNT, 0, 0), TipOf(tip, owner, kept)),
              std::make_pair(LRESULT{2}, std::string("Kept")));
}

TEST_F(MCMainTest, LocaleKeepsUtf8BytesAndTheDecimalPoint) {
    // ".OCP" maps bytes >= 0x80 to OEM letters; UTF-8 lead and continuation bytes must survive.
    for (int byte : {0x80, 0x8E, 0x9A, 0xC3, 0xC4, 0xD0, 0xE2}) {
        EXPECT_EQ(std::make_pair(std::tolower(byte), std::toupper(byte)), std::make_pair(byte, byte)) << byte;
    }
    char number[32] = {};
    std::snprintf(number, sizeof(number), "%.2f", 1.5);
    EXPECT_STREQ(number, "1.50");
    EXPECT_STRNE(std::setlocale(LC_COLLATE, nullptr), "C");
}

TEST(MCMainTeardownTest, DestroyRemovesWindowClassFontsAndTipsAndASecondModuleHasNoHeartbeat) {
    TestWindow window;
    ui::MCMain module;
    ASSERT_TRUE(module.Create(GetModuleHandleA(nullptr), window.Handle(), "C:\\start"));
    ui::MCMain second;  // same instance, so the same class name: registering fails
    EXPECT_TRUE(second.Create(GetModuleHandleA(nullptr), window.Handle(), nullptr));
    EXPECT_EQ(std::make_tuple(second.ClassName(), second.MonitorWindow(), second.GetFont(0) != nullptr),
              std::make_tuple(std::string(), HWND{}, true));
    second.Destroy();

    module.SetTitle("Another title");
    EXPECT_EQ(TextOf(window.Handle()), "Another title");
    const std::string className = module.ClassName();
    HWND monitor = module.MonitorWindow();
    HWND tip = module.ToolTipWindow();
    module.Destroy();
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    EXPECT_EQ(std::make_tuple(GetClassInfoExA(GetModuleHandleA(nullptr), className.c_str(), &windowClass),
                              IsWindow(monitor), IsWindow(tip), module.GetFont(0)),
              std::make_tuple(FALSE, FALSE, FALSE, HFONT{}));
    module.Destroy();  // a second teardown is harmless
}

}  // namespace
}  // namespace qv::test
