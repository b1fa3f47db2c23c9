// The tools panel and the restyled controls: buttons, texts, tips, clicks and real WM_DROPFILES
// drops; owner drawing and colours answered for the dialog.
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "resource.h"
#include "ui/UiTestUtil.h"
#include "ui/DropTarget.h"
#include "ui/StyledControls.h"
#include "app/win/ToolsPanel.h"

namespace qv::test {
namespace {

struct Received {
    int command;
    std::vector<std::string> paths;
};

class ToolsPanelTest : public UiTest {
  protected:
    void SetUp() override {
        UiTest::SetUp();
        ASSERT_TRUE(m_panel.Create(m_ui, m_window.Handle(), [this](int command, const PathList& paths) {
            m_received.push_back({command, paths.Paths()});
        }));
        ShowWindow(m_panel.Window(), SW_SHOW);
    }
    // The panel's buttons, left to right.
    std::vector<HWND> Buttons() const {
        std::vector<std::pair<LONG, HWND>> found;
        for (HWND child = GetWindow(m_panel.Window(), GW_CHILD); child != nullptr;
             child = GetWindow(child, GW_HWNDNEXT)) {
            char className[32] = {};
            GetClassNameA(child, className, sizeof(className));
            if (lstrcmpiA(className, "Button") == 0) {
                found.emplace_back(RectInParent(child).left, child);
            }
        }
        std::sort(found.begin(), found.end());
        std::vector<HWND> buttons;
        for (const auto& [left, button] : found) {
            buttons.push_back(button);
        }
        return buttons;
    }

    ui::ToolsPanel m_panel;
    std::vector<Received> m_received;
};

TEST_F(ToolsPanelTest, FourOwnerDrawnButtonsWithTheirTextsAndTips) {
    const std::vector<HWND> buttons = Buttons();
    ASSERT_EQ(buttons.size(), 4u);
    const std::pair<const char*, const char*> expected[] = {
        {"Set File Attributes", "Set/Clear/Change File(s) Attributes"},
        {"Set File Date/Time", "Set File Date and Time"},
        {"Create List of Files", "Create List of Files"},
        {"Temporary Folders", "Clear Temporary Folders"},
    };
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        SCOPED_TRACE(expected[i].first);
        EXPECT_EQ(TextOf(buttons[i]), expected[i].first);
        EXPECT_EQ(GetWindowLongA(buttons[i], GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
        EXPECT_EQ(TipOf(m_ui.ToolTipWindow(), m_panel.Window(), buttons[i]), expected[i].second);
        EXPECT_NE(GetWindowLongA(buttons[i], GWL_EXSTYLE) & WS_EX_ACCEPTFILES, 0);
    }
    EXPECT_EQ(TextOf(GetDlgItem(m_panel.Window(), IDC_TOOLS_HINT)),
              "You can drop file or folder on one of these buttons to perform action");
    // The preferred height leaves equal margins around the button row.
    const RECT button = RectInParent(buttons[0]);
    EXPECT_GT(button.top, 0);
    EXPECT_EQ(m_panel.PreferredHeight() - button.bottom, button.top);
}

TEST_F(ToolsPanelTest, ClicksSendTheCommandsAndDropsEveryPathInDropOrder) {
    for (HWND button : Buttons()) {
        SendMessageA(button, BM_CLICK, 0, 0);
    }
    const std::vector<std::string> paths = {"C:\\data\\first.txt", "D:\\second folder", "C:\\b\\third \xC3\xA9.log"};
    SendMessageA(Buttons()[2], WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(paths)), 0);
    SendMessageA(Buttons()[3], WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({"C:\\temp"})), 0);
    const std::pair<int, std::vector<std::string>> expected[] = {
        {32803, {}}, {32802, {}}, {32804, {}}, {32805, {}}, {32804, paths}, {32805, {"C:\\temp"}},
    };
    ASSERT_EQ(m_received.size(), std::size(expected));
    for (std::size_t i = 0; i < m_received.size(); ++i) {
        EXPECT_EQ(m_received[i].command, expected[i].first) << i;
        EXPECT_EQ(m_received[i].paths, expected[i].second) << i;
    }
}

// A dialog to restyle: the tools panel template with a procedure that does nothing itself.
INT_PTR CALLBACK PlainDialogProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

class StyledControlsTest : public UiTest {
  protected:
    void SetUp() override {
        UiTest::SetUp();
        m_dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_TOOLS_PANEL), m_window.Handle(),
                                      &PlainDialogProc, 0);
        ASSERT_NE(m_dialog, nullptr);
    }
    void TearDown() override {
        DestroyWindow(m_dialog);
        UiTest::TearDown();
    }

    HWND m_dialog = nullptr;
};

