// The folder info panel driven through the report tree's selection and its own controls. The
// texts, the rows a files item hides and the row order are tested natively (tests/view); here
// they reach the controls, with the filter list, its tips and buttons, and the list toggle.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
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
    const auto shown = [this] {
        return Text(IDC_INFO_PATH) + (IsWindowEnabled(Control(IDC_INFO_PATH)) ? " (path)" : "") + " | " +
               Text(IDC_INFO_SIZE) + " | " + Text(IDC_INFO_USED);
    };
    EXPECT_EQ(Text(IDC_INFO_CREATED_TEXT), "Created 3/15/2001 at 12:00:00");
    EXPECT_EQ(shown(), "user: 4096 bytes | 5.33 K (5 460) | 24 K");  // used: 4 + 8 + 8 + 4 K
    FolderRecord* beta = Child("Beta");
    Show(beta);
    EXPECT_EQ(shown(), ReadText(beta, ALC) + std::string(" (path) | 4.88 K (5 000) | 8 K"));

    // A files item hides the folder rows; with no record nothing shows.
    Show(FilesItemOf(m_root));
    EXPECT_EQ(std::make_pair(Visible(IDC_INFO_FOLDERS), Visible(IDC_INFO_FILTER_LIST)), std::make_pair(false, true));
    m_panel.Show(nullptr);
    EXPECT_FALSE(Visible(IDC_INFO_NAME) || Visible(IDC_INFO_PRINT) || Visible(IDC_INFO_FILTER_LIST) ||
                 Visible(IDC_INFO_SEPARATOR_TOP));
}

TEST_F(InfoPanelTest, FilterRowsAndShowFiles) {
    ASSERT_EQ(ListView_GetItemCount(m_panel.FilterList()), 6);
    EXPECT_EQ(Cell(2, 1), "12 K");  // "03. Documents"

    // The selected row, the chosen filter and whether "Show files" is enabled.
    const auto state = [this] {
        return std::make_tuple(SelectedRow(), m_panel.SelectedFilter(), IsWindowEnabled(Control(IDC_INFO_SHOW_FILES)));
    };
    EXPECT_EQ(state(), std::make_tuple(0, 1, FALSE));  // row 0 at first; it found nothing
    SelectRow(2);
    EXPECT_EQ(state(), std::make_tuple(2, 3, TRUE));
    Click(IDC_INFO_SHOW_FILES);
    NMHDR doubleClick = {m_panel.FilterList(), IDC_INFO_FILTER_LIST, static_cast<UINT>(NM_DBLCLK)};
    SendMessageA(m_panel.Dialog(), WM_NOTIFY, IDC_INFO_FILTER_LIST, reinterpret_cast<LPARAM>(&doubleClick));
    const std::pair<std::int32_t, FolderRecord*> documentsOfRoot(3, m_root);
    EXPECT_EQ(m_host.shownFilterFiles, (std::vector<std::pair<std::int32_t, FolderRecord*>>(2, documentsOfRoot)));
    Show(Child("Beta"));  // keeps the chosen filter; Beta has no documents
    EXPECT_EQ(state(), std::make_tuple(2, 3, FALSE));
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
    EXPECT_EQ(std::make_tuple(ListView_GetItemCount(m_panel.FilterList()), SelectedRow(), m_panel.SelectedFilter()),
              std::make_tuple(2, 0, 6));
    Show(m_root);
    EXPECT_EQ(std::make_pair(SelectedRow(), m_panel.SelectedFilter()), std::make_pair(5, 6));
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
    EXPECT_EQ(std::make_pair(Cell(0, 0), SelectedRow()), std::make_pair(std::string("03. Documents"), 0));
}

TEST_F(InfoPanelTest, TogglingTheFilterListMovesTheBottomLine) {
    // Whether the list shows and which control the bottom line sits 6 pixels below.
    const auto layout = [this] {
        const int line = RectOf(IDC_INFO_SEPARATOR_BOTTOM).top - 6;
        return std::string(Visible(IDC_INFO_FILTER_LIST) && Visible(IDC_INFO_SHOW_FILES) ? "list" : "no list") +
               (line == RectOf(IDC_INFO_SHOW_FILES).bottom         ? " above show files"
                : line == RectOf(IDC_INFO_SHOW_FILTER_LIST).bottom ? " above the toggle"
                                                                   : " elsewhere");
    };
    EXPECT_EQ(layout(), "list above show files");
    m_panel.ToggleFilterList(InfoPanel::Toggle::Switch);
    EXPECT_EQ(layout(), "no list above the toggle");
    Show(Child("Beta"));  // the flag holds for the next record too
    EXPECT_EQ(layout(), "no list above the toggle");
    Click(IDC_INFO_SHOW_FILTER_LIST);
    EXPECT_EQ(layout(), "list above show files");
}

TEST_F(InfoPanelTest, NotesButtonColourItsClickAndThePreferredWidth) {
    const auto darkBlue = [this] { return DrawnPixels(IDC_INFO_NOTES, RGB(0, 0, 0x80)) > 0; };
    EXPECT_EQ(std::make_pair(darkBlue(), DrawnPixels(IDC_INFO_NOTES, RGB(0, 0, 0)) > 0), std::make_pair(false, true));
    WriteText(Child("Beta"), notes, "keep", false);
    Show(Child("Beta"));
    EXPECT_TRUE(darkBlue());
    Show(Child("gamma"));
    EXPECT_FALSE(darkBlue());
    EXPECT_EQ(m_panel.PreferredWidth(), RectOf(IDC_INFO_CREATED_TEXT).right + GetSystemMetrics(SM_CXVSCROLL) + 2);
    Click(IDC_INFO_NOTES);
    EXPECT_EQ(m_host.editedNotes, std::vector<FolderRecord*>{Child("gamma")});
}

}  // namespace
}  // namespace qv
