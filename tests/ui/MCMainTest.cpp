// The window module: hidden window, heartbeat and its guard, running time, menu states, tool
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

// Counts ticks; optionally runs a nested message loop inside a tick, as a modal box would.
class CountingModule : public ui::MCMain {
  public:
    void Tick() override {
        ++ticks;
        ++depth;
        maxDepth = std::max(maxDepth, depth);
        if (nestedLoop && ticks == 1) {
            const long target = Heartbeats() + 3;
            nestedLoopSawHeartbeats = PumpUntil([&] { return Heartbeats() >= target; });
        }
        ui::MCMain::Tick();
        --depth;
    }
    unsigned GetCommandState(int commandId) override {
        const unsigned both = ui::kCommandChecked | ui::kCommandDisabled;
        return commandId == 100   ? ui::kCommandChecked
               : commandId == 101 ? ui::kCommandDisabled
               : commandId == 200 ? both
                                  : 0;
    }

    int ticks = 0;
    int depth = 0;
    int maxDepth = 0;
    bool nestedLoop = false;
    bool nestedLoopSawHeartbeats = false;
};

class MCMainHeartbeatTest : public ::testing::Test {
  protected:
    // The host is a child window, as the main frame's view is in the program.
    void SetUp() override { ASSERT_TRUE(m_ui.Create(GetModuleHandleA(nullptr), MakePane(m_window.Handle()), nullptr)); }

    TestWindow m_window;
    CountingModule m_ui;
};

TEST_F(MCMainHeartbeatTest, TicksOnlyWhileActiveAndCountsRunningSecondsOnlyWhileRunning) {
    ASSERT_TRUE(PumpUntil([&] { return m_ui.Heartbeats() >= 2; }));
    EXPECT_EQ(m_ui.ticks, 0);
    m_ui.Activate(true);
    EXPECT_EQ(m_ui.ActiveFlag(), 1);
    ASSERT_TRUE(PumpUntil([&] { return m_ui.ticks >= 2; }));
    EXPECT_EQ(m_ui.RunningSeconds(), 0);
    m_ui.SetRunning(true);
    ASSERT_TRUE(PumpUntil([&] { return m_ui.RunningSeconds() >= 1; }));
    m_ui.SetRunning(false);
    const std::int32_t seconds = m_ui.RunningSeconds();
    const int ticks = m_ui.ticks;
    ASSERT_TRUE(PumpUntil([&] { return m_ui.ticks >= ticks + 3; }));
    EXPECT_EQ(m_ui.RunningSeconds(), seconds);
    m_ui.Activate(false);
    const int lastTicks = m_ui.ticks;
    const long heartbeats = m_ui.Heartbeats();
    ASSERT_TRUE(PumpUntil([&] { return m_ui.Heartbeats() >= heartbeats + 2; }));
    EXPECT_EQ(m_ui.ticks, lastTicks);
}

TEST_F(MCMainHeartbeatTest, TickIsNotReenteredByHeartbeatsDuringIt) {
    m_ui.nestedLoop = true;
    m_ui.Activate(true);
    ASSERT_TRUE(PumpUntil([&] { return m_ui.ticks >= 2; }));
    EXPECT_TRUE(m_ui.nestedLoopSawHeartbeats);
    EXPECT_EQ(m_ui.maxDepth, 1);
}

TEST_F(MCMainHeartbeatTest, MenuStatesFollowGetCommandStateInSubmenusToo) {
    HMENU menu = CreateMenu();
    HMENU sub = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING, 100, "checked");
    AppendMenuA(menu, MF_STRING | MF_GRAYED | MF_CHECKED, 102, "plain");
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), "sub");
    AppendMenuA(sub, MF_STRING, 101, "disabled");
    AppendMenuA(sub, MF_STRING, 200, "both");
    m_ui.UpdateMenuStates(menu);
    const std::tuple<HMENU, UINT, UINT> expected[] = {
        {menu, 100, MF_CHECKED}, {menu, 102, 0}, {sub, 101, MF_GRAYED}, {sub, 200, MF_CHECKED | MF_GRAYED}};
    for (const auto& [owner, id, state] : expected) {
        EXPECT_EQ(GetMenuState(owner, id, MF_BYCOMMAND) & (MF_CHECKED | MF_GRAYED), state) << id;
    }
    DestroyMenu(menu);
}

TEST_F(MCMainTest, ToolTipWindowAddsAndChangesTips) {
    HWND tip = m_ui.ToolTipWindow();
    ASSERT_NE(tip, nullptr);
    HWND pane = MakePane(m_window.Handle());
    HWND other = MakePane(m_window.Handle());
    ASSERT_TRUE(m_ui.AddToolTip(pane, "First text", m_window.Handle()));
    EXPECT_EQ(TipOf(tip, m_window.Handle(), pane), "First text");
    EXPECT_TRUE(m_ui.SetToolTipText(pane, "Changed text"));
    EXPECT_EQ(TipOf(tip, m_window.Handle(), pane), "Changed text");
    EXPECT_FALSE(m_ui.SetToolTipText(other, "never added"));

    // The tips of destroyed controls go when the next one is added; the live ones stay.
    HWND kept = MakePane(m_window.Handle());
    ASSERT_TRUE(m_ui.AddToolTip(kept, "Kept", m_window.Handle()));
    DestroyWindow(pane);
    ASSERT_TRUE(m_ui.AddToolTip(other, "Other", m_window.Handle()));
    EXPECT_EQ(SendMessageA(tip, TTM_GETTOOLCOUNT, 0, 0), 2);
    EXPECT_EQ(TipOf(tip, m_window.Handle(), kept), "Kept");
}

TEST_F(MCMainTest, LocaleKeepsUtf8BytesAndTheDecimalPoint) {
    // ".OCP" maps bytes >= 0x80 to OEM letters; UTF-8 lead and continuation bytes must survive.
    for (int byte : {0x80, 0x8E, 0x9A, 0xC3, 0xC4, 0xD0, 0xE2}) {
        SCOPED_TRACE(byte);
        EXPECT_EQ(std::tolower(byte), byte);
        EXPECT_EQ(std::toupper(byte), byte);
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
    EXPECT_TRUE(second.ClassName().empty());
    EXPECT_EQ(second.MonitorWindow(), nullptr);
    EXPECT_NE(second.GetFont(0), nullptr);
    second.Destroy();

    module.SetTitle("Another title");
    EXPECT_EQ(TextOf(window.Handle()), "Another title");
    const std::string className = module.ClassName();
    HWND monitor = module.MonitorWindow();
    HWND tip = module.ToolTipWindow();
    module.Destroy();
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    EXPECT_FALSE(GetClassInfoExA(GetModuleHandleA(nullptr), className.c_str(), &windowClass));
    EXPECT_FALSE(IsWindow(monitor));
    EXPECT_FALSE(IsWindow(tip));
    EXPECT_EQ(module.GetFont(0), nullptr);
    module.Destroy();  // a second teardown is harmless
}

}  // namespace
}  // namespace qv::test
