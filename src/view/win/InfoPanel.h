// The folder info panel (dialog 142 inside a scrolling pane): the selected folder's statistics
// and the report's filters with what each found in that folder.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/Report.h"
#include "ui/DialogBase.h"
#include "ui/ScrollPane.h"
#include "view/InfoPanelText.h"
#include "view/win/ReportWindowHost.h"

namespace qv {

// One per application, beside the report window. Shows the empty state until the first record.
// The record, its report and the filter set belong to the host's open reports; the panel only
// points at them and is told (Show) whenever the selection changes or a report goes away.
class InfoPanel : private ui::DialogBase {
  public:
    // How ToggleFilterList changes the list flag.
    enum class Toggle { Off, On, Switch };

    InfoPanel() = default;
    ~InfoPanel() override;

    // Creates dialog 142 inside a scrolling pane in `parent`; a second call only updates the host.
    bool Create(ReportWindowHost* host, HWND parent);
    void Destroy();

    // Fills the panel for `record`, or shows the empty state for none.
    void Show(FolderRecord* record);
    void ToggleFilterList(Toggle how);
    // "Show files" follows the selected filter; "Notes" turns dark blue when there are notes.
    void UpdateButtons();
    // The pane width the panel asks for: up to the right edge of the report line, a vertical
    // scroll bar and 2 pixels; 0 before the window exists.
    int PreferredWidth() const;

    HWND Window() const { return m_pane.Window(); }
    HWND Dialog() const { return Handle(); }
    HWND FilterList() const { return m_list; }
    FolderRecord* Record() const { return m_record; }
    std::int32_t SelectedFilter() const { return m_selectedFilter; }
    int RowSortMode() const { return m_rowSort; }
    bool FilterListShown() const { return m_listShown; }
    // The text of a cell of the filter list in display order; empty outside the rows.
    std::string CellText(int row, int column) const;
    void Resize(int width, int height);

  private:
    static LRESULT CALLBACK
    ListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR data);
    bool OnInit() override;
    bool OnCommand(int id, int notification) override;
    bool OnNotify(const NMHDR& header, LRESULT* result) override;
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnDestroyed() override;
    void SetUpList();
    LRESULT ListNotification(const NMHDR& header);
    INT_PTR OnControlColour(HDC dc, HWND control);
    void ApplyVisibility();
    void SetValueTexts(const InfoTexts& texts);
    void SetSecondLabel(const std::string& label);
    void RebuildRows();
    void Resort();
    void SelectRowOfFilter();
    void OnRowSelected(int displayRow);
    void ShowFiles();
    void ShowFilters();
    void OnListMouseMove(LPARAM position);
    Report* FindReport(FolderRecord* record) const;

    ReportWindowHost* m_host = nullptr;
    ui::MCScrollPane m_pane;
    HWND m_list = nullptr;
    FolderRecord* m_record = nullptr;
    std::string m_fullPath;  // the Name field's tool tip
    bool m_listShown = true;
    Report* m_report = nullptr;  // the record's report, whose filter set the rows show
    std::vector<FilterRow> m_rows;
    std::vector<int> m_order;  // display position -> row
    int m_rowSort = kRowSortName;
    std::int32_t m_selectedFilter = 0;
    std::int64_t m_selectedFiles = 0;
    HBRUSH m_background = nullptr;
    std::string m_hoveredCell;  // the list's tool tip text
    bool m_selectingRow = false;  // the panel itself selects a row: not the user's choice
};

}  // namespace qv