TEST_F(StyledControlsTest, ButtonsAreDrawnInTheButtonFaceAndMissingIdsDoNothing) {
    ASSERT_NE(ui::StyleButton(m_ui, m_dialog, IDC_TOOLS_ATTRIBUTES, "tip", 1), nullptr);
    const DrawnControl button(m_dialog, IDC_TOOLS_ATTRIBUTES);
    EXPECT_TRUE(button.handled);
    EXPECT_EQ(button.Pixel(4, 4), RGB(228, 228, 228));
    ASSERT_NE(ui::StylePushButton(m_ui, m_dialog, IDC_TOOLS_DATE_TIME, nullptr, 2), nullptr);
    const DrawnControl push(m_dialog, IDC_TOOLS_DATE_TIME);
    EXPECT_EQ(push.Pixel(6, 6), RGB(228, 228, 228));
    EXPECT_EQ(push.Pixel(0, 0), GetSysColor(COLOR_BTNFACE));                // outside the curve
    EXPECT_FALSE(DrawnControl(m_dialog, IDC_TOOLS_LIST_OF_FILES).handled);  // not restyled: left to the dialog

    EXPECT_EQ(ui::StyleButton(m_ui, m_dialog, 4321, "tip", 1), nullptr);
    EXPECT_EQ(ui::StyleLabel(m_ui, m_dialog, 4321, nullptr, 1), nullptr);
    EXPECT_EQ(ui::StyleCheckBox(m_ui, m_dialog, 4321, nullptr), nullptr);
    EXPECT_EQ(ui::SetBackgroundBitmap(m_dialog, 4321, nullptr), nullptr);
}

TEST_F(StyledControlsTest, LabelGetsItsFontAndColours) {
    HWND label = ui::StyleLabel(m_ui, m_dialog, IDC_TOOLS_HINT, "hint tip", 3, RGB(255, 255, 200));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(label, WM_GETFONT, 0, 0)), m_ui.GetFont(3));
    HDC dc = CreateCompatibleDC(nullptr);
    const auto brush = reinterpret_cast<HBRUSH>(
        SendMessageA(m_dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(label)));
    EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 32));
    EXPECT_EQ(GetBkColor(dc), RGB(255, 255, 200));
    LOGBRUSH info = {};
    ASSERT_NE(GetObjectA(brush, sizeof(info), &info), 0);
    EXPECT_EQ(info.lbColor, RGB(255, 255, 200));
    DeleteDC(dc);
}

TEST_F(StyledControlsTest, BackgroundBitmapFillsTheControl) {
    HBITMAP bitmap = LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_SIZE0));
    ASSERT_NE(bitmap, nullptr);
    ASSERT_NE(ui::SetBackgroundBitmap(m_dialog, IDC_TOOLS_HINT, bitmap), nullptr);
    EXPECT_EQ(GetWindowLongA(GetDlgItem(m_dialog, IDC_TOOLS_HINT), GWL_STYLE) & SS_TYPEMASK, SS_OWNERDRAW);
    EXPECT_EQ(DrawnControl(m_dialog, IDC_TOOLS_HINT).Pixel(0, 0), RGB(0, 0, 255));  // the size icon's blue corner
    DeleteObject(bitmap);
}

}  // namespace
}  // namespace qv::test
