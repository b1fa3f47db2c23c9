// The folder info panel driven through the report tree's selection and its own controls. The
// texts, the rows a files item hides and the row order are tested natively (tests/view); here
// they reach the controls, with the filter list, its tips and buttons, and the list toggle.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ViewTestHost.h"
#include "resource.h"

namespace qv {
namespace {

using test::TextOf;

class InfoPanelTest : public test::ReportViewTest {
  protected:
    // Selects a record in the tree; the panel must show it.
    void Show(FolderRecord* record) {
        Select(record);
        ASSERT_EQ(m_panel.Record(), record);
    }
    HWND Control(int id) { return GetDlgItem(m_panel.Dialog(), id); }
    std::string Text(int id) { return TextOf(Control(id)); }
    bool Visible(int id) { return (GetWindowLongPtrA(Control(id), GWL_STYLE) & WS_VISIBLE) != 0; }

    std::string Cell(int row, int column) { return test::ListCell(m_panel.FilterList(), row, column); }
    void SelectRow(int row) { test::SelectListRow(m_panel.FilterList(), row); }
    int SelectedRow() { return ListView_GetNextItem(m_panel.FilterList(), -1, LVNI_SELECTED); }
    void Click(int id) { test::PressButton(m_panel.Dialog(), id); }
    RECT RectOf(int id) { return test::RectInParent(Control(id)); }
    // How many pixels of `colour` the dialog draws for owner-drawn control `id`.
    int DrawnPixels(int id, COLORREF colour) { return test::DrawnControl(m_panel.Dialog(), id).Count(colour); }
};

TEST_F(InfoPanelTest, TheRootShowsTheClusterRowAFolderItsPathAndAFilesItemFewerRows) {
    ASSERT_EQ(m_panel.Record(), m_root);  // announced when the report was added
    EXPECT_EQ(Text(IDC_INFO_CREATED_TEXT), "Created 3/15/2001 at 12:00:00");
    EXPECT_EQ(Text(IDC_INFO_PATH), "user: 4096 bytes");
    EXPECT_FALSE(IsWindowEnabled(Control(IDC_INFO_PATH)));
    EXPECT_EQ(Text(IDC_INFO_USED), "24 K");  // 4 + 8 + 8 + 4 K

    FolderRecord* beta = Child("Beta");
    Show(beta);
    EXPECT_EQ(Text(IDC_INFO_PATH), ReadText(beta, ALC));
    EXPECT_TRUE(IsWindowEnabled(Control(IDC_INFO_PATH)));
    EXPECT_EQ(Text(IDC_INFO_SIZE), "4.88 K (5 000)");

    // A files item hides the folder rows; back on a folder they return; with no record nothing shows.
    Show(FilesItemOf(m_root));
    EXPECT_FALSE(Visible(IDC_INFO_FOLDERS));
    EXPECT_TRUE(Visible(IDC_INFO_FILTER_LIST));
    Show(Child("alpha"));
    EXPECT_TRUE(Visible(IDC_INFO_FOLDERS));
    m_panel.Show(nullptr);
    for (int id : {IDC_INFO_NAME, IDC_INFO_PRINT, IDC_INFO_FILTER_LIST, IDC_INFO_SEPARATOR_TOP}) {
        EXPECT_FALSE(Visible(id)) << id;
    }
    EXPECT_EQ(Text(IDC_INFO_NAME), "");
}

TEST_F(InfoPanelTest, FilterRowsAndShowFiles) {
    ASSERT_EQ(ListView_GetItemCount(m_panel.FilterList()), 6);
    EXPECT_EQ(Cell(2, 1), "12 K");  // "03. Documents"

    // Row 0 is selected at first; it found nothing, so "Show files" stays disabled.
    EXPECT_EQ(SelectedRow(), 0);
    EXPECT_EQ(m_panel.SelectedFilter(), 1);
    EXPECT_FALSE(IsWindowEnabled(Control(IDC_INFO_SHOW_FILES)));

    SelectRow(2);
    EXPECT_EQ(m_panel.SelectedFilter(), 3);
    EXPECT_TRUE(IsWindowEnabled(Control(IDC_INFO_SHOW_FILES)));
    Click(IDC_INFO_SHOW_FILES);
    ASSERT_EQ(m_host.shownFilterFiles.size(), 1u);
    EXPECT_EQ(m_host.shownFilterFiles[0], std::make_pair(3, m_root));
    NMHDR doubleClick = {m_panel.FilterList(), IDC_INFO_FILTER_LIST, static_cast<UINT>(NM_DBLCLK)};
    SendMessageA(m_panel.Dialog(), WM_NOTIFY, IDC_INFO_FILTER_LIST, reinterpret_cast<LPARAM>(&doubleClick));
    EXPECT_EQ(m_host.shownFilterFiles.size(), 2u);  // a double click runs "Show files" too

    // Another folder keeps the chosen filter; Beta has no documents.
    Show(Child("Beta"));
    EXPECT_EQ(m_panel.SelectedFilter(), 3);
    EXPECT_EQ(SelectedRow(), 2);
    EXPECT_FALSE(IsWindowEnabled(Control(IDC_INFO_SHOW_FILES)));
}

TEST_F(InfoPanelTest, TheChosenFilterSurvivesAReportThatLacksIt) {
    SelectRow(5);
    ASSERT_EQ(m_panel.SelectedFilter(), 6);
    // A second report with two filters: row 0 is shown selected, filter 6 stays the choice.
    test::ScratchDir second;
    second.WriteFile("x/y.tmp", 10);
    Report* other = m_host.OpenScanned(second.Path());
    ASSERT_NE(other, nullptr);
    FilterSet two;
    ASSERT_TRUE(test::FillFilters(&two, {test::Filter("Temp", "*.tmp", true), test::Filter("Logs", "*.log")}));
    other->SetFilters(&two);
    m_window.AddReport(other);  // shows its root
    EXPECT_EQ(ListView_GetItemCount(m_panel.FilterList()), 2);
    EXPECT_EQ(SelectedRow(), 0);
    EXPECT_EQ(m_panel.SelectedFilter(), 6);
    Show(m_root);
    EXPECT_EQ(SelectedRow(), 5);
    EXPECT_EQ(m_panel.SelectedFilter(), 6);
}

TEST_F(InfoPanelTest, HoveredCellIsTheTipAndHeaderClicksSortKeepingTheSelectedFilter) {
    RECT cell = {};
    cell.top = 1;  // sub-item
    cell.left = LVIR_BOUNDS;
    ASSERT_TRUE(SendMessageA(m_panel.FilterList(), LVM_GETSUBITEMRECT, 2, reinterpret_cast<LPARAM>(&cell)));
    SendMessageA(m_panel.FilterList(), WM_MOUSEMOVE, 0, MAKELPARAM(cell.left + 5, (cell.top + cell.bottom) / 2));
    EXPECT_EQ(test::TipOf(m_host.Module().ToolTipWindow(), m_panel.Dialog(), m_panel.FilterList()), "12 K");

    SelectRow(2);  // "03. Documents", the largest
    test::ClickListHeader(m_panel.Dialog(), IDC_INFO_FILTER_LIST, 1);
    EXPECT_EQ(Cell(0, 0), "03. Documents");
    EXPECT_EQ(SelectedRow(), 0);
}

TEST_F(InfoPanelTest, TogglingTheFilterListMovesTheBottomLine) {
    EXPECT_TRUE(m_panel.FilterListShown());
    EXPECT_EQ(RectOf(IDC_INFO_SEPARATOR_BOTTOM).top, RectOf(IDC_INFO_SHOW_FILES).bottom + 6);
    m_panel.ToggleFilterList(InfoPanel::Toggle::Switch);
    EXPECT_FALSE(Visible(IDC_INFO_FILTER_LIST));
    EXPECT_FALSE(Visible(IDC_INFO_SHOW_FILES));
    EXPECT_EQ(RectOf(IDC_INFO_SEPARATOR_BOTTOM).top, RectOf(IDC_INFO_SHOW_FILTER_LIST).bottom + 6);
    // The flag holds for the next record too.
    Show(Child("Beta"));
    EXPECT_FALSE(Visible(IDC_INFO_FILTER_LIST));
    Click(IDC_INFO_SHOW_FILTER_LIST);
    EXPECT_TRUE(Visible(IDC_INFO_FILTER_LIST));
    EXPECT_EQ(RectOf(IDC_INFO_SEPARATOR_BOTTOM).top, RectOf(IDC_INFO_SHOW_FILES).bottom + 6);
}

TEST_F(InfoPanelTest, NotesButtonTurnsDarkBlueWithNotes) {
    const COLORREF darkBlue = RGB(0, 0, 0x80);
    EXPECT_EQ(DrawnPixels(IDC_INFO_NOTES, darkBlue), 0);
    EXPECT_GT(DrawnPixels(IDC_INFO_NOTES, RGB(0, 0, 0)), 0);
    FolderRecord* beta = Child("Beta");
    WriteText(beta, notes, "keep", false);
    Show(beta);
    EXPECT_GT(DrawnPixels(IDC_INFO_NOTES, darkBlue), 0);
    Show(Child("gamma"));
    EXPECT_EQ(DrawnPixels(IDC_INFO_NOTES, darkBlue), 0);
}

TEST_F(InfoPanelTest, WidthAndTheNotesButton) {
    const int width = m_panel.PreferredWidth();
    EXPECT_EQ(width, RectOf(IDC_INFO_CREATED_TEXT).right + GetSystemMetrics(SM_CXVSCROLL) + 2);
    EXPECT_GT(width, 200);

    Click(IDC_INFO_NOTES);
    EXPECT_EQ(m_host.editedNotes, std::vector<FolderRecord*>{m_root});
    InfoPanel unbuilt;
    EXPECT_EQ(unbuilt.PreferredWidth(), 0);
}

}  // namespace
}  // namespace qv
