// The main frame driven through its messages: menu 128, prompts, status bar panes, routing of
// commands, menu states, drops, the About box; and the exported plug-in class.
#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "resource.h"
#include "ui/UiTestUtil.h"
#include "app/CommandIds.h"
#include "app/win/DEruRoInterface.h"
#include "app/win/MainFrame.h"

namespace qv {
namespace {

struct RecordingClient : FrameClient {
    std::vector<int> commands;
    std::vector<HMENU> menusAsked;
    std::vector<std::vector<std::string>> drops;
    int sizes = 0;
    int destroyed = 0;

    void OnFrameCommand(int id) override { commands.push_back(id); }
    void UpdateMenuStates(HMENU menu) override { menusAsked.push_back(menu); }
    void OnViewSize(int, int) override { ++sizes; }
    void OnFrameDrop(const std::vector<std::string>& paths) override { drops.push_back(paths); }
    void OnFrameDestroy() override { ++destroyed; }
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
        if (m_frame.Window() != nullptr) {
            DestroyWindow(m_frame.Window());
        }
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message != WM_QUIT) {
                DispatchMessageA(&message);
            }
        }
    }
    RecordingClient m_client;
    CMainFrame m_frame;
};

TEST_F(MainFrameTest, IsCaptionedSizedAndCentredWithAClientEdgeOnTheViewOnly) {
    char caption[64] = {};
    GetWindowTextA(m_frame.Window(), caption, sizeof(caption));
    EXPECT_STREQ(caption, "Talvorn Quarvex");
    RECT frame = {};
    GetWindowRect(m_frame.Window(), &frame);
    EXPECT_EQ(frame.right - frame.left, 796);
    EXPECT_EQ(frame.bottom - frame.top, 574);
    RECT desktop = {};
    GetWindowRect(GetDesktopWindow(), &desktop);
    EXPECT_EQ(frame.left, (desktop.right - 796) / 2);
    EXPECT_EQ(frame.top, (desktop.bottom - 574) / 2);
    EXPECT_EQ(GetWindowLongA(m_frame.Window(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0);
    EXPECT_NE(GetWindowLongA(m_frame.View(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0);
    EXPECT_NE(GetWindowLongA(m_frame.Window(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES, 0);
    EXPECT_NE(GetWindowLongA(m_frame.Window(), GWL_STYLE) & WS_THICKFRAME, 0);
    m_frame.StopAcceptingDrops();
    EXPECT_EQ(GetWindowLongA(m_frame.Window(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES, 0);
}

struct MenuItem {
    int popup;
    int position;
    const char* text;
    int id;  // -1 for a submenu, 0 for a separator
    const char* prompt;
};

const MenuItem kMenu[] = {
    {0, 0, "C&reate...", ID_REPORT_CREATE, "Create report for specified folder"},
    {0, 1, "&Open...", ID_REPORT_OPEN, "Load existed report from file"},
    {0, 2, "", 0, ""},
    {0, 3, "Quick &Load", ID_REPORT_QUICK_LOAD, ""},
    {0, 4, "", 0, ""},
    {0, 5, "&Save...", ID_REPORT_SAVE, "Save current report to file"},
    {0, 6, "&Update", ID_REPORT_UPDATE, "Rebuild report"},
    {0, 7, "&Close", ID_REPORT_CLOSE, "Close active report"},
    {0, 8, "", 0, ""},
    {0, 9, "&Print Folder's Info", ID_REPORT_PRINT_INFO, "Print short description of selected folder"},
    {0, 10, "Print &Tree WYSIWYG", ID_REPORT_PRINT_TREE, "Print active tree branch as on screen"},
    {0, 11, "", 0, ""},
    {0, 12, "E&xit", ID_APP_EXIT, "Quit the application"},
    {1, 0, "&Status Bar", ID_VIEW_STATUS_BAR, "Show or hide the status bar"},
    {2, 0, "&Options...", ID_SETTINGS_OPTIONS, "Edit program options"},
    {2, 1, "Edit &Filters...", ID_SETTINGS_EDIT_FILTERS, "Edit, Load, Save File Filters"},
    {2, 2, "", 0, ""},
    {2, 3, "&Load Filters", -1, ""},
    {3, 0, "File &Attributes...", ID_TOOLS_ATTRIBUTES, "Set file(s) attributes"},
    {3, 1, "File &Date and Time...", ID_TOOLS_DATE_TIME, "Set date and time of files"},
    {3, 2, "&List of Files...", ID_TOOLS_LIST_OF_FILES, "Create list of files"},
    {3, 3, "&Temporary folders", ID_TOOLS_TEMP_FOLDERS, "Manage temporary folders"},
    {4, 0, "&Help", ID_HELP_HELP, "Show Help window"},
    {4, 1, "", 0, ""},
    {4, 2, "&About...", ID_APP_ABOUT, "About Quarvex"},
};

TEST_F(MainFrameTest, MenuHasEveryItemWithItsIdAndPrompt) {
    HMENU menu = m_frame.Menu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(test::MenuTexts(menu), (std::vector<std::string>{"&Report", "&View", "&Settings", "&Tools", "&Help"}));
    int counts[5] = {};
    for (const MenuItem& item : kMenu) {
        ++counts[item.popup];
        HMENU popup = GetSubMenu(menu, item.popup);
        EXPECT_EQ(test::MenuTexts(popup)[item.position], item.text) << item.text;
        EXPECT_EQ(static_cast<int>(GetMenuItemID(popup, item.position)), item.id) << item.text;
        if (item.id > 0) {
            SendMessageA(m_frame.Window(), WM_MENUSELECT, MAKEWPARAM(item.id, MF_STRING),
                         reinterpret_cast<LPARAM>(popup));
            EXPECT_EQ(m_frame.PaneText(0), item.prompt) << item.text;
        }
    }
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(GetMenuItemCount(GetSubMenu(menu, i)), counts[i]) << i;
    }
    // Closing the menu brings the idle text back.
    SendMessageA(m_frame.Window(), WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    EXPECT_EQ(m_frame.PaneText(0), "Ready");
}

// Presses and releases a key through the input queue, then lets the frame see the key-up.
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

// Pumps messages through the frame's pre-translation until the key's toggle state flips.
bool PumpUntilToggled(CMainFrame* frame, int key, bool on) {
    const DWORD start = GetTickCount();
    MSG message;
    while (GetTickCount() - start < 5000) {
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (!frame->PreTranslate(&message)) {
                TranslateMessage(&message);
                DispatchMessageA(&message);
            }
        }
        if (Toggled(key) == on) {
            return true;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return false;
}

TEST_F(MainFrameTest, StatusBarHasFourPanesAndShowsTheLockKeys) {
    EXPECT_EQ(SendMessageA(m_frame.StatusBar(), SB_GETPARTS, 0, 0), 4);
    ShowWindow(m_frame.Window(), SW_SHOW);
    SetForegroundWindow(m_frame.Window());
    const int keys[] = {VK_CAPITAL, VK_NUMLOCK, VK_SCROLL};
    const char* texts[] = {"CAP", "NUM", "SCRL"};
    for (int i = 0; i < 3; ++i) {
        const bool before = Toggled(keys[i]);
        m_frame.UpdateLockIndicators();
        EXPECT_EQ(m_frame.PaneText(i + 1), before ? texts[i] : "") << texts[i];
        TapKey(static_cast<WORD>(keys[i]));
        ASSERT_TRUE(PumpUntilToggled(&m_frame, keys[i], !before)) << texts[i];
        m_frame.UpdateLockIndicators();
        EXPECT_EQ(m_frame.PaneText(i + 1), before ? "" : texts[i]) << texts[i];
        TapKey(static_cast<WORD>(keys[i]));  // leave the key as it was
        ASSERT_TRUE(PumpUntilToggled(&m_frame, keys[i], before)) << texts[i];
    }
}

TEST_F(MainFrameTest, RoutesTheShellRangesAndKeepsItsOwnCommands) {
    for (int id : {ID_REPORT_CREATE, ID_REPORT_OPEN, ID_TOOLS_TEMP_FOLDERS, 32000, 32810, ID_LOAD_FILTERS_FIRST, 40100,
                   ID_QUICK_LOAD_FIRST, 40300}) {
        SendMessageA(m_frame.Window(), WM_COMMAND, MAKEWPARAM(id, 0), 0);
    }
    for (int id : {31999, 32811, 40101, 40199, 40301, ID_EDIT_COPY, ID_NEXT_PANE}) {
        SendMessageA(m_frame.Window(), WM_COMMAND, MAKEWPARAM(id, 0), 0);
    }
    // A pane inside the view sends its command to the view; it takes the same route.
    SendMessageA(m_frame.View(), WM_COMMAND, MAKEWPARAM(ID_TOOLS_ATTRIBUTES, BN_CLICKED), 0);
    EXPECT_EQ(m_client.commands,
              (std::vector<int>{ID_REPORT_CREATE, ID_REPORT_OPEN, ID_TOOLS_TEMP_FOLDERS, 32000, 32810,
                                ID_LOAD_FILTERS_FIRST, 40100, ID_QUICK_LOAD_FIRST, 40300, ID_TOOLS_ATTRIBUTES}));

    ASSERT_TRUE(m_frame.StatusBarVisible());
    SendMessageA(m_frame.Window(), WM_COMMAND, ID_VIEW_STATUS_BAR, 0);
    EXPECT_FALSE(m_frame.StatusBarVisible());
    RECT view = {};
    RECT client = {};
    GetWindowRect(m_frame.View(), &view);
    GetClientRect(m_frame.Window(), &client);
    EXPECT_EQ(view.bottom - view.top, client.bottom);  // the view takes the freed space
    SendMessageA(m_frame.Window(), WM_COMMAND, ID_VIEW_STATUS_BAR, 0);
    EXPECT_TRUE(m_frame.StatusBarVisible());
}

TEST_F(MainFrameTest, AsksForMenuStatesAndChecksTheStatusBarItem) {
    HMENU view = GetSubMenu(m_frame.Menu(), 1);
    SendMessageA(m_frame.Window(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(view), MAKELPARAM(1, FALSE));
    ASSERT_EQ(m_client.menusAsked.size(), 1u);
    EXPECT_EQ(m_client.menusAsked[0], view);
    EXPECT_NE(GetMenuState(view, ID_VIEW_STATUS_BAR, MF_BYCOMMAND) & MF_CHECKED, 0u);
    m_frame.ShowStatusBar(false);
    SendMessageA(m_frame.Window(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(view), MAKELPARAM(1, FALSE));
    EXPECT_EQ(GetMenuState(view, ID_VIEW_STATUS_BAR, MF_BYCOMMAND) & MF_CHECKED, 0u);
}

TEST_F(MainFrameTest, DropsReachTheClientInDropOrder) {
    const std::vector<std::string> paths = {"C:\\one", "C:\\two\\a.mcr", "C:\\three\\b.txt"};
    SendMessageA(m_frame.Window(), WM_DROPFILES, reinterpret_cast<WPARAM>(test::MakeDrop(paths)), 0);
    ASSERT_EQ(m_client.drops.size(), 1u);
    EXPECT_EQ(m_client.drops[0], paths);
}

TEST_F(MainFrameTest, ExitClosesTheFrameAndStartsShutdown) {
    HWND window = m_frame.Window();
    PostMessageA(window, WM_COMMAND, ID_APP_EXIT, 0);
    MSG message;
    bool quit = false;
    const DWORD start = GetTickCount();
    while (!quit && GetTickCount() - start < 10000) {
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            quit = quit || message.message == WM_QUIT;
            DispatchMessageA(&message);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
    EXPECT_TRUE(quit);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(m_client.destroyed, 1);
    EXPECT_EQ(m_frame.Window(), nullptr);
}

struct AboutSeen {
    std::string texts[3];
    bool found = false;
};
AboutSeen g_about;

void CALLBACK CloseAboutBox(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND about = FindWindowA(nullptr, "About Quarvex");
    if (about == nullptr) {
        return;
    }
    KillTimer(nullptr, timer);
    const int ids[] = {IDC_ABOUT_PRODUCT, IDC_ABOUT_VERSION, IDOK};
    for (int i = 0; i < 3; ++i) {
        char text[256] = {};
        GetDlgItemTextA(about, ids[i], text, sizeof(text));
        g_about.texts[i] = text;
    }
    g_about.found = true;
    PostMessageA(about, WM_COMMAND, IDOK, 0);
}

TEST_F(MainFrameTest, AboutBoxShowsProductAndVersionAndCloses) {
    g_about = AboutSeen();
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, &CloseAboutBox);
    SendMessageA(m_frame.Window(), WM_COMMAND, ID_APP_ABOUT, 0);  // returns when the box closed
    KillTimer(nullptr, timer);
    ASSERT_TRUE(g_about.found);
    EXPECT_EQ(g_about.texts[0], "Talvorn Quarvex");
    EXPECT_EQ(g_about.texts[1], "Version 1.0");
    EXPECT_EQ(g_about.texts[2], "Close");
}

int __stdcall ExchangeAnswer() {
    return 42;
}

// Reaches the exchange callback, which the class keeps in its seventh field.
struct ExposedInterface : DEruRoInterface {
    DEruRoExchangeProc Stored() const { return m_exchange; }
    void SetFields(long first, long second, long sixth) {
        m_libIID = first;
        m_version = second;
        m_error = sixth;
    }
};

TEST(DEruRoInterface, AnswersSuccessAndKeepsTheExchangeCallbackThroughCopies) {
    ExposedInterface plugin;
    EXPECT_EQ(plugin.Stored(), nullptr);
    char text[] = "x";
    EXPECT_TRUE(plugin.Initialize(nullptr, 7, text));
    EXPECT_TRUE(plugin.Shut());
    EXPECT_TRUE(plugin.Idle(1));
    EXPECT_TRUE(plugin.Suspend(1));
    EXPECT_EQ(plugin.Go(5), 0);
    EXPECT_EQ(plugin.ErrorDesc(), nullptr);
    EXPECT_TRUE(plugin.Exchange(&ExchangeAnswer));
    ASSERT_EQ(plugin.Stored(), &ExchangeAnswer);
    EXPECT_EQ(plugin.Stored()(), 42);

    plugin.SetFields(11, 22, 66);
    ExposedInterface copy(plugin);
    EXPECT_EQ(std::make_tuple(copy.LibIID(), copy.Version(), copy.Error()), std::make_tuple(11L, 22L, 66L));
    EXPECT_EQ(copy.Stored(), &ExchangeAnswer);
}

}  // namespace
}  // namespace qv
