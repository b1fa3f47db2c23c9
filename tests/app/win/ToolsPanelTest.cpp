// The tools panel and the restyled controls: clicks and real WM_DROPFILES drops on its buttons,
// its height; owner drawing and colours answered for the dialog.
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "resource.h"
#include "ui/UiTestUtil.h"
#include "ui/DropTarget.h"
#include "ui/StyledControls.h"
#include "app/win/ToolsPanel.h"

namespace qv::test {
namespace {

class ToolsPanelTest : public UiTest {
  protected:
    void SetUp() override {
        UiTest::SetUp();
        ASSERT_TRUE(m_panel.Create(m_ui, m_window.Handle(), [this](int command, const PathList& paths) {
            m_received.emplace_back(command, paths.Paths());
        }));
        ShowWindow(m_panel.Window(), SW_SHOW);
    }
    HWND Button(int id) const { return GetDlgItem(m_panel.Window(), id); }

    ui::ToolsPanel m_panel;
    std::vector<std::pair<int, std::vector<std::string>>> m_received;
};

TEST_F(ToolsPanelTest, ClicksSendTheCommandsAndDropsEveryPathInDropOrder) {
    for (int id : {IDC_TOOLS_ATTRIBUTES, IDC_TOOLS_DATE_TIME, IDC_TOOLS_LIST_OF_FILES, IDC_TOOLS_TEMP_FOLDERS}) {
        SendMessageA(Button(id), BM_CLICK, 0, 0);
    }
    const std::vector<std::string> paths = {"C:\\data\\first.txt", "D:\\second folder", "C:\\b\\third \xC3\xA9.log"};
    SendMessageA(Button(IDC_TOOLS_LIST_OF_FILES), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(paths)), 0);
    EXPECT_EQ(m_received, (std::vector<std::pair<int, std::vector<std::string>>>{
                              {32803, {}}, {32802, {}}, {32804, {}}, {32805, {}}, {32804, paths}}));
    EXPECT_EQ(TipOf(m_ui.ToolTipWindow(), m_panel.Window(), Button(IDC_TOOLS_DATE_TIME)), "Set File Date and Time");
}

TEST_F(ToolsPanelTest, PreferredHeightLeavesEqualMarginsAroundTheButtons) {
    const RECT button = RectInParent(Button(IDC_TOOLS_ATTRIBUTES));
    EXPECT_GT(button.top, 0);
    EXPECT_EQ(m_panel.PreferredHeight() - button.bottom, button.top);
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

TEST_F(StyledControlsTest, ButtonsLabelsAndBackgroundsAreDrawnForTheDialog) {
    // A push button's corner lies outside its curve; a control not restyled is left to the dialog.
    ASSERT_TRUE(ui::StyleButton(m_ui, m_dialog, IDC_TOOLS_ATTRIBUTES, "tip", 1) != nullptr &&
                ui::StylePushButton(m_ui, m_dialog, IDC_TOOLS_DATE_TIME, nullptr, 2) != nullptr);
    const DrawnControl push(m_dialog, IDC_TOOLS_DATE_TIME);
    EXPECT_EQ(std::make_tuple(DrawnControl(m_dialog, IDC_TOOLS_ATTRIBUTES).Pixel(4, 4), push.Pixel(6, 6), push.Pixel(0, 0),
                              DrawnControl(m_dialog, IDC_TOOLS_LIST_OF_FILES).handled,
                              ui::StyleButton(m_ui, m_dialog, 4321, "tip", 1)),
              std::make_tuple(RGB(228, 228, 228), RGB(228, 228, 228), GetSysColor(COLOR_BTNFACE), false, HWND{}));

    // A label gets its font and colours.
    HWND label = ui::StyleLabel(m_ui, m_dialog, IDC_TOOLS_HINT, "hint tip", 3, RGB(255, 255, 200));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(label, WM_GETFONT, 0, 0)), m_ui.GetFont(3));
    HDC dc = CreateCompatibleDC(nullptr);
    const auto brush = reinterpret_cast<HBRUSH>(
        SendMessageA(m_dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(label)));
    LOGBRUSH info = {};
    ASSERT_NE(GetObjectA(brush, sizeof(info), &info), 0);
    EXPECT_EQ(std::make_pair(GetTextColor(dc), info.lbColor), std::make_pair(RGB(0, 0, 32), RGB(255, 255, 200)));
    DeleteDC(dc);
}

}  // namespace
}  // namespace qv::test
