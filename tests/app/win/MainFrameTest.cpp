// The main frame driven through its messages: prompts, the lock indicators, routing of commands,
// menu states and the About box. Drops and exit are driven through the whole program.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "resource.h"
#include "ui/ModalSeam.h"
#include "ui/UiTestUtil.h"
#include "app/win/MainFrame.h"

namespace qv {
namespace {

struct RecordingClient : FrameClient {
    std::vector<int> commands;
    std::vector<HMENU> menusAsked;

    void OnFrameCommand(int id) override { commands.push_back(id); }
    void UpdateMenuStates(HMENU menu) override { menusAsked.push_back(menu); }
    void OnViewSize(int, int) override {}
    void OnFrameDrop(const std::vector<std::string>&) override {}
    void OnFrameDestroy() override {}
};

class MainFrameTest : public ::testing::Test {
  protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES | ICC_BAR_CLASSES};
        InitCommonControlsEx(&controls);
        ASSERT_TRUE(m_frame.Create(GetModuleHandleA(nullptr), "Talvorn Quarvex"));
        m_frame.SetClient(&m_client);
    }
    void TearDown() override {
        ui::ModalSeam::Get().End();
        if (m_frame.Window() != nullptr) {
            DestroyWindow(m_frame.Window());
        }
        test::PumpPending();
    }
    void Command(int id) { SendMessageA(m_frame.Window(), WM_COMMAND, MAKEWPARAM(id, 0), 0); }

    RecordingClient m_client;
    CMainFrame m_frame;
};

TEST_F(MainFrameTest, MenuItemsShowTheirPromptUntilTheMenuCloses) {
    HMENU report = GetSubMenu(m_frame.Menu(), 0);
    SendMessageA(m_frame.Window(), WM_MENUSELECT, MAKEWPARAM(ID_REPORT_CREATE, MF_STRING),
                 reinterpret_cast<LPARAM>(report));
    EXPECT_EQ(m_frame.PaneText(0), "Create report for specified folder");  // the text before "\n"
    SendMessageA(m_frame.Window(), WM_MENUSELECT, MAKEWPARAM(0, MF_POPUP), reinterpret_cast<LPARAM>(report));
    EXPECT_EQ(m_frame.PaneText(0), "");
    SendMessageA(m_frame.Window(), WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    EXPECT_EQ(m_frame.PaneText(0), "Ready");
}

// Presses and releases a key through the input queue.
void TapKey(WORD key) {
    INPUT inputs[2] = {};
    inputs[0].type = inputs[1].type = INPUT_KEYBOARD;
    inputs[0].ki.wVk = inputs[1].ki.wVk = key;
    inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, inputs, sizeof(INPUT));
}

bool Toggled(int key) {
    return (GetKeyState(key) & 1) != 0;
}

// One loop serves the three lock keys: Caps Lock stands for them.
TEST_F(MainFrameTest, StatusBarShowsTheLockKeys) {
    ShowWindow(m_frame.Window(), SW_SHOW);
    SetForegroundWindow(m_frame.Window());
    const bool before = Toggled(VK_CAPITAL);
    for (const bool on : {!before, before}) {  // toggled, then back as it was
        TapKey(VK_CAPITAL);
        ASSERT_TRUE(test::PumpUntil([&] { return Toggled(VK_CAPITAL) == on; }));
        m_frame.UpdateLockIndicators();
        EXPECT_EQ(m_frame.PaneText(1), on ? "CAP" : "");
    }
}

TEST_F(MainFrameTest, RoutesTheShellCommandsAndKeepsItsOwn) {
    Command(ID_REPORT_CREATE);
    Command(ID_QUICK_LOAD_FIRST);
    Command(ID_EDIT_COPY);  // the frame's own
    // A pane inside the view sends its command to the view; it takes the same route.
    SendMessageA(m_frame.View(), WM_COMMAND, MAKEWPARAM(ID_TOOLS_ATTRIBUTES, BN_CLICKED), 0);
    EXPECT_EQ(m_client.commands, (std::vector<int>{ID_REPORT_CREATE, ID_QUICK_LOAD_FIRST, ID_TOOLS_ATTRIBUTES}));

    Command(ID_VIEW_STATUS_BAR);
    EXPECT_FALSE(m_frame.StatusBarVisible());
    RECT view = {};
    RECT client = {};
    GetWindowRect(m_frame.View(), &view);
    GetClientRect(m_frame.Window(), &client);
    EXPECT_EQ(view.bottom - view.top, client.bottom);  // the view takes the freed space
    HMENU menu = GetSubMenu(m_frame.Menu(), 1);
    SendMessageA(m_frame.Window(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), MAKELPARAM(1, FALSE));
    EXPECT_EQ(m_client.menusAsked, std::vector<HMENU>{menu});
    EXPECT_EQ(GetMenuState(menu, ID_VIEW_STATUS_BAR, MF_BYCOMMAND) & MF_CHECKED, 0u);
}

TEST_F(MainFrameTest, AboutBoxOpensOverTheFrameAndCloses) {
    std::tuple<ui::ModalKind, std::string, HWND> seen;
    ui::ModalSeam::Get().OnWindowUp([&](HWND about, ui::ModalKind kind) {
        seen = {kind, test::TextOf(GetDlgItem(about, IDC_ABOUT_PRODUCT)), GetWindow(about, GW_OWNER)};
        PostMessageA(about, WM_COMMAND, IDOK, 0);
    });
    Command(ID_APP_ABOUT);  // returns when the box has closed
    EXPECT_EQ(seen, std::make_tuple(ui::ModalKind::About, std::string("Talvorn Quarvex"), m_frame.Window()));
}

}  // namespace
}  // namespace qv
